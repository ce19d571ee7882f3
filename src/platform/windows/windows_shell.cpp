#include "platform/windows/windows_shell.h"

#include <windows.h>
#include <shellapi.h>

namespace quorvex::win {

bool AnotherInstanceRunning(const char *mutexName)
{
    // The handle stays open until the process ends: that is what keeps a
    // second instance out.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName);
    return mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string FileManagerSelectArguments(const std::string &path)
{
    return "/select,\"" + path + "\"";
}

void ShowInFileManager(const std::string &path)
{
    const std::string arguments = FileManagerSelectArguments(path);
    ShellExecuteA(nullptr, "open", "explorer.exe ", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

void ShowFileProperties(const std::string &path)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = "properties";
    info.lpFile = path.c_str();
    info.nShow = SW_HIDE;
    ShellExecuteExA(&info);
}

void OpenWithShell(const std::string &target)
{
    ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quorvex::win

namespace quorvex {

void WindowsShell::OpenUrl(const std::string &url)
{
    win::OpenWithShell(url);
}

void WindowsShell::OpenFile(const std::string &path)
{
    win::OpenWithShell(path);
}

void WindowsShell::ShowInFileManager(const std::string &path)
{
    win::ShowInFileManager(path);
}

void WindowsShell::ShowProperties(const std::string &path)
{
    win::ShowFileProperties(path);
}

}  // namespace quorvex
