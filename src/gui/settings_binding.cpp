#include "gui/settings_binding.h"

#include <QtGlobal>

#include "core/settings_hooks.h"
#include "platform/settings_file.h"

namespace quorvex {

void BindSettingsFile(MainController &controller)
{
#ifdef Q_OS_WIN
    // A file the program creates gets the line ends an editor there expects.
    const char *newFileEol = "\r\n";
#else
    const char *newFileEol = "\n";
#endif
    AttachSettings(controller, [newFileEol](const std::string &appDir) {
        return SettingsStore(SettingsFilePath(appDir), WriteSettingsFile, newFileEol);
    });
}

}  // namespace quorvex
