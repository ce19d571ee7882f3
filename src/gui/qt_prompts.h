#pragma once

#include <QPointer>
#include <QWidget>

#include "core/prompts.h"

namespace quorvex {

/// Message boxes of the program, captioned with the application title. Each
/// runs a nested event loop, so the refresh timer keeps ticking while one
/// waits for the user.
class QtPrompts : public Prompts {
public:
    /// The window the boxes belong to; none until the main window exists.
    void SetOwner(QWidget *owner);

    void ShowMessage(const std::string &text) override;
    bool AskYesNo(const std::string &text, bool defaultNo) override;
    void ReportError(const std::string &text) override;

private:
    QPointer<QWidget> m_owner;
};

}  // namespace quorvex
