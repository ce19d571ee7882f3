#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/file_rec.h"
#include "core/list_observer.h"
#include "core/my_rec.h"
#include "core/row_changes.h"
#include "core/row_order.h"
#include "core/row_rules.h"

namespace quorvex {

/// Counters a fill or refresh leaves for the two labels above the list.
struct FillCounts {
    int NetCount = 0;  // rows
    int AppCount = 0;  // distinct programs
};

/// The rows of the connection list, their selection and focus, and the
/// first fill and the refresh that change them. Rows are addressed by their
/// position in the display order. The order itself is RowOrder's
/// (core/row_order.h); the refresh finds the rows' endpoints through
/// ClaimEndpoints (core/endpoint_index.h).
class ConnectionList {
public:
    ConnectionList();
    ~ConnectionList();
    ConnectionList(const ConnectionList &) = delete;
    ConnectionList &operator=(const ConnectionList &) = delete;

    void SetObserver(ConnectionListObserver *observer);

    int RowCount() const;
    const TMyRec &Record(int row) const;
    /// An identity of the row that never changes while the row exists and is
    /// never given to another row; for views that key their indexes on it.
    uint64_t RowId(int row) const;

    int SortColumn() const;          // -1 for none; ColProcess at start
    SortDirection Direction() const; // ascending at start
    /// Sets sort column and direction and sorts at once (stable).
    void SetSort(int column, SortDirection direction);
    /// A header click: the manage column changes nothing; any other column
    /// (or -1) becomes the sort column and the direction flips.
    void HeaderClick(int column);

    int SelectedRow() const;  // -1 when none
    int FocusedRow() const;   // -1 when none
    // Single selection; -1 or a row out of range clears. Each tells the
    // observer only when it changes something.
    void SetSelectedRow(int row);
    void SetFocusedRow(int row);

    /// Highlighted changes (the view option HighlightChanges), off at
    /// start. While on, a refresh marks the rows it adds Added and, instead
    /// of deleting a row whose endpoint is gone, marks it Leaving; the next
    /// refresh deletes the Leaving rows first and clears the Added marks
    /// (core/row_changes.h). While off, a refresh is the plain one and every
    /// row is None. Turning it off drops the Leaving rows and the marks at
    /// once, told to the observer as a refresh tells them; when the selected
    /// row was one of them, the first row that counts is selected.
    void SetHighlightChanges(bool on);
    bool HighlightChanges() const;
    RowChange Change(int row) const;
    /// The rows that count (in the counters and for commands): all but the
    /// Leaving ones.
    int CountedRowCount() const;

    /// Which rows the user sees, for a view that shows only some of them
    /// (FilterView); unset, every row. When a refresh (or turning the
    /// highlight off) leaves no row selected, the list selects and focuses
    /// the first row that is seen and counts, rather than its first row.
    /// Asked with a position in the present order, after the sort.
    void SetRowVisibility(std::function<bool(int row)> visible);

    /// How the rows made from now on describe an owner without a path; the
    /// platform's answer, set before the first fill.
    void SetPathlessOwners(PathlessOwners pathless);

    /// The first fill, on an empty list, from a snapshot just taken.
    FillCounts FillList(const TcpUdpTables &tables, bool showLocal);
    /// The incremental refresh against a snapshot just taken; writes the
    /// claim marks into `tables`. A kept TCP row takes the record's counters,
    /// and its rate is their growth since the snapshot of the last fill or
    /// refresh (the two TakenAtMs apart). The caller gives the list the
    /// keyboard focus and repaints it.
    FillCounts RefreshList(TcpUdpTables &tables, bool showLocal);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvex
