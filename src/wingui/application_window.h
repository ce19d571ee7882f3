#pragma once

#include <windows.h>

namespace quorvex {

/// The application's own top-level window: never seen itself (no size), it
/// owns the main window and the message boxes, and carries the program's
/// taskbar button with the application title. Activating it (the taskbar,
/// Alt+Tab) passes the activation on to the window the user last used, and
/// minimising the main window minimises it, which hides what it owns.
class ApplicationWindow {
public:
    ApplicationWindow() = default;
    ~ApplicationWindow();
    ApplicationWindow(const ApplicationWindow &) = delete;
    ApplicationWindow &operator=(const ApplicationWindow &) = delete;

    /// False when Windows refused the window.
    bool Create();
    HWND Handle() const { return m_hwnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
};

}  // namespace quorvex
