#include "core/window_controller.h"

#include "core/columns.h"
#include "core/connection_list.h"
#include "core/main_controller.h"
#include "core/process_commands.h"

namespace quorvex {

WindowController::WindowController(ConnectionList &list, MainController &main, ListPort &port)
    : m_list(list), m_main(main), m_port(port)
{
}

const RowMenuState &WindowController::MenuState() const
{
    return m_main.MenuState();
}

void WindowController::Run(const std::function<void()> &handler)
{
    ++m_busy;
    m_main.Guard(handler);
    --m_busy;
    ShowSelection();
}

void WindowController::ShowSelection()
{
    ++m_busy;
    m_port.ShowSelection(m_list.SelectedRow(), m_list.FocusedRow());
    --m_busy;
}

void WindowController::ListSelectionChanged()
{
    if (m_busy == 0)
        ShowSelection();
}

void WindowController::UserSelectionChanged(int selectedRow, int focusedRow)
{
    if (m_busy > 0)
        return;
    ++m_busy;
    m_list.SetSelectedRow(selectedRow);
    m_list.SetFocusedRow(focusedRow);
    --m_busy;
}

void WindowController::FocusCell(int row, int column)
{
    // A row number is checked against the list again: the list may have
    // changed since the widget counted its rows.
    if (row < 0 || row >= m_list.RowCount())
        return;
    m_list.SetSelectedRow(row);
    m_list.SetFocusedRow(row);
    ++m_busy;
    m_port.FocusCell(row, column);
    --m_busy;
}

void WindowController::ListMouse(ClickKind kind, MouseButton button, int row, int column)
{
    Run([&] {
        const ClickAnswer answer = m_mouse.Event(kind, button, row, column, m_list.FocusedRow());
        if (answer.FocusRow)
            FocusCell(row, column);
        if (answer.PopupMenu && VTSGetPopupMenu(row))
            OpenRowMenu(MenuPlace::AtClick);
        if (answer.ColumnClick && VTSColumnClick(column))
            OpenRowMenu(MenuPlace::AtCursor);
        if (answer.DoubleClick)
            VTSDblClick();
    });
}

void WindowController::MenuKey()
{
    Run([&] {
        if (VTSGetPopupMenu(m_list.FocusedRow()))
            OpenRowMenu(MenuPlace::OverFocusedRow);
    });
}

void WindowController::KeyTyped(const std::string &text, int64_t timeMs, int column)
{
    Run([&] {
        const int row = m_search.KeyTyped(text, timeMs, m_list, column);
        if (row >= 0)
            FocusCell(row, column);
    });
}

void WindowController::HeaderClick(int column)
{
    // The glyph follows every click, also one that moves no row (column -1,
    // or rows already in order).
    Run([&] { m_list.HeaderClick(column); });
    m_port.ShowSort(m_list.SortColumn(), m_list.Direction());
}

bool WindowController::VTSGetPopupMenu(int row)
{
    if (row < 0 || row >= m_list.RowCount())
        return false;
    m_main.MenuState().EnableRowItems(m_list.Record(row));
    return true;
}

bool WindowController::VTSColumnClick(int column)
{
    const TMyRec *focused = FocusedRecord(m_list);
    if (column != ColManage || !focused)
        return false;
    m_main.MenuState().EnableRowItems(*focused);
    return true;
}

void WindowController::VTSDblClick()
{
    ChooseRowCommand(RowCommand::ProcInfo);
}

void WindowController::OpenRowMenu(MenuPlace place)
{
    // The timer keeps refreshing while the menu is open; see ChooseRowCommand.
    const std::optional<uint64_t> outer = m_menuRow;
    const int focused = m_list.FocusedRow();
    m_menuRow = focused >= 0 ? std::optional<uint64_t>(m_list.RowId(focused)) : std::nullopt;
    m_port.OpenRowMenu(place);
    m_menuRow = outer;
}

bool WindowController::MenuRowStillFocused() const
{
    if (!m_menuRow)
        return true;
    const int focused = m_list.FocusedRow();
    return focused >= 0 && m_list.RowId(focused) == *m_menuRow;
}

void WindowController::ChooseRowCommand(RowCommand command)
{
    if (!MenuRowStillFocused() || !m_main.MenuState().Enabled(command))
        return;
    Run([&] {
        switch (command) {
        case RowCommand::ProcInfo: m_main.NProcInfoClick(); break;
        case RowCommand::EndProc: m_main.NEndProcClick(); break;
        case RowCommand::Copy: m_main.NCopyClick(); break;
        case RowCommand::Locate: m_main.NLocateClick(); break;
        case RowCommand::Property: m_main.NPropertyClick(); break;
        case RowCommand::CloseConnection: m_main.NCloseConnectionClick(); break;
        }
    });
}

}  // namespace quorvex
