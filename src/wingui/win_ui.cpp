#include "wingui/win_ui.h"

#include <commctrl.h>

#include "wingui/win_text.h"

namespace quorvex::win {

namespace {

using GetDpiForWindowFn = UINT(WINAPI *)(HWND);

// Bound at run time: the call is missing before Windows 10.
GetDpiForWindowFn DpiForWindow()
{
    static const auto fn = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<GetDpiForWindowFn>(
                            reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")))
                      : nullptr;
    }();
    return fn;
}

constexpr UINT_PTR HotTrackingId = 1;
constexpr wchar_t HotProperty[] = L"QuorvexHot";

LRESULT CALLBACK HotTrackingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (!GetPropW(window, HotProperty)) {
            SetPropW(window, HotProperty, reinterpret_cast<HANDLE>(1));
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            InvalidateRect(window, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        RemovePropW(window, HotProperty);
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_NCDESTROY:
        RemovePropW(window, HotProperty);
        RemoveWindowSubclass(window, &HotTrackingProc, HotTrackingId);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

int WindowDpi(HWND window)
{
    if (const auto fn = DpiForWindow()) {
        if (const UINT dpi = fn(window))
            return static_cast<int>(dpi);
    }
    HDC dc = GetDC(window);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        ReleaseDC(window, dc);
    return dpi > 0 ? dpi : 96;
}

HFONT MakeFont(const char *face, int height, int dpi, bool bold, bool underline)
{
    LOGFONTW font{};
    font.lfHeight = -layout::Scale(height, dpi);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    const std::wstring name = WideFromUtf8(face);
    lstrcpynW(font.lfFaceName, name.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

SIZE TextExtent(HFONT font, const std::wstring &text)
{
    // A memory DC of its own: the screen's DC costs a call to the display
    // server each time.
    static HDC dc = CreateCompatibleDC(nullptr);
    SIZE size{0, 0};
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        size.cy = metrics.tmHeight;
    }
    SelectObject(dc, old);
    return size;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void EnableHotTracking(HWND button)
{
    SetWindowSubclass(button, &HotTrackingProc, HotTrackingId, 0);
}

void DrawHotButton(const DRAWITEMSTRUCT &item, COLORREF face, HFONT font)
{
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool focused = item.itemState & ODS_FOCUS;
    const bool disabled = item.itemState & ODS_DISABLED;
    const bool hot = GetPropW(item.hwndItem, HotProperty) != nullptr;

    HBRUSH faceBrush = CreateSolidBrush(face);
    FillRect(dc, &rect, faceBrush);
    DeleteObject(faceBrush);

    COLORREF frame = RGB(170, 170, 170);
    if (pressed || focused)
        frame = ColourRef(layout::ButtonHighlight);
    if (hot && !disabled)
        frame = ColourRef(layout::ButtonHotTrack);
    HBRUSH frameBrush = CreateSolidBrush(frame);
    FrameRect(dc, &rect, frameBrush);
    if (hot || pressed) {
        RECT inner = rect;
        InflateRect(&inner, -1, -1);
        FrameRect(dc, &inner, frameBrush);
    }
    DeleteObject(frameBrush);

    const std::wstring text = WindowText(item.hwndItem);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    if (pressed)
        OffsetRect(&rect, 1, 1);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

}  // namespace quorvex::win
