#include "platform/platform.h"

namespace quorvex {

namespace {
class LinuxPlatform : public Platform {
public:
    void GetTcpUdpTable(TcpUdpTables &tables) override { tables = {}; }
    bool EnableDebugPrivilege() override { return false; }
    std::string SystemDirectory() override { return "/usr/sbin"; }
    std::string ExecutablePath() override { return {}; }
    bool TerminateProcess(uint32_t, uint64_t) override { return false; }
    bool IsExistingFile(const std::string &) override { return false; }
};
}  // namespace

std::unique_ptr<Platform> CreatePlatform()
{
    return std::make_unique<LinuxPlatform>();
}

}  // namespace quorvex
