#include "wingui/app_start.h"

#include <utility>

#include "core/settings_hooks.h"
#include "platform/settings_file.h"

namespace quorvex {

MainOptions WindowsMainOptions()
{
    MainOptions options;
    // The compiled help first; the HTML page serves where it is missing.
    options.HelpFileNames = {"QuorvexHelp.chm", "QuorvexHelp.html"};
    options.PathSeparators = "\\/";
    return options;
}

void BindSettingsFile(MainController &controller)
{
    AttachSettings(controller, [](const std::string &appDir) {
        SettingsPlace place = SettingsFilePlace(appDir);
        return SettingsStore(std::move(place.Path), WriteSettingsFile, "\r\n", std::move(place.SeedPath));
    });
}

}  // namespace quorvex
