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
// status or a malformed message; More while the dump goes on. On Failed,
// `error` (when given) receives the kernel's error number, or EPROTO for a
// malformed message.
DumpStatus ParseSockDiagReply(const uint8_t *data, size_t size, std::vector<KernelSocket> &out,
                              int *error = nullptr);

// Runs one dump against the kernel. False when the dump could not be had (the
// diag module for the protocol missing, netlink refused, an error midway),
// with the error number in `error`: ENOENT when the kernel has no diag
// handler for the protocol, EMFILE, ENOBUFS and the like when it was short
// of resources. The caller then reads the table another way. `out` is
// untouched on failure.
bool DumpSockets(uint8_t family, uint8_t protocol, std::vector<KernelSocket> &out, int &error);

}  // namespace quorvex
