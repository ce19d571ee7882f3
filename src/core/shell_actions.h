#pragma once

#include <string>

namespace quorvex {

/// What the desktop does for the program: open a file or address with its
/// default handler, show a file in the file manager, show a file's
/// properties. Paths and addresses are in the system's encoding. Results are
/// not examined by the callers, except where the window shows one (the mail
/// link takes its visited colour only when its address was handed over): on
/// a machine without a handler nothing happens and nothing is shown.
class ShellActions {
public:
    virtual ~ShellActions() = default;
    /// A web address or mailto: link, with the default handler. True when
    /// the desktop took it (Windows: ShellExecute gave more than 32).
    virtual bool OpenUrl(const std::string &url) = 0;
    /// A local file (the help page), with the default handler.
    virtual void OpenFile(const std::string &path) = 0;
    /// The file manager opens with the file selected.
    virtual void ShowInFileManager(const std::string &path) = 0;
    /// The file manager's properties of the file.
    virtual void ShowProperties(const std::string &path) = 0;
};

}  // namespace quorvex
