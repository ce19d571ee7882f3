#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/proc_owner.h"

namespace quorvex {

// The programs' side of quorvex-helper, the small program that the package
// installs with CAP_SYS_PTRACE and CAP_DAC_READ_SEARCH, runnable only by
// the members of one group: the window and quorvex-list stay unprivileged
// and ask it for what only it may read.

// The first of `candidates` that this user may execute (the real user and
// group IDs decide, as for running it); empty when none.
std::string FirstRunnableHelper(const std::vector<std::string> &candidates);

// The first of `candidates` that exists as a regular file, runnable by us
// or not: what pkexec runs as root. Empty when none.
std::string FirstInstalledHelper(const std::vector<std::string> &candidates);

// Runs `helper owners` and reads its answer (owner_answer.h) into
// `owners`, with its view into `allVisible`. False, with `owners` left
// empty, when the helper cannot be run, ends with an error, does not
// answer within 20 s or gives no whole answer.
bool ReadOwnersThroughHelper(const std::string &helper, OwnerTable &owners, bool &allVisible);

// Ends a process of another user: `pkexec helper terminate PID STARTTIME`,
// which asks for an administrator's password (the program's polkit action
// keeps the answer for a few minutes) and runs the helper as root; the
// helper signals the process only while its start time is still
// `startTime`. Blocks until pkexec ends. True when the helper ended the
// process. False without a start time to check (0), without pkexec or the
// helper, when the authentication was refused or dismissed, and when the
// process was gone by then.
bool TerminateAsAdministrator(const std::string &pkexec, const std::string &helper, uint32_t pid,
                              uint64_t startTime);

}  // namespace quorvex
