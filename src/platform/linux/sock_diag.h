#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/linux/kernel_socket.h"

namespace quorvex {

// The request datagram of one NETLINK_SOCK_DIAG dump (nlmsghdr followed by
// inet_diag_req_v2) for every socket of `family` and `protocol`.
std::vector<uint8_t> BuildSockDiagRequest(uint8_t family, uint8_t protocol, uint32_t sequence);

enum class DumpStatus { More, Done, Failed };

// Reads one reply datagram of a sock_diag dump and appends its sockets.
// Done at NLMSG_DONE, Failed at an error message, a negative NLMSG_DONE
// status or a malformed message; More while the dump goes on.
DumpStatus ParseSockDiagReply(const uint8_t *data, size_t size, std::vector<KernelSocket> &out);

// Runs one dump against the kernel. False when the dump could not be had (the
// diag module for the protocol missing, netlink refused, an error midway); the
// caller then reads the table another way. `out` is untouched on failure.
bool DumpSockets(uint8_t family, uint8_t protocol, std::vector<KernelSocket> &out);

}  // namespace quorvex
