#pragma once

#include <string>

#include <windows.h>

#include "core/window_layout.h"

// Small pieces shared by the window and the dialog: the screen's density,
// fonts and colours from core's look, text extents, and the hot-tracking
// push buttons of both bars and the dialog.
namespace quorvex::win {

/// Dots per inch of the monitor `window` is on (96 where the system cannot
/// tell per window).
int WindowDpi(HWND window);

/// A font of `face` whose characters are `height` pixels high at 96 dpi,
/// scaled to `dpi`. The caller deletes it.
HFONT MakeFont(const char *face, int height, int dpi, bool bold = false, bool underline = false);

inline COLORREF ColourRef(layout::Rgb rgb)
{
    return RGB(rgb.R, rgb.G, rgb.B);
}

/// The size `text` takes on one line in `font`.
SIZE TextExtent(HFONT font, const std::wstring &text);

/// The window's text, whole.
std::wstring WindowText(HWND window);

/// Makes an owner-drawn push button (BS_OWNERDRAW) track the mouse, so that
/// DrawHotButton shows it hot while the mouse is over it.
void EnableHotTracking(HWND button);

/// Draws an owner-drawn push button: its face colour, a frame in the
/// hot-track colour while the mouse is over it and in the highlight colour
/// while it is pressed or has the focus, the text centred (grey while
/// disabled).
void DrawHotButton(const DRAWITEMSTRUCT &item, COLORREF face, HFONT font);

}  // namespace quorvex::win
