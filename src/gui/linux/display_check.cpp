#include "gui/display_check.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace quorvex {

DisplaySettings CurrentDisplaySettings(int argc, char **argv)
{
    const auto variable = [](const char *name) {
        const char *value = std::getenv(name);
        return std::string(value ? value : "");
    };
    DisplaySettings settings{variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("QT_QPA_PLATFORM")};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            settings.PlatformArgument = true;
    }
    return settings;
}

bool HasDisplay(const DisplaySettings &settings)
{
    if (settings.PlatformArgument)
        return true;
    const bool x11 = !settings.Display.empty();
    const bool wayland = !settings.WaylandDisplay.empty();
    if (settings.QpaPlatform.empty())
        return x11 || wayland;
    // Qt tries the named plugins in order; one that can start is enough.
    std::string_view rest = settings.QpaPlatform;
    while (!rest.empty()) {
        const size_t end = std::min(rest.find(';'), rest.size());
        std::string_view name = rest.substr(0, end);
        name = name.substr(0, name.find(':'));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (name.empty())
            continue;
        if (name == "xcb") {
            if (x11)
                return true;
        } else if (name.starts_with("wayland")) {
            if (wayland)
                return true;
        } else {
            return true;  // needs no display server
        }
    }
    return false;
}

}  // namespace quorvex
