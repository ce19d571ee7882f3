#include "gui/host_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QString>
#include <QStringList>

#include "gui/linux/desktop_shell.h"
#include "gui/linux/single_instance.h"
#include "gui/system_text.h"

namespace quorvex {

std::unique_ptr<InstanceLock> CreateInstanceLock()
{
    return std::make_unique<SingleInstance>(InstanceLockPath());
}

std::unique_ptr<ShellActions> CreateShellActions()
{
    return std::make_unique<DesktopShell>();
}

MainOptions DefaultMainOptions()
{
    // The HTML page, and "/" alone ends a directory. Installed, the page is
    // in the data folder, whose place relative to the executable the build
    // gives (../share/ondriquorvex for every prefix).
    MainOptions options;
    const QString dataDir = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/")
                                            + QStringLiteral(QUORVEX_DATA_FROM_BIN));
    options.DataDir = ToSystemText(dataDir) + "/";
    return options;
}

const char *NewSettingsFileLineEnd()
{
    return "\n";
}

void SetupIconTheme()
{
    // Qt 6.4 finds no icon theme unless the program names one.
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons")))
        paths.append(QStringLiteral("/usr/share/icons"));
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    // Icons that Adwaita lacks (most programs' own) are in hicolor.
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
    // The desktop entry and the icon the package installs are named by the
    // application ID; naming it lets the desktop match the window to both.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORVEX_APP_ID));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(QUORVEX_APP_ID)));
}

}  // namespace quorvex
