#include "platform/settings_file.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

#include "core/settings.h"
#include "platform/atomic_file.h"

namespace quorvex {

std::string UserConfigDirectory()
{
    // The XDG base directory rules: a relative XDG_CONFIG_HOME is ignored.
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config";
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return std::string(pw->pw_dir) + "/.config";
    return {};
}

std::string SettingsFilePath(const std::string &appDir)
{
    const std::string beside = appDir + SettingsFileName;
    return ChooseSettingsPath(appDir, IsWritableDirectory(appDir.empty() ? "." : appDir), PathExists(beside),
                              UserConfigDirectory());
}

bool WriteSettingsFile(const std::string &path, const std::string &text)
{
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash)))
        return false;
    return WriteFileAtomically(path, text);
}

}  // namespace quorvex
