#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <string>
#include <vector>

#include "core/file_rec.h"
#include "core/platform_port.h"
#include "platform/linux/dpkg_index.h"
#include "platform/linux/kernel_socket.h"
#include "platform/linux/proc_owner.h"

namespace quorvex {

struct VersionStrings {
    std::string Description;
    std::string Company;
};

// Answers the version question for an owner; called once per owning PID and
// snapshot, with that process's path.
using VersionSource = std::function<VersionStrings(const std::string &path)>;

// What AppendRecords makes beyond the IPv4 records.
struct RecordOptions {
    // Where the sockets that serve IPv6 only go; left out when null.
    std::vector<File_Rec> *Ipv6Out = nullptr;
    // TCP records take the sockets' byte counters, where they came with them.
    bool Counters = false;
    // The scope text of a link-local address: the name of an interface
    // index. The index as a number when null.
    std::function<std::string(uint32_t)> InterfaceName;
};

// Turns the sockets of one kernel table into records, in table order: the
// IPv4 view of a socket (Ipv4View) into `out`, an IPv6-only socket into
// `extra.Ipv6Out` (RFC 5952 addresses, the interface after "%" on
// link-local ones) or nowhere. Owners come from `owners` (PID 0 and empty
// texts when none). `versions` caches the version answers per PID across calls.
void AppendRecords(const std::vector<KernelSocket> &sockets, bool tcp, bool defaultV6Only, const OwnerTable &owners,
                   const VersionSource &versionSource, std::unordered_map<uint32_t, VersionStrings> &versions,
                   std::vector<File_Rec> &out, const RecordOptions &extra = {});

// Where a snapshot reads from. Tests turn netlink off to exercise the
// /proc/net reader against the same live sockets.
struct SnapshotSources {
    bool UseNetlink = true;
    std::string ProcRoot = "/proc";
    // quorvex-helper programs that may read the owners for us, in order of
    // preference (owner_helper.h); the first that this user may run is
    // used when we cannot see every owner ourselves. Only with the real
    // /proc, which is all a helper reads.
    std::vector<std::string> OwnerHelpers;
};

// One snapshot of every IPv4 TCP and UDP endpoint, and as asked the IPv6-only
// ones and the TCP counters: the four kernel tables (TCP then UDP; AF_INET
// then AF_INET6 within each) and one pass over /proc for the owners. Keeps the
// package index between snapshots.
class LinuxSnapshot {
public:
    explicit LinuxSnapshot(SnapshotSources sources = {});

    // Throws std::runtime_error when not one of the four tables could be
    // read, or when one that the system has could not be read twice in a row.
    void Take(TcpUdpTables &tables, const SnapshotOptions &options = {});

    // True when the snapshots see every socket's owner: by this process's
    // own rights, or through a helper that has them and answers. Decided at
    // the first call or the first Take, whichever comes first, and kept:
    // rights and group memberships do not change while a program runs.
    bool SeesEveryOwner();

private:
    enum class OwnerWay { Undecided, OwnScan, Helper };

    void DecideOwnerWay();
    // The owners of this snapshot: through the helper when it was chosen
    // (and our own scan when it fails this once), else our own scan.
    void ScanOwners(OwnerTable &owners);

    enum class TableRead { Read, Missing, Failed };

    // One try at a table: its sock_diag dump, else its /proc/net file.
    // Missing when the system has no such table (no IPv6); Failed, with an
    // error number, when it has one that could not be read.
    TableRead ReadTableOnce(uint8_t family, uint8_t protocol, const char *procFile, std::vector<KernelSocket> &out,
                            int &error, bool tcpInfo);
    // False for a missing table. A table that fails is tried once more, and
    // if it fails again the snapshot ends with an error: it is never given
    // as empty.
    bool ReadTable(uint8_t family, uint8_t protocol, const char *procFile, std::vector<KernelSocket> &out,
                   bool tcpInfo);

    SnapshotSources m_sources;
    DpkgIndex m_dpkg;
    OwnerWay m_ownerWay = OwnerWay::Undecided;
    std::string m_helper;
    bool m_seesEveryOwner = false;
};

}  // namespace quorvex
