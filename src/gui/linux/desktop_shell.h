#pragma once

#include "core/shell_actions.h"

namespace quorvex {

/// The desktop's handlers as Qt and the session bus reach them on Linux.
class DesktopShell : public ShellActions {
public:
    bool OpenUrl(const std::string &url) override;
    void OpenFile(const std::string &path) override;
    void ShowInFileManager(const std::string &path) override;
    void ShowProperties(const std::string &path) override;
};

}  // namespace quorvex
