#pragma once

#include <string>

#include "core/shell_actions.h"

// What the Windows desktop does for the GUI: the single-instance test and the
// shell's handlers. Texts are in the ANSI code page, as records hold them.
// The shell calls expect the calling thread to have COM initialised (the Qt
// GUI thread has); their results are not examined.
namespace quorvex::win {

// The name of the mutex that marks a running instance; it lives in the
// current logon's namespace, so other logons do not see it.
inline constexpr const char *kInstanceMutexName = "OndriQuorvex";

// Creates the named mutex (not initially owned) and keeps it open for the rest
// of the run. True when another process already holds a mutex of that name
// (ERROR_ALREADY_EXISTS, 183); a failed creation counts as no other instance.
bool AnotherInstanceRunning(const char *mutexName = kInstanceMutexName);

// The file manager opens with `path` selected. The path is quoted: unquoted,
// a comma in it would end the /select argument and select another file.
void ShowInFileManager(const std::string &path);
// The parameters that ShowInFileManager hands to explorer.exe.
std::string FileManagerSelectArguments(const std::string &path);

// The shell's property sheet of the file `path` (the bare path: a trailing
// backslash would make it a folder's name).
void ShowFileProperties(const std::string &path);

// A web address, mailto: link or document, with its default handler.
void OpenWithShell(const std::string &target);

}  // namespace quorvex::win

namespace quorvex {

/// The GUI's shell actions on Windows.
class WindowsShell : public ShellActions {
public:
    void OpenUrl(const std::string &url) override;
    void OpenFile(const std::string &path) override;
    void ShowInFileManager(const std::string &path) override;
    void ShowProperties(const std::string &path) override;
};

}  // namespace quorvex
