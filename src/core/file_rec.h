#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

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
};

// The whole output of one snapshot, in the order of the OS tables.
struct TcpUdpTables {
    std::vector<File_Rec> TcpRecs;
    std::vector<File_Rec> UdpRecs;
};

}  // namespace quorvex
