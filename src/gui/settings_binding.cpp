#include "gui/settings_binding.h"

#include <utility>

#include "core/settings_hooks.h"
#include "gui/host_system.h"
#include "platform/settings_file.h"

namespace quorvex {

void BindSettingsFile(MainController &controller)
{
    // A file the program creates gets the line ends an editor there expects.
    const char *newFileEol = NewSettingsFileLineEnd();
    AttachSettings(controller, [newFileEol](const std::string &appDir) {
        SettingsPlace place = SettingsFilePlace(appDir);
        return SettingsStore(std::move(place.Path), WriteSettingsFile, newFileEol, std::move(place.SeedPath));
    });
}

}  // namespace quorvex
