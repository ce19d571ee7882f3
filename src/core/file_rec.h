#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvex {

/// The byte counters of one TCP connection as the system keeps them: the
/// data bytes sent and received, each counted once, since the connection
/// began (Windows: since their collection was switched on).
struct TrafficCounters {
    uint64_t Sent = 0;
    uint64_t Received = 0;
    bool operator==(const TrafficCounters &) const = default;
};

/// What the platform needs to reach the very socket of a record again, to
/// close its connection. Opaque to the core, which only carries it from the
/// record into the row.
struct SocketRef {
    uint64_t Cookie = 0;     // Linux: the sock_diag cookie; 0 when unknown
    uint32_t Interface = 0;  // Linux: the interface the socket is bound to, 0 for none
    bool operator==(const SocketRef &) const = default;
};

// One endpoint of a snapshot. Every text is 8-bit in the system's encoding
// (UTF-8 on Linux, the ANSI code page on Windows).
struct File_Rec {
    int32_t State = 0;  // TCP state number as the Windows MIB_TCP_STATE numbers it; 0 on UDP
    std::string LocalIp;
    std::string LocalPort;
    std::string RemoteIp;    // empty on UDP
    std::string RemotePort;  // empty on UDP
    std::string Pid;
    std::string ProcessName;
    std::string ProcessPath;
    std::string FileDescription;
    std::string CompanyName;
    std::string Mark;  // "ok" once a list row has claimed the endpoint during a refresh
    // Start time of the owning process in the platform's own units (clock ticks
    // since boot on Linux, FILETIME on Windows); 0 when unknown. Kept so that a
    // later command can tell a recycled PID from the process that was listed.
    uint64_t StartTime = 0;
    // TCP only, and only when the snapshot was asked for them (and the system
    // has them for this connection).
    std::optional<TrafficCounters> Traffic;
    SocketRef Socket;
};

// The whole output of one snapshot, in the order of the OS tables. The IPv6
// arrays hold the sockets that serve IPv6 only; v4-mapped and dual-stack
// sockets carry IPv4 and are in the IPv4 arrays. They are filled only when
// the snapshot is asked for them.
struct TcpUdpTables {
    std::vector<File_Rec> TcpRecs;
    std::vector<File_Rec> UdpRecs;
    std::vector<File_Rec> Tcp6Recs;
    std::vector<File_Rec> Udp6Recs;
    // When the snapshot was taken, in milliseconds of a monotonic clock; 0
    // when unknown. The rate of a connection is its counters' growth between
    // two snapshots.
    int64_t TakenAtMs = 0;
};

/// The protocols of the rows, one per snapshot array.
inline constexpr const char *ProtocolTcp = "TCP";
inline constexpr const char *ProtocolUdp = "UDP";
inline constexpr const char *ProtocolTcp6 = "TCPv6";
inline constexpr const char *ProtocolUdp6 = "UDPv6";

/// One snapshot array and the protocol of its rows.
struct RecordGroup {
    const char *Protocol;
    std::vector<File_Rec> TcpUdpTables::*Recs;
    bool Tcp;  // rows have a remote end and a state
};

/// The arrays in the order a fill and a refresh turn them into rows: the
/// IPv4 ones first, so that without IPv6 records everything is as it was.
inline constexpr RecordGroup RecordGroups[] = {
    {ProtocolTcp, &TcpUdpTables::TcpRecs, true},
    {ProtocolUdp, &TcpUdpTables::UdpRecs, false},
    {ProtocolTcp6, &TcpUdpTables::Tcp6Recs, true},
    {ProtocolUdp6, &TcpUdpTables::Udp6Recs, false},
};

/// The group whose rows carry `protocol`; any protocol that is none of the
/// four counts as UDP, the Part's "any other".
const RecordGroup &GroupOfProtocol(const std::string &protocol);
/// Index of that group in RecordGroups.
size_t GroupIndexOfProtocol(const std::string &protocol);

/// "TCP" or "TCPv6": a row with a remote end and a state.
bool IsTcpProtocol(const std::string &protocol);

}  // namespace quorvex
