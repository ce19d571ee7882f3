#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/linux/linux_snapshot.h"
#include "platform/linux/terminate.h"
#include "platform/platform.h"

namespace quorvex {

namespace {

bool HasEffectiveCapability(const __user_cap_data_struct data[2], int capability)
{
    return (data[capability / 32].effective & (1u << (capability % 32))) != 0;
}

class LinuxPlatform : public Platform {
public:
    void GetTcpUdpTable(TcpUdpTables &tables) override { m_snapshot.Take(tables); }

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
