// A real snapshot of this machine must show the test's own sockets on
// 127.0.0.1 with the test as their owner. Only these sockets are checked.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include "platform/linux/linux_snapshot.h"
#include "platform/linux/proc_net.h"
#include "platform/platform.h"

using namespace quorvex;

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

uint16_t LocalPort(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 0;
    return address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6 &>(address).sin6_port)
                                         : ntohs(reinterpret_cast<sockaddr_in &>(address).sin_port);
}

int Loopback4(int type, uint16_t port = 0)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0)
        ADD_FAILURE() << "bind";
    return fd;
}

void Connect4(int fd, uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
}

std::string SelfExe()
{
    char buffer[4096];
    const ssize_t got = ::readlink("/proc/self/exe", buffer, sizeof(buffer));
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

const File_Rec *Find(const std::vector<File_Rec> &recs, const std::string &localIp, uint16_t localPort,
                     const std::string &remoteIp = {}, std::optional<uint16_t> remotePort = {})
{
    for (const File_Rec &rec : recs) {
        if (rec.LocalIp == localIp && rec.LocalPort == std::to_string(localPort)
            && (!remotePort || (rec.RemoteIp == remoteIp && rec.RemotePort == std::to_string(*remotePort))))
            return &rec;
    }
    return nullptr;
}

class LiveSnapshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A listener with a connected pair.
        m_listener = std::make_unique<Fd>(Loopback4(SOCK_STREAM));
        ASSERT_EQ(::listen(m_listener->get(), 8), 0);
        m_listenPort = LocalPort(m_listener->get());
        m_client = std::make_unique<Fd>(Loopback4(SOCK_STREAM));
        Connect4(m_client->get(), m_listenPort);
        m_clientPort = LocalPort(m_client->get());
        m_server = std::make_unique<Fd>(::accept4(m_listener->get(), nullptr, nullptr, SOCK_CLOEXEC));

        m_udp = std::make_unique<Fd>(Loopback4(SOCK_DGRAM));
        m_udpPort = LocalPort(m_udp->get());

        // A dual-stack listener on :: and an IPv4 client of it.
        m_dual = std::make_unique<Fd>(::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const int off = 0;
        ASSERT_EQ(::setsockopt(m_dual->get(), IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof(off)), 0);
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_addr = in6addr_any;
        ASSERT_EQ(::bind(m_dual->get(), reinterpret_cast<sockaddr *>(&any), sizeof(any)), 0);
        ASSERT_EQ(::listen(m_dual->get(), 8), 0);
        m_dualPort = LocalPort(m_dual->get());
        m_dualClient = std::make_unique<Fd>(Loopback4(SOCK_STREAM));
        Connect4(m_dualClient->get(), m_dualPort);
        m_dualClientPort = LocalPort(m_dualClient->get());
        m_dualServer = std::make_unique<Fd>(::accept4(m_dual->get(), nullptr, nullptr, SOCK_CLOEXEC));
    }

    void ExpectOwn(const File_Rec *rec, int32_t state, const char *what)
    {
        ASSERT_NE(rec, nullptr) << what;
        EXPECT_EQ(rec->State, state) << what;
        EXPECT_EQ(rec->Pid, std::to_string(::getpid())) << what;
        EXPECT_EQ(rec->ProcessPath, SelfExe()) << what;
        EXPECT_EQ(rec->ProcessName, SelfExe().substr(SelfExe().rfind('/') + 1)) << what;
        EXPECT_NE(rec->StartTime, 0u) << what;
        EXPECT_TRUE(rec->Mark.empty()) << what;
    }

    void CheckTables(const TcpUdpTables &tables, bool dualListenerShown)
    {
        const auto &tcp = tables.TcpRecs;
        ExpectOwn(Find(tcp, "127.0.0.1", m_listenPort, "0.0.0.0", 0), 2, "listener");
        ExpectOwn(Find(tcp, "127.0.0.1", m_clientPort, "127.0.0.1", m_listenPort), 5, "client end");
        ExpectOwn(Find(tcp, "127.0.0.1", m_listenPort, "127.0.0.1", m_clientPort), 5, "server end");
        ExpectOwn(Find(tcp, "127.0.0.1", m_dualClientPort, "127.0.0.1", m_dualPort), 5, "IPv4 client of [::]");
        ExpectOwn(Find(tcp, "127.0.0.1", m_dualPort, "127.0.0.1", m_dualClientPort), 5, "dual-stack server end");
        if (dualListenerShown) {
            ExpectOwn(Find(tcp, "0.0.0.0", m_dualPort, "0.0.0.0", 0), 2, "dual-stack listener");
        }

        const File_Rec *udp = Find(tables.UdpRecs, "127.0.0.1", m_udpPort);
        ExpectOwn(udp, 0, "UDP");
        if (udp) {
            EXPECT_TRUE(udp->RemoteIp.empty() && udp->RemotePort.empty());
        }
    }

    std::unique_ptr<Fd> m_listener, m_client, m_server, m_udp, m_dual, m_dualClient, m_dualServer;
    uint16_t m_listenPort = 0, m_clientPort = 0, m_udpPort = 0, m_dualPort = 0, m_dualClientPort = 0;
};

}  // namespace

TEST_F(LiveSnapshot, NetlinkFindsOwnSockets)
{
    auto platform = CreatePlatform();
    TcpUdpTables tables;
    tables.TcpRecs.resize(3);  // replaced wholesale
    platform->GetTcpUdpTable(tables, {});
    CheckTables(tables, true);
}

TEST_F(LiveSnapshot, ProcNetFallbackFindsOwnSockets)
{
    LinuxSnapshot snapshot(SnapshotSources{false, "/proc", {}});
    TcpUdpTables tables;
    snapshot.Take(tables);
    // /proc/net does not say v6-only; the system default decides for the listener.
    CheckTables(tables, !ReadDefaultV6Only());
}

TEST(LinuxPlatform, FilesAndPaths)
{
    auto platform = CreatePlatform();
    EXPECT_EQ(platform->ExecutablePath(), SelfExe());
    EXPECT_EQ(platform->SystemDirectory(), "/usr/sbin");
    EXPECT_TRUE(platform->IsExistingFile(SelfExe()));
    EXPECT_TRUE(platform->IsExistingFile("/proc/self/stat"));
    EXPECT_FALSE(platform->IsExistingFile("/usr"));
    EXPECT_FALSE(platform->IsExistingFile("/nonexistent/quorvex"));
    EXPECT_FALSE(platform->IsExistingFile(""));
    if (::geteuid() == 0) {
        EXPECT_TRUE(platform->EnableDebugPrivilege());
    }
}

namespace {

// A connected pair on the loopback address of `family` (an IPv6 listener is
// v6-only); `ok` is false where the system has no such address.
struct LoopbackPair {
    std::unique_ptr<Fd> listener, client, server;
    uint16_t listenPort = 0, clientPort = 0;
    bool ok = false;

    explicit LoopbackPair(int family)
    {
        sockaddr_in6 v6{};
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = in6addr_loopback;
        sockaddr_in v4{};
        v4.sin_family = AF_INET;
        v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        auto *address = family == AF_INET6 ? reinterpret_cast<sockaddr *>(&v6) : reinterpret_cast<sockaddr *>(&v4);
        const socklen_t length = family == AF_INET6 ? sizeof(v6) : sizeof(v4);
        listener = std::make_unique<Fd>(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const int on = 1;
        if (family == AF_INET6)
            ::setsockopt(listener->get(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof(on));
        if (::bind(listener->get(), address, length) != 0 || ::listen(listener->get(), 8) != 0)
            return;
        listenPort = LocalPort(listener->get());
        v6.sin6_port = v4.sin_port = htons(listenPort);
        client = std::make_unique<Fd>(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
        ok = ::connect(client->get(), address, length) == 0;
        clientPort = LocalPort(client->get());
        server = std::make_unique<Fd>(::accept4(listener->get(), nullptr, nullptr, SOCK_CLOEXEC));
    }
};

}  // namespace

TEST(LiveSnapshotIpv6, OwnSocketsOnLoopbackOnlyWhenAsked)
{
    LoopbackPair own(AF_INET6);
    if (!own.ok)
        GTEST_SKIP() << "no IPv6 loopback here";
    Fd udp(::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    ASSERT_EQ(::bind(udp.get(), reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);

    auto platform = CreatePlatform();
    TcpUdpTables tables;
    platform->GetTcpUdpTable(tables, {});
    EXPECT_TRUE(tables.Tcp6Recs.empty() && tables.Udp6Recs.empty());
    EXPECT_EQ(Find(tables.TcpRecs, "::1", own.clientPort), nullptr);

    platform->GetTcpUdpTable(tables, {true, false});
    const File_Rec *listener = Find(tables.Tcp6Recs, "::1", own.listenPort, "::", 0);
    const File_Rec *client = Find(tables.Tcp6Recs, "::1", own.clientPort, "::1", own.listenPort);
    const File_Rec *server = Find(tables.Tcp6Recs, "::1", own.listenPort, "::1", own.clientPort);
    const File_Rec *datagram = Find(tables.Udp6Recs, "::1", LocalPort(udp.get()));
    for (const File_Rec *rec : {listener, client, server, datagram}) {
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->Pid, std::to_string(::getpid()));
        EXPECT_FALSE(rec->Traffic.has_value());
    }
    EXPECT_EQ(listener->State, 2);
    EXPECT_EQ(client->State, 5);
}

// The counters are data bytes: nothing before the first send (the SYN is
// not data), exactly what was sent after it, and the same after the FIN.
TEST(LiveSnapshotTraffic, CountersAreTheDataBytesTheTestSends)
{
    LoopbackPair own(AF_INET);
    ASSERT_TRUE(own.ok);
    auto platform = CreatePlatform();
    const auto counters = [&](uint16_t localPort, uint16_t remotePort) {
        TcpUdpTables tables;
        platform->GetTcpUdpTable(tables, {false, true});
        const File_Rec *rec = Find(tables.TcpRecs, "127.0.0.1", localPort, "127.0.0.1", remotePort);
        return rec ? rec->Traffic : std::nullopt;
    };
    const auto expect = [&](uint64_t clientSent, uint64_t serverReceived) {
        const auto client = counters(own.clientPort, own.listenPort);
        const auto server = counters(own.listenPort, own.clientPort);
        ASSERT_TRUE(client && server);
        EXPECT_EQ(client->Sent, clientSent);
        EXPECT_EQ(client->Received, 0u);
        EXPECT_EQ(server->Sent, 0u);
        EXPECT_EQ(server->Received, serverReceived);
    };
    {
        SCOPED_TRACE("connected");
        expect(0, 0);
    }
    constexpr size_t kBytes = 12345;
    std::vector<char> data(kBytes, 'q');
    ASSERT_EQ(::send(own.client->get(), data.data(), kBytes, 0), static_cast<ssize_t>(kBytes));
    for (size_t got = 0; got < kBytes;) {
        const ssize_t n = ::recv(own.server->get(), data.data(), kBytes - got, 0);
        ASSERT_GT(n, 0);
        got += static_cast<size_t>(n);
    }
    {
        SCOPED_TRACE("sent");
        expect(kBytes, kBytes);
    }
    // The server reads the end: it is in CLOSE_WAIT, the client in FIN_WAIT2.
    ASSERT_EQ(::shutdown(own.client->get(), SHUT_WR), 0);
    ASSERT_EQ(::recv(own.server->get(), data.data(), 1, 0), 0);
    {
        SCOPED_TRACE("after the client's FIN");
        expect(kBytes, kBytes);
    }
}

TEST(LiveClose, PeerOfAClosedConnectionIsReset)
{
    auto platform = CreatePlatform();
    for (const int family : {AF_INET, AF_INET6}) {
        SCOPED_TRACE(family == AF_INET6 ? "IPv6" : "IPv4");
        LoopbackPair own(family);
        if (!own.ok)
            continue;  // no IPv6 loopback
        TcpUdpTables tables;
        platform->GetTcpUdpTable(tables, {true, false});
        const bool v6 = family == AF_INET6;
        const char *loopback = v6 ? "::1" : "127.0.0.1";
        const File_Rec *rec =
            Find(v6 ? tables.Tcp6Recs : tables.TcpRecs, loopback, own.clientPort, loopback, own.listenPort);
        ASSERT_NE(rec, nullptr);
        const TcpConnection connection{v6, rec->LocalIp, rec->LocalPort, rec->RemoteIp, rec->RemotePort, rec->Socket};
        const CloseOutcome outcome = platform->CloseConnection(connection);
        if (outcome.Result == CloseResult::NotPermitted)
            GTEST_SKIP() << "closing a connection takes CAP_NET_ADMIN";
        ASSERT_EQ(outcome.Result, CloseResult::Closed) << "error " << outcome.Error;
        char byte;
        errno = 0;
        EXPECT_EQ(::recv(own.server->get(), &byte, 1, 0), -1);
        EXPECT_EQ(errno, ECONNRESET);
        EXPECT_EQ(platform->CloseConnection(connection).Result, CloseResult::Gone);
    }
}
