#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

class FilterView;

/// Typing into the list: searches every row shown, from the focused row on and
/// round to it again, for a row whose text in the focused column begins with
/// the typed text, in exact letter case (the cell texts of VTSGetText, byte
/// for byte). Characters typed less than PauseMs apart extend the search
/// text; after a longer pause they start a new one.
class IncrementalSearch {
public:
    static constexpr int64_t PauseMs = 200;

    /// `typed` (in the system's encoding) arrived at `timeMs`, milliseconds
    /// of a monotonic clock. Returns the row to select and focus, or -1 when
    /// no row matches, and then the selection stays. Empty input is ignored.
    int KeyTyped(const std::string &typed, int64_t timeMs, const FilterView &rows, int column);

private:
    std::string m_text;
    int64_t m_lastKeyMs = 0;
};

}  // namespace quorvex
