// A real snapshot of this machine must show the test's own sockets on
// 127.0.0.1 with the test as their owner. Only these sockets are checked.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

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
    platform->GetTcpUdpTable(tables);
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
