// quorvex-helper: the one part of OndriQuorvex that runs with privileges.
//
// The package installs it with the file capabilities CAP_DAC_READ_SEARCH
// and CAP_SYS_PTRACE, runnable only by root and the members of the group
// "quorvex". The window and quorvex-list run it to learn who owns the
// sockets of other users; pkexec runs it as root to end another user's
// process or to close a connection. It reads /proc and nothing else, takes no path, file or command
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
//   quorvex-helper close FAMILY LOCAL LPORT REMOTE RPORT INTERFACE COOKIE
//       Aborts one TCP connection (SOCK_DESTROY; the peer gets a reset):
//       FAMILY 4 or 6, the addresses in numeric form, ports, interface
//       index and socket cookie in decimal (0: none). Closing takes
//       CAP_NET_ADMIN, which only root, through pkexec, has here. Exit code
//       0 when closed, 1 when there is no such connection, 4 when not
//       permitted, 3 for any other failure.
//
// Any other arguments: a usage line on standard error and exit code 2.

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/owner_answer.h"
#include "platform/linux/owner_helper.h"
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

int Close(const std::vector<std::string> &arguments)
{
    quorvex::SocketToDestroy target;
    if (!quorvex::ParseCloseArguments(arguments, target))
        return 2;
    switch (quorvex::DestroySocket(target)) {
    case 0: return 0;
    case ENOENT: return quorvex::kHelperCloseGone;
    case EPERM:
    case EACCES: return quorvex::kHelperCloseNotPermitted;
    default: return quorvex::kHelperCloseFailed;
    }
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
    else if (mode == "close")
        result = Close(std::vector<std::string>(argv + 2, argv + argc));
    if (result == 2)
        std::fputs("usage: quorvex-helper owners | quorvex-helper terminate PID STARTTIME\n"
                   "       quorvex-helper close FAMILY LOCAL LPORT REMOTE RPORT INTERFACE COOKIE\n",
                   stderr);
    return result;
}
