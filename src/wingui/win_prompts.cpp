#include "wingui/win_prompts.h"

#include <vector>

#include "core/fixed_texts.h"
#include "wingui/win_text.h"

namespace quorvex {

namespace {

// The box disables its owner only; the main window, which the owner owns,
// is disabled here as well, and every other enabled window of the thread.
class OtherWindowsDisabled {
public:
    explicit OtherWindowsDisabled(HWND owner) : m_owner(owner)
    {
        EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this));
    }
    ~OtherWindowsDisabled()
    {
        for (HWND window : m_disabled)
            EnableWindow(window, TRUE);
    }
    OtherWindowsDisabled(const OtherWindowsDisabled &) = delete;
    OtherWindowsDisabled &operator=(const OtherWindowsDisabled &) = delete;

private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self)
    {
        auto *me = reinterpret_cast<OtherWindowsDisabled *>(self);
        if (window != me->m_owner && IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            me->m_disabled.push_back(window);
        }
        return TRUE;
    }

    HWND m_owner;
    std::vector<HWND> m_disabled;
};

}  // namespace

int WinPrompts::Show(const std::string &text, UINT flags)
{
    const std::wstring message = win::WideFromUtf8(text);
    const std::wstring title = win::WideFromUtf8(texts::ApplicationTitle);
    const OtherWindowsDisabled others(m_owner);
    return MessageBoxW(m_owner, message.c_str(), title.c_str(), flags);
}

void WinPrompts::ShowMessage(const std::string &text)
{
    Show(text, MB_OK);
}

bool WinPrompts::AskYesNo(const std::string &text, bool defaultNo)
{
    return Show(text, MB_YESNO | MB_ICONQUESTION | (defaultNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1)) == IDYES;
}

void WinPrompts::ReportError(const std::string &text)
{
    Show(ErrorReportText(text), MB_OK | MB_ICONERROR);
}

}  // namespace quorvex
