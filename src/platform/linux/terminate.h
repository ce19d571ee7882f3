#pragma once

#include <cstdint>

namespace quorvex {

/// What became of a request to end a process.
enum class TerminateOutcome {
    Ended,         // it was opened and sent SIGKILL
    Gone,          // no such process, or the PID now names a newer one
    NotPermitted,  // it runs, but is not ours to signal
};

/// Ends process `pid` with SIGKILL, which it cannot catch or refuse, provided
/// it can be "opened": a pidfd can be had for it, its start time is still
/// `startTime` (clock ticks since boot, /proc/PID/stat field 22; 0 skips the
/// check) and we may signal it. Once opened, the kill's own result is not
/// examined and Ended comes back. On kernels without pidfd_open (before 5.3)
/// the same checks run right before a plain kill(2). Called by the window's
/// end-process command and by quorvex-helper's terminate mode.
TerminateOutcome TerminateLinuxProcess(uint32_t pid, uint64_t startTime);

/// For tests: makes pidfd_open fail with `error` (ENOSYS plays a kernel
/// before 5.3); 0 calls the kernel again.
void SetPidfdOpenFailure(int error);

/// The start time of `pid` in clock ticks since boot, /proc/PID/stat field
/// 22; 0 when the process is gone or the file cannot be read.
uint64_t LinuxProcessStartTime(uint32_t pid);

}  // namespace quorvex
