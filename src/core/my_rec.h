#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

// The record of one list row: copies of the snapshot's texts, never a
// reference into the snapshot arrays.
struct TMyRec {
    std::string Protocol;  // "TCP" or "UDP"
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
};

}  // namespace quorvex
