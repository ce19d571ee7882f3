#include <QApplication>

#include <cstdio>

#include "gui/app_start.h"
#include "gui/display_check.h"
#include "gui/host_system.h"
#include "gui/main_window.h"
#include "gui/qt_prompts.h"
#include "gui/settings_binding.h"
#include "platform/platform.h"
#include "platform/process_limits.h"

int main(int argc, char **argv)
{
    quorvex::RaiseOpenFileLimit();
    // Without a display QApplication would abort with a core dump.
    if (!quorvex::HasDisplay(quorvex::CurrentDisplaySettings(argc, argv))) {
        std::fputs("quorvex: no display to open the window on; quorvex-list prints the same connections as text.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    quorvex::SetupApplication();
    quorvex::QtPrompts prompts;
    // First, so that every text from here on (the refusal message too) is
    // formed in the system's encoding.
    auto platform = quorvex::CreatePlatform();

    auto instance = quorvex::CreateInstanceLock();
    if (!quorvex::EnsureSingleInstance(*instance, prompts))
        return 0;

    auto shell = quorvex::CreateShellActions();
    quorvex::MainWindow window(*platform, prompts, *shell, quorvex::DefaultMainOptions());
    prompts.SetOwner(&window);
    // The settings file joins the start-up through the controller's hooks,
    // before Create(); the icon caches are the window's own.
    quorvex::BindSettingsFile(window.Controller());
    window.Create();
    window.show();
    app.exec();
    return 0;
}
