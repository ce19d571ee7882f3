#include "platform/settings_file.h"

#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/settings.h"
#include "platform/atomic_file.h"

namespace quorvex {

namespace {

std::string AccountConfigDirectory()
{
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return std::string(pw->pw_dir) + "/.config";
    return {};
}

// The owner of `path`, or of its nearest existing parent; -1 (nobody's)
// when not even "/" can be seen.
uint32_t OwnerOfNearest(std::string path)
{
    struct stat st {};
    while (!path.empty()) {
        if (stat(path.c_str(), &st) == 0)
            return st.st_uid;
        const std::size_t slash = path.find_last_of('/');
        if (slash == std::string::npos)
            break;
        path = slash == 0 ? (path == "/" ? std::string() : std::string("/")) : path.substr(0, slash);
    }
    return static_cast<uint32_t>(-1);
}

}  // namespace

std::string UserConfigDirectory()
{
    // The XDG base directory rules: a relative XDG_CONFIG_HOME is ignored.
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config";
    return AccountConfigDirectory();
}

SettingsPlace SettingsFilePlace(const std::string &appDir)
{
    const std::string dir = appDir.empty() ? "." : appDir;
    const std::string beside = appDir + SettingsFileName;
    SettingsPlaceFacts facts;
    facts.AppDir = appDir;
    facts.ConfigHome = UserConfigDirectory();
    facts.AccountConfigHome = AccountConfigDirectory();
    facts.FileBesideExists = PathExists(beside);
    facts.FileBesideWritable = IsReplaceableFile(beside);
    facts.AppDirWritable = IsWritableDirectory(dir);
    SettingsOwners owners;
    owners.User = geteuid();
    struct stat st {};
    owners.AppDirOwner = stat(dir.c_str(), &st) == 0 ? st.st_uid : static_cast<uint32_t>(-1);
    owners.ConfigDirOwner =
        facts.ConfigHome.empty() ? owners.User : OwnerOfNearest(facts.ConfigHome + "/OndriQuorvex");
    facts.Owners = owners;
    return ChooseSettingsPlace(facts);
}

bool WriteSettingsFile(const std::string &path, const std::string &text)
{
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash)))
        return false;
    return WriteFileAtomically(path, text);
}

}  // namespace quorvex
