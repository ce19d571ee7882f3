#include "gui/settings_binding.h"

#include "core/settings_hooks.h"
#include "gui/host_system.h"
#include "platform/settings_file.h"

namespace quorvex {

void BindSettingsFile(MainController &controller)
{
    // A file the program creates gets the line ends an editor there expects.
    const char *newFileEol = NewSettingsFileLineEnd();
    AttachSettings(controller, [newFileEol](const std::string &appDir) {
        return SettingsStore(SettingsFilePath(appDir), WriteSettingsFile, newFileEol);
    });
}

}  // namespace quorvex
