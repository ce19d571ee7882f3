#include "wingui/list_view.h"

#include <algorithm>
#include <windowsx.h>

#include "core/filter_view.h"
#include "core/image_list_ex.h"
#include "core/window_controller.h"
#include "core/window_layout.h"
#include "wingui/win_text.h"
#include "wingui/win_ui.h"

namespace quorvex {

namespace {

constexpr UINT_PTR SubclassId = 1;
constexpr int TextPadding = 4;  // between a cell's edge and its text, at 96 dpi
constexpr int IconSize = 16;
const COLORREF HeaderDivider = RGB(208, 208, 208);
const COLORREF SortGlyph = RGB(96, 96, 96);

bool IsFixed(int column)
{
    return column >= 0 && GetColumnInfo(column).Fixed;
}

}  // namespace

ConnectionListView::ConnectionListView(FilterView &rows, WindowController &window)
    : m_rows(rows), m_window(window)
{
}

ConnectionListView::~ConnectionListView()
{
    m_rows.SetObserver(nullptr);
    if (m_list && IsWindow(m_list))
        DestroyWindow(m_list);
    if (m_font)
        DeleteObject(m_font);
    if (m_headerFont)
        DeleteObject(m_headerFont);
}

HWND ConnectionListView::Create(HWND parent, int id, int dpi)
{
    m_parent = parent;
    m_dpi = dpi;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | WS_BORDER | LVS_REPORT |
                        LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
    m_list = CreateWindowExW(0, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!m_list)
        return nullptr;
    SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    m_header = reinterpret_cast<HWND>(SendMessageW(m_list, LVM_GETHEADER, 0, 0));
    SetWindowSubclass(m_list, &ListProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (m_header)
        SetWindowSubclass(m_header, &HeaderProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    UpdateFonts();
    CreateTooltip();

    for (int column = 0; column < ColumnCount; ++column) {
        m_widths[static_cast<size_t>(column)] = layout::Scale(GetColumnInfo(column).Width, m_dpi);
        if (GetColumnInfo(column).VisibleAtStart)
            InsertColumn(column);
    }
    m_rows.SetObserver(this);
    m_count = m_rows.RowCount();
    SyncItemCount();
    ShowSort(m_rows.List().SortColumn(), m_rows.List().Direction());
    return m_list;
}

void ConnectionListView::UpdateFonts()
{
    HFONT font = win::MakeFont(layout::FontFace, layout::FontHeight, m_dpi);
    HFONT headerFont = win::MakeFont(layout::HeaderFontFace, layout::HeaderFontHeight, m_dpi);
    SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (m_header)
        SendMessageW(m_header, WM_SETFONT, reinterpret_cast<WPARAM>(headerFont), FALSE);
    if (m_font)
        DeleteObject(m_font);
    if (m_headerFont)
        DeleteObject(m_headerFont);
    m_font = font;
    m_headerFont = headerFont;
    if (m_tip)
        SendMessageW(m_tip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
}

void ConnectionListView::CreateTooltip()
{
    m_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_list, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!m_tip)
        return;
    // One tool, moved to the cell under the mouse; it watches the list's
    // mouse messages itself (TTF_SUBCLASS) and asks for its text when it
    // is about to show (TTN_GETDISPINFO).
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = m_list;
    tool.uId = 1;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, 800);
    SendMessageW(m_tip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
}

bool ConnectionListView::CellRect(int row, int item, RECT &cell) const
{
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    RECT header{};
    if (row < 0 || item < 0 || !m_header ||
        !SendMessageW(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds)) ||
        !SendMessageW(m_header, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&header)))
        return false;
    cell = {bounds.left + header.left, bounds.top, bounds.left + header.right, bounds.bottom};
    return true;
}

std::wstring ConnectionListView::ElidedText(int row, int column, const RECT &cell) const
{
    if (row < 0 || row >= m_rows.RowCount())
        return {};
    const std::wstring text = win::WideFromAnsi(VTSGetText(&m_rows.Record(row), column));
    int room = cell.right - cell.left - 2 * layout::Scale(TextPadding, m_dpi);
    if (column == ColProcess)
        room -= IconSize + layout::Scale(TextPadding, m_dpi) / 2;
    return win::TextExtent(m_font, text).cx > room ? text : std::wstring();
}

void ConnectionListView::TrackTooltip(POINT client)
{
    if (!m_tip)
        return;
    const int row = RowAt(client);
    const int column = ColumnAt(client);
    if (std::make_pair(row, column) == m_tipCell)
        return;
    m_tipCell = {row, column};
    SendMessageW(m_tip, TTM_POP, 0, 0);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_list;
    tool.uId = 1;
    if (!CellRect(row, ItemOfColumn(column), tool.rect))
        tool.rect = {0, 0, 0, 0};
    SendMessageW(m_tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ConnectionListView::SetSmallIcons(TImageListEx *icons, HIMAGELIST images)
{
    m_icons = icons;
    m_iconImages = images;
    Repaint();
}

void ConnectionListView::SetDpi(int dpi)
{
    if (dpi == m_dpi || !m_list)
        return;
    for (size_t item = 0; item < m_shown.size(); ++item)
        m_widths[static_cast<size_t>(m_shown[item])] =
            static_cast<int>(SendMessageW(m_list, LVM_GETCOLUMNWIDTH, item, 0));
    for (int &width : m_widths)
        width = MulDiv(width, dpi, m_dpi);
    m_dpi = dpi;
    UpdateFonts();
    for (size_t item = 0; item < m_shown.size(); ++item)
        SetColumnWidth(static_cast<int>(item), m_widths[static_cast<size_t>(m_shown[item])]);
    // The list asks its row height (WM_MEASUREITEM) and lays out its header
    // again when its frame changes.
    SetWindowPos(m_list, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Repaint();
}

int ConnectionListView::ColumnOfItem(int item) const
{
    return item >= 0 && item < static_cast<int>(m_shown.size()) ? m_shown[static_cast<size_t>(item)] : NoColumn;
}

int ConnectionListView::ItemOfColumn(int column) const
{
    const auto found = std::find(m_shown.begin(), m_shown.end(), column);
    return found == m_shown.end() ? -1 : static_cast<int>(found - m_shown.begin());
}

void ConnectionListView::InsertColumn(int column)
{
    if (ItemOfColumn(column) >= 0)
        return;
    // Visible columns keep their index order: only the remark column could
    // move, and it is never shown.
    const int item = static_cast<int>(std::count_if(m_shown.begin(), m_shown.end(), [&](int c) { return c < column; }));
    const ColumnInfo &info = GetColumnInfo(column);
    std::wstring caption = win::WideFromUtf8(info.Caption);
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    lvc.fmt = info.Fixed && item > 0 ? LVCFMT_CENTER : LVCFMT_LEFT;
    lvc.cx = m_widths[static_cast<size_t>(column)];
    lvc.pszText = caption.data();
    lvc.iSubItem = item;
    m_settingWidth = true;
    SendMessageW(m_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvc));
    m_settingWidth = false;
    m_shown.insert(m_shown.begin() + item, column);
}

void ConnectionListView::RemoveColumn(int column)
{
    const int item = ItemOfColumn(column);
    if (item < 0)
        return;
    // The width the user gave it comes back with it.
    m_widths[static_cast<size_t>(column)] = static_cast<int>(SendMessageW(m_list, LVM_GETCOLUMNWIDTH, item, 0));
    SendMessageW(m_list, LVM_DELETECOLUMN, static_cast<WPARAM>(item), 0);
    m_shown.erase(m_shown.begin() + item);
    if (m_hot >= static_cast<int>(m_shown.size()))
        m_hot = -1;
}

void ConnectionListView::SetColumnWidth(int item, int width)
{
    m_settingWidth = true;
    SendMessageW(m_list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(item), MAKELPARAM(width, 0));
    m_settingWidth = false;
}

void ConnectionListView::SetColumnsVisible(const int *group, size_t count, bool visible)
{
    for (size_t i = 0; i < count; ++i) {
        if (visible)
            InsertColumn(group[i]);
        else
            RemoveColumn(group[i]);
    }
    ShowSort(m_sortColumn, m_sortDirection);
    Repaint();
}

void ConnectionListView::ShowSort(int column, SortDirection direction)
{
    m_sortColumn = column;
    m_sortDirection = direction;
    if (!m_header)
        return;
    for (int item = 0; item < static_cast<int>(m_shown.size()); ++item) {
        HDITEMW hd{};
        hd.mask = HDI_FORMAT;
        SendMessageW(m_header, HDM_GETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&hd));
        hd.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (ColumnOfItem(item) == column)
            hd.fmt |= direction == SortDirection::Ascending ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(m_header, HDM_SETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&hd));
    }
    InvalidateRect(m_header, nullptr, FALSE);
}

void ConnectionListView::SyncItemCount()
{
    if (m_shownCount != m_count) {
        m_shownCount = m_count;
        SendMessageW(m_list, LVM_SETITEMCOUNT, static_cast<WPARAM>(m_count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
    if (m_movedFrom < 0 && m_changed.empty())
        return;
    // One look at what is visible for all the runs the notices named.
    const int top = static_cast<int>(SendMessageW(m_list, LVM_GETTOPINDEX, 0, 0));
    const int bottom = std::min(top + static_cast<int>(SendMessageW(m_list, LVM_GETCOUNTPERPAGE, 0, 0)), m_count - 1);
    const int movedFrom = m_movedFrom;
    m_movedFrom = -1;
    if (movedFrom >= 0)
        InvalidateFrom(movedFrom);
    for (const auto &[first, last] : m_changed) {
        const int from = std::max(first, top);
        const int to = std::min({last, bottom, movedFrom >= 0 ? movedFrom - 1 : last});
        if (from <= to)
            SendMessageW(m_list, LVM_REDRAWITEMS, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
    }
    m_changed.clear();
}

int ConnectionListView::RowTop(int row) const
{
    // From the top row's place: the list view may not count `row` yet.
    const int top = static_cast<int>(SendMessageW(m_list, LVM_GETTOPINDEX, 0, 0));
    RECT header{};
    if (m_header)
        GetWindowRect(m_header, &header);
    const int height = layout::Scale(layout::RowHeight, m_dpi);
    return (header.bottom - header.top) + (row - top) * height;
}

void ConnectionListView::InvalidateFrom(int row)
{
    RECT client;
    GetClientRect(m_list, &client);
    client.top = std::max(client.top, static_cast<LONG>(RowTop(row)));
    if (client.top < client.bottom)
        InvalidateRect(m_list, &client, TRUE);
}

void ConnectionListView::RedrawRows(int first, int last)
{
    if (first > last)
        return;
    m_changed.emplace_back(first, last);
    SyncItemCount();
}

void ConnectionListView::RedrawRow(int row)
{
    if (row >= 0 && row < m_count)
        RedrawRows(row, row);
}

void ConnectionListView::Repaint()
{
    SyncItemCount();
    if (m_list)
        InvalidateRect(m_list, nullptr, FALSE);
}

// A refresh removes rows in many runs, inserts some and changes others: the
// list view follows in one step, before the control is next asked anything
// (SyncItemCount), since each change of its count redraws its scroll bar
// and each redraw request is a call to the window server. The rows from
// the first one that moved down have moved or are gone and are redrawn, the
// place of rows no longer there wiped as well; above it only the visible
// rows of changed runs are redrawn, and the rest are left alone.
void ConnectionListView::RowsAboutToBeRemoved(int first, int last)
{
    m_pendingFirst = first;
    m_pendingCount = last - first + 1;
}

void ConnectionListView::RowsRemoved()
{
    m_count -= m_pendingCount;
    m_pendingCount = 0;
    m_movedFrom = m_movedFrom < 0 ? m_pendingFirst : std::min(m_movedFrom, m_pendingFirst);
}

void ConnectionListView::RowsAboutToBeInserted(int first, int last)
{
    m_pendingFirst = first;
    m_pendingCount = last - first + 1;
}

void ConnectionListView::RowsInserted()
{
    m_count += m_pendingCount;
    m_pendingCount = 0;
    m_movedFrom = m_movedFrom < 0 ? m_pendingFirst : std::min(m_movedFrom, m_pendingFirst);
}

void ConnectionListView::RowsChanged(int first, int last)
{
    m_changed.emplace_back(first, last);
}

void ConnectionListView::LayoutAboutToBeChanged() {}

void ConnectionListView::LayoutChanged(const std::vector<int> &)
{
    m_changed.emplace_back(0, m_count - 1);
}

void ConnectionListView::SelectionChanged()
{
    m_window.ListSelectionChanged();
}

void ConnectionListView::ShowSelection(int selectedRow, int focusedRow)
{
    if (!m_list)
        return;
    // The list view tells of every state set here; they are the
    // controller's own, which it ignores, so they are not read back.
    const bool showing = m_showingSelection;
    m_showingSelection = true;
    ShowSelectionStates(selectedRow, focusedRow);
    m_showingSelection = showing;
    if (m_paintedSelected != selectedRow) {
        RedrawRow(m_paintedSelected);
        RedrawRow(selectedRow);
    }
}

void ConnectionListView::ShowSelectionStates(int selectedRow, int focusedRow)
{
    SyncItemCount();
    // Single selection: only the row that has it now needs clearing (a
    // clear of all rows would visit every row).
    auto setState = [&](int row, UINT mask, UINT state) {
        LVITEMW item{};
        item.stateMask = mask;
        item.state = state;
        SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    };
    // Showing the selection never scrolls: a refresh keeps the top row
    // where it was. Some list views bring a newly focused row into view, a
    // scroll and a repaint of the whole list there and another back; for a
    // focused row off the page that is done with drawing off, and the list
    // is drawn once afterwards.
    const int top = static_cast<int>(SendMessageW(m_list, LVM_GETTOPINDEX, 0, 0));
    auto keepTop = [&] {
        const int topNow = static_cast<int>(SendMessageW(m_list, LVM_GETTOPINDEX, 0, 0));
        if (topNow != top)
            SendMessageW(m_list, LVM_SCROLL, 0, (top - topNow) * layout::Scale(layout::RowHeight, m_dpi));
    };
    const bool selectable = selectedRow >= 0 && selectedRow < m_count;
    const int selectedNow = SelectedItem();
    if (selectedNow >= 0 && selectedNow != selectedRow)
        setState(selectedNow, LVIS_SELECTED, 0);
    if (selectable && selectedNow != selectedRow)
        setState(selectedRow, LVIS_SELECTED, LVIS_SELECTED);
    const int focusedNow = FocusedItem();
    if (focusedRow >= 0 && focusedRow < m_count) {
        if (focusedNow != focusedRow) {
            const int perPage = static_cast<int>(SendMessageW(m_list, LVM_GETCOUNTPERPAGE, 0, 0));
            const bool offPage = focusedRow < top || focusedRow > top + perPage;
            if (offPage)
                SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
            setState(focusedRow, LVIS_FOCUSED, LVIS_FOCUSED);
            if (offPage) {
                keepTop();
                SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
                InvalidateRect(m_list, nullptr, FALSE);
            }
        }
    } else if (focusedNow >= 0) {
        setState(focusedNow, LVIS_FOCUSED, 0);
    }
    keepTop();
}

int ConnectionListView::FocusedItem() const
{
    return static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int ConnectionListView::SelectedItem() const
{
    // An owner-data list view looks for its selected item row by row from
    // the top, which at 40,000 rows is felt: the focused row, nearly always
    // the selected one, is asked first.
    const int focused = FocusedItem();
    if (focused >= 0 &&
        (SendMessageW(m_list, LVM_GETITEMSTATE, static_cast<WPARAM>(focused), LVIS_SELECTED) & LVIS_SELECTED))
        return focused;
    return static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ConnectionListView::FocusCell(int row, int column)
{
    if (ItemOfColumn(column) >= 0)
        m_focusColumn = column;
    ShowSelection(m_rows.SelectedRow(), m_rows.FocusedRow());
    if (row >= 0 && row < m_count)
        SendMessageW(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int ConnectionListView::FocusedColumn() const
{
    if (ItemOfColumn(m_focusColumn) >= 0)
        return m_focusColumn;
    return m_shown.empty() ? ColProcess : m_shown.front();
}

POINT ConnectionListView::FocusedRowMenuPoint() const
{
    POINT point{0, 0};
    const int row = m_rows.FocusedRow();
    const int item = ItemOfColumn(FocusedColumn());
    if (row >= 0 && row < m_count && item >= 0 && m_header) {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageW(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
        RECT cell{};
        SendMessageW(m_header, HDM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
        point.x = bounds.left + cell.left + layout::Scale(8, m_dpi);
        point.y = (bounds.top + bounds.bottom) / 2;
    }
    ClientToScreen(m_list, &point);
    return point;
}

int ConnectionListView::HeaderItemAt(POINT header, bool *onDivider) const
{
    HDHITTESTINFO hit{};
    hit.pt = header;
    SendMessageW(m_header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const bool divider = hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN);
    if (onDivider)
        *onDivider = divider;
    return (hit.flags & HHT_ONHEADER) || divider ? hit.iItem : -1;
}

int ConnectionListView::RowAt(POINT client) const
{
    LVHITTESTINFO hit{};
    hit.pt = client;
    SendMessageW(m_list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return (hit.flags & LVHT_ONITEM) && hit.iItem >= 0 && hit.iItem < m_count ? hit.iItem : -1;
}

int ConnectionListView::ColumnAt(POINT client) const
{
    if (!m_header)
        return NoColumn;
    POINT point = client;
    MapWindowPoints(m_list, m_header, &point, 1);
    point.y = 1;
    return ColumnOfItem(HeaderItemAt(point, nullptr));
}

void ConnectionListView::ReportMouse(ClickKind kind, MouseButton button, LPARAM lParam)
{
    const POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_lastMouse = client;
    ClientToScreen(m_list, &m_lastMouse);
    m_window.ListMouse(kind, button, RowAt(client), ColumnAt(client));
}

LRESULT CALLBACK ConnectionListView::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self)
{
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &ListProc, SubclassId);
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return reinterpret_cast<ConnectionListView *>(self)->OnListMessage(message, wParam, lParam);
}

LRESULT ConnectionListView::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Before the control paints, counts rows for the user or a screen
    // reader, it counts what the list has.
    if (message == WM_PAINT || message == WM_GETOBJECT || message == WM_VSCROLL || message == WM_HSCROLL ||
        (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST))
        SyncItemCount();
    // The list control's own mouse handling (selecting, rectangles, drags)
    // stays out: the WindowController's rules decide what a click does.
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
        SetFocus(m_list);
        SetCapture(m_list);
        const MouseButton button =
            message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK ? MouseButton::Left : MouseButton::Right;
        const bool twice = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK;
        ReportMouse(twice ? ClickKind::DoubleClick : ClickKind::Press, button, lParam);
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (GetCapture() == m_list)
            ReleaseCapture();
        ReportMouse(ClickKind::Release, message == WM_LBUTTONUP ? MouseButton::Left : MouseButton::Right, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return 0;
    case WM_MOUSEMOVE:
        if (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))
            return 0;
        TrackTooltip({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        break;
    case WM_CONTEXTMENU:
        // A right click was answered at its release; only the keyboard's
        // menu key (and Shift+F10) arrives here, without a position.
        if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1)
            m_window.MenuKey();
        return 0;
    case WM_CHAR: {
        const auto ch = static_cast<wchar_t>(wParam);
        if (ch < 0x20 || ch == 0x7F)
            break;
        // Records hold ANSI text; a character outside the code page (or
        // half of a surrogate pair) matches nothing and searches nothing.
        if (ch >= 0xD800 && ch <= 0xDFFF)
            return 0;
        m_window.KeyTyped(win::AnsiFromWide(std::wstring(1, ch)), static_cast<int64_t>(GetTickCount64()),
                          FocusedColumn());
        return 0;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        // The rows are drawn during the paint; the header's item edges are
        // read for them once, at its start.
        const bool painting = m_painting;
        if (!painting)
            m_paintEdges.clear();
        m_painting = true;
        const LRESULT result = DefSubclassProc(m_list, message, wParam, lParam);
        m_painting = painting;
        return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        // The selected row's text colour follows the focus.
        const LRESULT result = DefSubclassProc(m_list, message, wParam, lParam);
        RedrawRow(m_rows.SelectedRow());
        return result;
    }
    case WM_NOTIFY: {
        const auto *header = reinterpret_cast<const NMHDR *>(lParam);
        LRESULT result = 0;
        if (header && header->hwndFrom == m_header && OnHeaderNotify(*header, result))
            return result;
        if (header && header->hwndFrom == m_tip && header->code == TTN_GETDISPINFOW) {
            // The whole text, only for a cell whose text does not fit.
            auto &info = *reinterpret_cast<NMTTDISPINFOW *>(lParam);
            RECT cell{};
            m_tipText.clear();
            if (CellRect(m_tipCell.first, ItemOfColumn(m_tipCell.second), cell))
                m_tipText = ElidedText(m_tipCell.first, m_tipCell.second, cell);
            info.lpszText = m_tipText.data();
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return DefSubclassProc(m_list, message, wParam, lParam);
}

LRESULT CALLBACK ConnectionListView::HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self)
{
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &HeaderProc, SubclassId);
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return reinterpret_cast<ConnectionListView *>(self)->OnHeaderMessage(message, wParam, lParam);
}

LRESULT ConnectionListView::OnHeaderMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_MOUSEMOVE: {
        const int hot = HeaderItemAt(point, nullptr);
        if (hot != m_hot) {
            m_hot = hot;
            InvalidateRect(m_header, nullptr, FALSE);
        }
        if (!m_trackingLeave) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_header, 0};
            m_trackingLeave = TrackMouseEvent(&track);
        }
        break;
    }
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        if (m_hot != -1) {
            m_hot = -1;
            InvalidateRect(m_header, nullptr, FALSE);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        bool onDivider = false;
        const int item = HeaderItemAt(point, &onDivider);
        m_headerClicks.Press(onDivider ? NoColumn : ColumnOfItem(item));
        // A quick second press on a caption is a press of its own; on a
        // divider the control fits the column (HDN_DIVIDERDBLCLICK).
        if (message == WM_LBUTTONDBLCLK && !onDivider)
            return DefSubclassProc(m_header, WM_LBUTTONDOWN, wParam, lParam);
        break;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = DefSubclassProc(m_header, message, wParam, lParam);
        RECT client;
        GetClientRect(m_header, &client);
        const int column = PtInRect(&client, point) ? ColumnOfItem(HeaderItemAt(point, nullptr)) : NoColumn;
        if (const std::optional<int> clicked = m_headerClicks.Release(column))
            m_window.HeaderClick(*clicked);
        return result;
    }
    case WM_SETCURSOR: {
        // A fixed column's divider shows no sizing cursor.
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(m_header, &cursor);
        bool onDivider = false;
        const int item = HeaderItemAt(cursor, &onDivider);
        if (onDivider && IsFixed(ColumnOfItem(item))) {
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    }
    case HDM_LAYOUT: {
        const LRESULT result = DefSubclassProc(m_header, message, wParam, lParam);
        auto *place = reinterpret_cast<HDLAYOUT *>(lParam);
        if (place && place->pwpos && place->prc) {
            const int height = layout::Scale(layout::HeaderHeight, m_dpi);
            place->prc->top += height - place->pwpos->cy;
            place->pwpos->cy = height;
        }
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(m_header, message, wParam, lParam);
}

bool ConnectionListView::OnHeaderNotify(const NMHDR &header, LRESULT &result)
{
    const auto &change = reinterpret_cast<const NMHEADERW &>(header);
    switch (header.code) {
    case NM_CUSTOMDRAW: {
        auto &draw = const_cast<NMCUSTOMDRAW &>(reinterpret_cast<const NMCUSTOMDRAW &>(header));
        if (draw.dwDrawStage == CDDS_PREPAINT) {
            result = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        } else if (draw.dwDrawStage == CDDS_ITEMPREPAINT) {
            DrawHeaderItem(draw);
            result = CDRF_SKIPDEFAULT;
        } else if (draw.dwDrawStage == CDDS_POSTPAINT) {
            // White beyond the last column as well.
            RECT rest;
            GetClientRect(m_header, &rest);
            if (!m_shown.empty()) {
                RECT last{};
                SendMessageW(m_header, HDM_GETITEMRECT, m_shown.size() - 1, reinterpret_cast<LPARAM>(&last));
                rest.left = last.right;
            }
            FillRect(draw.hdc, &rest, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            result = CDRF_DODEFAULT;
        } else {
            result = CDRF_DODEFAULT;
        }
        return true;
    }
    case HDN_BEGINTRACKW:
    case HDN_BEGINTRACKA:
        result = IsFixed(ColumnOfItem(change.iItem)) ? TRUE : FALSE;
        return result == TRUE;
    case HDN_ITEMCHANGINGW:
    case HDN_ITEMCHANGINGA: {
        const int column = ColumnOfItem(change.iItem);
        if (!m_settingWidth && IsFixed(column) && change.pitem && (change.pitem->mask & HDI_WIDTH) &&
            change.pitem->cxy != layout::Scale(GetColumnInfo(column).Width, m_dpi)) {
            result = TRUE;
            return true;
        }
        return false;
    }
    case HDN_DIVIDERDBLCLICKW:
    case HDN_DIVIDERDBLCLICKA: {
        // Fits the column to its widest cell (the row icon included), the
        // fixed column excepted.
        const int column = ColumnOfItem(change.iItem);
        result = 0;
        if (column < 0 || IsFixed(column))
            return true;
        int widest = 0;
        HDC dc = GetDC(m_list);
        HGDIOBJ old = SelectObject(dc, m_font);
        for (int row = 0; row < m_rows.RowCount(); ++row) {
            const std::wstring text = win::WideFromAnsi(VTSGetText(&m_rows.Record(row), column));
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
        SelectObject(dc, old);
        ReleaseDC(m_list, dc);
        int width = widest + 2 * layout::Scale(TextPadding, m_dpi);
        if (column == ColProcess)
            width += IconSize + layout::Scale(TextPadding, m_dpi);
        SetColumnWidth(change.iItem, width);
        return true;
    }
    case HDN_BEGINDRAG:
        result = ColumnOfItem(change.iItem) == MovableColumn ? FALSE : TRUE;
        return true;
    default:
        return false;
    }
}

void ConnectionListView::DrawHeaderItem(NMCUSTOMDRAW &draw)
{
    HDC dc = draw.hdc;
    RECT rect = draw.rc;
    const int item = static_cast<int>(draw.dwItemSpec);
    const int column = ColumnOfItem(item);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HPEN pen = CreatePen(PS_SOLID, 1, HeaderDivider);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, rect.right - 1, rect.top, nullptr);
    LineTo(dc, rect.right - 1, rect.bottom);
    MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
    LineTo(dc, rect.right, rect.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    RECT text = rect;
    InflateRect(&text, -layout::Scale(TextPadding, m_dpi), 0);
    if (column >= 0 && column == m_sortColumn) {
        const int size = layout::Scale(7, m_dpi);
        const int right = rect.right - layout::Scale(TextPadding, m_dpi);
        const int middle = (rect.top + rect.bottom) / 2;
        const int half = size / 2;
        POINT glyph[3];
        if (m_sortDirection == SortDirection::Ascending) {
            glyph[0] = {right - size, middle + half / 2 + 1};
            glyph[1] = {right, middle + half / 2 + 1};
            glyph[2] = {right - half, middle - half / 2 - 1};
        } else {
            glyph[0] = {right - size, middle - half / 2 - 1};
            glyph[1] = {right, middle - half / 2 - 1};
            glyph[2] = {right - half, middle + half / 2 + 1};
        }
        HBRUSH brush = CreateSolidBrush(SortGlyph);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ nullPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, glyph, 3);
        SelectObject(dc, nullPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        text.right = right - size - layout::Scale(3, m_dpi);
    }
    const std::wstring caption = column >= 0 ? win::WideFromUtf8(GetColumnInfo(column).Caption) : std::wstring();
    HGDIOBJ oldFont = SelectObject(dc, m_headerFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, item == m_hot ? win::ColourRef(layout::HotCaptionColour) : RGB(0, 0, 0));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | (IsFixed(column) ? DT_CENTER : DT_LEFT));
    SelectObject(dc, oldFont);
}

bool ConnectionListView::OnNotify(const NMHDR &header, LRESULT &result)
{
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        // Asked by the control itself and by screen readers through it.
        auto &info = const_cast<NMLVDISPINFOW &>(reinterpret_cast<const NMLVDISPINFOW &>(header));
        const int row = info.item.iItem;
        if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
            std::wstring text;
            if (row >= 0 && row < m_rows.RowCount())
                text = win::WideFromAnsi(VTSGetText(&m_rows.Record(row), ColumnOfItem(info.item.iSubItem)));
            lstrcpynW(info.item.pszText, text.c_str(), info.item.cchTextMax);
        }
        if (info.item.mask & LVIF_IMAGE)
            info.item.iImage = -1;
        result = 0;
        return true;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED: {
        // The keyboard moved the selection (the mouse's changes are the
        // controller's own and ignored by it while it makes them).
        result = 0;
        if (m_showingSelection)
            return true;
        m_window.UserSelectionChanged(SelectedItem(), FocusedItem());
        if (m_paintedSelected != m_rows.SelectedRow()) {
            RedrawRow(m_paintedSelected);
            RedrawRow(m_rows.SelectedRow());
        }
        return true;
    }
    case LVN_ODFINDITEMW:
        result = -1;  // typing searches through the WindowController
        return true;
    default:
        return false;
    }
}

void ConnectionListView::OnMeasureItem(MEASUREITEMSTRUCT &item) const
{
    item.itemHeight = static_cast<UINT>(layout::Scale(layout::RowHeight, m_dpi));
}

// Each HDM_GETITEMRECT is as dear as drawing a row's texts (under Wine),
// and a paint asks for every column of every row: within a paint the
// header's items are read once.
const std::vector<RECT> &ConnectionListView::HeaderItemRects()
{
    if (m_painting && m_paintEdges.size() == m_shown.size())
        return m_paintEdges;
    m_paintEdges.assign(m_shown.size(), RECT{});
    for (size_t index = 0; index < m_shown.size(); ++index)
        SendMessageW(m_header, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&m_paintEdges[index]));
    return m_paintEdges;
}

void ConnectionListView::OnDrawItem(const DRAWITEMSTRUCT &item)
{
    HDC dc = item.hDC;
    const RECT rowRect = item.rcItem;
    const int row = static_cast<int>(item.itemID);
    if (row < 0 || row >= m_rows.RowCount()) {
        FillRect(dc, &rowRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    const TMyRec &rec = m_rows.Record(row);
    const bool selected = row == m_rows.SelectedRow();
    if (selected)
        m_paintedSelected = row;
    else if (m_paintedSelected == row)
        m_paintedSelected = -1;

    // Green with a border of the same green, focused or not; the text in
    // the highlight-text colour only while the list has the focus. A row
    // the latest refresh added or would have deleted shows it, unless it
    // is selected.
    COLORREF colour = RGB(255, 255, 255);
    if (selected) {
        colour = win::ColourRef(layout::SelectedRowColour);
    } else if (const RowChange change = m_rows.Change(row); change != RowChange::None) {
        const Rgb rgb = change == RowChange::Added ? AddedRowColour : LeavingRowColour;
        colour = RGB(rgb.Red, rgb.Green, rgb.Blue);
    }
    HBRUSH background = CreateSolidBrush(colour);
    FillRect(dc, &rowRect, background);
    DeleteObject(background);
    const bool focused = GetFocus() == m_list;
    SetTextColor(dc, GetSysColor(selected && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, m_font);
    HPEN grid = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_ACTIVECAPTION));
    HGDIOBJ oldPen = SelectObject(dc, grid);
    const int padding = layout::Scale(TextPadding, m_dpi);

    const std::vector<RECT> &edges = HeaderItemRects();
    for (int index = 0; index < static_cast<int>(m_shown.size()); ++index) {
        const int column = m_shown[static_cast<size_t>(index)];
        const RECT &header = edges[static_cast<size_t>(index)];
        const RECT cell{rowRect.left + header.left, rowRect.top, rowRect.left + header.right, rowRect.bottom};
        if (cell.right <= item.rcItem.left && cell.left >= item.rcItem.right)
            continue;
        RECT text{cell.left + padding, cell.top, cell.right - padding, cell.bottom};
        if (column == ColProcess && m_icons && m_iconImages) {
            const int image = m_icons->GetFileIconIndex(rec.ProcessPath);
            if (image >= 0)
                ImageList_Draw(m_iconImages, image, dc, cell.left + padding / 2,
                               cell.top + (cell.bottom - cell.top - IconSize) / 2, ILD_TRANSPARENT);
            text.left = cell.left + padding / 2 + IconSize + padding;
        }
        const std::wstring value = win::WideFromAnsi(VTSGetText(&rec, column));
        if (!value.empty())
            DrawTextW(dc, value.c_str(), static_cast<int>(value.size()), &text,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                          (IsFixed(column)                     ? DT_CENTER
                           : GetColumnInfo(column).AlignRight ? DT_RIGHT
                                                               : DT_LEFT));
        if (column == ColManage && m_manage) {
            // Drawn after the cell, opaque, over the selection's green.
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ oldBitmap = SelectObject(source, m_manage);
            StretchBlt(dc, cell.left + layout::Scale(layout::ManageIconLeft, m_dpi),
                       cell.top + layout::Scale(layout::ManageIconTop, m_dpi),
                       layout::Scale(layout::ManageIconWidth, m_dpi), layout::Scale(layout::ManageIconHeight, m_dpi),
                       source, 0, 0, layout::ManageIconWidth, layout::ManageIconHeight, SRCCOPY);
            SelectObject(source, oldBitmap);
            DeleteDC(source);
        }
        if (!selected) {
            MoveToEx(dc, cell.right - 1, cell.top, nullptr);
            LineTo(dc, cell.right - 1, cell.bottom);
            MoveToEx(dc, cell.left, cell.bottom - 1, nullptr);
            LineTo(dc, cell.right, cell.bottom - 1);
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(grid);
    SelectObject(dc, oldFont);
}

}  // namespace quorvex
