// DesktopShell against a real session bus: the test starts a private
// dbus-daemon and plays the file manager on it.

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include <sys/types.h>

#include "core/my_rec.h"
#include "core/process_commands.h"
#include "gui/linux/desktop_shell.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

struct Call {
    QString method;
    QStringList uris;
    QString startupId;
};

// Records what a file manager would be asked to do.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<Call> calls;
public slots:
    void ShowItems(const QStringList &uris, const QString &startupId) { calls.append({"ShowItems", uris, startupId}); }
    void ShowFolders(const QStringList &uris, const QString &startupId) { calls.append({"ShowFolders", uris, startupId}); }
    void ShowItemProperties(const QStringList &uris, const QString &startupId)
    {
        calls.append({"ShowItemProperties", uris, startupId});
    }
};

// Catches what would go to the desktop's default handler.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

}  // namespace

class DesktopShellTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_peer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"));
        QVERIFY(m_peer.isConnected());
        QVERIFY(m_peer.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &m_manager,
                                      QDBusConnection::ExportAllSlots));
        QVERIFY(m_peer.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    }
    void init() { m_manager.calls.clear(); m_catcher.opened.clear(); }

    void locateSendsShowItemsWithAnEncodedUri()
    {
        m_shell.ShowInFileManager("/tmp/a dir/\xE6\x96\x87\xE4\xBB\xB6#1.bin");
        QTRY_COMPARE(m_manager.calls.size(), 1);
        QCOMPARE(m_manager.calls[0].method, QStringLiteral("ShowItems"));
        QCOMPARE(m_manager.calls[0].uris, QStringList{"file:///tmp/a%20dir/%E6%96%87%E4%BB%B6%231.bin"});
        QCOMPARE(m_manager.calls[0].startupId, QString());
        QVERIFY(m_catcher.opened.isEmpty());
    }

    void aPathThatIsNotUtf8ArrivesAsItsBytes()
    {
        m_shell.ShowInFileManager("/opt/\xff\xfe-app");
        QTRY_COMPARE(m_manager.calls.size(), 1);
        QCOMPARE(m_manager.calls[0].uris, QStringList{"file:///opt/%FF%FE-app"});
    }

    void propertiesSendsShowItemProperties()
    {
        m_shell.ShowProperties("/usr/bin/env");
        QTRY_COMPARE(m_manager.calls.size(), 1);
        QCOMPARE(m_manager.calls[0].method, QStringLiteral("ShowItemProperties"));
        QCOMPARE(m_manager.calls[0].uris, QStringList{"file:///usr/bin/env"});
    }

    void locateOfADeletedFileSendsNothing()
    {
        FakePlatform platform;  // knows no files: the executable is gone
        TMyRec rec;
        rec.ProcessPath = "/opt/deleted/app";
        LocateFile(&rec, platform, m_shell);
        // A marker call behind it: once it arrives, anything sent before it
        // would have arrived too.
        m_shell.ShowProperties("/marker");
        QTRY_COMPARE(m_manager.calls.size(), 1);
        QCOMPARE(m_manager.calls[0].uris, QStringList{"file:///marker"});

        platform.ExistingFiles = {"/opt/deleted/app"};
        LocateFile(&rec, platform, m_shell);
        QTRY_COMPARE(m_manager.calls.size(), 2);
        QCOMPARE(m_manager.calls[1].method, QStringLiteral("ShowItems"));
    }

    void withoutAFileManagerTheFolderOpens()
    {
        QVERIFY(m_peer.unregisterService(QStringLiteral("org.freedesktop.FileManager1")));
        m_shell.ShowInFileManager("/tmp/some dir\xff/app");
        m_shell.ShowProperties("/tmp/some dir\xff/app");  // nothing to ask, nothing happens
        QCOMPARE(m_catcher.opened.size(), 1);
        QCOMPARE(m_catcher.opened[0].toEncoded(), QByteArray("file:///tmp/some%20dir%FF"));
        QTest::qWait(50);
        QVERIFY(m_manager.calls.isEmpty());
        QVERIFY(m_peer.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    }

private:
    QDBusConnection m_peer{QString()};
    FakeFileManager m_manager;
    UrlCatcher m_catcher;
    DesktopShell m_shell;
};

// A private bus for this test only, started before Qt opens the session bus.
int main(int argc, char **argv)
{
    FILE *out = popen("dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1", "r");
    if (!out) {
        std::fprintf(stderr, "cannot start dbus-daemon\n");
        return 1;
    }
    // One line holds the address, the other the PID, in no promised order.
    char first[1024] = {}, second[1024] = {};
    const bool started = std::fgets(first, sizeof first, out) && std::fgets(second, sizeof second, out);
    pclose(out);
    if (!started) {
        std::fprintf(stderr, "dbus-daemon printed no address\n");
        return 1;
    }
    std::string busAddress = first, pid = second;
    if (busAddress.find(':') == std::string::npos)
        std::swap(busAddress, pid);
    while (!busAddress.empty() && (busAddress.back() == '\n' || busAddress.back() == '\r'))
        busAddress.pop_back();
    setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);
    const pid_t daemonPid = static_cast<pid_t>(std::atol(pid.c_str()));

    int result;
    {
        QApplication app(argc, argv);
        DesktopShellTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    if (daemonPid > 0)
        kill(daemonPid, SIGTERM);
    return result;
}

#include "desktop_shell_test.moc"
