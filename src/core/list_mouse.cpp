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

}  // namespace quorvex
