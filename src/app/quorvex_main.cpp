#include <QApplication>

#include "gui/app_start.h"
#include "gui/desktop_shell.h"
#include "gui/main_window.h"
#include "gui/qt_prompts.h"
#include "gui/settings_binding.h"
#include "platform/platform.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    quorvex::SetupApplication();
    quorvex::QtPrompts prompts;

    quorvex::SingleInstance instance(quorvex::InstanceLockPath());
    if (!quorvex::EnsureSingleInstance(instance, prompts))
        return 0;

    auto platform = quorvex::CreatePlatform();
    quorvex::DesktopShell shell;
    quorvex::MainWindow window(*platform, prompts, shell, quorvex::DefaultMainOptions());
    prompts.SetOwner(&window);
    // The settings file joins the start-up through the controller's hooks,
    // before Create(); the icon caches are the window's own.
    quorvex::BindSettingsFile(window.Controller());
    window.Create();
    window.show();
    app.exec();
    return 0;
}
