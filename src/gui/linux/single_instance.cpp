#include "gui/linux/single_instance.h"

#include <QDir>
#include <QStandardPaths>

#include "core/fixed_texts.h"
#include "gui/system_text.h"

namespace quorvex {

QString InstanceLockPath(const QString &runtimeDir)
{
    QString dir = runtimeDir;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(FromFixedText(texts::ApplicationTitle) + QStringLiteral(".lock"));
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

}  // namespace quorvex
