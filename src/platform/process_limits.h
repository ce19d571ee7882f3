#pragma once

namespace quorvex {

/// Raises this process's soft limit of open files to its hard limit. Called
/// by each program's main() before anything else: the usual soft limit
/// (1024) is far below what the kernel allows a process, and a busy
/// machine's snapshot should not be the first thing to run short. The
/// limit is passed on to processes started later. False when the limit
/// could not be read or raised; the program goes on with the limit it has.
/// Nothing to do on Windows, which has no such limit for handles.
bool RaiseOpenFileLimit();

}  // namespace quorvex
