#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/linux/kernel_socket.h"

namespace quorvex {

// The request datagram of one NETLINK_SOCK_DIAG dump (nlmsghdr followed by
// inet_diag_req_v2) for every socket of `family` and `protocol`; with
// `tcpInfo` every TCP socket comes with its tcp_info (INET_DIAG_INFO), which
// gives its byte counters.
std::vector<uint8_t> BuildSockDiagRequest(uint8_t family, uint8_t protocol, uint32_t sequence, bool tcpInfo = false);

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
bool DumpSockets(uint8_t family, uint8_t protocol, std::vector<KernelSocket> &out, int &error, bool tcpInfo = false);

// One TCP socket to close, as sock_diag finds it: the family, both ends
// (addresses in network order, an AF_INET address in the first 4 bytes;
// ports in host order), the interface it is bound to and its cookie (0:
// whichever socket has these ends).
struct SocketToDestroy {
    uint8_t Family = 0;
    uint8_t Local[16] = {};
    uint8_t Remote[16] = {};
    uint16_t LocalPort = 0;
    uint16_t RemotePort = 0;
    uint32_t Interface = 0;
    uint64_t Cookie = 0;
};

// The SOCK_DESTROY request for `target` (nlmsghdr and inet_diag_req_v2,
// asking for an acknowledgement).
std::vector<uint8_t> BuildSockDestroyRequest(const SocketToDestroy &target, uint32_t sequence);

// The kernel's answer to a request with NLM_F_ACK: the error number of its
// NLMSG_ERROR (0 for the acknowledgement), EPROTO for anything else.
int ParseAck(const uint8_t *data, size_t size);

// Aborts the TCP socket: the kernel resets the connection (the peer gets
// ECONNRESET) and the owner's next call fails. Returns 0, or the error
// number: EPERM without CAP_NET_ADMIN, ENOENT when there is no such socket
// (any more), EOPNOTSUPP when the kernel cannot destroy sockets.
int DestroySocket(const SocketToDestroy &target);

}  // namespace quorvex
