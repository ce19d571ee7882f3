#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/file_rec.h"

namespace quorvex {

// The record of one list row: copies of the snapshot's texts, never a
// reference into the snapshot arrays.
struct TMyRec {
    std::string Protocol;  // "TCP", "UDP", "TCPv6" or "UDPv6"
    std::string StateText; // empty on UDP rows
    std::string LocalIp;
    std::string LocalPort;
    std::string RemoteIp;   // empty on UDP rows
    std::string RemotePort; // empty on UDP rows
    std::string Pid;
    std::string ProcessName;
    std::string ProcessPath;
    std::string Description;
    std::string CompanyName;
    std::string Remark;  // "", "md" or "add"
    uint64_t StartTime = 0;  // owner's start time from the snapshot, see File_Rec
    // The connection's counters at the last snapshot that had them, and the
    // bytes per second (both directions together) they grew by since the
    // snapshot before; no rate for a row that has not seen two of them.
    std::optional<TrafficCounters> Traffic;
    std::optional<uint64_t> Rate;
    SocketRef Socket;  // from the record the row was made from
};

}  // namespace quorvex
