#include "wingui/win_shell.h"

#include <shellapi.h>

#include "wingui/win_text.h"

namespace quorvex {

namespace {

// ShellExecute's result is an HINSTANCE for old programs' sake; above 32
// means the shell took the request.
bool Succeeded(HINSTANCE result)
{
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

void WinShell::SetOwners(HWND application, HWND main)
{
    m_application = application;
    m_main = main;
}

bool WinShell::OpenUrl(const std::string &url)
{
    const std::wstring target = win::WideFromAnsi(url);
    return Succeeded(ShellExecuteW(m_application, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

void WinShell::OpenFile(const std::string &path)
{
    const std::wstring target = win::WideFromAnsi(path);
    ShellExecuteW(m_main, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring FileManagerSelectArguments(const std::wstring &path)
{
    return L"/select,\"" + path + L"\"";
}

void WinShell::ShowInFileManager(const std::string &path)
{
    const std::wstring arguments = FileManagerSelectArguments(win::WideFromAnsi(path));
    ShellExecuteW(nullptr, L"open", L"explorer.exe ", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

void WinShell::ShowProperties(const std::string &path)
{
    // The bare path: with a trailing backslash the shell would take it for
    // a folder's name.
    const std::wstring file = win::WideFromAnsi(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = L"properties";
    info.lpFile = file.c_str();
    info.nShow = SW_HIDE;
    ShellExecuteExW(&info);
}

}  // namespace quorvex
