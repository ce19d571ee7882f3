#pragma once

#include <functional>
#include <string>

#include "core/my_rec.h"

namespace quorvex {

class ConnectionList;
class Platform;
class Prompts;
class ShellActions;
struct RowMenuState;

// The row commands of the list's popup menu and the bottom bar. Each acts on
// the focused row as it is when the command starts; nullptr means the list
// has no focused row, and then every command does nothing.

/// The focused row of `list`, or nullptr (also for a row marked Leaving).
const TMyRec *FocusedRecord(const ConnectionList &list);

/// The clipboard report of a row: 14 lines in the system's encoding, each
/// ending in CR LF, framed by two lines of 23 horizontal bars.
std::string RowReportText(const TMyRec &rec);

/// What ending a process needs from the main window.
struct EndProcessContext {
    Prompts &prompts;
    Platform &platform;
    std::string sysDir;            // the system directory, upper-cased
    std::function<void()> refresh; // the refresh button's click operation
};

/// Ends the focused row's process. A row without a path is a system process
/// and is refused with a message; a path below the system directory asks
/// first (No is the default). The row's path, PID and start time are copied
/// at once: a refresh that runs while a question is open may delete the row.
/// A process that cannot be opened (gone, not ours, PID reused since the
/// snapshot) gets a message and no refresh; otherwise the list is refreshed
/// at once, without waiting for the process to be gone.
void EndProcess(const TMyRec *focused, const EndProcessContext &context);

/// The bottom-bar button: the end-process menu item's click, so it does
/// nothing while that item is disabled by the last menu request.
void EndProcessButton(const RowMenuState &menu, const TMyRec *focused, const EndProcessContext &context);

/// Shows the row's executable in the file manager, provided it still exists
/// as a file (a deleted executable or a directory: nothing happens).
void LocateFile(const TMyRec *focused, Platform &platform, ShellActions &shell);

/// The file manager's properties of the row's executable.
void ShowFileProperties(const TMyRec *focused, ShellActions &shell);

/// Whether the details dialog opens: a focused row with a path.
bool CanShowProcessInfo(const TMyRec *focused);

/// What the details dialog shows of a row, in the system's encoding: the
/// name, the description followed by two blanks, "PID:" and the ID, the
/// company followed by one blank, and the path.
struct ProcInfoTexts {
    std::string Exe;
    std::string ExeDes;
    std::string Pid;
    std::string Comp;
    std::string Path;
};
ProcInfoTexts MakeProcInfoTexts(const TMyRec &rec);

}  // namespace quorvex
