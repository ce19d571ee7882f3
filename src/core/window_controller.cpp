#include "core/window_controller.h"

#include <ctime>

#include "core/columns.h"
#include "core/connection_list.h"
#include "core/fixed_texts.h"
#include "core/main_controller.h"
#include "core/process_commands.h"
#include "core/prompts.h"
#include "core/text_forms.h"

namespace quorvex {

WindowController::WindowController(ConnectionList &list, MainController &main, ListPort &port)
    : m_list(list), m_rows(list), m_main(main), m_port(port)
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
    m_main.Guard([this] { SyncFilter(); });
    --m_busy;
    ShowSelection();
}

void WindowController::ShowSelection()
{
    ++m_busy;
    m_port.ShowSelection(m_rows.SelectedRow(), m_rows.FocusedRow());
    --m_busy;
}

void WindowController::SyncFilter()
{
    m_rows.SetColumns(VisibleColumns(m_main.ShowInfo(), m_main.IsChecked(CheckBox::ShowTraffic)));
    if (!m_tools)
        return;
    FilterField field;
    field.visible = m_filterWanted;
    if (m_filterWanted && m_rows.Filtering())
        field.countText = FilterCountText(m_rows.CountedRowCount(), m_list.CountedRowCount());
    if (field == m_filterField)
        return;
    m_filterField = field;
    m_tools->ShowFilterField(field.visible, field.countText);
}

void WindowController::FilterKey()
{
    if (!m_tools)
        return;
    Run([this] {
        if (!m_filterWanted)
            m_rows.KeepSearchTexts(true);
        m_filterWanted = true;
    });
    m_tools->FocusFilterField();
}

void WindowController::FilterEdited(const std::string &text)
{
    if (!m_tools)
        return;
    Run([&] { m_rows.SetFilter(text); });
}

void WindowController::FilterEscape()
{
    if (!m_tools)
        return;
    Run([this] {
        m_filterWanted = false;
        m_rows.SetFilter({});
        m_rows.KeepSearchTexts(false);
    });
}

ExportTable WindowController::ShownTable() const
{
    ExportTable table;
    table.Columns = m_rows.Columns();
    for (int row = 0; row < m_rows.RowCount(); ++row)
        if (m_rows.Change(row) != RowChange::Leaving)
            table.Rows.push_back(&m_rows.Record(row));
    return table;
}

void WindowController::ExportList()
{
    if (!m_tools)
        return;
    Run([this] {
        std::string path;
        ExportFormat chosen = ExportFormat::Csv;
        if (!m_tools->AskExportFile(SystemText(texts::ExportFileName), path, chosen) || path.empty())
            return;
        // The dialog is modal and the timer refreshes behind it: the rows
        // are taken now, as they are shown when the user confirmed.
        const ExportTarget target = ResolveExportTarget(path, chosen);
        const std::string data = ExportText(target.Format, ShownTable(), ExportTimeText(std::time(nullptr)));
        std::string why;
        if (!m_writeExport || !m_writeExport(target.Path, data, why))
            m_main.UserPrompts().ShowMessage(ExportFailedText(target.Path, why));
    });
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
    m_rows.SetSelectedRow(selectedRow);
    m_rows.SetFocusedRow(focusedRow);
    --m_busy;
}

void WindowController::FocusCell(int row, int column)
{
    // A row number is checked against the list again: the list may have
    // changed since the widget counted its rows.
    if (row < 0 || row >= m_rows.RowCount())
        return;
    m_rows.SetSelectedRow(row);
    m_rows.SetFocusedRow(row);
    ++m_busy;
    m_port.FocusCell(row, column);
    --m_busy;
}

void WindowController::ListMouse(ClickKind kind, MouseButton button, int row, int column)
{
    Run([&] {
        const ClickAnswer answer = m_mouse.Event(kind, button, row, column, m_rows.FocusedRow());
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
        if (VTSGetPopupMenu(m_rows.FocusedRow()))
            OpenRowMenu(MenuPlace::OverFocusedRow);
    });
}

void WindowController::KeyTyped(const std::string &text, int64_t timeMs, int column)
{
    Run([&] {
        const int row = m_search.KeyTyped(text, timeMs, m_rows, column);
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

void WindowController::EnableItemsFor(int row)
{
    if (m_rows.Change(row) == RowChange::Leaving)
        m_main.MenuState().DisableRowItems();
    else
        m_main.MenuState().EnableRowItems(m_rows.Record(row));
}

bool WindowController::VTSGetPopupMenu(int row)
{
    if (row < 0 || row >= m_rows.RowCount())
        return false;
    EnableItemsFor(row);
    return true;
}

bool WindowController::VTSColumnClick(int column)
{
    const int focused = m_rows.FocusedRow();
    if (column != ColManage || focused < 0)
        return false;
    EnableItemsFor(focused);
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
    if (command == RowCommand::Export) {
        ExportList();
        return;
    }
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
        case RowCommand::Export: break;
        }
    });
}

}  // namespace quorvex
