#pragma once

#include <windows.h>

#include "core/prompts.h"

namespace quorvex {

/// The program's message boxes, owned by the application window and with
/// the application title as caption. While one is open the program's other
/// windows take no input, as under any modal box of the application.
class WinPrompts : public Prompts {
public:
    void SetOwner(HWND application) { m_owner = application; }

    void ShowMessage(const std::string &text) override;
    bool AskYesNo(const std::string &text, bool defaultNo) override;
    void ReportError(const std::string &text) override;

private:
    int Show(const std::string &text, UINT flags);

    HWND m_owner = nullptr;
};

}  // namespace quorvex
