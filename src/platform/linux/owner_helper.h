#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform_port.h"
#include "platform/linux/proc_owner.h"
#include "platform/linux/sock_diag.h"

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

// quorvex-helper's exit codes for `close`, beside 0 for closed and 2 for a
// request it does not understand.
inline constexpr int kHelperCloseGone = 1;
inline constexpr int kHelperCloseFailed = 3;
inline constexpr int kHelperCloseNotPermitted = 4;

// The arguments after "close" that name a TCP socket to quorvex-helper,
// numbers only: family (4 or 6), local address, local port, remote address,
// remote port, interface index, socket cookie (0: none). The addresses in
// their numeric text form, so that nothing but numbers crosses to root.
std::vector<std::string> CloseArguments(const SocketToDestroy &target);
// The helper's side: false for anything that is not exactly that form.
bool ParseCloseArguments(const std::vector<std::string> &arguments, SocketToDestroy &target);

// Closes a connection this user may not close (SOCK_DESTROY takes
// CAP_NET_ADMIN): `pkexec helper close ...`, after an administrator's
// authentication. Blocks until pkexec ends. NotPermitted when pkexec or the
// helper is missing or the authentication was refused or dismissed; Gone
// when the helper found no such socket; Failed for anything else.
CloseOutcome CloseAsAdministrator(const std::string &pkexec, const std::string &helper,
                                  const SocketToDestroy &target);

}  // namespace quorvex
