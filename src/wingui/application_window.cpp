#include "wingui/application_window.h"

#include "core/fixed_texts.h"
#include "wingui/resource_ids.h"
#include "wingui/win_text.h"

namespace quorvex {

namespace {

constexpr wchar_t WindowClass[] = L"QuorvexApplication";
constexpr UINT ActivateOwned = WM_APP + 1;

}  // namespace

ApplicationWindow::~ApplicationWindow()
{
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
}

bool ApplicationWindow::Create()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUORVEX));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WindowClass;
    RegisterClassExW(&wc);
    // Visible, so that it has a taskbar button, but without a size.
    const std::wstring title = win::WideFromUtf8(texts::ApplicationTitle);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    m_hwnd = CreateWindowExW(0, WindowClass, title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                             0, 0, nullptr, nullptr, instance, nullptr);
    if (!m_hwnd)
        return false;
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    return true;
}

LRESULT CALLBACK ApplicationWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        // Activation from outside belongs to the window the user last used.
        if (LOWORD(wParam) != WA_INACTIVE)
            PostMessageW(window, ActivateOwned, 0, 0);
        return 0;
    case ActivateOwned: {
        HWND target = GetLastActivePopup(window);
        if (target && target != window && IsWindowVisible(target) && IsWindowEnabled(target))
            SetForegroundWindow(target);
        return 0;
    }
    case WM_SYSCOMMAND:
        // The taskbar button's Close closes the main window, with its question.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            HWND target = GetLastActivePopup(window);
            if (target && target != window)
                PostMessageW(target, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace quorvex
