#include "platform/linux/terminate.h"

#include "core/text_file.h"
#include "platform/linux/proc_owner.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/syscall.h>
#include <unistd.h>

// Linux 5.1 gave every architecture the same numbers for these two calls.
#ifndef SYS_pidfd_send_signal
#define SYS_pidfd_send_signal 424
#endif
#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434
#endif

namespace quorvex {

namespace {

int g_pidfdOpenFailure = 0;

int PidfdOpen(uint32_t pid)
{
    if (g_pidfdOpenFailure != 0) {
        errno = g_pidfdOpenFailure;
        return -1;
    }
    return static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u));
}

int PidfdSendSignal(int pidfd, int signal)
{
    return static_cast<int>(syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0u));
}

// The answer of a probe with signal 0: may we signal the process at all?
TerminateOutcome ProbeOutcome(int probeResult)
{
    if (probeResult == 0)
        return TerminateOutcome::Ended;
    return errno == EPERM ? TerminateOutcome::NotPermitted : TerminateOutcome::Gone;
}

// Without a pidfd nothing pins the process: the start time is checked right
// before the kill, which leaves the PID a few microseconds to be reused.
TerminateOutcome TerminateWithoutPidfd(uint32_t pid, uint64_t startTime)
{
    if (startTime != 0 && LinuxProcessStartTime(pid) != startTime)
        return TerminateOutcome::Gone;
    const TerminateOutcome outcome = ProbeOutcome(kill(static_cast<pid_t>(pid), 0));
    if (outcome == TerminateOutcome::Ended)
        kill(static_cast<pid_t>(pid), SIGKILL);
    return outcome;
}

}  // namespace

void SetPidfdOpenFailure(int error)
{
    g_pidfdOpenFailure = error;
}

uint64_t LinuxProcessStartTime(uint32_t pid)
{
    std::string text;
    if (ReadTextFile("/proc/" + std::to_string(pid) + "/stat", text) != FileReadResult::Ok)
        return 0;
    ProcStatFields fields;
    return ParseProcStat(text, fields) ? fields.StartTime : 0;
}

TerminateOutcome TerminateLinuxProcess(uint32_t pid, uint64_t startTime)
{
    if (pid == 0 || pid > static_cast<uint32_t>(INT_MAX))
        return TerminateOutcome::Gone;
    const int pidfd = PidfdOpen(pid);
    // ENOSYS: a kernel before 5.3. EPERM: a sandbox (older container seccomp
    // profiles) that refuses calls it does not know; pidfd_open itself never
    // refuses for want of rights.
    if (pidfd < 0 && (errno == ENOSYS || errno == EPERM))
        return TerminateWithoutPidfd(pid, startTime);
    if (pidfd < 0)
        return TerminateOutcome::Gone;
    // The pidfd now pins one process; the start time read after it tells
    // whether that is still the process the snapshot listed.
    TerminateOutcome outcome = TerminateOutcome::Gone;
    if (startTime == 0 || LinuxProcessStartTime(pid) == startTime)
        outcome = ProbeOutcome(PidfdSendSignal(pidfd, 0));
    if (outcome == TerminateOutcome::Ended)
        PidfdSendSignal(pidfd, SIGKILL);
    close(pidfd);
    return outcome;
}

}  // namespace quorvex
