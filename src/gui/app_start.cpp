#include "gui/app_start.h"

#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QStandardPaths>

#include "core/fixed_texts.h"
#include "core/prompts.h"
#include "core/text_forms.h"

namespace quorvex {

void SetupApplication()
{
    QCoreApplication::setApplicationName(QString::fromUtf8(texts::ApplicationTitle));
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons")))
        paths.append(QStringLiteral("/usr/share/icons"));
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    // Icons that Adwaita lacks (most programs' own) are in hicolor.
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
}

QString InstanceLockPath(const QString &runtimeDir)
{
    QString dir = runtimeDir;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QString::fromUtf8(texts::ApplicationTitle) + QStringLiteral(".lock"));
}

SingleInstance::SingleInstance(const QString &lockPath) : m_lock(lockPath)
{
    // Never stale by age: only a lock whose owner process is gone is stale.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::TryAcquire()
{
    if (m_lock.tryLock(0))
        return true;
    // tryLock already removes a lock whose owner died; this covers a lock
    // that could not be told apart (another host name, an unreadable file).
    if (m_lock.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, app;
        if (!m_lock.getLockInfo(&pid, &host, &app) && m_lock.removeStaleLockFile())
            return m_lock.tryLock(0);
        return false;
    }
    // The directory cannot hold a lock at all: run rather than refuse.
    return true;
}

bool EnsureSingleInstance(SingleInstance &instance, Prompts &prompts)
{
    if (instance.TryAcquire())
        return true;
    prompts.ShowMessage(SystemText(texts::AlreadyRunning));
    return false;
}

MainOptions DefaultMainOptions()
{
    MainOptions options;
#ifdef Q_OS_WIN
    options.HelpFileNames = {"QuorvexHelp.chm", "QuorvexHelp.html"};
    options.PathSeparators = "\\/";
#endif
    // Elsewhere the defaults hold: the HTML page, and "/" alone ends a directory.
    return options;
}

}  // namespace quorvex
