#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

// One socket as a kernel table (sock_diag or /proc/net) reports it, before it
// is turned into texts.
struct KernelSocket {
    uint8_t Family = 0;   // AF_INET or AF_INET6
    uint8_t State = 0;    // the kernel's TCP state number (UDP: 7 unconnected, 1 connected)
    int8_t V6Only = -1;   // IPV6_V6ONLY of an AF_INET6 socket: 0, 1, or -1 when not reported
    bool HasCounters = false;  // tcp_info came with the socket (sock_diag, when asked for)
    uint16_t LocalPort = 0;   // host order
    uint16_t RemotePort = 0;  // host order
    uint8_t Local[16] = {};   // address bytes in network order; AF_INET uses the first 4
    uint8_t Remote[16] = {};
    uint64_t Inode = 0;       // 0 for sockets without a file (TIME_WAIT, request sockets)
    uint64_t Cookie = 0;      // sock_diag's identity of the socket; 0 from /proc/net
    uint32_t Interface = 0;   // the interface the socket is bound to; 0 for none
    uint64_t BytesSent = 0;      // tcp_info: data bytes sent, each counted once
    uint64_t BytesReceived = 0;  // tcp_info: data bytes received
};

// The TCP state as the MIB_TCP_STATE table numbers it. Kernel states without
// a counterpart become 100 + the kernel's number so that they keep a telling
// number under the unknown-state text.
int32_t MapTcpState(unsigned kernelState);

// The IPv4 view of a socket: its addresses as dotted quads. AF_INET sockets
// always have one; an AF_INET6 socket has one when it carries IPv4 traffic:
// v4-mapped addresses (::ffff:a.b.c.d) and the dual-stack wildcard (::, not
// v6-only). `defaultV6Only` stands in when the kernel did not report
// IPV6_V6ONLY for the socket. Returns false for a socket that serves IPv6 only.
bool Ipv4View(const KernelSocket &socket, bool defaultV6Only, uint8_t local[4], uint8_t remote[4]);

// The socket's own address family for a row: Ipv4View's IPv4 sockets are
// IPv4 rows; every other AF_INET6 socket is an IPv6 row.
bool IsIpv6Row(const KernelSocket &socket, bool defaultV6Only);

}  // namespace quorvex
