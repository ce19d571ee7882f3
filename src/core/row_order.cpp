#include "core/row_order.h"

#include <algorithm>
#include <string>

#include "core/list_observer.h"

namespace quorvex {

namespace {

// A row in a sort: its rank and the first 16 bytes of its key as CompareText
// sees them (a..z folded, zero from the end of the text on), big-endian, so
// that comparing the two numbers compares the texts as far as they reach.
struct SortEntry {
    uint64_t high = 0;
    uint64_t low = 0;
    int64_t rank = 0;
    ListRow *row = nullptr;
    bool longKey = false;  // no end of text within the 16 bytes

    void SetKey(const std::string &key)
    {
        const char *text = key.c_str();  // the compare ends at the first zero byte
        size_t i = 0;
        for (; i < 16 && text[i] != '\0'; ++i) {
            auto c = static_cast<unsigned char>(text[i]);
            if (c >= 'a' && c <= 'z')
                c = static_cast<unsigned char>(c - 0x20);
            uint64_t &half = i < 8 ? high : low;
            half |= static_cast<uint64_t>(c) << (8 * (7 - i % 8));
        }
        longKey = i == 16;
    }

    // A number orders after "none": the first half says which, the second
    // holds the number.
    void SetNumber(const std::optional<uint64_t> &number)
    {
        high = number ? 1 : 0;
        low = number.value_or(0);
    }

    int CompareKey(const SortEntry &other, int column) const
    {
        if (high != other.high)
            return high < other.high ? -1 : 1;
        if (low != other.low)
            return low < other.low ? -1 : 1;
        if (!longKey || !other.longKey)
            return 0;
        return CompareText(*SortField(row->rec, column), *SortField(other.row->rec, column));
    }
};

bool IsEmptyKey(const std::string &text)
{
    // What compares equal to the empty text: the compare stops at a zero byte.
    return text.empty() || text[0] == '\0';
}

}  // namespace

void RowOrder::Set(int column, SortDirection direction)
{
    m_column = column;
    m_direction = direction;
}

bool RowOrder::Compares() const
{
    static const TMyRec probe;
    return IsNumericColumn(m_column) || SortField(probe, m_column) != nullptr;
}

bool RowOrder::SortsAheadOfEmpty(const TMyRec &rec) const
{
    if (m_direction != SortDirection::Ascending || !Compares())
        return false;
    // An empty row has no number either, and "none" sorts first as well.
    if (IsNumericColumn(m_column))
        return SortNumber(rec, m_column).has_value();
    return !IsEmptyKey(*SortField(rec, m_column));
}

int64_t RowOrder::RankOf(const ListRow &row) const
{
    return static_cast<size_t>(row.pos) < m_appendedFrom ? row.pos : row.rank;
}

// The list sorts itself (stably) at every append with the new row still
// empty, so the row is placed among the empty texts first and then, once
// filled, moved to the nearest end of the run of rows equal to it.
// Ascending, an empty text sorts first, so a filled row lands before its
// equals and a row whose text stays empty after them; descending, and for
// columns that compare nothing, the new row sits at the end and stays after
// its equals.
void RowOrder::RankAppends(std::vector<std::unique_ptr<ListRow>> &rows, size_t existing)
{
    m_appendedFrom = existing;
    for (size_t i = existing; i < rows.size(); ++i) {
        ListRow &r = *rows[i];
        const auto k = static_cast<int64_t>(i - existing);
        r.rank = SortsAheadOfEmpty(r.rec) ? -1 - k : static_cast<int64_t>(existing) + k;
    }
}

void RowOrder::SortAll(std::vector<std::unique_ptr<ListRow>> &rows, ConnectionListObserver *observer)
{
    m_appendedFrom = rows.size();
    Sort(rows, false, observer);
}

void RowOrder::Sort(std::vector<std::unique_ptr<ListRow>> &rows, bool prefixSorted, ConnectionListObserver *observer)
{
    const size_t existing = std::min(m_appendedFrom, rows.size());
    if (prefixSorted && existing == rows.size())
        return;
    // Sorting pointers to rows scattered in memory is dominated by cache
    // misses; the entries carry the first bytes of the key instead, and
    // only keys that agree in all of them are compared in full.
    const bool byKey = Compares();
    const bool byNumber = IsNumericColumn(m_column);
    const bool descending = m_direction == SortDirection::Descending;
    std::vector<SortEntry> order(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        order[i].row = rows[i].get();
        order[i].rank = RankOf(*rows[i]);
        if (byNumber)
            order[i].SetNumber(SortNumber(rows[i]->rec, m_column));
        else if (byKey)
            order[i].SetKey(*SortField(rows[i]->rec, m_column));
    }
    const int column = m_column;
    const auto before = [byKey, descending, column](const SortEntry &a, const SortEntry &b) {
        if (byKey) {
            int c = a.CompareKey(b, column);
            if (descending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return a.rank < b.rank;
    };
    if (prefixSorted) {
        const auto middle = order.begin() + static_cast<std::ptrdiff_t>(existing);
        std::sort(middle, order.end(), before);
        std::inplace_merge(order.begin(), middle, order.end(), before);
    } else {
        std::sort(order.begin(), order.end(), before);
    }
    size_t firstMoved = 0;
    while (firstMoved < order.size() && order[firstMoved].row == rows[firstMoved].get())
        ++firstMoved;
    if (firstMoved == order.size())
        return;
    if (observer)
        observer->LayoutAboutToBeChanged();
    std::vector<int> oldToNew(order.size());
    std::vector<std::unique_ptr<ListRow>> sorted(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const auto old = static_cast<size_t>(order[i].row->pos);
        oldToNew[old] = static_cast<int>(i);
        sorted[i] = std::move(rows[old]);
    }
    for (size_t i = firstMoved; i < order.size(); ++i)
        if (sorted[i]->pos != static_cast<int>(i))
            sorted[i]->pos = static_cast<int>(i);
    rows = std::move(sorted);
    if (observer)
        observer->LayoutChanged(oldToNew);
}

}  // namespace quorvex
