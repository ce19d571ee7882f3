#pragma once

#include <optional>

namespace quorvex {

enum class MouseButton { Left, Right, Other };
enum class ClickKind { Press, Release, DoubleClick };

/// What the list makes of one mouse event.
struct ClickAnswer {
    /// The row under the mouse becomes the selected and focused row, the
    /// column under the mouse the focused column.
    bool FocusRow = false;
    /// The row menu is asked for the row under the mouse (VTSGetPopupMenu).
    bool PopupMenu = false;
    /// A column click in the column under the mouse (VTSColumnClick).
    bool ColumnClick = false;
    /// A double click in the row area (VTSDblClick).
    bool DoubleClick = false;
};

/// The list's mouse behaviour, decided from where an event happened and
/// with which button; the front-end reports every press, release and double
/// click in the row area and carries out the answer in its fields' order.
///
/// A press of the left or the right button on a row selects it and makes it
/// the focused row (for the right button before the menu is asked for); a
/// press below the rows changes nothing, and no other button does anything.
/// The right button's release over a row asks for the menu of that row,
/// which becomes the focused row first if the mouse moved to it. The left
/// button pressed on a row and released over a row in the same column is a
/// column click. A double click of the left button anywhere in the row area
/// focuses the row under it, if any, and is reported as such.
/// The header's click: the left button pressed on a column and released over
/// the same column clicks that column; released anywhere else it clicks no
/// column (-1). A press on a divider (the start of a resize) and a press
/// whose drag moved the column click nothing.
class HeaderMouseRules {
public:
    /// The left button went down over `column`, or over a divider or no
    /// column (-1).
    void Press(int column);
    /// The left button went up over `column` (-1 outside the header's
    /// columns); `moved` when the press dragged its column elsewhere. The
    /// column of the click (-1 for none), or no click at all.
    std::optional<int> Release(int column, bool moved = false);

private:
    int m_pressed = -1;
};

class ListMouseRules {
public:
    /// `row` is the row under the mouse or -1 (below the last row); `column`
    /// the column under it or -1; `focusedRow` the list's focused row or -1.
    ClickAnswer Event(ClickKind kind, MouseButton button, int row, int column, int focusedRow);

private:
    int m_pressColumn = -1;  // column of the last left press on a row, -1 after anything else
};

}  // namespace quorvex
