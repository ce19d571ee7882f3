#include <arpa/inet.h>
#include <linux/capability.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/text_forms.h"
#include "platform/linux/linux_snapshot.h"
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

CloseOutcome CloseLinuxConnection(const TcpConnection &connection)
{
    SocketToDestroy target;
    target.Family = connection.Ipv6 ? AF_INET6 : AF_INET;
    target.Cookie = connection.Socket.Cookie;
    target.Interface = connection.Socket.Interface;
    if (!ParseRowAddress(connection.LocalIp, connection.Ipv6, target.Local, target.Interface)
        || !ParseRowAddress(connection.RemoteIp, connection.Ipv6, target.Remote, target.Interface)
        || !ParsePort(connection.LocalPort, target.LocalPort) || !ParsePort(connection.RemotePort, target.RemotePort))
        return {CloseResult::Failed, EINVAL};
    const int error = DestroySocket(target);
    switch (error) {
    case 0: return {CloseResult::Closed, 0};
    case EPERM:
    case EACCES: return {CloseResult::NotPermitted, error};
    case ENOENT: return {CloseResult::Gone, error};
    default: return {CloseResult::Failed, error};
    }
}

bool HasEffectiveCapability(const __user_cap_data_struct data[2], int capability)
{
    return (data[capability / 32].effective & (1u << (capability % 32))) != 0;
}

class LinuxPlatform : public Platform {
public:
    void GetTcpUdpTable(TcpUdpTables &tables, const SnapshotOptions &options) override
    {
        m_snapshot.Take(tables, options);
    }

    // Nothing is switched on: reading every fd table takes root, or
    // CAP_SYS_PTRACE (to look into other users' processes) together with
    // CAP_DAC_READ_SEARCH (to pass their /proc/PID/fd permissions).
    bool EnableDebugPrivilege() override
    {
        if (::geteuid() == 0)
            return true;
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (::syscall(SYS_capget, &header, data) != 0)
            return false;
        return HasEffectiveCapability(data, CAP_SYS_PTRACE) && HasEffectiveCapability(data, CAP_DAC_READ_SEARCH);
    }

    std::string SystemDirectory() override { return "/usr/sbin"; }
    // No idle process here: an owner without a path is one we may not see.
    PathlessOwners PathlessOwnerKind() const override { return PathlessOwners::Unknown; }

    std::string ExecutablePath() override
    {
        char buffer[4096];
        const ssize_t got = ::readlink("/proc/self/exe", buffer, sizeof(buffer));
        if (got <= 0 || static_cast<size_t>(got) >= sizeof(buffer))
            return {};
        return std::string(buffer, static_cast<size_t>(got));
    }

    bool TerminateProcess(uint32_t pid, uint64_t startTime) override
    {
        return TerminateLinuxProcess(pid, startTime);
    }

    // SOCK_DESTROY takes CAP_NET_ADMIN; without it the kernel says EPERM.
    CloseOutcome CloseConnection(const TcpConnection &connection) override
    {
        return CloseLinuxConnection(connection);
    }

    bool IsExistingFile(const std::string &path) override
    {
        struct stat st;
        return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    }

private:
    LinuxSnapshot m_snapshot;
};

}  // namespace

std::unique_ptr<Platform> CreatePlatform()
{
    return std::make_unique<LinuxPlatform>();
}

}  // namespace quorvex
