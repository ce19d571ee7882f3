#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "core/columns.h"
#include "core/list_mouse.h"
#include "core/list_observer.h"
#include "core/row_order.h"

namespace quorvex {

class FilterView;
class TImageListEx;
class WindowController;

/// The connection list as the filter lets it through (the WindowController's
/// Rows()) in a virtual (owner-data) common-controls list view: the list
/// view holds no rows, only their number, and asks for texts when it (or a
/// screen reader) needs them. It follows the filter view's change notices
/// row by row (item count, then a redraw of the visible rows the change
/// touched), so unchanged rows are never repainted and the selection, focus
/// and scroll position stay. Rows are drawn here (owner-drawn, 22 px high):
/// the selected row green, a changed row in its RowChange colour, the
/// manage icon, the grid, numbers right-aligned. The header is drawn
/// here too: white, the caption under the mouse blue, the sort glyph.
///
/// Mouse, typing and the menu key go to the WindowController, which decides
/// what they do; its answers come back through the main window's ListPort,
/// which calls ShowSelection, FocusCell and ShowSort here. Only columns that
/// are visible are list view columns; ShownColumns() maps one to the other.
class ConnectionListView : public ConnectionListObserver {
public:
    ConnectionListView(FilterView &rows, WindowController &window);
    ~ConnectionListView() override;
    ConnectionListView(const ConnectionListView &) = delete;
    ConnectionListView &operator=(const ConnectionListView &) = delete;

    /// Makes the list view as a child of `parent` with the control id `id`,
    /// with the columns visible at start, at the parent's dpi.
    HWND Create(HWND parent, int id, int dpi);
    HWND Handle() const { return m_list; }
    HWND Header() const { return m_header; }

    /// The row icons: the small icon cache and its images.
    void SetSmallIcons(TImageListEx *icons, HIMAGELIST images);
    /// The manage icon, 19 x 18; owned by the caller.
    void SetManageBitmap(HBITMAP bitmap) { m_manage = bitmap; }
    /// Fonts, column widths, header and row height for a new density.
    void SetDpi(int dpi);

    // The list port's part.
    void ShowSelection(int selectedRow, int focusedRow);
    void FocusCell(int row, int column);
    void ShowSort(int column, SortDirection direction);
    /// Shows or hides a group of columns (InfoColumns, TrafficColumns).
    template <size_t N>
    void SetColumnsVisible(const int (&group)[N], bool visible)
    {
        SetColumnsVisible(group, N, visible);
    }
    /// Redraws every visible row.
    void Repaint();

    /// The column typing searches in: the one last clicked while it is
    /// shown, else the first shown one.
    int FocusedColumn() const;
    /// Screen points for the row menu: of the last mouse event in the rows,
    /// and over the focused row.
    POINT LastMousePoint() const { return m_lastMouse; }
    POINT FocusedRowMenuPoint() const;
    /// The model column of each list view column, in order.
    const std::vector<int> &ShownColumns() const { return m_shown; }

    // What the parent window passes on: its WM_NOTIFY from the list,
    // WM_MEASUREITEM and WM_DRAWITEM for the list. True when handled.
    bool OnNotify(const NMHDR &header, LRESULT &result);
    void OnMeasureItem(MEASUREITEMSTRUCT &item) const;
    void OnDrawItem(const DRAWITEMSTRUCT &item);

    // ConnectionListObserver
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved() override;
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted() override;
    void RowsChanged(int first, int last) override;
    void LayoutAboutToBeChanged() override;
    void LayoutChanged(const std::vector<int> &oldToNew) override;
    void SelectionChanged() override;

private:
    void ShowSelectionStates(int selectedRow, int focusedRow);
    const std::vector<RECT> &HeaderItemRects();
    int FocusedItem() const;
    int SelectedItem() const;
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    static LRESULT CALLBACK HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnHeaderMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnHeaderNotify(const NMHDR &header, LRESULT &result);
    void DrawHeaderItem(NMCUSTOMDRAW &draw);

    void ReportMouse(ClickKind kind, MouseButton button, LPARAM lParam);
    int RowAt(POINT client) const;
    int ColumnAt(POINT client) const;
    int ColumnOfItem(int item) const;
    int ItemOfColumn(int column) const;
    int HeaderItemAt(POINT header, bool *onDivider) const;
    void InsertColumn(int column);
    void RemoveColumn(int column);
    void SetColumnsVisible(const int *group, size_t count, bool visible);
    void SetColumnWidth(int item, int width);
    void SyncItemCount();
    int RowTop(int row) const;
    void InvalidateFrom(int row);
    void RedrawRows(int first, int last);
    void RedrawRow(int row);
    void UpdateFonts();
    void CreateTooltip();
    void TrackTooltip(POINT client);
    bool CellRect(int row, int item, RECT &cell) const;
    std::wstring ElidedText(int row, int column, const RECT &cell) const;

    FilterView &m_rows;
    WindowController &m_window;
    HWND m_parent = nullptr;
    HWND m_list = nullptr;
    HWND m_header = nullptr;
    int m_dpi = 96;
    HFONT m_font = nullptr;
    HFONT m_headerFont = nullptr;
    TImageListEx *m_icons = nullptr;
    HIMAGELIST m_iconImages = nullptr;
    HBITMAP m_manage = nullptr;

    std::vector<int> m_shown;                // model column of each list view column
    std::array<int, ColumnCount> m_widths{}; // pixels at the current dpi, also of hidden columns
    int m_count = 0;                         // rows shown, as the notices said
    int m_shownCount = -1;                   // rows the list view counts
    int m_movedFrom = -1;                    // first row moved since the last sync, -1: none
    std::vector<std::pair<int, int>> m_changed;  // runs of changed rows since the last sync
    int m_pendingFirst = 0;                  // the run between an AboutTo and its notice
    int m_pendingCount = 0;
    int m_paintedSelected = -1;              // the row last drawn as selected
    int m_focusColumn = ColProcess;
    int m_sortColumn = NoColumn;
    SortDirection m_sortDirection = SortDirection::Ascending;
    int m_hot = -1;                          // header item under the mouse
    bool m_trackingLeave = false;
    bool m_settingWidth = false;
    bool m_showingSelection = false;         // the states being set are the controller's own
    bool m_painting = false;                 // inside the list's WM_PAINT or WM_PRINTCLIENT
    std::vector<RECT> m_paintEdges;          // the header items' rects, read once a paint
    HeaderMouseRules m_headerClicks;
    HWND m_tip = nullptr;                    // the whole text of a cell that does not fit
    std::pair<int, int> m_tipCell{-1, -1};   // row and model column the tooltip is for
    std::wstring m_tipText;
    POINT m_lastMouse{0, 0};
};

}  // namespace quorvex
