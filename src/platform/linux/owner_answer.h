#pragma once

#include <string>
#include <string_view>

#include "platform/linux/proc_owner.h"

namespace quorvex {

// The answer of quorvex-helper's "owners" mode, written by the helper and
// read by the programs that run it. Text, one record a line, each line
// ending in '\n', fields separated by one space:
//
//   quorvex-owners 1 VIEW        first line: the format's name, its version
//                                (1), and VIEW "all" when the helper could
//                                read every process's fd table (it had root
//                                or both capabilities), else "some"
//   p PID STARTTIME NAME PATH    one per process that owns a socket:
//                                decimal PID, start time in clock ticks
//                                after boot (0: unknown), the process's name
//                                and executable path (see below)
//   s INODE PID                  one per socket inode with its owner's PID
//                                (the lowest, when several share it)
//   end                          last line: the answer is whole
//
// NAME and PATH may hold any byte: each byte below 0x21 (control
// characters and the space), a backslash and 0x7F is written as "\x" and
// two lower-case hex digits; an empty text is "-", and a text that is
// exactly "-" is written "\x2d". The "p" lines come before the "s" lines;
// every PID of an "s" line has its "p" line.

// The answer for `owners`; `allVisible` gives VIEW.
std::string FormatOwnerAnswer(const OwnerTable &owners, bool allVisible);

// Reads an answer into `owners` (added to what it holds) and its VIEW into
// `allVisible`. False when the text is not one whole answer of version 1:
// a missing header or "end", a malformed line, anything after "end", or a
// socket whose PID has no "p" line. On false `owners` may hold part of
// the answer and must not be used.
bool ParseOwnerAnswer(std::string_view text, OwnerTable &owners, bool &allVisible);

}  // namespace quorvex
