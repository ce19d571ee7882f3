#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/file_rec.h"
#include "core/my_rec.h"

namespace quorvex {

enum class SortDirection { Ascending, Descending };

/// Told of every change of the list, so that a view can follow it row by row
/// (never a reset). Row numbers are positions in the current display order.
/// A refresh tells, in this order: the removed rows, in runs of adjacent rows
/// (between the two calls of a run the rows are still counted and readable,
/// after the second they are gone); the appended rows, inserted at the end;
/// the kept rows whose state or remark changed, in runs; one layout change
/// for the sort, only when a row moved; SelectionChanged when the selected or
/// the focused row is another one than before (a removed row is neither).
/// A fill tells the insertion, the layout change and the selection.
class ConnectionListObserver {
public:
    virtual ~ConnectionListObserver() = default;
    virtual void RowsAboutToBeRemoved(int first, int last) = 0;
    virtual void RowsRemoved() = 0;
    virtual void RowsAboutToBeInserted(int first, int last) = 0;
    virtual void RowsInserted() = 0;
    virtual void RowsChanged(int first, int last) = 0;
    /// The order is about to change; then `oldToNew[i]` is the new position
    /// of the row that was at position i.
    virtual void LayoutAboutToBeChanged() = 0;
    virtual void LayoutChanged(const std::vector<int> &oldToNew) = 0;
    /// The selected or the focused row changed.
    virtual void SelectionChanged() = 0;
};

/// Counters a fill or refresh leaves for the two labels above the list.
struct FillCounts {
    int NetCount = 0;  // rows
    int AppCount = 0;  // distinct programs
};

// Row rules shared by the first fill and the refresh.
void FillRow(TMyRec &rec, const File_Rec &source, const std::string &protocol, const std::string &remark);
bool IsHiddenLoopback(const TMyRec &rec, bool showLocal);

/// The programs noted during one fill or refresh: distinct process names of
/// rows that have a path, byte-wise and case-sensitive; an empty name is a
/// program of its own.
class ProgramList {
public:
    void NoteProgram(const TMyRec &rec);
    int Count() const;

private:
    std::unordered_set<std::string> m_names;
};

/// The rows of the connection list, their order, sort state, selection and
/// focus. Rows are addressed by their position in the display order.
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

    int SortColumn() const;          // -1 for none; 1 at start
    SortDirection Direction() const; // ascending at start
    /// Sets sort column and direction and sorts at once (stable).
    void SetSort(int column, SortDirection direction);
    /// A header click: column 9 changes nothing; any other column (or -1)
    /// becomes the sort column and the direction flips.
    void HeaderClick(int column);

    int SelectedRow() const;  // -1 when none
    int FocusedRow() const;   // -1 when none
    // Single selection; -1 or a row out of range clears. Each tells the
    // observer only when it changes something.
    void SetSelectedRow(int row);
    void SetFocusedRow(int row);

    /// The first fill, on an empty list, from a snapshot just taken.
    FillCounts FillList(const TcpUdpTables &tables, bool showLocal);
    /// The incremental refresh against a snapshot just taken; writes the
    /// claim marks into `tables`. The caller gives the list the keyboard
    /// focus and repaints it.
    FillCounts RefreshList(TcpUdpTables &tables, bool showLocal);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvex
