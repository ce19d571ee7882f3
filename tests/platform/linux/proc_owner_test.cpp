#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/linux/linux_snapshot.h"
#include "platform/linux/proc_owner.h"

using namespace quorvex;
namespace fs = std::filesystem;

TEST(ProcStat, NamesWithParenthesesSpacesAndRawBytes)
{
    std::ifstream in(std::string(QUORVEX_TEST_DATA) + "/proc/stat_odd_name", std::ios::binary);
    const std::string recorded(std::istreambuf_iterator<char>(in), {});
    const struct {
        std::string text;
        bool ok;
        std::string comm;
        uint64_t startTime;
    } cases[] = {
        {recorded, true, "x) (y \xff\xfez)", 81526},
        {"1 (systemd) S 0 1 1 0 -1 4194560 1 2 3 4 5 6 7 8 20 0 1 0 17 1000 10", true, "systemd", 17},
        {"7 () R 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 18446744073709551615 0", true, "", 18446744073709551615u},
        {"9 (a b) R 1 1", true, "a b", 0},       // cut short: the name alone
        {"9 a b R 1 1", false, "", 0},           // no parentheses
        {"9 (x) R 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 12x4 0", false, "x", 0},
    };
    for (const auto &c : cases) {
        ProcStatFields fields;
        ASSERT_EQ(ParseProcStat(c.text, fields), c.ok) << c.text;
        if (!c.ok)
            continue;
        EXPECT_EQ(fields.Comm, c.comm) << c.text;
        EXPECT_EQ(fields.StartTime, c.startTime) << c.text;
    }
}

TEST(ProcStat, SocketLinks)
{
    const std::pair<const char *, uint64_t> cases[] = {
        {"socket:[56306]", 56306}, {"socket:[18446744073709551615]", 18446744073709551615u},
        {"socket:[]", 0},          {"socket:[12", 0},
        {"pipe:[56306]", 0},       {"/tmp/socket:[1]", 0},
        {"socket:[1a]", 0},        {"anon_inode:[eventfd]", 0},
    };
    for (const auto &[link, inode] : cases)
        EXPECT_EQ(ParseSocketLink(link), inode) << link;
}

class FakeProc : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quorvex-proc-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
    }
    void TearDown() override { fs::remove_all(m_root); }

    void Process(int pid, const std::vector<uint64_t> &sockets, const std::string &exe, const std::string &comm,
                 bool withFd = true)
    {
        const fs::path dir = m_root / std::to_string(pid);
        fs::create_directories(dir);
        if (withFd) {
            fs::create_directories(dir / "fd");
            int fd = 3;
            for (uint64_t inode : sockets)
                fs::create_symlink("socket:[" + std::to_string(inode) + "]", dir / "fd" / std::to_string(fd++));
            fs::create_symlink("/dev/null", dir / "fd" / "0");
            fs::create_symlink("pipe:[77]", dir / "fd" / "1");
        }
        if (!exe.empty())
            fs::create_symlink(exe, dir / "exe");
        std::ofstream(dir / "stat") << pid << " (" << comm << ") S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 "
                                    << 1000 + pid << " 0 0\n";
    }

    fs::path m_root;
};

TEST_F(FakeProc, OneScanFindsOwnersNamesAndStartTimes)
{
    Process(10, {500, 501}, "/usr/sbin/netd", "netd");
    Process(7, {500}, "/usr/bin/worker (deleted)", "worker");  // shares 500 with a higher PID
    Process(12, {502}, "", "kernelish) x");                    // exe unreadable: the command name
    Process(13, {503}, "/usr/bin/secret", "secret", false);    // fd table unreadable
    Process(14, {}, "/usr/bin/idle", "idle");                  // owns no socket
    Process(15, {504}, "/usr/bin/gone", "gone");               // ended between its exe and its stat
    fs::remove(m_root / "15" / "stat");
    std::vector<uint64_t> many(1500);  // more than one thread reads at a time
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = 10000 + i;
    Process(16, many, "/usr/bin/busy", "busy");
    fs::create_directories(m_root / "self");
    fs::create_directories(m_root / "net");

    OwnerTable owners;
    owners.Scan(m_root.string(), 2);
    EXPECT_EQ(owners.OwnerOf(500), 7u);
    EXPECT_EQ(owners.OwnerOf(501), 10u);
    EXPECT_EQ(owners.OwnerOf(502), 12u);
    EXPECT_EQ(owners.OwnerOf(503), 0u);
    EXPECT_EQ(owners.OwnerOf(77), 0u);
    EXPECT_EQ(owners.OwnerOf(0), 0u);
    EXPECT_EQ(owners.OwnerOf(10000), 16u);
    EXPECT_EQ(owners.OwnerOf(11499), 16u);
    EXPECT_EQ(owners.SocketCount(), 4u + many.size());

    const struct {
        uint32_t pid;
        const char *name, *path;
        uint64_t startTime;
    } expected[] = {
        {10, "netd", "/usr/sbin/netd", 1010},
        {7, "worker (deleted)", "/usr/bin/worker (deleted)", 1007},
        {12, "kernelish) x", "", 1012},
        {15, "gone", "", 0},  // no start time, so no path that could be ended
        {16, "busy", "/usr/bin/busy", 1016},
    };
    for (const auto &e : expected) {
        const ProcessInfo *info = owners.Process(e.pid);
        ASSERT_NE(info, nullptr) << e.pid;
        EXPECT_EQ(info->Name, e.name) << e.pid;
        EXPECT_EQ(info->Path, e.path) << e.pid;
        EXPECT_EQ(info->StartTime, e.startTime) << e.pid;
    }
    EXPECT_EQ(owners.Process(14), nullptr);
    EXPECT_EQ(owners.Process(13), nullptr);
}

TEST_F(FakeProc, RecordsTakeOwnersAndAskVersionsOncePerProcess)
{
    Process(10, {500, 501}, "/usr/sbin/netd", "netd");
    OwnerTable owners;
    owners.Scan(m_root.string());

    std::vector<KernelSocket> sockets(3);
    for (size_t i = 0; i < sockets.size(); ++i) {
        sockets[i].Family = AF_INET;
        sockets[i].State = 1;
        sockets[i].Local[0] = 127;
        sockets[i].LocalPort = static_cast<uint16_t>(80 + i);
    }
    sockets[0].Inode = 500;
    sockets[1].Inode = 0;  // TIME_WAIT
    sockets[2].Inode = 501;
    int asked = 0;
    const VersionSource source = [&](const std::string &path) {
        ++asked;
        return VersionStrings{"summary of " + path, "Maintainer"};
    };
    std::unordered_map<uint32_t, VersionStrings> versions;
    std::vector<File_Rec> recs;
    AppendRecords(sockets, true, false, owners, source, versions, recs);

    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(asked, 1);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(recs[i].Pid, "10");
        EXPECT_EQ(recs[i].ProcessName, "netd");
        EXPECT_EQ(recs[i].FileDescription, "summary of /usr/sbin/netd");
        EXPECT_EQ(recs[i].CompanyName, "Maintainer");
        EXPECT_EQ(recs[i].StartTime, 1010u);
        EXPECT_TRUE(recs[i].Mark.empty());
    }
    EXPECT_EQ(recs[1].Pid, "0");
    EXPECT_EQ(recs[1].LocalPort, "81");
    EXPECT_EQ(recs[1].State, 5);
    EXPECT_TRUE(recs[1].ProcessName.empty() && recs[1].ProcessPath.empty() && recs[1].FileDescription.empty());
    EXPECT_EQ(recs[1].StartTime, 0u);
}

TEST_F(FakeProc, TableThatExistsButCannotBeReadIsAnError)
{
    // A kernel without IPv6: no tcp6 or udp6 at all, which is no error.
    fs::create_directories(m_root / "net");
    std::ofstream(m_root / "net" / "tcp")
        << "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
           "   0: 0100007F:0050 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 4321 1\n";
    std::ofstream(m_root / "net" / "udp") << "";
    LinuxSnapshot snapshot(SnapshotSources{false, m_root.string(), {}});
    TcpUdpTables tables;
    snapshot.Take(tables);
    ASSERT_EQ(tables.TcpRecs.size(), 1u);
    EXPECT_EQ(tables.TcpRecs[0].LocalPort, "80");
    EXPECT_TRUE(tables.UdpRecs.empty());

    // A table that is there but cannot be read is not given as empty.
    fs::remove(m_root / "net" / "udp");
    fs::create_directories(m_root / "net" / "udp");
    EXPECT_THROW(snapshot.Take(tables), std::runtime_error);
}
