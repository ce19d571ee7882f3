#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/connection_list.h"
#include "core/list_observer.h"

namespace quorvex {

/// The rows of the connection list that the window shows: every row, or,
/// while a filter text is set, the rows whose shown text in one of the
/// searched columns (VTSGetText; the visible columns) contains the filter
/// text without regard to letter case (FoldCase). It is a view, not a
/// second list: the list keeps the rows, their order and the selection, and
/// refreshes go on underneath. The view follows the list's notices and tells
/// its own observer of every change row by row, by the list's protocol
/// (list_observer.h) in its own row numbers; a new filter text is told the
/// same way, as runs of removed and inserted rows. Rows are addressed by
/// their place among the rows shown. Without a filter text the view is the
/// list itself: same rows, same notices.
///
/// The selected and the focused row are the list's; while a filter is set
/// they are shown rows or none. A new filter text that hides the selected
/// row selects and focuses the first row shown that counts (not Leaving),
/// or none; a row that stops matching in a refresh loses the selection, and
/// the refresh then selects the first row shown that counts
/// (ConnectionList::SetRowVisibility).
class FilterView : private ConnectionListObserver {
public:
    /// Becomes the list's observer for its lifetime.
    explicit FilterView(ConnectionList &list);
    ~FilterView() override;
    FilterView(const FilterView &) = delete;
    FilterView &operator=(const FilterView &) = delete;

    /// Who hears of the view's changes: the front-end's list widget.
    void SetObserver(ConnectionListObserver *observer);
    ConnectionList &List() { return m_list; }
    const ConnectionList &List() const { return m_list; }

    /// The filter text, in the system's encoding; an empty text shows every
    /// row. Cheap when the new text extends the old one (typing): only the
    /// rows shown are searched again.
    void SetFilter(const std::string &text);
    const std::string &Filter() const { return m_filter; }
    /// A filter text is set.
    bool Filtering() const { return m_active; }
    /// While on (the filter field is open), the view keeps every row's
    /// searched text ready, so that the first character typed costs no more
    /// than the others; reading them all is done when it is turned on. Off,
    /// and without a filter text, the texts are dropped.
    void KeepSearchTexts(bool on);
    /// The columns the filter searches, the window's visible ones; all
    /// rows are searched again when they change.
    void SetColumns(std::vector<int> columns);
    const std::vector<int> &Columns() const { return m_columns; }

    int RowCount() const;
    /// The list position of the shown row `row`.
    int ListRow(int row) const;
    /// The shown row at list position `listRow`, or -1 when it is hidden.
    int RowOf(int listRow) const;
    const TMyRec &Record(int row) const;
    uint64_t RowId(int row) const;
    RowChange Change(int row) const;
    /// The shown rows that count (all but the Leaving ones).
    int CountedRowCount() const;

    // The list's selection among the rows shown (-1: none or hidden).
    int SelectedRow() const;
    int FocusedRow() const;
    void SetSelectedRow(int row);
    void SetFocusedRow(int row);

private:
    class Shown;
    struct Pending {
        int first = 0;      // shown row
        int count = 0;      // shown rows
        int listCount = 0;  // list rows
    };

    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved() override;
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted() override;
    void RowsChanged(int first, int last) override;
    void LayoutAboutToBeChanged() override;
    void LayoutChanged(const std::vector<int> &oldToNew) override;
    void SelectionChanged() override;

    bool Matches(int listRow);
    const std::string &Haystack(int listRow);
    /// Shows exactly `positions` (list positions, ascending), told to the
    /// observer in runs.
    void ShowOnly(const std::vector<int> &positions);
    /// Every list row that matches, or, with `shownOnly`, every shown row.
    std::vector<int> MatchingRows(bool shownOnly);
    void KeepSelectionShown();
    void Deactivate();
    bool HasTexts() const { return m_active || m_keepTexts; }

    ConnectionList &m_list;
    ConnectionListObserver *m_observer = nullptr;
    std::string m_filter;
    std::string m_needle;  // the filter text folded
    bool m_active = false;
    bool m_keepTexts = false;
    std::vector<int> m_columns;
    std::unique_ptr<Shown> m_shown;
    // The searched texts of the rows, folded, by RowId; made when first
    // needed while a filter is set, dropped when it is cleared.
    std::unordered_map<uint64_t, std::string> m_haystacks;
    Pending m_pending;
};

}  // namespace quorvex
