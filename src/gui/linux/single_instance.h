#pragma once

#include <QLockFile>
#include <QString>

#include "gui/host_system.h"

namespace quorvex {

/// Where the per-user instance lock lives: the user's runtime directory (or
/// `runtimeDir` when given), file named after the application.
QString InstanceLockPath(const QString &runtimeDir = {});

/// One running instance per user through a lock file. The lock is held until
/// this object dies; a lock left by an instance that died without releasing
/// it is taken over.
class SingleInstance : public InstanceLock {
public:
    explicit SingleInstance(const QString &lockPath);
    bool TryAcquire() override;

private:
    QLockFile m_lock;
};

}  // namespace quorvex
