#pragma once

#include <string>

#include <windows.h>

#include "core/shell_actions.h"

namespace quorvex {

/// The shell's handlers for the window, through the wide functions: paths
/// come in the ANSI code page, as records hold them. The calling thread must
/// have COM initialised (wWinMain does).
class WinShell : public ShellActions {
public:
    /// The owners of what the shell opens: web pages take the application
    /// window, the help file the main window. Set once both exist.
    void SetOwners(HWND application, HWND main);

    /// The shell's default verb (none given), owned by the application window.
    bool OpenUrl(const std::string &url) override;
    /// The "open" verb, owned by the main window.
    void OpenFile(const std::string &path) override;
    /// explorer.exe with the file selected.
    void ShowInFileManager(const std::string &path) override;
    /// The shell's property sheet of the file.
    void ShowProperties(const std::string &path) override;

private:
    HWND m_application = nullptr;
    HWND m_main = nullptr;
};

/// The parameters that ShowInFileManager hands to explorer.exe: the path in
/// quotation marks, since a comma in it would otherwise end the /select
/// argument and select another file.
std::wstring FileManagerSelectArguments(const std::wstring &path);

}  // namespace quorvex
