#include "platform/linux/linux_platform.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/text_forms.h"
#include "platform/linux/linux_snapshot.h"
#include "platform/linux/owner_helper.h"
#include "platform/linux/sock_diag.h"
#include "platform/linux/terminate.h"
#include "platform/platform.h"

namespace quorvex {

namespace {

// An address as a row shows it, back to the bytes sock_diag wants; an IPv6
// one may carry its scope after "%", an interface name or index.
bool ParseRowAddress(const std::string &text, bool ipv6, uint8_t bytes[16], uint32_t &scope)
{
    if (!ipv6)
        return ParseIpv4(text, bytes);
    const size_t percent = text.find('%');
    const std::string address = text.substr(0, percent);
    if (::inet_pton(AF_INET6, address.c_str(), bytes) != 1)
        return false;
    if (percent != std::string::npos && scope == 0) {
        const std::string name = text.substr(percent + 1);
        scope = ::if_nametoindex(name.c_str());
        if (scope == 0)
            scope = static_cast<uint32_t>(std::strtoul(name.c_str(), nullptr, 10));
    }
    return true;
}

// The socket SOCK_DESTROY needs for a row's connection; false when the
// row's texts do not make one.
bool SocketOf(const TcpConnection &connection, SocketToDestroy &target)
{
    target.Family = connection.Ipv6 ? AF_INET6 : AF_INET;
    target.Cookie = connection.Socket.Cookie;
    target.Interface = connection.Socket.Interface;
    return ParseRowAddress(connection.LocalIp, connection.Ipv6, target.Local, target.Interface)
           && ParseRowAddress(connection.RemoteIp, connection.Ipv6, target.Remote, target.Interface)
           && ParsePort(connection.LocalPort, target.LocalPort) && ParsePort(connection.RemotePort, target.RemotePort);
}

CloseOutcome OutcomeOf(int error)
{
    switch (error) {
    case 0: return {CloseResult::Closed, 0};
    case EPERM:
    case EACCES: return {CloseResult::NotPermitted, error};
    case ENOENT: return {CloseResult::Gone, error};
    default: return {CloseResult::Failed, error};
    }
}

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

    void GetTcpUdpTable(TcpUdpTables &tables, const SnapshotOptions &options) override
    {
        m_snapshot.Take(tables, options);
    }

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

    // SOCK_DESTROY takes CAP_NET_ADMIN; without it the kernel says EPERM,
    // and the connection is closed through pkexec and quorvex-helper, after
    // an administrator's password.
    CloseOutcome CloseConnection(const TcpConnection &connection) override
    {
        SocketToDestroy target;
        if (!SocketOf(connection, target))
            return {CloseResult::Failed, EINVAL};
        const CloseOutcome outcome = OutcomeOf(DestroySocket(target));
        if (outcome.Result != CloseResult::NotPermitted)
            return outcome;
        const std::string helper = FirstInstalledHelper(m_paths.Helpers);
        const CloseOutcome asAdministrator = CloseAsAdministrator(m_paths.Pkexec, helper, target);
        return asAdministrator.Result == CloseResult::NotPermitted ? outcome : asAdministrator;
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
