#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace quorvex {

// How a child program ended.
struct ChildResult {
    bool Started = false;   // false: it could not be started at all (no such file, not ours to run)
    bool TimedOut = false;  // it was still running at the time limit and was killed
    int ExitCode = -1;      // its exit status; -1 when a signal ended it
};

// Runs `argv` (argv[0] the program's path, not searched in PATH) with
// standard input from /dev/null and standard error shared with ours, and
// waits for it to end. `output`, when not null, receives its standard
// output; otherwise that is /dev/null too. With `output`, a `timeout`
// above zero bounds the wait: a child still running then is killed with
// SIGKILL. Without it the wait has no bound (a child that asks the user
// something). `environment` is the child's whole environment. Blocks the
// calling thread.
ChildResult RunChild(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
                     std::string *output, std::chrono::milliseconds timeout);

}  // namespace quorvex
