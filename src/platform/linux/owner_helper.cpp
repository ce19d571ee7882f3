#include "platform/linux/owner_helper.h"

#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace quorvex
