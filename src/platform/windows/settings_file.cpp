#include "platform/settings_file.h"

#include <algorithm>

#include <windows.h>
#include <shlobj.h>

#include "core/settings.h"
#include "platform/atomic_file.h"

namespace quorvex {

std::string UserConfigDirectory()
{
    // The roaming application data folder, where a program installed under
    // "Program Files" keeps what its users change.
    char buffer[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return buffer;
    const DWORD n = GetEnvironmentVariableA("APPDATA", buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer)
        return std::string(buffer, n);
    return {};
}

std::string SettingsFilePath(const std::string &appDir)
{
    const std::string beside = appDir + SettingsFileName;
    std::string path = ChooseSettingsPath(appDir, IsWritableDirectory(appDir.empty() ? "." : appDir),
                                          PathExists(beside), UserConfigDirectory());
    // One kind of separator in the path the user may be shown.
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool WriteSettingsFile(const std::string &path, const std::string &text)
{
    const std::size_t sep = path.find_last_of("\\/");
    if (sep != std::string::npos && sep > 0 && !(sep == 2 && path[1] == ':')
        && !MakeDirectories(path.substr(0, sep)))
        return false;
    return WriteFileAtomically(path, text);
}

}  // namespace quorvex
