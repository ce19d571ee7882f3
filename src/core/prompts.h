#pragma once

#include <string>

namespace quorvex {

/// Every message box and question of the program goes through this, so that
/// tests can answer them without a modal loop. Texts are UTF-8: the fixed
/// texts as they are, anything from a record or an error message through
/// Utf8FromSystemText, so that a system whose code page lacks the Chinese
/// characters still shows them.
class Prompts {
public:
    virtual ~Prompts() = default;
    /// The plain message window: the text, one OK button, no icon, the
    /// application title as caption. Returns when the user closed it.
    virtual void ShowMessage(const std::string &text) = 0;
    /// A Yes/No question with the question icon and the application title as
    /// caption; `defaultNo` makes No the default button. True for Yes.
    virtual bool AskYesNo(const std::string &text, bool defaultNo) = 0;
    /// The application's error report: the application title, an error icon
    /// and OK. `text` is the error's message as raised; the report appends the
    /// full stop itself (ErrorReportText).
    virtual void ReportError(const std::string &text) = 0;
};

/// The text the error report shows: the message with a full stop appended
/// when its last byte sorts above ".".
std::string ErrorReportText(const std::string &message);

}  // namespace quorvex
