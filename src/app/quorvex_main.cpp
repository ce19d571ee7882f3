#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/app_start.h"
#include "gui/display_check.h"
#include "gui/host_system.h"
#include "gui/main_window.h"
#include "gui/qt_prompts.h"
#include "gui/settings_binding.h"
#include "gui/window_system.h"
#include "platform/platform.h"
#include "platform/process_limits.h"

int main(int argc, char **argv)
{
    quorvex::RaiseOpenFileLimit();
    // Without a display QApplication would abort with a core dump.
    const quorvex::DisplaySettings display = quorvex::CurrentDisplaySettings(argc, argv);
    if (!quorvex::HasDisplay(display)) {
        std::fputs("quorvex: no display to open the window on; quorvex-list prints the same connections as text.\n",
                   stderr);
        return 1;
    }
    // Qt reads a "-platform" pair from the command line; ours goes first,
    // so that the environment of the programs the window starts stays the
    // user's own.
    std::string plugins = quorvex::PreferredPlatformPlugins(display);
    char platformOption[] = "-platform";
    std::vector<char *> qtArguments(argv, argv + argc);
    if (!plugins.empty())
        qtArguments.insert(qtArguments.begin() + (argc > 0 ? 1 : 0), {platformOption, plugins.data()});
    int qtArgumentCount = static_cast<int>(qtArguments.size());
    qtArguments.push_back(nullptr);
    QApplication app(qtArgumentCount, qtArguments.data());
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
