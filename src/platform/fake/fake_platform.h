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
    void GetTcpUdpTable(TcpUdpTables &tables, const SnapshotOptions &options) override;
    bool EnableDebugPrivilege() override;
    std::string SystemDirectory() override;
    std::string ExecutablePath() override;
    bool TerminateProcess(uint32_t pid, uint64_t startTime) override;
    bool IsExistingFile(const std::string &path) override;
    CloseOutcome CloseConnection(const TcpConnection &connection) override;
    PathlessOwners PathlessOwnerKind() const override { return Pathless; }

    /// What the next snapshot returns; as a real port does, it leaves out the
    /// IPv6 arrays and the counters unless the snapshot asks for them.
    TcpUdpTables Tables;
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
    SnapshotOptions LastOptions;                             // of the last snapshot
    CloseOutcome CloseAnswer{CloseResult::Closed, 0};        // what CloseConnection returns
    std::vector<TcpConnection> Closed;                       // every CloseConnection call, in order
};

/// Builders for tests: one TCP or UDP record with a named owner.
File_Rec FakeTcp(const std::string &localIp, int localPort, const std::string &remoteIp, int remotePort,
                 int32_t state, int pid, const std::string &name, const std::string &path = {});
File_Rec FakeUdp(const std::string &localIp, int localPort, int pid, const std::string &name,
                 const std::string &path = {});
/// A TCP record with counters.
File_Rec WithTraffic(File_Rec rec, uint64_t sent, uint64_t received);

}  // namespace quorvex
