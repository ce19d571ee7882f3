#include "gui/host_system.h"

#include <QIcon>
#include <QString>
#include <QStringList>

#include "gui/linux/desktop_shell.h"
#include "gui/linux/single_instance.h"

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
    // The HTML page, and "/" alone ends a directory.
    return {};
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
}

}  // namespace quorvex
