// The snapshot under a small open-file limit: the owner scan must hold a
// bounded number of descriptors however many processes there are. The case
// runs in a child process of its own, whose limit the test lowers.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/linux_snapshot.h"

using namespace quorvex;

namespace {

// Runs `body` in a forked child and returns what it returned: empty for
// success, else what went wrong. GoogleTest's checks do not reach the parent
// from there, so the child speaks through a pipe.
std::string RunInChild(const std::function<std::string()> &body)
{
    int result[2];
    if (::pipe(result) != 0)
        return "pipe";
    const pid_t child = ::fork();
    if (child < 0)
        return "fork";
    if (child == 0) {
        ::close(result[0]);
        std::string message;
        try {
            message = body();
        } catch (const std::exception &error) {
            message = std::string("exception: ") + error.what();
        }
        if (!message.empty() && ::write(result[1], message.data(), message.size()) < 0)
            ::_exit(2);
        ::_exit(message.empty() ? 0 : 1);
    }
    ::close(result[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = ::read(result[0], buffer, sizeof(buffer))) > 0;)
        message.append(buffer, static_cast<size_t>(got));
    ::close(result[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (message.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        message = "child ended with status " + std::to_string(status);
    return message;
}

bool SetOpenFileLimit(rlim_t limit)
{
    const rlimit value{limit, limit};
    return ::setrlimit(RLIMIT_NOFILE, &value) == 0;
}

// What one helper process reports about the socket it owns.
struct Owned {
    int32_t Pid;
    int32_t Tcp;
    uint16_t Port;
};

// A process that binds one socket on 127.0.0.1 (a TCP listener or a UDP
// socket), reports it and waits until `release` reaches its end.
void OwnOneSocket(bool tcp, int report, int release)
{
    Owned owned{static_cast<int32_t>(::getpid()), tcp, 0};
    const int fd = ::socket(AF_INET, tcp ? SOCK_STREAM : SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0
        && (!tcp || ::listen(fd, 1) == 0)
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        owned.Port = ntohs(address.sin_port);
    if (::write(report, &owned, sizeof(owned)) != sizeof(owned))
        ::_exit(1);
    ::close(report);
    char byte;
    while (::read(release, &byte, 1) > 0) {
    }
    ::_exit(0);
}

std::string FindEveryOwner(int processes)
{
    if (!SetOpenFileLimit(64))
        return "cannot lower the limit";
    int report[2], release[2];
    if (::pipe(report) != 0 || ::pipe(release) != 0)
        return "pipe";
    std::vector<pid_t> helpers;
    for (int i = 0; i < processes; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(report[0]);
            ::close(release[1]);
            OwnOneSocket(i % 2 == 0, report[1], release[0]);
        }
        if (pid < 0)
            break;
        helpers.push_back(pid);
    }
    ::close(report[1]);
    ::close(release[0]);
    std::vector<Owned> owned;
    Owned one;
    while (owned.size() < helpers.size() && ::read(report[0], &one, sizeof(one)) == sizeof(one))
        owned.push_back(one);

    std::string problems;
    if (static_cast<int>(owned.size()) != processes)
        problems = "only " + std::to_string(owned.size()) + " helpers; ";
    TcpUdpTables tables;
    LinuxSnapshot().Take(tables);
    int missing = 0;
    for (const Owned &o : owned) {
        const auto &recs = o.Tcp ? tables.TcpRecs : tables.UdpRecs;
        bool found = false;
        for (const File_Rec &rec : recs) {
            if (rec.LocalIp == "127.0.0.1" && rec.LocalPort == std::to_string(o.Port)
                && (!o.Tcp || rec.State == 2)) {
                found = rec.Pid == std::to_string(o.Pid) && !rec.ProcessName.empty();
                break;
            }
        }
        if (o.Port == 0 || !found)
            ++missing;
    }
    if (missing != 0)
        problems += std::to_string(missing) + " of " + std::to_string(owned.size()) + " sockets without their owner";

    ::close(release[1]);
    ::close(report[0]);
    for (pid_t pid : helpers)
        ::waitpid(pid, nullptr, 0);
    return problems;
}

}  // namespace

TEST(OpenFileLimit, ScanFindsEveryOwnerUnderALowLimit)
{
    EXPECT_EQ(RunInChild([] { return FindEveryOwner(300); }), "");
}
