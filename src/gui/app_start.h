#pragma once

#include <QLockFile>
#include <QString>

#include "core/main_controller.h"

namespace quorvex {

class Prompts;

/// Application title and the icon theme. Qt 6.4 finds no icon theme unless
/// the program names one.
void SetupApplication();

/// Where the per-user instance lock lives: the user's runtime directory (or
/// `runtimeDir` when given), file named after the application.
QString InstanceLockPath(const QString &runtimeDir = {});

/// One running instance per user. The lock is held until this object dies;
/// a lock left by an instance that died without releasing it is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString &lockPath);
    bool TryAcquire();

private:
    QLockFile m_lock;
};

/// False when another instance runs; the user has then been told so with
/// the plain message, and the program ends without a window.
bool EnsureSingleInstance(SingleInstance &instance, Prompts &prompts);

/// Help files and path rules of the system the program was built for.
MainOptions DefaultMainOptions();

}  // namespace quorvex
