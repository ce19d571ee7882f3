#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/platform_port.h"

namespace quorvex {

/// Deterministic stand-in for the OS, for tests: hands out the tables it was
/// given, can be told to fail, and records what was asked of it.
class FakePlatform : public Platform {
public:
    void GetTcpUdpTable(TcpUdpTables &tables) override;
    bool EnableDebugPrivilege() override;
    std::string SystemDirectory() override;
    std::string ExecutablePath() override;
    bool TerminateProcess(uint32_t pid, uint64_t startTime) override;
    bool IsExistingFile(const std::string &path) override;
    PathlessOwners PathlessOwnerKind() const override { return Pathless; }

    TcpUdpTables Tables;              // what the next snapshot returns
    bool FailSnapshot = false;        // the next snapshots throw std::runtime_error
    std::function<void()> OnSnapshot; // runs inside every snapshot, before it returns
    int SnapshotCount = 0;
    int PrivilegeCalls = 0;
    std::string SysDir = "/usr/sbin";
    std::string ExePath = "/opt/ondriquorvex/quorvex";
    bool TerminateSucceeds = true;
    PathlessOwners Pathless = PathlessOwners::SystemOrIdle;
    std::vector<std::pair<uint32_t, uint64_t>> Terminated;  // every call, in order
    std::vector<std::string> ExistingFiles;                  // what IsExistingFile accepts
};

/// Builders for tests: one TCP or UDP record with a named owner.
File_Rec FakeTcp(const std::string &localIp, int localPort, const std::string &remoteIp, int remotePort,
                 int32_t state, int pid, const std::string &name, const std::string &path = {});
File_Rec FakeUdp(const std::string &localIp, int localPort, int pid, const std::string &name,
                 const std::string &path = {});

}  // namespace quorvex
