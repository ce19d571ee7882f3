#include "core/list_mouse.h"

namespace quorvex {

ClickAnswer ListMouseRules::Event(ClickKind kind, MouseButton button, int row, int column, int focusedRow)
{
    ClickAnswer answer;
    const bool onRow = row >= 0;
    const int pressColumn = m_pressColumn;
    m_pressColumn = -1;
    switch (kind) {
    case ClickKind::Press:
        if (button == MouseButton::Other || !onRow)
            break;
        answer.FocusRow = true;
        if (button == MouseButton::Left)
            m_pressColumn = column;
        break;
    case ClickKind::Release:
        if (button == MouseButton::Right && onRow) {
            answer.FocusRow = row != focusedRow;
            answer.PopupMenu = true;
        } else if (button == MouseButton::Left && onRow && pressColumn >= 0 && column == pressColumn) {
            answer.ColumnClick = true;
        }
        break;
    case ClickKind::DoubleClick:
        if (button != MouseButton::Left)
            break;
        answer.FocusRow = onRow;
        answer.DoubleClick = true;
        break;
    }
    return answer;
}

void HeaderMouseRules::Press(int column)
{
    m_pressed = column;
}

std::optional<int> HeaderMouseRules::Release(int column, bool moved)
{
    const int pressed = m_pressed;
    m_pressed = -1;
    if (pressed < 0 || moved)
        return std::nullopt;
    return column == pressed ? pressed : -1;
}

}  // namespace quorvex
