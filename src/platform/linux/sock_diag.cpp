#include "platform/linux/sock_diag.h"

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/linux/unique_fd.h"

namespace quorvex {

namespace {

// TCP_BOUND_INACTIVE (13): sockets that are only bound. They are not entries
// of the connection tables (/proc/net/tcp does not list them either), so the
// dump leaves them out and both sources agree.
constexpr uint32_t kBoundInactive = 13;
constexpr uint32_t kAllStates = ~(1u << kBoundInactive);

constexpr size_t kReceiveSize = 64 * 1024;

// The kernel's TCP states after the peer's FIN arrived: CLOSE_WAIT (8),
// LAST_ACK (9), CLOSING (11). TIME_WAIT sockets come without tcp_info.
bool PeerFinReceived(uint8_t state)
{
    return state == 8 || state == 9 || state == 11;
}

// tcp_info's byte counters, where the kernel's tcp_info reaches them (older
// kernels send a shorter one), each a 64-bit number: tcpi_bytes_acked,
// tcpi_bytes_received, and since Linux 4.19 tcpi_bytes_sent and
// tcpi_bytes_retrans. The columns show data bytes, and the kernel counts
// sequence numbers: bytes_acked includes the SYN of a connection this side
// opened and its own FIN once acknowledged, bytes_received the peer's FIN.
// So "sent" is bytes_sent less what was sent again (bytes_acked only where
// the kernel has no bytes_sent), and "received" leaves out the peer's FIN
// in the states that have received it.
void ReadCounters(const uint8_t *info, size_t size, KernelSocket &out)
{
    const auto field = [&](size_t offset) {
        uint64_t value;
        std::memcpy(&value, info + offset, sizeof value);
        return value;
    };
    constexpr size_t acked = offsetof(tcp_info, tcpi_bytes_acked);
    constexpr size_t received = offsetof(tcp_info, tcpi_bytes_received);
    constexpr size_t sent = offsetof(tcp_info, tcpi_bytes_sent);
    constexpr size_t retrans = offsetof(tcp_info, tcpi_bytes_retrans);
    if (size < received + sizeof(uint64_t))
        return;
    if (size >= retrans + sizeof(uint64_t)) {
        const uint64_t all = field(sent), again = field(retrans);
        out.BytesSent = all >= again ? all - again : 0;
    } else {
        out.BytesSent = field(acked);
    }
    out.BytesReceived = field(received);
    if (PeerFinReceived(out.State) && out.BytesReceived > 0)
        --out.BytesReceived;
    out.HasCounters = true;
}

// inet_diag_msg: family, state, timer, retrans, then inet_diag_sockid
// (sport and dport big-endian, src[4] and dst[4] as stored, if, cookie),
// expires, rqueue, wqueue, uid, inode; attributes follow: INET_DIAG_SKV6ONLY
// (one byte) and, when asked for, INET_DIAG_INFO (tcp_info).
bool ParseDiagMessage(const uint8_t *payload, size_t size, KernelSocket &out)
{
    inet_diag_msg msg;
    if (size < sizeof(msg))
        return false;
    std::memcpy(&msg, payload, sizeof(msg));
    out = KernelSocket{};
    out.Family = msg.idiag_family;
    out.State = msg.idiag_state;
    out.LocalPort = ntohs(msg.id.idiag_sport);
    out.RemotePort = ntohs(msg.id.idiag_dport);
    std::memcpy(out.Local, msg.id.idiag_src, 16);
    std::memcpy(out.Remote, msg.id.idiag_dst, 16);
    out.Inode = msg.idiag_inode;
    out.Interface = msg.id.idiag_if;
    out.Cookie = static_cast<uint64_t>(msg.id.idiag_cookie[1]) << 32 | msg.id.idiag_cookie[0];

    size_t offset = NLMSG_ALIGN(sizeof(msg));
    while (offset + sizeof(nlattr) <= size) {
        nlattr attr;
        std::memcpy(&attr, payload + offset, sizeof(attr));
        if (attr.nla_len < sizeof(nlattr) || offset + attr.nla_len > size)
            break;
        const unsigned type = attr.nla_type & NLA_TYPE_MASK;
        if (type == INET_DIAG_SKV6ONLY && attr.nla_len >= sizeof(nlattr) + 1)
            out.V6Only = payload[offset + NLA_HDRLEN] != 0 ? 1 : 0;
        else if (type == INET_DIAG_INFO)
            ReadCounters(payload + offset + NLA_HDRLEN, attr.nla_len - NLA_HDRLEN, out);
        offset += NLA_ALIGN(attr.nla_len);
    }
    return true;
}

// One request to the sock_diag netlink family: the netlink header and an
// inet_diag_req_v2 for every state the tables list.
struct InetDiagMessage {
    nlmsghdr header;
    inet_diag_req_v2 request;
};

InetDiagMessage NewInetDiagMessage(uint16_t type, uint16_t flags, uint32_t sequence, uint8_t family,
                                   uint8_t protocol)
{
    InetDiagMessage message;
    std::memset(&message, 0, sizeof(message));
    message.header.nlmsg_len = sizeof(message);
    message.header.nlmsg_type = type;
    message.header.nlmsg_flags = flags;
    message.header.nlmsg_seq = sequence;
    message.request.sdiag_family = family;
    message.request.sdiag_protocol = protocol;
    message.request.idiag_states = kAllStates;
    return message;
}

std::vector<uint8_t> BytesOf(const InetDiagMessage &message)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(&message);
    return std::vector<uint8_t>(bytes, bytes + sizeof(message));
}

}  // namespace

std::vector<uint8_t> BuildSockDiagRequest(uint8_t family, uint8_t protocol, uint32_t sequence, bool tcpInfo)
{
    InetDiagMessage message = NewInetDiagMessage(SOCK_DIAG_BY_FAMILY, NLM_F_REQUEST | NLM_F_DUMP, sequence, family,
                                                 protocol);
    if (tcpInfo)
        message.request.idiag_ext = 1u << (INET_DIAG_INFO - 1);
    return BytesOf(message);
}

DumpStatus ParseSockDiagReply(const uint8_t *data, size_t size, std::vector<KernelSocket> &out, int *error)
{
    const auto fail = [&](int number) {
        if (error)
            *error = number;
        return DumpStatus::Failed;
    };
    size_t offset = 0;
    while (offset + sizeof(nlmsghdr) <= size) {
        nlmsghdr header;
        std::memcpy(&header, data + offset, sizeof(header));
        if (header.nlmsg_len < sizeof(nlmsghdr) || offset + header.nlmsg_len > size)
            return fail(EPROTO);
        const uint8_t *payload = data + offset + NLMSG_HDRLEN;
        const size_t payloadSize = header.nlmsg_len - NLMSG_HDRLEN;
        // NLMSG_DONE carries the dump's status, NLMSG_ERROR an nlmsgerr:
        // both start with a negative error number (0 for none).
        int status = 0;
        if ((header.nlmsg_type == NLMSG_DONE || header.nlmsg_type == NLMSG_ERROR) && payloadSize >= sizeof(status))
            std::memcpy(&status, payload, sizeof(status));
        if (header.nlmsg_type == NLMSG_DONE)
            return status < 0 ? fail(-status) : DumpStatus::Done;
        if (header.nlmsg_type == NLMSG_ERROR)
            return fail(status < 0 ? -status : EPROTO);
        if (header.nlmsg_type == SOCK_DIAG_BY_FAMILY) {
            KernelSocket socket;
            if (!ParseDiagMessage(payload, payloadSize, socket))
                return fail(EPROTO);
            out.push_back(socket);
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
    return DumpStatus::More;
}

bool DumpSockets(uint8_t family, uint8_t protocol, std::vector<KernelSocket> &out, int &error, bool tcpInfo)
{
    const int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0) {
        error = errno;
        return false;
    }
    UniqueFd closer(fd);

    sockaddr_nl kernel;
    std::memset(&kernel, 0, sizeof(kernel));
    kernel.nl_family = AF_NETLINK;
    const std::vector<uint8_t> request = BuildSockDiagRequest(family, protocol, 1, tcpInfo);
    const ssize_t sent =
        ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr *>(&kernel), sizeof(kernel));
    if (sent != static_cast<ssize_t>(request.size())) {
        error = sent < 0 ? errno : EPROTO;
        return false;
    }

    const size_t before = out.size();
    // With tcp_info a message is about three times as long; a larger buffer
    // keeps the number of receive calls where it was.
    std::vector<uint8_t> buffer(tcpInfo ? 3 * kReceiveSize : kReceiveSize);
    for (;;) {
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (got < 0 && errno == EINTR)
            continue;
        DumpStatus status;
        if (got > 0) {
            status = ParseSockDiagReply(buffer.data(), static_cast<size_t>(got), out, &error);
        } else {
            // ENOBUFS: the socket's receive queue overflowed and part of
            // the dump was lost.
            error = got < 0 ? errno : EPROTO;
            status = DumpStatus::Failed;
        }
        if (status == DumpStatus::Done)
            return true;
        if (status == DumpStatus::Failed) {
            out.resize(before);
            return false;
        }
    }
}

std::vector<uint8_t> BuildSockDestroyRequest(const SocketToDestroy &target, uint32_t sequence)
{
    InetDiagMessage message =
        NewInetDiagMessage(SOCK_DESTROY, NLM_F_REQUEST | NLM_F_ACK, sequence, target.Family, IPPROTO_TCP);
    message.request.id.idiag_sport = htons(target.LocalPort);
    message.request.id.idiag_dport = htons(target.RemotePort);
    std::memcpy(message.request.id.idiag_src, target.Local, 16);
    std::memcpy(message.request.id.idiag_dst, target.Remote, 16);
    message.request.id.idiag_if = target.Interface;
    // Without a cookie the kernel takes whichever socket has the addresses.
    const bool known = target.Cookie != 0;
    message.request.id.idiag_cookie[0] = known ? static_cast<uint32_t>(target.Cookie) : INET_DIAG_NOCOOKIE;
    message.request.id.idiag_cookie[1] = known ? static_cast<uint32_t>(target.Cookie >> 32) : INET_DIAG_NOCOOKIE;
    return BytesOf(message);
}

int ParseAck(const uint8_t *data, size_t size)
{
    nlmsghdr header;
    if (size < sizeof(header))
        return EPROTO;
    std::memcpy(&header, data, sizeof(header));
    int status = 0;
    if (header.nlmsg_type != NLMSG_ERROR || header.nlmsg_len > size || header.nlmsg_len < NLMSG_HDRLEN + sizeof(status))
        return EPROTO;
    std::memcpy(&status, data + NLMSG_HDRLEN, sizeof(status));
    return status <= 0 ? -status : EPROTO;
}

int DestroySocket(const SocketToDestroy &target)
{
    const int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0)
        return errno;
    UniqueFd closer(fd);
    sockaddr_nl kernel;
    std::memset(&kernel, 0, sizeof(kernel));
    kernel.nl_family = AF_NETLINK;
    const std::vector<uint8_t> request = BuildSockDestroyRequest(target, 1);
    const ssize_t sent =
        ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr *>(&kernel), sizeof(kernel));
    if (sent != static_cast<ssize_t>(request.size()))
        return sent < 0 ? errno : EPROTO;
    // The answer is one NLMSG_ERROR: error 0 is the acknowledgement.
    uint8_t buffer[1024];
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        return ParseAck(buffer, static_cast<size_t>(got));
    }
}

}  // namespace quorvex
