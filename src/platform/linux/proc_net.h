#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/kernel_socket.h"

namespace quorvex {

// One row of /proc/net/{tcp,udp} (family AF_INET) or /proc/net/{tcp6,udp6}
// (AF_INET6). False for the header line and for lines that do not parse.
// The files do not say whether a socket is v6-only: V6Only stays -1.
bool ParseProcNetLine(std::string_view line, uint8_t family, KernelSocket &out);

// Every row of one whole file, in file order.
void ParseProcNetTable(std::string_view text, uint8_t family, std::vector<KernelSocket> &out);

// Reads and parses one file; false when it cannot be read.
bool ReadProcNetTable(const std::string &path, uint8_t family, std::vector<KernelSocket> &out);

// /proc/sys/net/ipv6/bindv6only: the IPV6_V6ONLY that new sockets start with.
bool ReadDefaultV6Only(const std::string &path = "/proc/sys/net/ipv6/bindv6only");

// A figure of /proc/net/sockstat: on the line of `protocol` ("TCP", "UDP6"),
// the number after `field` ("inuse", "tw"); nothing when absent.
std::optional<uint64_t> SockstatValue(std::string_view text, std::string_view protocol, std::string_view field);

}  // namespace quorvex
