#include "platform/linux/terminate.h"

#include "core/text_file.h"
#include "platform/linux/proc_owner.h"

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

int PidfdOpen(uint32_t pid)
{
    return static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u));
}

int PidfdSendSignal(int pidfd, int signal)
{
    return static_cast<int>(syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0u));
}

}  // namespace

uint64_t LinuxProcessStartTime(uint32_t pid)
{
    std::string text;
    if (ReadTextFile("/proc/" + std::to_string(pid) + "/stat", text) != FileReadResult::Ok)
        return 0;
    ProcStatFields fields;
    return ParseProcStat(text, fields) ? fields.StartTime : 0;
}

bool TerminateLinuxProcess(uint32_t pid, uint64_t startTime)
{
    if (pid == 0 || pid > static_cast<uint32_t>(INT_MAX))
        return false;
    const int pidfd = PidfdOpen(pid);
    if (pidfd < 0)
        return false;
    // The pidfd now pins one process; the start time read after it tells
    // whether that is still the process the snapshot listed.
    bool opened = startTime == 0 || LinuxProcessStartTime(pid) == startTime;
    opened = opened && PidfdSendSignal(pidfd, 0) == 0;
    if (opened)
        PidfdSendSignal(pidfd, SIGKILL);
    close(pidfd);
    return opened;
}

}  // namespace quorvex
