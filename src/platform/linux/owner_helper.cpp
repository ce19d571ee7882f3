#include "platform/linux/owner_helper.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>

#include "platform/linux/child_process.h"
#include "platform/linux/owner_answer.h"

extern char **environ;

namespace quorvex {

namespace {

// A scan of a busy machine takes well under a second; a helper that takes
// this long is stuck, and the programs' own scan answers instead.
constexpr std::chrono::milliseconds kOwnersTimeout{20000};

}  // namespace

std::string FirstRunnableHelper(const std::vector<std::string> &candidates)
{
    for (const std::string &path : candidates) {
        struct stat st;
        if (!path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

std::string FirstInstalledHelper(const std::vector<std::string> &candidates)
{
    for (const std::string &path : candidates) {
        struct stat st;
        if (!path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            return path;
    }
    return {};
}

bool ReadOwnersThroughHelper(const std::string &helper, OwnerTable &owners, bool &allVisible)
{
    std::string answer;
    // The helper needs no environment, and a privileged program is better
    // given none.
    const ChildResult result = RunChild({helper, "owners"}, {}, &answer, kOwnersTimeout);
    OwnerTable read;
    if (!result.Started || result.TimedOut || result.ExitCode != 0 || !ParseOwnerAnswer(answer, read, allVisible))
        return false;
    owners = std::move(read);
    return true;
}

bool TerminateAsAdministrator(const std::string &pkexec, const std::string &helper, uint32_t pid,
                              uint64_t startTime)
{
    if (startTime == 0 || pkexec.empty() || helper.empty())
        return false;
    // pkexec finds the session's authentication agent itself; our
    // environment goes along for a text agent in a terminal.
    std::vector<std::string> environment;
    for (char **variable = environ; variable && *variable; ++variable)
        environment.emplace_back(*variable);
    const ChildResult result = RunChild({pkexec, helper, "terminate", std::to_string(pid), std::to_string(startTime)},
                                        environment, nullptr, std::chrono::milliseconds(0));
    // pkexec: 126 when the user dismissed the dialog, 127 when the
    // authentication failed or was not allowed; otherwise the helper's code.
    return result.Started && result.ExitCode == 0;
}

namespace {

template <typename Number>
bool ParseNumber(const std::string &text, Number &value)
{
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::vector<std::string> CloseArguments(const SocketToDestroy &target)
{
    const int family = target.Family == AF_INET6 ? AF_INET6 : AF_INET;
    char local[INET6_ADDRSTRLEN] = {};
    char remote[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(family, target.Local, local, sizeof(local));
    ::inet_ntop(family, target.Remote, remote, sizeof(remote));
    return {family == AF_INET6 ? "6" : "4",         local,
            std::to_string(target.LocalPort),        remote,
            std::to_string(target.RemotePort),       std::to_string(target.Interface),
            std::to_string(target.Cookie)};
}

bool ParseCloseArguments(const std::vector<std::string> &arguments, SocketToDestroy &target)
{
    if (arguments.size() != 7 || (arguments[0] != "4" && arguments[0] != "6"))
        return false;
    SocketToDestroy parsed;
    parsed.Family = arguments[0] == "6" ? AF_INET6 : AF_INET;
    if (::inet_pton(parsed.Family, arguments[1].c_str(), parsed.Local) != 1
        || ::inet_pton(parsed.Family, arguments[3].c_str(), parsed.Remote) != 1
        || !ParseNumber(arguments[2], parsed.LocalPort) || !ParseNumber(arguments[4], parsed.RemotePort)
        || !ParseNumber(arguments[5], parsed.Interface) || !ParseNumber(arguments[6], parsed.Cookie))
        return false;
    target = parsed;
    return true;
}

CloseOutcome CloseAsAdministrator(const std::string &pkexec, const std::string &helper,
                                  const SocketToDestroy &target)
{
    if (pkexec.empty() || helper.empty())
        return {CloseResult::NotPermitted, EPERM};
    std::vector<std::string> argv = {pkexec, helper, "close"};
    for (std::string &argument : CloseArguments(target))
        argv.push_back(std::move(argument));
    std::vector<std::string> environment;
    for (char **variable = environ; variable && *variable; ++variable)
        environment.emplace_back(*variable);
    const ChildResult result = RunChild(argv, environment, nullptr, std::chrono::milliseconds(0));
    if (!result.Started)
        return {CloseResult::NotPermitted, EPERM};
    switch (result.ExitCode) {
    case 0: return {CloseResult::Closed, 0};
    case kHelperCloseGone: return {CloseResult::Gone, ENOENT};
    // pkexec: 126 when the user dismissed the dialog, 127 when the
    // authentication failed or was not allowed.
    case kHelperCloseNotPermitted:
    case 126:
    case 127: return {CloseResult::NotPermitted, EPERM};
    default: return {CloseResult::Failed, 0};
    }
}

}  // namespace quorvex
