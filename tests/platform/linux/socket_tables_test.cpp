// The kernel table readers on tables recorded on a live machine (tests/data/sockets):
// an IPv4 listener on 127.0.0.1:41001 with a connected pair (client port 41011),
// a dual-stack listener on [::]:41002 with an IPv4 client from port 41012,
// a v6-only listener on [::]:41003, a pure IPv6 pair [::1]:41004 <-> 41014,
// a TIME_WAIT 127.0.0.1:41015 -> 41001, and UDP: 127.0.0.1:41021, 41022
// (connected to 41021), [::]:41023 dual-stack, [::]:41024 v6-only,
// [::ffff:127.0.0.1]:41025, [::1]:41026.

#include <gtest/gtest.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <tuple>

#include "platform/linux/kernel_socket.h"
#include "platform/linux/linux_snapshot.h"
#include "platform/linux/proc_net.h"
#include "platform/linux/sock_diag.h"

using namespace quorvex;

namespace {

std::string ReadData(const std::string &name)
{
    std::ifstream in(std::string(QUORVEX_TEST_DATA) + "/sockets/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<KernelSocket> ParseDiag(const std::string &name)
{
    const std::string bytes = ReadData(name);
    std::vector<KernelSocket> sockets;
    EXPECT_EQ(ParseSockDiagReply(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), sockets),
              DumpStatus::Done)
        << name;
    return sockets;
}

std::vector<KernelSocket> ParseProc(const std::string &name, uint8_t family)
{
    std::vector<KernelSocket> sockets;
    ParseProcNetTable(ReadData(name), family, sockets);
    return sockets;
}

// Fields both sources report, for comparing them.
auto Key(const KernelSocket &s)
{
    return std::make_tuple(s.Family, s.State, std::string(s.Local, s.Local + 16), s.LocalPort,
                           std::string(s.Remote, s.Remote + 16), s.RemotePort, s.Inode);
}

struct Shown {
    int32_t State;
    std::string LocalIp, LocalPort, RemoteIp, RemotePort, Pid;
    bool operator==(const Shown &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Shown &s)
{
    return out << s.State << ' ' << s.LocalIp << ':' << s.LocalPort << " -> " << s.RemoteIp << ':' << s.RemotePort
               << " pid " << s.Pid;
}

// The records of the test's own ports (41000..41099), in table order.
std::vector<Shown> Records(const std::vector<KernelSocket> &sockets, bool tcp, bool defaultV6Only = false)
{
    OwnerTable owners;
    std::unordered_map<uint32_t, VersionStrings> versions;
    std::vector<File_Rec> recs;
    AppendRecords(sockets, tcp, defaultV6Only, owners, nullptr, versions, recs);
    std::vector<Shown> shown;
    for (const File_Rec &r : recs) {
        if (r.LocalPort.size() == 5 && r.LocalPort.compare(0, 3, "410") == 0)
            shown.push_back({r.State, r.LocalIp, r.LocalPort, r.RemoteIp, r.RemotePort, r.Pid});
    }
    return shown;
}

}  // namespace

TEST(SocketTables, NetlinkAndProcNetReadTheSameSockets)
{
    const struct {
        const char *diag, *proc;
        uint8_t family;
    } tables[] = {
        {"diag_tcp4.bin", "proc_net_tcp", AF_INET},
        {"diag_tcp6.bin", "proc_net_tcp6", AF_INET6},
        {"diag_udp4.bin", "proc_net_udp", AF_INET},
        {"diag_udp6.bin", "proc_net_udp6", AF_INET6},
    };
    for (const auto &t : tables) {
        auto diag = ParseDiag(t.diag);
        auto proc = ParseProc(t.proc, t.family);
        ASSERT_FALSE(diag.empty()) << t.diag;
        std::vector<decltype(Key(diag[0]))> a, b;
        for (const auto &s : diag)
            a.push_back(Key(s));
        for (const auto &s : proc)
            b.push_back(Key(s));
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(a, b) << t.diag << " vs " << t.proc;
    }
}

TEST(SocketTables, NetlinkReportsV6OnlyOnlyForListeningAndUnconnected)
{
    for (const KernelSocket &s : ParseDiag("diag_tcp6.bin")) {
        if (s.LocalPort == 41002 && s.State == 10) {
            EXPECT_EQ(s.V6Only, 0);
        } else if (s.LocalPort == 41003) {
            EXPECT_EQ(s.V6Only, 1);
        } else if (s.State == 1) {
            EXPECT_EQ(s.V6Only, -1);
        }
    }
}

TEST(SocketTables, TcpRecordsFromBothSources)
{
    // The dual-stack server end shows as 127.0.0.1; the v6-only listener and
    // the pure IPv6 pair are not IPv4 endpoints; TIME_WAIT has no owner.
    const std::vector<Shown> tcp4 = {
        {2, "127.0.0.1", "41001", "0.0.0.0", "0", "0"},
        {5, "127.0.0.1", "41011", "127.0.0.1", "41001", "0"},
        {5, "127.0.0.1", "41001", "127.0.0.1", "41011", "0"},
        {5, "127.0.0.1", "41012", "127.0.0.1", "41002", "0"},
        {11, "127.0.0.1", "41015", "127.0.0.1", "41001", "0"},
    };
    const std::vector<Shown> tcp6 = {
        {2, "0.0.0.0", "41002", "0.0.0.0", "0", "0"},
        {5, "127.0.0.1", "41002", "127.0.0.1", "41012", "0"},
    };
    auto sorted = [](std::vector<Shown> v) {
        std::sort(v.begin(), v.end(), [](const Shown &a, const Shown &b) {
            return std::tie(a.LocalPort, a.RemotePort, a.State) < std::tie(b.LocalPort, b.RemotePort, b.State);
        });
        return v;
    };
    EXPECT_EQ(sorted(Records(ParseDiag("diag_tcp4.bin"), true)), sorted(tcp4));
    EXPECT_EQ(sorted(Records(ParseDiag("diag_tcp6.bin"), true)), sorted(tcp6));
    EXPECT_EQ(sorted(Records(ParseProc("proc_net_tcp", AF_INET), true)), sorted(tcp4));
    // /proc/net cannot tell v6-only: the system default decides for both
    // wildcard listeners, and the mapped server end shows either way.
    auto withDefault = tcp6;
    withDefault.push_back({2, "0.0.0.0", "41003", "0.0.0.0", "0", "0"});
    EXPECT_EQ(sorted(Records(ParseProc("proc_net_tcp6", AF_INET6), true, false)), sorted(withDefault));
    EXPECT_EQ(Records(ParseProc("proc_net_tcp6", AF_INET6), true, true), std::vector<Shown>{tcp6[1]});
}

TEST(SocketTables, UdpRecordsHaveNoStateNorRemote)
{
    std::vector<Shown> udp;
    for (const char *name : {"diag_udp4.bin", "diag_udp6.bin"}) {
        for (Shown s : Records(ParseDiag(name), false))
            udp.push_back(s);
    }
    std::sort(udp.begin(), udp.end(), [](const Shown &a, const Shown &b) { return a.LocalPort < b.LocalPort; });
    const std::vector<Shown> expected = {
        {0, "127.0.0.1", "41021", "", "", "0"},
        {0, "127.0.0.1", "41022", "", "", "0"},
        {0, "0.0.0.0", "41023", "", "", "0"},
        {0, "127.0.0.1", "41025", "", "", "0"},
    };
    EXPECT_EQ(udp, expected);
}

TEST(SocketTables, KernelOrderIsKept)
{
    const auto sockets = ParseProc("proc_net_tcp6", AF_INET6);
    std::vector<uint64_t> inodes;
    for (const auto &s : sockets)
        inodes.push_back(s.Inode);
    EXPECT_EQ(inodes, (std::vector<uint64_t>{56313, 56312, 56309, 56315, 56314, 56311}));
}

TEST(SocketTables, MalformedReplies)
{
    std::string bytes = ReadData("diag_tcp4.bin");
    std::vector<KernelSocket> sockets;
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    // A message cut off in the middle, and one whose length runs past the datagram.
    int number = 0;
    EXPECT_EQ(ParseSockDiagReply(data, 100, sockets, &number), DumpStatus::Failed);
    EXPECT_EQ(number, EPROTO);
    std::string overlong = bytes;
    overlong[0] = static_cast<char>(0xff);
    overlong[1] = static_cast<char>(0x7f);
    EXPECT_EQ(ParseSockDiagReply(reinterpret_cast<const uint8_t *>(overlong.data()), overlong.size(), sockets),
              DumpStatus::Failed);

    // NLMSG_ERROR (ENOENT: no diag handler) and a NLMSG_DONE carrying an error.
    for (uint16_t type : {uint16_t{2}, uint16_t{3}}) {
        uint8_t message[20] = {};
        message[0] = 20;
        message[4] = static_cast<uint8_t>(type);
        const int32_t error = -2;
        std::memcpy(message + 16, &error, 4);
        number = 0;
        EXPECT_EQ(ParseSockDiagReply(message, sizeof(message), sockets, &number), DumpStatus::Failed) << type;
        EXPECT_EQ(number, ENOENT) << type;
    }
    // A datagram of whole messages without NLMSG_DONE: the dump goes on.
    std::vector<KernelSocket> partial;
    const uint32_t firstLength = *reinterpret_cast<const uint32_t *>(data);
    EXPECT_EQ(ParseSockDiagReply(data, firstLength, partial), DumpStatus::More);
    EXPECT_EQ(partial.size(), 1u);
}

TEST(SocketTables, ProcNetLines)
{
    const struct {
        const char *line;
        uint8_t family;
        bool ok;
        uint16_t localPort;
        uint8_t state;
        uint64_t inode;
    } cases[] = {
        {"  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode", AF_INET,
         false, 0, 0, 0},
        {"   0: 0100007F:A029 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 56306 1 0 100 0 0 10 0",
         AF_INET, true, 41001, 10, 56306},
        {"   1: 0100007F:FFFF 0100007F:0050 06 00000000:00000000 03:00001000 00000000     0        0 0 3 0", AF_INET,
         true, 65535, 6, 0},
        {"   2: 0100007F:A029 00000000:0000 0A", AF_INET, false, 0, 0, 0},
        {"   3: 0100007:A029 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1", AF_INET, false, 0, 0, 0},
        {"   4: 0100007F:A029 00000000:0000 0A 00000000:00000000 00:00000000 00000000 0 0 1", AF_INET6, false, 0, 0, 0},
        {"", AF_INET, false, 0, 0, 0},
    };
    for (const auto &c : cases) {
        KernelSocket s;
        ASSERT_EQ(ParseProcNetLine(c.line, c.family, s), c.ok) << c.line;
        if (!c.ok)
            continue;
        EXPECT_EQ(s.LocalPort, c.localPort) << c.line;
        EXPECT_EQ(s.State, c.state) << c.line;
        EXPECT_EQ(s.Inode, c.inode) << c.line;
        EXPECT_EQ(s.Local[0], 127) << c.line;
        EXPECT_EQ(s.Local[3], 1) << c.line;
    }
}

TEST(SocketTables, StateMapping)
{
    const std::pair<unsigned, int32_t> cases[] = {
        {1, 5}, {2, 3}, {3, 4}, {4, 6}, {5, 7}, {6, 11}, {7, 1}, {8, 8}, {9, 10}, {10, 2}, {11, 9},
        {0, 100}, {12, 112}, {13, 113}, {255, 355},
    };
    for (const auto &[kernel, mib] : cases)
        EXPECT_EQ(MapTcpState(kernel), mib) << "kernel state " << kernel;
}

TEST(SocketTables, Ipv6AddressesOfIpv4Sockets)
{
    auto socket6 = [](std::initializer_list<uint8_t> local, std::initializer_list<uint8_t> remote, int8_t v6only) {
        KernelSocket s;
        s.Family = AF_INET6;
        s.V6Only = v6only;
        std::copy(local.begin(), local.end(), s.Local + 16 - local.size());
        std::copy(remote.begin(), remote.end(), s.Remote + 16 - remote.size());
        return s;
    };
    const struct {
        KernelSocket socket;
        bool defaultV6Only, shown;
        uint8_t local0, remote0;
    } cases[] = {
        {socket6({0xff, 0xff, 10, 1, 2, 3}, {0xff, 0xff, 192, 168, 1, 2}, -1), true, true, 10, 192},
        {socket6({}, {}, 0), true, true, 0, 0},
        {socket6({}, {}, 1), false, false, 0, 0},
        {socket6({}, {}, -1), false, true, 0, 0},
        {socket6({}, {}, -1), true, false, 0, 0},
        {socket6({1}, {}, 0), false, false, 0, 0},                        // ::1
        {socket6({0xff, 0xff, 10, 1, 2, 3}, {1}, -1), false, false, 0, 0},  // peer pure IPv6
        {socket6({0xfe, 0xff, 10, 1, 2, 3}, {}, 0), false, false, 0, 0},  // not the mapped prefix
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        uint8_t local[4] = {9, 9, 9, 9}, remote[4] = {9, 9, 9, 9};
        ASSERT_EQ(Ipv4View(cases[i].socket, cases[i].defaultV6Only, local, remote), cases[i].shown) << "case " << i;
        if (cases[i].shown) {
            EXPECT_EQ(local[0], cases[i].local0) << "case " << i;
            EXPECT_EQ(remote[0], cases[i].remote0) << "case " << i;
        }
    }
}

TEST(SocketTables, SockstatFigures)
{
    const std::string sockstat = "sockets: used 40033\n"
                                 "TCP: inuse 40004 orphan 0 tw 7 alloc 40004 mem 177\n"
                                 "UDP: inuse 0 mem 0\n"
                                 "UDPLITE: inuse 3\n";
    const struct {
        const char *protocol, *field;
        std::optional<uint64_t> value;
    } cases[] = {
        {"TCP", "inuse", 40004}, {"TCP", "tw", 7},          {"UDP", "inuse", 0},
        {"UDPLITE", "inuse", 3}, {"TCP6", "inuse", {}},     {"TCP", "missing", {}},
        {"UD", "inuse", {}},     {"sockets", "used", 40033},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SockstatValue(sockstat, c.protocol, c.field), c.value) << c.protocol << ' ' << c.field;
    EXPECT_EQ(SockstatValue("", "TCP", "inuse"), std::nullopt);
}

TEST(SocketTables, Ipv6OnlySocketsGoToTheirOwnRecordsWhenAsked)
{
    // The v6-only listener, the pure IPv6 pair with its listener, and the
    // v6-only and ::1 UDP sockets; the dual-stack and mapped ones stay IPv4
    // records, once.
    auto records6 = [](const char *name, bool tcp) {
        OwnerTable owners;
        std::unordered_map<uint32_t, VersionStrings> versions;
        std::vector<File_Rec> recs4, recs6;
        RecordOptions extra;
        extra.Ipv6Out = &recs6;
        AppendRecords(ParseDiag(name), tcp, false, owners, nullptr, versions, recs4, extra);
        std::vector<std::string> shown;
        for (const File_Rec &r : recs6) {
            if (r.LocalPort.compare(0, 3, "410") == 0)
                shown.push_back(std::to_string(r.State) + " [" + r.LocalIp + "]:" + r.LocalPort + " [" + r.RemoteIp
                                + "]:" + r.RemotePort);
        }
        std::sort(shown.begin(), shown.end());
        return std::make_pair(shown, recs4.size());
    };
    const auto [tcp6, tcp4Count] = records6("diag_tcp6.bin", true);
    EXPECT_EQ(tcp6, (std::vector<std::string>{"2 [::1]:41004 [::]:0", "2 [::]:41003 [::]:0",
                                              "5 [::1]:41004 [::1]:41014", "5 [::1]:41014 [::1]:41004"}));
    EXPECT_EQ(tcp4Count, Records(ParseDiag("diag_tcp6.bin"), true).size());
    const auto [udp6, udp4Count] = records6("diag_udp6.bin", false);
    EXPECT_EQ(udp6, (std::vector<std::string>{"0 [::1]:41026 []:", "0 [::]:41024 []:"}));
}
