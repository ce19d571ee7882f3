#include "core/filter_view.h"

#include <climits>
#include <stdexcept>

#include "core/columns.h"
#include "core/text_fold.h"
#include "core/text_forms.h"

namespace quorvex {

namespace {

// Between the texts of two columns, so that a filter never matches across
// them; a line edit gives no control characters.
constexpr char kColumnSeparator = '\x1f';

}  // namespace

// The list positions of the shown rows, ascending. Edits are made in one
// pass from front to back, as the list's notices come: a boundary divides
// the rows already passed (`m_done`, final) from those still ahead
// (`m_rest` from `m_next` on, each `m_shift` too large, since the list
// removed that many rows before them). Moving the boundary forward costs the
// distance, so a refresh's runs of notices cost the rows once in all; a
// step back starts a new pass.
class FilterView::Shown {
public:
    int Count() const { return static_cast<int>(m_done.size() + m_rest.size() - m_next); }

    int At(int i) const
    {
        const auto u = static_cast<size_t>(i);
        return u < m_done.size() ? m_done[u] : m_rest[m_next + u - m_done.size()] - m_shift;
    }

    // The first shown row at or after list position `p`.
    int LowerBound(int p) const
    {
        int low = 0;
        int high = Count();
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (At(middle) < p)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }

    int Find(int p) const
    {
        const int i = LowerBound(p);
        return i < Count() && At(i) == p ? i : -1;
    }

    int Boundary() const { return static_cast<int>(m_done.size()); }

    void Seek(int i)
    {
        if (i < Boundary()) {
            Finish();
            m_rest.swap(m_done);
            m_done.clear();
            m_done.reserve(m_rest.size());
        }
        while (Boundary() < i)
            m_done.push_back(m_rest[m_next++] - m_shift);
    }

    // The rows right after the boundary are no longer shown.
    void Drop(int count) { m_next += static_cast<size_t>(count); }
    // A row shown from now on, at the boundary.
    void Insert(int p) { m_done.push_back(p); }
    // The list removed `count` rows before every row after the boundary.
    void ShiftRest(int count) { m_shift += count; }

    void Append(int p)
    {
        if (m_next == m_rest.size())
            m_done.push_back(p);
        else
            m_rest.push_back(p + m_shift);
    }

    // All rows final, at their true positions.
    std::vector<int> &Finished()
    {
        for (; m_next < m_rest.size(); ++m_next)
            m_done.push_back(m_rest[m_next] - m_shift);
        m_rest.clear();
        m_next = 0;
        m_shift = 0;
        return m_done;
    }

    void Finish() { Finished(); }

    void Assign(std::vector<int> positions)
    {
        m_done = std::move(positions);
        m_rest.clear();
        m_next = 0;
        m_shift = 0;
    }

private:
    std::vector<int> m_done;
    std::vector<int> m_rest;
    size_t m_next = 0;
    int m_shift = 0;
};

FilterView::FilterView(ConnectionList &list) : m_list(list), m_shown(std::make_unique<Shown>())
{
    m_list.SetObserver(this);
}

FilterView::~FilterView()
{
    m_list.SetObserver(nullptr);
    m_list.SetRowVisibility(nullptr);
}

void FilterView::SetObserver(ConnectionListObserver *observer) { m_observer = observer; }

int FilterView::RowCount() const { return m_active ? m_shown->Count() : m_list.RowCount(); }

int FilterView::ListRow(int row) const
{
    if (row < 0 || row >= RowCount())
        throw std::out_of_range("no such row");
    return m_active ? m_shown->At(row) : row;
}

int FilterView::RowOf(int listRow) const
{
    if (listRow < 0 || listRow >= m_list.RowCount())
        return -1;
    return m_active ? m_shown->Find(listRow) : listRow;
}

const TMyRec &FilterView::Record(int row) const { return m_list.Record(ListRow(row)); }
uint64_t FilterView::RowId(int row) const { return m_list.RowId(ListRow(row)); }
RowChange FilterView::Change(int row) const { return m_list.Change(ListRow(row)); }

int FilterView::CountedRowCount() const
{
    if (!m_active || m_list.CountedRowCount() == m_list.RowCount())
        return m_active ? m_shown->Count() : m_list.CountedRowCount();
    int counted = 0;
    for (int i = 0; i < m_shown->Count(); ++i)
        counted += m_list.Change(m_shown->At(i)) != RowChange::Leaving;
    return counted;
}

int FilterView::SelectedRow() const { return RowOf(m_list.SelectedRow()); }
int FilterView::FocusedRow() const { return RowOf(m_list.FocusedRow()); }

void FilterView::SetSelectedRow(int row)
{
    m_list.SetSelectedRow(row >= 0 && row < RowCount() ? ListRow(row) : -1);
}

void FilterView::SetFocusedRow(int row)
{
    m_list.SetFocusedRow(row >= 0 && row < RowCount() ? ListRow(row) : -1);
}

const std::string &FilterView::Haystack(int listRow)
{
    const uint64_t id = m_list.RowId(listRow);
    auto found = m_haystacks.find(id);
    if (found != m_haystacks.end())
        return found->second;
    const TMyRec &rec = m_list.Record(listRow);
    std::string text;
    std::string scratch;
    for (const int column : m_columns) {
        if (!text.empty())
            text += kColumnSeparator;
        AppendFoldCase(text, Utf8FromSystemText(CellText(rec, column, scratch)));
    }
    return m_haystacks.emplace(id, std::move(text)).first->second;
}

bool FilterView::Matches(int listRow)
{
    return Haystack(listRow).find(m_needle) != std::string::npos;
}

std::vector<int> FilterView::MatchingRows(bool shownOnly)
{
    std::vector<int> rows;
    if (shownOnly) {
        const std::vector<int> &shown = m_shown->Finished();
        rows.reserve(shown.size());
        for (const int p : shown)
            if (Matches(p))
                rows.push_back(p);
    } else {
        for (int p = 0; p < m_list.RowCount(); ++p)
            if (Matches(p))
                rows.push_back(p);
    }
    return rows;
}

void FilterView::SetFilter(const std::string &text)
{
    std::string needle = FoldCase(Utf8FromSystemText(text));
    m_filter = text;
    if (needle.empty()) {
        m_needle.clear();
        if (m_active)
            Deactivate();
        return;
    }
    if (m_active && needle == m_needle)
        return;
    bool narrowing = m_active && needle.find(m_needle) != std::string::npos;
    if (!m_active) {
        // Every row is shown until the new text has been applied.
        std::vector<int> all(static_cast<size_t>(m_list.RowCount()));
        for (size_t p = 0; p < all.size(); ++p)
            all[p] = static_cast<int>(p);
        m_shown->Assign(std::move(all));
        m_active = true;
        m_list.SetRowVisibility([this](int row) { return m_shown->Find(row) >= 0; });
        narrowing = false;
    }
    m_needle = std::move(needle);
    ShowOnly(MatchingRows(narrowing));
    KeepSelectionShown();
}

void FilterView::KeepSearchTexts(bool on)
{
    m_keepTexts = on;
    if (!on) {
        if (!m_active)
            m_haystacks.clear();
        return;
    }
    m_haystacks.reserve(static_cast<size_t>(m_list.RowCount()));
    for (int p = 0; p < m_list.RowCount(); ++p)
        Haystack(p);
}

void FilterView::Deactivate()
{
    std::vector<int> all(static_cast<size_t>(m_list.RowCount()));
    for (size_t p = 0; p < all.size(); ++p)
        all[p] = static_cast<int>(p);
    ShowOnly(all);
    m_active = false;
    m_shown->Assign({});
    if (!m_keepTexts)
        m_haystacks.clear();
    m_list.SetRowVisibility(nullptr);
}

void FilterView::SetColumns(std::vector<int> columns)
{
    if (columns == m_columns)
        return;
    m_columns = std::move(columns);
    m_haystacks.clear();
    if (!m_active) {
        if (m_keepTexts)
            KeepSearchTexts(true);
        return;
    }
    ShowOnly(MatchingRows(false));
    KeepSelectionShown();
}

void FilterView::ShowOnly(const std::vector<int> &positions)
{
    Shown &shown = *m_shown;
    shown.Seek(0);
    size_t j = 0;
    for (;;) {
        const int b = shown.Boundary();
        const int old = b < shown.Count() ? shown.At(b) : INT_MAX;
        const int wanted = j < positions.size() ? positions[j] : INT_MAX;
        if (old == INT_MAX && wanted == INT_MAX)
            break;
        if (old == wanted) {
            shown.Seek(b + 1);
            ++j;
        } else if (old < wanted) {
            int run = 1;
            while (b + run < shown.Count() && shown.At(b + run) < wanted)
                ++run;
            if (m_observer)
                m_observer->RowsAboutToBeRemoved(b, b + run - 1);
            shown.Drop(run);
            if (m_observer)
                m_observer->RowsRemoved();
        } else {
            size_t run = 1;
            while (j + run < positions.size() && positions[j + run] < old)
                ++run;
            if (m_observer)
                m_observer->RowsAboutToBeInserted(b, b + static_cast<int>(run) - 1);
            for (size_t k = 0; k < run; ++k)
                shown.Insert(positions[j + k]);
            j += run;
            if (m_observer)
                m_observer->RowsInserted();
        }
    }
}

void FilterView::KeepSelectionShown()
{
    if (!m_active)
        return;
    const int selected = m_list.SelectedRow();
    const int focused = m_list.FocusedRow();
    if (selected >= 0 && RowOf(selected) < 0) {
        int first = -1;
        for (int i = 0; i < m_shown->Count() && first < 0; ++i)
            if (m_list.Change(m_shown->At(i)) != RowChange::Leaving)
                first = m_shown->At(i);
        m_list.SetSelectedRow(first);
        m_list.SetFocusedRow(first);
    } else if (focused >= 0 && RowOf(focused) < 0) {
        m_list.SetFocusedRow(selected);
    }
}

void FilterView::RowsAboutToBeRemoved(int first, int last)
{
    if (HasTexts())
        for (int p = first; p <= last; ++p)
            m_haystacks.erase(m_list.RowId(p));
    if (!m_active) {
        if (m_observer)
            m_observer->RowsAboutToBeRemoved(first, last);
        return;
    }
    const int from = m_shown->LowerBound(first);
    const int to = m_shown->LowerBound(last + 1);
    m_shown->Seek(from);
    m_pending = {from, to - from, last - first + 1};
    if (m_pending.count > 0 && m_observer)
        m_observer->RowsAboutToBeRemoved(from, to - 1);
}

void FilterView::RowsRemoved()
{
    if (!m_active) {
        if (m_observer)
            m_observer->RowsRemoved();
        return;
    }
    m_shown->Drop(m_pending.count);
    m_shown->ShiftRest(m_pending.listCount);
    if (m_pending.count > 0 && m_observer)
        m_observer->RowsRemoved();
}

void FilterView::RowsAboutToBeInserted(int first, int last)
{
    // The list has not got the rows yet; they are searched once it has.
    m_pending = {first, last - first + 1, 0};
    if (!m_active && m_observer)
        m_observer->RowsAboutToBeInserted(first, last);
}

void FilterView::RowsInserted()
{
    if (!m_active) {
        if (m_observer)
            m_observer->RowsInserted();
        return;
    }
    // The list appends at its end, so the rows shown of them come last.
    std::vector<int> matching;
    for (int p = m_pending.first; p < m_pending.first + m_pending.count; ++p)
        if (Matches(p))
            matching.push_back(p);
    if (matching.empty())
        return;
    const int count = m_shown->Count();
    if (m_observer)
        m_observer->RowsAboutToBeInserted(count, count + static_cast<int>(matching.size()) - 1);
    for (const int p : matching)
        m_shown->Append(p);
    if (m_observer)
        m_observer->RowsInserted();
}

void FilterView::RowsChanged(int first, int last)
{
    if (!m_active) {
        // Made again when next needed.
        if (m_keepTexts)
            for (int p = first; p <= last; ++p)
                m_haystacks.erase(m_list.RowId(p));
        if (m_observer)
            m_observer->RowsChanged(first, last);
        return;
    }
    // A changed text may make a row match or no longer match.
    int runFirst = -1;
    int runLast = -1;
    const auto flushRun = [&] {
        if (runFirst >= 0 && m_observer)
            m_observer->RowsChanged(runFirst, runLast);
        runFirst = -1;
    };
    for (int p = first; p <= last; ++p) {
        m_haystacks.erase(m_list.RowId(p));
        const bool match = Matches(p);
        const int i = m_shown->LowerBound(p);
        const bool shown = i < m_shown->Count() && m_shown->At(i) == p;
        if (shown && match) {
            if (runFirst >= 0 && i == runLast + 1) {
                runLast = i;
            } else {
                flushRun();
                runFirst = runLast = i;
            }
        } else if (shown) {
            flushRun();
            m_shown->Seek(i);
            if (m_observer)
                m_observer->RowsAboutToBeRemoved(i, i);
            m_shown->Drop(1);
            if (m_observer)
                m_observer->RowsRemoved();
            if (m_list.SelectedRow() == p)
                m_list.SetSelectedRow(-1);
            if (m_list.FocusedRow() == p)
                m_list.SetFocusedRow(-1);
        } else if (match) {
            flushRun();
            m_shown->Seek(i);
            if (m_observer)
                m_observer->RowsAboutToBeInserted(i, i);
            m_shown->Insert(p);
            if (m_observer)
                m_observer->RowsInserted();
        }
    }
    flushRun();
}

void FilterView::LayoutAboutToBeChanged()
{
    if (m_observer)
        m_observer->LayoutAboutToBeChanged();
}

void FilterView::LayoutChanged(const std::vector<int> &oldToNew)
{
    if (!m_active) {
        if (m_observer)
            m_observer->LayoutChanged(oldToNew);
        return;
    }
    // The shown rows keep the list's order: walk the new positions in order.
    std::vector<int> &positions = m_shown->Finished();
    std::vector<int> shownAt(oldToNew.size(), -1);
    for (size_t i = 0; i < positions.size(); ++i)
        shownAt[static_cast<size_t>(oldToNew[static_cast<size_t>(positions[i])])] = static_cast<int>(i);
    std::vector<int> rowOldToNew(positions.size());
    size_t k = 0;
    for (size_t p = 0; p < shownAt.size(); ++p) {
        if (shownAt[p] < 0)
            continue;
        rowOldToNew[static_cast<size_t>(shownAt[p])] = static_cast<int>(k);
        positions[k++] = static_cast<int>(p);
    }
    if (m_observer)
        m_observer->LayoutChanged(rowOldToNew);
}

void FilterView::SelectionChanged()
{
    if (m_observer)
        m_observer->SelectionChanged();
}

}  // namespace quorvex
