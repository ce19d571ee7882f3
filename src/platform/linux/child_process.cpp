#include "platform/linux/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace quorvex {

namespace {

class SpawnActions {
public:
    SpawnActions() { m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0; }
    ~SpawnActions()
    {
        if (m_ok)
            ::posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnActions(const SpawnActions &) = delete;
    SpawnActions &operator=(const SpawnActions &) = delete;
    bool Ok() const { return m_ok; }
    posix_spawn_file_actions_t *Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
    bool m_ok = false;
};

int WaitFor(pid_t child)
{
    int status = 0;
    pid_t got;
    do
        got = ::waitpid(child, &status, 0);
    while (got < 0 && errno == EINTR);
    if (got != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Reads `fd` to its end into `output`, or until the deadline (none when
// `timeout` is zero). False when the deadline came first.
bool ReadUntilEnd(int fd, std::string &output, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    char buffer[65536];
    for (;;) {
        int wait = -1;
        if (timeout.count() > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            wait = static_cast<int>(left.count());
        }
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, wait);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0)
            return false;
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return true;  // the end, or an error that ends it as well
        output.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace

ChildResult RunChild(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
                     std::string *output, std::chrono::milliseconds timeout)
{
    ChildResult result;
    if (argv.empty())
        return result;
    std::vector<char *> args, env;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    for (const std::string &variable : environment)
        env.push_back(const_cast<char *>(variable.c_str()));
    env.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    if (output && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;
    SpawnActions actions;
    bool prepared = actions.Ok()
                    && ::posix_spawn_file_actions_addopen(actions.Get(), 0, "/dev/null", O_RDONLY, 0) == 0;
    if (output)
        prepared = prepared && ::posix_spawn_file_actions_adddup2(actions.Get(), pipeFds[1], 1) == 0;
    else
        prepared = prepared && ::posix_spawn_file_actions_addopen(actions.Get(), 1, "/dev/null", O_WRONLY, 0) == 0;
    pid_t child = -1;
    const bool spawned = prepared && ::posix_spawn(&child, args[0], actions.Get(), nullptr, args.data(), env.data()) == 0;
    if (output)
        ::close(pipeFds[1]);
    if (!spawned) {
        if (output)
            ::close(pipeFds[0]);
        return result;
    }
    result.Started = true;
    if (output) {
        result.TimedOut = !ReadUntilEnd(pipeFds[0], *output, timeout);
        ::close(pipeFds[0]);
        if (result.TimedOut)
            ::kill(child, SIGKILL);
    }
    result.ExitCode = WaitFor(child);
    if (result.TimedOut)
        result.ExitCode = -1;
    return result;
}

}  // namespace quorvex
