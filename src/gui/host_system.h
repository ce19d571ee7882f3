#pragma once

#include <memory>

#include "core/main_controller.h"
#include "core/shell_actions.h"

// What the GUI takes from the desktop system it was built for: gui/linux
// supplies all of these (Windows has a window of its own, src/wingui). The
// text conversion between records and widgets is supplied the same way and
// declared in gui/system_text.h.
namespace quorvex {

/// Proof that no other instance of the program runs for this user.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    /// True when no other instance holds the claim; this one holds it from
    /// then on, at least as long as the object lives. Asked once per run.
    /// Where the system cannot give an answer at all, the program runs
    /// rather than refuses: true.
    virtual bool TryAcquire() = 0;
};

/// The per-user instance claim of this system, not yet tried.
/// Linux: a lock file in the user's runtime directory, taken over when its
/// owner died.
std::unique_ptr<InstanceLock> CreateInstanceLock();

/// The desktop's handlers for web links, files, the file manager and the
/// property sheet. Linux: Qt's desktop services and the session bus's file
/// manager.
std::unique_ptr<ShellActions> CreateShellActions();

/// Help files and path rules of this system.
MainOptions DefaultMainOptions();

/// Line end of a settings file that the program itself creates, the one an
/// editor on this system expects.
const char *NewSettingsFileLineEnd();

/// Where the icons of the program's own widgets and of file types come
/// from, set before the first window. Nothing to do where the system hands
/// out its icons itself.
void SetupIconTheme();

}  // namespace quorvex
