#pragma once

#include <cstdint>

namespace quorvex {

/// What the latest refresh did to a row, while changes are highlighted
/// (the option HighlightChanges; ConnectionList::SetHighlightChanges).
/// Without that option every row is None.
enum class RowChange {
    None,
    /// Added by the latest refresh; drawn on AddedRowColour until the next.
    Added,
    /// Its endpoint is gone: the latest refresh would have deleted it. It
    /// stays for one more interval, drawn on LeavingRowColour, and the next
    /// refresh deletes it. It is not counted, claims no endpoint, and no
    /// command acts on it.
    Leaving,
};

/// A colour as red, green and blue, 0 to 255 each.
struct Rgb {
    uint8_t Red;
    uint8_t Green;
    uint8_t Blue;
};

/// The backgrounds of changed rows, in every front-end; the selected row's
/// own colour is drawn instead of them.
inline constexpr Rgb AddedRowColour{204, 255, 204};    // light green
inline constexpr Rgb LeavingRowColour{255, 210, 210};  // light red

}  // namespace quorvex
