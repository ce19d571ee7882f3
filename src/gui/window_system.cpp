#include "gui/window_system.h"

namespace quorvex {

std::string PreferredPlatformPlugins(const DisplaySettings &settings)
{
    const bool userChose = settings.PlatformArgument || !settings.QpaPlatform.empty();
    if (userChose || settings.WaylandDisplay.empty() || settings.Display.empty())
        return {};
    return "xcb;wayland";
}

bool CanKeepWindowOnTop(std::string_view platformName)
{
    // Qt's Wayland plugins are "wayland", "wayland-egl", "wayland-brcm", ...
    return !platformName.starts_with("wayland");
}

}  // namespace quorvex
