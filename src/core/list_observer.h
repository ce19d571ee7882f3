#pragma once

#include <vector>

namespace quorvex {

/// Told of every change of the connection list, so that a view can follow it
/// row by row (never a reset). Row numbers are positions in the current
/// display order. A refresh tells, in this order: the removed rows, in runs
/// of adjacent rows (between the two calls of a run the rows are still
/// counted and readable, after the second they are gone); the appended rows,
/// inserted at the end; the kept rows whose state or remark changed, in runs;
/// one layout change for the sort, only when a row moved; SelectionChanged
/// when the selected or the focused row is another one than before (a
/// removed row is neither). A fill tells the insertion, the layout change and
/// the selection. The filter's view over the list (FilterView) tells the
/// same notices in its own row numbers, except that it inserts rows wherever
/// they start to show, not only at its end.
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

}  // namespace quorvex
