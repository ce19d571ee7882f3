#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <grp.h>
#include <linux/capability.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "core/text_forms.h"
#include "platform/linux/child_process.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/linux_snapshot.h"
#include "platform/linux/owner_answer.h"
#include "platform/linux/owner_helper.h"
#include "platform/linux/terminate.h"

using namespace quorvex;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

TEST(OwnerAnswer, EveryByteOfNamesAndPathsSurvivesTheRoundTrip)
{
    OwnerTable owners;
    owners.SetProcess(7, {"a b\\c", "/opt/x y/\n\t\x7f\xff-", 81526});
    owners.SetProcess(9, {"-", "", 0});
    owners.SetProcess(11, {"", "-x", 18446744073709551615u});
    owners.AddSocket(18446744073709551615u, 9);
    owners.AddSocket(500, 7);
    owners.AddSocket(501, 11);
    owners.AddSocket(500, 9);  // shared: the lower PID keeps it
    for (const bool all : {true, false}) {
        const std::string answer = FormatOwnerAnswer(owners, all);
        OwnerTable read;
        bool allVisible = !all;
        ASSERT_TRUE(ParseOwnerAnswer(answer, read, allVisible)) << answer;
        EXPECT_EQ(allVisible, all);
        EXPECT_EQ(read.Sockets(), owners.Sockets());
        for (const uint32_t pid : {7u, 9u, 11u}) {
            ASSERT_NE(read.Process(pid), nullptr) << pid;
            EXPECT_EQ(read.Process(pid)->Name, owners.Process(pid)->Name) << pid;
            EXPECT_EQ(read.Process(pid)->Path, owners.Process(pid)->Path) << pid;
            EXPECT_EQ(read.Process(pid)->StartTime, owners.Process(pid)->StartTime) << pid;
        }
    }
}

TEST(OwnerAnswer, AnythingButOneWholeAnswerIsRefused)
{
    const std::string head = "quorvex-owners 1 all\n";
    const std::string process = "p 7 100 name /bin/x\n";
    const std::pair<std::string, bool> cases[] = {
        {head + process + "s 500 7\nend\n", true},
        {head + "end\n", true},
        {"", false},
        {head, false},                                          // no end: the helper died midway
        {head + process + "s 500 7\n", false},                  // likewise
        {head + process + "s 500 7", false},                    // a cut-off line
        {head + "end\nend\n", false},                           // something after the end
        {"quorvex-owners 2 all\nend\n", false},                 // another version
        {"quorvex-owners 1 most\nend\n", false},
        {head + "s 500 7\nend\n", false},                       // a socket without its process
        {head + "s 500 7\n" + process + "end\n", false},        // processes come first
        {head + process + process + "end\n", false},            // one line per process
        {head + "p 7 100 name\nend\n", false},                  // a field missing
        {head + "p 7 100 na me /bin/x\nend\n", false},          // a field too many
        {head + "p 7  100 name /bin/x\nend\n", false},          // an empty field
        {head + "p -7 100 name /bin/x\nend\n", false},
        {head + "p 4294967296 100 name /bin/x\nend\n", false},  // beyond a PID
        {head + "p 7 100 name /bin/\\x2\nend\n", false},        // a short escape
        {head + "p 7 100 name /bin/\\y20\nend\n", false},
        {head + "p 7 100 name /bin/\\x4G\nend\n", false},
        {head + process + "s 500 7 1\nend\n", false},
        {head + process + "x 1\nend\n", false},
    };
    for (const auto &[text, whole] : cases) {
        OwnerTable owners;
        bool allVisible = false;
        EXPECT_EQ(ParseOwnerAnswer(text, owners, allVisible), whole) << text;
    }
}

// A folder under /tmp that the unprivileged side can enter and write in.
class SharedDir {
public:
    SharedDir()
    {
        char pattern[] = "/tmp/quorvex-helper-XXXXXX";
        if (::mkdtemp(pattern)) {
            m_path = pattern;
            ::chmod(pattern, 0755);
            if (::geteuid() == 0 && ::chown(pattern, kNobody, kNobody) != 0)
                m_path.clear();
        }
    }
    ~SharedDir()
    {
        if (!m_path.empty())
            fs::remove_all(m_path);
    }
    const std::string &Path() const { return m_path; }

private:
    std::string m_path;
};

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs `work` in a child process that has become the user nobody (no
// supplementary groups) and returns what it returned; "child failed" when
// the child could not switch or crashed.
std::string RunAsNobody(const std::function<std::string()> &work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
            || ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(3);
        const std::string result = work();
        const bool written = ::write(fds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        ::_exit(written ? 0 : 4);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof(buffer))) > 0;)
        result.append(buffer, static_cast<size_t>(got));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "child failed";
}

// A TCP listener on 127.0.0.1 and its socket inode.
struct Listener {
    Listener()
    {
        Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        struct stat st;
        if (Fd >= 0 && ::bind(Fd, reinterpret_cast<sockaddr *>(&address), size) == 0 && ::listen(Fd, 1) == 0
            && ::getsockname(Fd, reinterpret_cast<sockaddr *>(&address), &size) == 0 && ::fstat(Fd, &st) == 0) {
            Port = std::to_string(ntohs(address.sin_port));
            Inode = st.st_ino;
        }
    }
    ~Listener()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    int Fd = -1;
    std::string Port;
    uint64_t Inode = 0;
};

// The PID that a snapshot gives the TCP endpoint 127.0.0.1:port; "none"
// when it is not in the snapshot.
std::string SnapshotOwner(const TcpUdpTables &tables, const std::string &port)
{
    for (const File_Rec &rec : tables.TcpRecs) {
        if (rec.LocalIp == "127.0.0.1" && rec.LocalPort == port && rec.RemotePort == "0")
            return rec.Pid;
    }
    return "none";
}

// The helper as the package installs it, run by a user outside root: a copy
// of the built one, with the capabilities or without.
class HelperAsOrdinaryUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root: it sets file capabilities and switches to the user nobody";
        // A container may withhold them: file capabilities then give nothing.
        if (::prctl(PR_CAPBSET_READ, CAP_SYS_PTRACE) != 1 || ::prctl(PR_CAPBSET_READ, CAP_DAC_READ_SEARCH) != 1)
            GTEST_SKIP() << "the capability bounding set lacks CAP_SYS_PTRACE or CAP_DAC_READ_SEARCH";
        ASSERT_FALSE(m_dir.Path().empty());
        m_capable = m_dir.Path() + "/capable/quorvex-helper";
        m_plain = m_dir.Path() + "/plain/quorvex-helper";
        for (const std::string &copy : {m_capable, m_plain}) {
            fs::create_directories(fs::path(copy).parent_path());
            fs::copy_file(QUORVEX_HELPER_BINARY, copy);
            ::chmod(copy.c_str(), 0755);
        }
        const ChildResult setcap = RunChild({"/usr/sbin/setcap", "cap_dac_read_search,cap_sys_ptrace=ep", m_capable},
                                            {}, nullptr, std::chrono::milliseconds(0));
        if (!setcap.Started || setcap.ExitCode != 0)
            GTEST_SKIP() << "setcap is not available or this file system keeps no capabilities";
        ASSERT_FALSE(m_listener.Port.empty());
    }

    SharedDir m_dir;
    std::string m_capable, m_plain;
    Listener m_listener;  // held by root, the test itself
};

TEST_F(HelperAsOrdinaryUser, SeesTheOwnerOfAnotherUsersSocketOnlyWithItsCapabilities)
{
    const std::string self = fs::read_symlink("/proc/self/exe");
    const auto run = [](const std::string &helper, OwnerTable &owners, bool &allVisible) {
        std::string answer;
        const ChildResult result =
            RunChild({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", helper, "owners"}, {},
                     &answer, std::chrono::seconds(60));
        return result.ExitCode == 0 && ParseOwnerAnswer(answer, owners, allVisible);
    };
    OwnerTable owners;
    bool allVisible = false;
    ASSERT_TRUE(run(m_capable, owners, allVisible));
    EXPECT_TRUE(allVisible);
    EXPECT_EQ(owners.OwnerOf(m_listener.Inode), static_cast<uint32_t>(::getpid()));
    ASSERT_NE(owners.Process(::getpid()), nullptr);
    EXPECT_EQ(owners.Process(::getpid())->Path, self);

    OwnerTable plain;
    ASSERT_TRUE(run(m_plain, plain, allVisible));
    EXPECT_FALSE(allVisible);
    EXPECT_EQ(plain.OwnerOf(m_listener.Inode), 0u);
}

TEST_F(HelperAsOrdinaryUser, SnapshotsUseTheHelperWhenItSeesMoreAndTheirOwnScanOtherwise)
{
    const auto snapshot = [this](std::vector<std::string> helpers) {
        return RunAsNobody([this, helpers] {
            ::close(m_listener.Fd);  // the fork's copy: the listener stays root's alone
            Listener own;
            LinuxSnapshot snapshot(SnapshotSources{true, "/proc", helpers});
            TcpUdpTables tables;
            snapshot.Take(tables);
            return std::string(snapshot.SeesEveryOwner() ? "all" : "some") + " root:"
                   + SnapshotOwner(tables, m_listener.Port) + " own:"
                   + (SnapshotOwner(tables, own.Port) == std::to_string(::getpid()) ? "seen" : "missed");
        });
    };
    const std::string pid = std::to_string(::getpid());
    EXPECT_EQ(snapshot({m_dir.Path() + "/missing", m_capable}), "all root:" + pid + " own:seen");
    // Not there, or there without its capabilities: our own scan.
    EXPECT_EQ(snapshot({m_dir.Path() + "/missing"}), "some root:0 own:seen");
    EXPECT_EQ(snapshot({m_plain, m_capable}), "some root:0 own:seen");
}

// Ending another user's process goes through pkexec; a stand-in records what
// it was asked to run and answers as pkexec would.
TEST(EndProcessAsOrdinaryUser, AnotherUsersProcessGoesThroughPkexecAndOwnOnesDoNot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the process of another user is one of root's, ended by the user nobody";
    SharedDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string record = dir.Path() + "/pkexec-arguments";
    const std::string helper = dir.Path() + "/quorvex-helper";  // only needs to exist
    std::ofstream(helper) << "";
    const auto standIn = [&](int exitCode) {
        const std::string path = dir.Path() + "/pkexec-" + std::to_string(exitCode);
        std::ofstream(path) << "#!/bin/sh\necho \"$@\" >> " << record << "\nexit " << exitCode << "\n";
        ::chmod(path.c_str(), 0755);
        return path;
    };
    const pid_t sleeper = ::fork();
    if (sleeper == 0) {
        for (;;)
            ::pause();
    }
    ASSERT_GT(sleeper, 0);
    const uint64_t start = LinuxProcessStartTime(static_cast<uint32_t>(sleeper));

    const auto end = [&](const std::string &pkexec, uint64_t startTime, bool ownChild) {
        return RunAsNobody([&] {
            auto platform = CreateLinuxPlatform({{dir.Path() + "/missing", helper}, pkexec});
            if (!ownChild)
                return std::string(platform->TerminateProcess(static_cast<uint32_t>(sleeper), startTime) ? "ended" : "failed");
            const pid_t own = ::fork();
            if (own == 0) {
                for (;;)
                    ::pause();
            }
            const bool ended = platform->TerminateProcess(static_cast<uint32_t>(own), 0);
            int status = 0;
            ::waitpid(own, &status, 0);
            return std::string(ended && WIFSIGNALED(status) ? "ended" : "failed");
        });
    };
    const std::string asked = helper + " terminate " + std::to_string(sleeper) + " " + std::to_string(start) + "\n";
    struct Case {
        std::string pkexec;
        uint64_t startTime;
        bool ownChild;
        std::string result, recorded;
    };
    const Case cases[] = {
        {standIn(0), start, false, "ended", asked},
        {standIn(126), start, false, "failed", asked},  // the dialog was dismissed
        {standIn(127), start, false, "failed", asked},  // authentication failed
        {dir.Path() + "/no-pkexec", start, false, "failed", ""},
        {standIn(0), 0, false, "failed", ""},  // no start time to check: never as root
        {standIn(0), start, true, "ended", ""},  // one's own: at once
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pkexec + " start " + std::to_string(c.startTime) + (c.ownChild ? " own child" : ""));
        fs::remove(record);
        EXPECT_EQ(end(c.pkexec, c.startTime, c.ownChild), c.result);
        EXPECT_EQ(Slurp(record), c.recorded);
    }
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);
}

// What crosses to root for closing a connection: numbers only, in one form,
// read back exactly; anything else is refused.
TEST(CloseArguments, RoundTripAndRefusals)
{
    SocketToDestroy v6;
    v6.Family = AF_INET6;
    ::inet_pton(AF_INET6, "fe80::1", v6.Local);
    ::inet_pton(AF_INET6, "::1", v6.Remote);
    v6.LocalPort = 65535;
    v6.RemotePort = 1;
    v6.Interface = 3;
    v6.Cookie = 18446744073709551615u;
    SocketToDestroy v4;
    v4.Family = AF_INET;
    ::inet_pton(AF_INET, "127.0.0.1", v4.Local);
    ::inet_pton(AF_INET, "10.0.0.2", v4.Remote);
    v4.LocalPort = 80;
    v4.RemotePort = 40000;
    for (const SocketToDestroy &target : {v6, v4}) {
        const std::vector<std::string> arguments = CloseArguments(target);
        SocketToDestroy read;
        ASSERT_TRUE(ParseCloseArguments(arguments, read));
        EXPECT_EQ(CloseArguments(read), arguments);
        EXPECT_EQ(std::memcmp(read.Local, target.Local, 16), 0);
        EXPECT_EQ(read.Cookie, target.Cookie);
    }
    using Args = std::vector<std::string>;
    const Args refused[] = {
        {},
        {"4", "127.0.0.1", "80", "10.0.0.2", "40000", "0"},           // one short
        {"5", "127.0.0.1", "80", "10.0.0.2", "40000", "0", "0"},      // no such family
        {"4", "::1", "80", "10.0.0.2", "40000", "0", "0"},            // an IPv6 address as IPv4
        {"4", "127.0.0.1", "65536", "10.0.0.2", "40000", "0", "0"},   // beyond a port
        {"4", "127.0.0.1", "-1", "10.0.0.2", "40000", "0", "0"},
        {"4", "127.0.0.1", "80 ", "10.0.0.2", "40000", "0", "0"},
        {"4", "127.0.0.1", "80", "10.0.0.2", "40000", "0", "x"},
        {"6", "fe80::1%eth0", "80", "::1", "40000", "0", "0"},         // the scope goes by index
    };
    for (const Args &arguments : refused) {
        SocketToDestroy read;
        EXPECT_FALSE(ParseCloseArguments(arguments, read)) << ::testing::PrintToString(arguments);
    }
}

// Closing a connection this user may not close goes through pkexec; a
// stand-in records what it was asked to run and answers as pkexec and the
// helper would.
TEST(CloseAsAdministrator, PkexecRunsTheHelpersCloseModeAndItsAnswerDecides)
{
    SharedDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string record = dir.Path() + "/pkexec-arguments";
    const auto standIn = [&](int exitCode) {
        const std::string path = dir.Path() + "/pkexec-" + std::to_string(exitCode);
        std::ofstream(path) << "#!/bin/sh\necho \"$@\" >> " << record << "\nexit " << exitCode << "\n";
        ::chmod(path.c_str(), 0755);
        return path;
    };
    SocketToDestroy target;
    target.Family = AF_INET;
    ::inet_pton(AF_INET, "127.0.0.1", target.Local);
    ::inet_pton(AF_INET, "127.0.0.1", target.Remote);
    target.LocalPort = 5000;
    target.RemotePort = 6000;
    const std::string asked = "/h close 4 127.0.0.1 5000 127.0.0.1 6000 0 0\n";
    struct Case {
        std::string pkexec;
        CloseResult result;
        std::string recorded;
    };
    const Case cases[] = {
        {standIn(0), CloseResult::Closed, asked},
        {standIn(kHelperCloseGone), CloseResult::Gone, asked},
        {standIn(kHelperCloseNotPermitted), CloseResult::NotPermitted, asked},
        {standIn(126), CloseResult::NotPermitted, asked},  // the dialog was dismissed
        {standIn(127), CloseResult::NotPermitted, asked},  // authentication failed
        {standIn(kHelperCloseFailed), CloseResult::Failed, asked},
        {dir.Path() + "/no-pkexec", CloseResult::NotPermitted, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pkexec);
        fs::remove(record);
        EXPECT_EQ(CloseAsAdministrator(c.pkexec, "/h", target).Result, c.result);
        EXPECT_EQ(Slurp(record), c.recorded);
    }
}

}  // namespace
