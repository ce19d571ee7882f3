#pragma once

#include <cstdint>
#include <string>

#include "core/file_rec.h"
#include "core/row_rules.h"

namespace quorvex {

/// What a snapshot takes beyond the IPv4 endpoints and their owners; the
/// view options decide, at the moment the snapshot is taken.
struct SnapshotOptions {
    bool Ipv6 = false;     // the sockets that serve IPv6 only, into Tcp6Recs and Udp6Recs
    bool Traffic = false;  // the byte counters of the TCP connections
};

/// One TCP connection to close, as its row shows it.
struct TcpConnection {
    bool Ipv6 = false;  // a TCPv6 row
    std::string LocalIp;
    std::string LocalPort;
    std::string RemoteIp;
    std::string RemotePort;
    SocketRef Socket;
};

/// How closing a connection ended.
enum class CloseResult {
    Closed,
    NotPermitted,      // the program lacks the right (administrator, CAP_NET_ADMIN)
    Gone,              // no such connection any more
    Ipv6NotSupported,  // the system cannot close IPv6 connections (Windows)
    Failed,            // anything else; the system's error number comes with it
};
struct CloseOutcome {
    CloseResult Result = CloseResult::Failed;
    int Error = 0;  // the system's error number, where there is one
};

/// The program's one view of the operating system: the port the core calls
/// through. The core owns this interface and platform/ implements it: the
/// build picks linux/ or windows/ (CreatePlatform in platform/platform.h
/// makes one), and fake/ supplies deterministic data to tests. Everything
/// here is called on the GUI thread (or the console companion's only
/// thread), one call at a time.
class Platform {
public:
    virtual ~Platform() = default;

    /// Takes one snapshot of every IPv4 TCP and UDP endpoint with its owner,
    /// and as `options` ask, of the IPv6-only ones and the TCP counters.
    /// Called by the first fill and by every refresh. On return `tables`
    /// holds one record per endpoint in the order the OS reported them, each
    /// with an empty Mark; every array is replaced wholesale (the IPv6 ones
    /// are empty unless asked for, as are the counters), and TakenAtMs says
    /// when the snapshot was taken.
    /// Failure: a lookup that fails for one endpoint leaves that field empty
    /// (PID 0 when the owner is unknown) and the snapshot goes on; a table
    /// that the system does not have gives no rows. Linux: a table that it
    /// has but that cannot be read, even on a second try, makes the call
    /// throw rather than give it as empty; Windows: a failed table call
    /// gives no rows. Throws std::runtime_error only when the snapshot cannot
    /// be taken; the caller then leaves its list unchanged.
    virtual void GetTcpUdpTable(TcpUdpTables &tables, const SnapshotOptions &options) = 0;

    /// Called once at start, right before the first snapshot. True when the
    /// program may read every process's owner information; the start-up
    /// ignores the answer.
    virtual bool EnableDebugPrivilege() = 0;

    /// The system directory as the OS names it (not upper-cased); the end
    /// process command asks before ending a program that lies below it.
    /// Empty when it cannot be had.
    virtual std::string SystemDirectory() = 0;

    /// Full path of the running executable; empty when it cannot be had.
    virtual std::string ExecutablePath() = 0;

    /// Ends the process `pid` at once, provided it is still the process that
    /// the snapshot saw (`startTime`, the File_Rec field; 0 skips that check).
    /// Called by the end-process command after its questions. Returns false
    /// when the process cannot be opened: gone, not ours to end, or its PID
    /// now belongs to another process. Once the process was opened, the
    /// termination's own result is not examined and true comes back.
    virtual bool TerminateProcess(uint32_t pid, uint64_t startTime) = 0;

    /// Closes a TCP connection at once: both ends are reset, the peer sees
    /// the connection reset. Called by the close-connection command after
    /// its question. Never throws; the outcome says why it failed. Linux:
    /// through sock_diag, which takes CAP_NET_ADMIN; Windows: IPv4 only.
    virtual CloseOutcome CloseConnection(const TcpConnection &connection) = 0;

    /// What an owner without a known path is on this system (see
    /// PathlessOwners); asked once, before the first fill.
    virtual PathlessOwners PathlessOwnerKind() const { return PathlessOwners::SystemOrIdle; }

    /// True when `path` names an existing file that is not a directory.
    /// Called by the locate command before it asks the file manager.
    virtual bool IsExistingFile(const std::string &path) = 0;
};

}  // namespace quorvex
