#include "gui/linux/desktop_shell.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "core/file_uri.h"
#include "gui/system_text.h"

namespace quorvex {

namespace {

// The freedesktop.org file manager interface, which the common Linux file
// managers provide on the session bus (or are started for by the bus).
const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString FileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

// Paths are bytes here, and stay bytes on their way into a URI: a name that
// is not UTF-8 must still name the same file at the other end.
std::string AbsolutePath(const std::string &path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    return QFile::encodeName(QDir::currentPath()).toStdString() + "/" + path;
}

QUrl LocalFileUrl(const std::string &path)
{
    return QUrl::fromEncoded(QByteArray::fromStdString(FileUri(AbsolutePath(path))));
}

bool FileManagerAvailable(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> running = bus.interface()->isServiceRegistered(FileManagerService);
    if (running.isValid() && running.value())
        return true;
    const QDBusReply<QStringList> startable = bus.interface()->activatableServiceNames();
    return startable.isValid() && startable.value().contains(FileManagerService);
}

// Sends `method`([file URI], "") without waiting for the answer, which is not
// examined. False when no file manager provides the interface.
bool CallFileManager(const QString &method, const std::string &path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!FileManagerAvailable(bus))
        return false;
    const QString uri = QString::fromLatin1(FileUri(AbsolutePath(path)));
    QDBusMessage call = QDBusMessage::createMethodCall(FileManagerService, FileManagerPath, FileManagerService, method);
    call << QStringList{uri} << QString();
    return bus.send(call);
}

}  // namespace

bool DesktopShell::OpenUrl(const std::string &url)
{
    return QDesktopServices::openUrl(QUrl(FromSystemText(url)));
}

void DesktopShell::OpenFile(const std::string &path)
{
    QDesktopServices::openUrl(LocalFileUrl(path));
}

void DesktopShell::ShowInFileManager(const std::string &path)
{
    if (path.empty() || CallFileManager(QStringLiteral("ShowItems"), path))
        return;
    // Without the interface the folder still opens, just without the file
    // selected.
    const std::string file = AbsolutePath(path);
    const std::size_t slash = file.rfind('/');
    QDesktopServices::openUrl(LocalFileUrl(slash == 0 ? "/" : file.substr(0, slash)));
}

void DesktopShell::ShowProperties(const std::string &path)
{
    if (!path.empty())
        CallFileManager(QStringLiteral("ShowItemProperties"), path);
}

}  // namespace quorvex
