#include "gui/host_system.h"

#include "platform/windows/windows_shell.h"

namespace quorvex {

namespace {

// The named mutex of the logon session. Its handle belongs to the process,
// not to this object: it stays open until the process ends, so the claim
// outlives the object, and a crashed instance releases it with its process.
class MutexInstanceLock : public InstanceLock {
public:
    bool TryAcquire() override { return !win::AnotherInstanceRunning(); }
};

}  // namespace

std::unique_ptr<InstanceLock> CreateInstanceLock()
{
    return std::make_unique<MutexInstanceLock>();
}

std::unique_ptr<ShellActions> CreateShellActions()
{
    return std::make_unique<WindowsShell>();
}

MainOptions DefaultMainOptions()
{
    MainOptions options;
    // The compiled help first; the HTML page serves where it is missing.
    options.HelpFileNames = {"QuorvexHelp.chm", "QuorvexHelp.html"};
    options.PathSeparators = "\\/";
    return options;
}

const char *NewSettingsFileLineEnd()
{
    return "\r\n";
}

void SetupIconTheme()
{
    // File icons come from the shell's system image lists and the widgets
    // draw with the system's style: no icon theme is involved.
}

}  // namespace quorvex
