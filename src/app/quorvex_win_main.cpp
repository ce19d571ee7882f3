// quorvex.exe: the window on Windows.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "core/fixed_texts.h"
#include "platform/platform.h"
#include "wingui/app_start.h"
#include "wingui/application_window.h"
#include "wingui/main_frame.h"
#include "wingui/single_instance.h"
#include "wingui/win_prompts.h"
#include "wingui/win_shell.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand)
{
    // The shell's calls want COM on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // First, so that every record text from here on is in the ANSI code page.
    auto platform = quorvex::CreatePlatform();
    quorvex::WinPrompts prompts;

    if (quorvex::win::AnotherInstanceRunning()) {
        prompts.ShowMessage(quorvex::texts::AlreadyRunning);
        return 0;
    }

    quorvex::ApplicationWindow application;
    application.Create();
    prompts.SetOwner(application.Handle());
    quorvex::WinShell shell;
    quorvex::MainFrame frame(*platform, prompts, shell, quorvex::WindowsMainOptions());
    quorvex::BindSettingsFile(frame.Controller());
    frame.OnDestroyed = [] { PostQuitMessage(0); };
    if (!frame.Create(application.Handle()))
        return 0;
    shell.SetOwners(application.Handle(), frame.Handle());
    frame.Show(showCommand);

    quorvex::MainFrame::RunMessageLoop(frame);
    CoUninitialize();
    return 0;
}
