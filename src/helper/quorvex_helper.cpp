// quorvex-helper: the one part of OndriQuorvex that runs with privileges.
//
// The package installs it with the file capabilities CAP_DAC_READ_SEARCH
// and CAP_SYS_PTRACE, runnable only by root and the members of the group
// "quorvex". The window and quorvex-list run it to learn who owns the
// sockets of other users; pkexec runs it as root to end another user's
// process. It reads /proc and nothing else, takes no path, file or command
// from its caller, and writes its answer to standard output.
//
//   quorvex-helper owners
//       Every socket inode with the PID of its owner, and each owner's
//       name, executable path and start time, in the text form described
//       in platform/linux/owner_answer.h. Exit code 0.
//   quorvex-helper terminate PID STARTTIME
//       Ends process PID with SIGKILL, provided its start time (clock ticks
//       after boot, /proc/PID/stat field 22) is still STARTTIME, so that a
//       PID reused since the caller looked is left alone. Nothing on
//       standard output. Exit code 0 when it was ended, 1 when it was gone,
//       had another start time, was PID 1 or was not ours to signal (the
//       capabilities above do not include the right to signal: only root,
//       through pkexec, ends other users' processes).
//
// Any other arguments: a usage line on standard error and exit code 2.

#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/linux/owner_answer.h"
#include "platform/linux/proc_owner.h"
#include "platform/linux/terminate.h"

namespace {

// Decimal digits only, within the type, not zero.
template <typename Number>
bool ParsePositive(std::string_view text, Number &value)
{
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value != 0;
}

bool WriteAll(const std::string &text)
{
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t got = ::write(STDOUT_FILENO, text.data() + written, text.size() - written);
        if (got <= 0)
            return false;
        written += static_cast<size_t>(got);
    }
    return true;
}

int Owners()
{
    quorvex::OwnerTable owners;
    owners.Scan("/proc");
    return WriteAll(quorvex::FormatOwnerAnswer(owners, quorvex::HasOwnerCapabilities())) ? 0 : 1;
}

int Terminate(std::string_view pidText, std::string_view startText)
{
    uint32_t pid = 0;
    uint64_t startTime = 0;
    if (!ParsePositive(pidText, pid) || !ParsePositive(startText, startTime))
        return 2;
    // Init ignores the signal anyway; a request for it is a mistake.
    if (pid == 1)
        return 1;
    return quorvex::TerminateLinuxProcess(pid, startTime) == quorvex::TerminateOutcome::Ended ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv)
{
    const std::string_view mode = argc > 1 ? argv[1] : "";
    int result = 2;
    if (argc == 2 && mode == "owners")
        result = Owners();
    else if (argc == 4 && mode == "terminate")
        result = Terminate(argv[2], argv[3]);
    if (result == 2)
        std::fputs("usage: quorvex-helper owners | quorvex-helper terminate PID STARTTIME\n", stderr);
    return result;
}
