#include "platform/linux/linux_platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/linux/linux_snapshot.h"
#include "platform/linux/owner_helper.h"
#include "platform/linux/terminate.h"
#include "platform/platform.h"

namespace quorvex {

namespace {

std::string ReadExecutablePath()
{
    char buffer[4096];
    const ssize_t got = ::readlink("/proc/self/exe", buffer, sizeof(buffer));
    if (got <= 0 || static_cast<size_t>(got) >= sizeof(buffer))
        return {};
    return std::string(buffer, static_cast<size_t>(got));
}

SnapshotSources SourcesFor(const LinuxPlatformPaths &paths)
{
    SnapshotSources sources;
    sources.OwnerHelpers = paths.Helpers;
    return sources;
}

class LinuxPlatform : public Platform {
public:
    explicit LinuxPlatform(LinuxPlatformPaths paths) : m_paths(std::move(paths)), m_snapshot(SourcesFor(m_paths)) {}

    void GetTcpUdpTable(TcpUdpTables &tables) override { m_snapshot.Take(tables); }

    // Nothing is switched on: every owner is seen by a process with root or
    // both capabilities, and otherwise through quorvex-helper, which has them
    // and which the members of its group may run.
    bool EnableDebugPrivilege() override { return m_snapshot.SeesEveryOwner(); }

    std::string SystemDirectory() override { return "/usr/sbin"; }
    // No idle process here: an owner without a path is one we may not see.
    PathlessOwners PathlessOwnerKind() const override { return PathlessOwners::Unknown; }

    std::string ExecutablePath() override { return ReadExecutablePath(); }

    // Our own processes end at once. Another user's, which only a helper
    // lets us see, end through pkexec, after an administrator's password.
    bool TerminateProcess(uint32_t pid, uint64_t startTime) override
    {
        const TerminateOutcome outcome = TerminateLinuxProcess(pid, startTime);
        if (outcome == TerminateOutcome::NotPermitted)
            return TerminateAsAdministrator(m_paths.Pkexec, FirstInstalledHelper(m_paths.Helpers), pid, startTime);
        return outcome == TerminateOutcome::Ended;
    }

    bool IsExistingFile(const std::string &path) override
    {
        struct stat st;
        return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    }

private:
    LinuxPlatformPaths m_paths;
    LinuxSnapshot m_snapshot;
};

}  // namespace

LinuxPlatformPaths DefaultLinuxPlatformPaths(const std::string &executablePath)
{
    LinuxPlatformPaths paths;
    const size_t slash = executablePath.rfind('/');
    if (slash != std::string::npos) {
        const std::string dir = executablePath.substr(0, slash + 1);
        // Without "..": pkexec knows the helper's polkit action only by
        // its exact path.
        for (const std::string &helper : {dir + "quorvex-helper", dir + QUORVEX_HELPER_FROM_BIN}) {
            char resolved[PATH_MAX];
            paths.Helpers.push_back(::realpath(helper.c_str(), resolved) ? resolved : helper);
        }
    }
    paths.Pkexec = "/usr/bin/pkexec";
    return paths;
}

std::unique_ptr<Platform> CreateLinuxPlatform(LinuxPlatformPaths paths)
{
    return std::make_unique<LinuxPlatform>(std::move(paths));
}

std::unique_ptr<Platform> CreatePlatform()
{
    return CreateLinuxPlatform(DefaultLinuxPlatformPaths(ReadExecutablePath()));
}

}  // namespace quorvex
