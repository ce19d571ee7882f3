#include "platform/linux/kernel_socket.h"

#include <netinet/in.h>

#include <cstring>

namespace quorvex {

int32_t MapTcpState(unsigned kernelState)
{
    // Kernel numbering (include/net/tcp_states.h) on the left.
    switch (kernelState) {
    case 1: return 5;    // ESTABLISHED
    case 2: return 3;    // SYN_SENT
    case 3: return 4;    // SYN_RECV
    case 4: return 6;    // FIN_WAIT1
    case 5: return 7;    // FIN_WAIT2
    case 6: return 11;   // TIME_WAIT
    case 7: return 1;    // CLOSE
    case 8: return 8;    // CLOSE_WAIT
    case 9: return 10;   // LAST_ACK
    case 10: return 2;   // LISTEN
    case 11: return 9;   // CLOSING
    default: return static_cast<int32_t>(100 + kernelState);
    }
}

namespace {

bool IsAny(const uint8_t address[16])
{
    static const uint8_t zero[16] = {};
    return std::memcmp(address, zero, 16) == 0;
}

bool IsV4Mapped(const uint8_t address[16])
{
    static const uint8_t prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return std::memcmp(address, prefix, 12) == 0;
}

// An address of a socket that carries IPv4: the mapped quad, or 0.0.0.0 for ::.
bool ToQuad(const uint8_t address[16], uint8_t quad[4])
{
    if (IsV4Mapped(address)) {
        std::memcpy(quad, address + 12, 4);
        return true;
    }
    if (IsAny(address)) {
        std::memset(quad, 0, 4);
        return true;
    }
    return false;
}

}  // namespace

bool Ipv4View(const KernelSocket &socket, bool defaultV6Only, uint8_t local[4], uint8_t remote[4])
{
    if (socket.Family == AF_INET) {
        std::memcpy(local, socket.Local, 4);
        std::memcpy(remote, socket.Remote, 4);
        return true;
    }
    if (socket.Family != AF_INET6)
        return false;
    if (IsAny(socket.Local)) {
        // The kernel reports IPV6_V6ONLY only for LISTEN and CLOSE sockets.
        const bool v6only = socket.V6Only < 0 ? defaultV6Only : socket.V6Only != 0;
        if (v6only)
            return false;
    } else if (!IsV4Mapped(socket.Local)) {
        return false;
    }
    // The peer of an IPv4-serving socket is either v4-mapped or still ::.
    return ToQuad(socket.Local, local) && ToQuad(socket.Remote, remote);
}

bool IsIpv6Row(const KernelSocket &socket, bool defaultV6Only)
{
    uint8_t local[4], remote[4];
    return socket.Family == AF_INET6 && !Ipv4View(socket, defaultV6Only, local, remote);
}

}  // namespace quorvex
