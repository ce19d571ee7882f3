#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/columns.h"
#include "core/list_row.h"

namespace quorvex {

class ConnectionListObserver;

enum class SortDirection { Ascending, Descending };

/// The order of the connection list: the sort column and direction, and the
/// stable sort that keeps equal rows in their order. Rows compare by the
/// column's text (SortField, CompareText), the traffic columns by number
/// (SortNumber); columns that compare nothing keep every row where it is.
///
/// The list sorts itself after every change, so rows a fill or refresh
/// appends get a rank that places them among their equals where the list's
/// own sort at each append would have put them (RankAppends); the next Sort
/// then orders everything at once.
class RowOrder {
public:
    int Column() const { return m_column; }
    SortDirection Direction() const { return m_direction; }
    void Set(int column, SortDirection direction);

    /// The sort column orders by a text or a number.
    bool Compares() const;
    /// A row appended while the list sorts ascending by a text, and given a
    /// non-empty text only after its append, moves ahead of the rows equal
    /// to it (an empty text sorts first, so it was placed before them while
    /// empty).
    bool SortsAheadOfEmpty(const TMyRec &rec) const;

    /// Ranks the rows from `existing` on, in append order, as described
    /// above; the rows before keep their relative order.
    void RankAppends(std::vector<std::unique_ptr<ListRow>> &rows, size_t existing);
    /// Orders the rows by column and direction, equal rows by rank, updates
    /// their `pos`, and tells the observer when anything moved. When
    /// `prefixSorted`, the rows before those ranked by RankAppends are in
    /// order already (only a state change in the refresh walk upsets them),
    /// so only the appended ones are sorted and merged in.
    void Sort(std::vector<std::unique_ptr<ListRow>> &rows, bool prefixSorted, ConnectionListObserver *observer);
    /// A stable sort of the present order, after Set.
    void SortAll(std::vector<std::unique_ptr<ListRow>> &rows, ConnectionListObserver *observer);

private:
    int64_t RankOf(const ListRow &row) const;

    int m_column = ColProcess;
    SortDirection m_direction = SortDirection::Ascending;
    // Rows before this position rank by their position in the next sort;
    // those from it on (the appended ones) by their own rank.
    size_t m_appendedFrom = 0;
};

}  // namespace quorvex
