#include "platform/fake/fake_platform.h"

#include <stdexcept>

namespace quorvex {

void FakePlatform::GetTcpUdpTable(TcpUdpTables &tables, const SnapshotOptions &options)
{
    ++SnapshotCount;
    LastOptions = options;
    if (OnSnapshot)
        OnSnapshot();
    if (FailSnapshot)
        throw std::runtime_error("snapshot failed");
    tables = Tables;
    if (!options.Ipv6) {
        tables.Tcp6Recs.clear();
        tables.Udp6Recs.clear();
    }
    for (const RecordGroup &group : RecordGroups) {
        for (auto &rec : tables.*group.Recs) {
            rec.Mark.clear();
            if (!options.Traffic)
                rec.Traffic.reset();
        }
    }
}

CloseOutcome FakePlatform::CloseConnection(const TcpConnection &connection)
{
    Closed.push_back(connection);
    return CloseAnswer;
}

bool FakePlatform::EnableDebugPrivilege()
{
    ++PrivilegeCalls;
    return true;
}

std::string FakePlatform::SystemDirectory()
{
    return SysDir;
}

std::string FakePlatform::ExecutablePath()
{
    return ExePath;
}

bool FakePlatform::TerminateProcess(uint32_t pid, uint64_t startTime)
{
    Terminated.emplace_back(pid, startTime);
    return TerminateSucceeds;
}

bool FakePlatform::IsExistingFile(const std::string &path)
{
    for (const auto &file : ExistingFiles)
        if (file == path)
            return true;
    return false;
}

File_Rec FakeTcp(const std::string &localIp, int localPort, const std::string &remoteIp, int remotePort,
                 int32_t state, int pid, const std::string &name, const std::string &path)
{
    File_Rec rec;
    rec.State = state;
    rec.LocalIp = localIp;
    rec.LocalPort = std::to_string(localPort);
    rec.RemoteIp = remoteIp;
    rec.RemotePort = std::to_string(remotePort);
    rec.Pid = std::to_string(pid);
    rec.ProcessName = name;
    rec.ProcessPath = path;
    return rec;
}

File_Rec WithTraffic(File_Rec rec, uint64_t sent, uint64_t received)
{
    rec.Traffic = TrafficCounters{sent, received};
    return rec;
}

File_Rec FakeUdp(const std::string &localIp, int localPort, int pid, const std::string &name,
                 const std::string &path)
{
    File_Rec rec;
    rec.LocalIp = localIp;
    rec.LocalPort = std::to_string(localPort);
    rec.Pid = std::to_string(pid);
    rec.ProcessName = name;
    rec.ProcessPath = path;
    return rec;
}

}  // namespace quorvex
