#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/filter_view.h"
#include "core/incremental_search.h"
#include "core/list_mouse.h"
#include "core/list_tools_port.h"
#include "core/row_menu_state.h"
#include "core/row_order.h"

namespace quorvex {

class ConnectionList;
class MainController;

/// Where the row menu opens: at the right click, at the mouse cursor (a
/// click in the manage column), or over the focused row (the keyboard's menu
/// key).
enum class MenuPlace { AtClick, AtCursor, OverFocusedRow };

/// What the window controller asks of the front-end's list widget and row
/// menu. Implemented by each front-end's main window; none of these calls
/// the controller back, and selection reports the widget makes while it
/// carries them out are ignored.
class ListPort {
public:
    virtual ~ListPort() = default;
    /// Shows the list's selected row (-1: none) and focused row (-1: none),
    /// keeping the widget's focused column. Called after every event the
    /// controller handled, and when the list's selection changed outside one.
    virtual void ShowSelection(int selectedRow, int focusedRow) = 0;
    /// The row, already selected and focused in the list, becomes so in the
    /// widget with `column` as its focused column, and is scrolled into view.
    virtual void FocusCell(int row, int column) = 0;
    /// Opens the row menu at `place`, its items enabled as the controller's
    /// MenuState() says, and returns when it has closed. An item the user
    /// chose comes back through ChooseRowCommand before this returns.
    virtual void OpenRowMenu(MenuPlace place) = 0;
    /// Shows the sort column (-1: no sort glyph) and direction in the header.
    virtual void ShowSort(int column, SortDirection direction) = 0;
};

/// The window's rules for what the user does to the list, shared by every
/// front-end: a front-end reports events (mouse, keys typed, the menu key,
/// header clicks, menu items chosen, selection changed by the user, the
/// filter field's keys and edits, the export) and carries out the answers
/// through ListPort and ListToolsPort. Every event runs behind the
/// MainController's error guard, and afterwards the widget is shown the
/// list's selection.
///
/// The widget shows Rows(), the list as the filter lets it through; every
/// row number here and in ListPort is a place among those rows.
class WindowController {
public:
    WindowController(ConnectionList &list, MainController &main, ListPort &port);

    /// The rows the widget shows; the widget follows its notices (not the
    /// list's) and asks it for texts and for each row's RowChange.
    FilterView &Rows() { return m_rows; }
    const FilterView &Rows() const { return m_rows; }

    /// The front-end's filter field and save dialog; without them the
    /// filter and the export do nothing.
    void SetToolsPort(ListToolsPort *tools) { m_tools = tools; }
    /// How an export is written (the platform's WriteFileAtomically).
    void SetExportWriter(ExportWriter writer) { m_writeExport = std::move(writer); }

    /// Ctrl+F: shows the filter field and gives it the keyboard focus.
    void FilterKey();
    /// The user changed the filter field's text (system encoding): the
    /// list shows the rows that contain it (FilterView).
    void FilterEdited(const std::string &text);
    /// Escape in the filter field: the filter text is cleared, the field
    /// hidden, and the list shows every row again.
    void FilterEscape();
    bool FilterFieldShown() const { return m_filterField.visible; }
    /// Ctrl+S and the row menu's "导出列表…": asks for a file
    /// (ListToolsPort::AskExportFile) and saves the rows shown that count,
    /// in their order, with the visible columns, in the form the file's name
    /// or type asks for (ResolveExportTarget). A failed write is told in the
    /// plain message window, naming the file and the reason.
    void ExportList();

    /// The one way in for a front-end's event handler (buttons, boxes, the
    /// timer as well): runs `handler` behind MainController::Guard. While it
    /// runs, the widget's selection reports are not fed back to the list
    /// (the list itself is changing); afterwards the list's selection is
    /// shown, also after a handler that ran inside another one's modal loop.
    void Run(const std::function<void()> &handler);

    /// A mouse event in the row area: `row` under the mouse or -1 below the
    /// last row, `column` under it or -1 (ListMouseRules).
    void ListMouse(ClickKind kind, MouseButton button, int row, int column);
    /// The keyboard's menu key: the menu of the focused row, over it.
    void MenuKey();
    /// Text typed into the list at `timeMs` (a monotonic clock), in the
    /// system's encoding; `column` is the widget's focused column.
    void KeyTyped(const std::string &text, int64_t timeMs, int column);
    /// A click on the header, with the column it was released over or -1.
    void HeaderClick(int column);
    /// An item of the row menu was chosen (or the double click invoked one).
    /// It acts only while enabled, and, while the menu is open, only if the
    /// row the menu was opened for is still the focused row: a refresh that
    /// runs behind the menu may delete that row and focus the first row, and
    /// the command must not act on a row the user never chose. The export
    /// acts on the list and always runs.
    void ChooseRowCommand(RowCommand command);

    /// The user changed the widget's selection or focused row (-1: none).
    void UserSelectionChanged(int selectedRow, int focusedRow);
    /// The list told its observer that its selection changed.
    void ListSelectionChanged();
    /// Shows the list's selection in the widget now (the front-end's
    /// repaint of the list does this).
    void ShowSelection();

    /// Asked when a row's popup menu is wanted: no row (-1), no menu;
    /// otherwise the items follow the row (a Leaving row's are all
    /// disabled) and true says to open the menu.
    bool VTSGetPopupMenu(int row);
    /// After a column click: for the manage column and a focused row, the
    /// items follow that row and true says to open the menu at the cursor.
    bool VTSColumnClick(int column);
    /// After a double click: invokes the process-information item, which
    /// acts only while enabled; the items are not set for the row first.
    void VTSDblClick();

    const RowMenuState &MenuState() const;

private:
    struct FilterField {
        bool visible = false;
        std::string countText;
        bool operator==(const FilterField &) const = default;
    };

    void FocusCell(int row, int column);
    void OpenRowMenu(MenuPlace place);
    bool MenuRowStillFocused() const;
    void EnableItemsFor(int row);
    /// After every event: the filter searches the visible columns, and the
    /// filter field shows its state.
    void SyncFilter();
    ExportTable ShownTable() const;

    ConnectionList &m_list;
    FilterView m_rows;
    MainController &m_main;
    ListPort &m_port;
    ListToolsPort *m_tools = nullptr;
    ExportWriter m_writeExport;
    FilterField m_filterField;      // as the front-end shows it
    bool m_filterWanted = false;    // Ctrl+F asked for the field
    ListMouseRules m_mouse;
    IncrementalSearch m_search;
    int m_busy = 0;                     // nesting depth of Run and of selection syncs
    std::optional<uint64_t> m_menuRow;  // RowId of the row the open menu is for
};

}  // namespace quorvex
