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

SettingsPlace SettingsFilePlace(const std::string &appDir)
{
    // Files have owners here too, but the access rules are the security
    // descriptor's; whether the file can be written decides alone.
    const std::string beside = appDir + SettingsFileName;
    SettingsPlaceFacts facts;
    facts.AppDir = appDir;
    facts.ConfigHome = UserConfigDirectory();
    facts.FileBesideExists = PathExists(beside);
    facts.FileBesideWritable = IsReplaceableFile(beside);
    facts.AppDirWritable = IsWritableDirectory(appDir.empty() ? "." : appDir);
    SettingsPlace place = ChooseSettingsPlace(facts);
    // One kind of separator in the path the user may be shown.
    std::replace(place.Path.begin(), place.Path.end(), '/', '\\');
    std::replace(place.SeedPath.begin(), place.SeedPath.end(), '/', '\\');
    return place;
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
