#include "core/connection_list.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/endpoint_index.h"

namespace quorvex {

namespace {

const std::string kAdd = "add";
const std::string kEmpty;

// The selected and the focused row by id (0 for none): what a fill or
// refresh compares before and after to tell the observer.
struct Pointed {
    uint64_t selected = 0;
    uint64_t focused = 0;
    bool operator==(const Pointed &) const = default;
};

}  // namespace

struct ConnectionList::Impl {
    std::vector<std::unique_ptr<ListRow>> rows;
    // While a refresh removes rows, rows[gapStart, gapStart + gapSize) are
    // freed slots; positions at and after gapStart are shifted by gapSize.
    size_t gapStart = 0;
    size_t gapSize = 0;
    uint64_t nextId = 1;
    RowOrder order;
    ListRow *selected = nullptr;
    ListRow *focused = nullptr;
    ConnectionListObserver *observer = nullptr;
    PathlessOwners pathless = PathlessOwners::SystemOrIdle;
    // When the snapshot the rows' counters come from was taken (0: unknown).
    int64_t countersTakenAtMs = 0;
    bool highlight = false;
    int leaving = 0;  // rows marked Leaving
    std::function<bool(int)> visible;

    int count() const { return static_cast<int>(rows.size() - gapSize); }

    ListRow *at(int position) const
    {
        const auto p = static_cast<size_t>(position);
        return rows[p < gapStart ? p : p + gapSize].get();
    }

    int positionOf(const ListRow *row) const
    {
        if (!row)
            return -1;
        const auto p = static_cast<size_t>(row->pos);
        return static_cast<int>(p < gapStart ? p : p - gapSize);
    }

    // Points the selection or the focus at a row (-1 or out of range: none);
    // the view hears of it only when it changed, so its echo cannot loop.
    void point(ListRow *&slot, int position)
    {
        ListRow *wanted = position >= 0 && position < count() ? at(position) : nullptr;
        if (wanted == slot)
            return;
        slot = wanted;
        if (observer)
            observer->SelectionChanged();
    }

    Pointed pointed() const { return {selected ? selected->id : 0, focused ? focused->id : 0}; }

    // Tells the view once, after a fill or refresh, when the selected or the
    // focused row is another one than before it.
    void notifyIfPointedElsewhere(const Pointed &before) const
    {
        if (observer && !(pointed() == before))
            observer->SelectionChanged();
    }

    // Makes the rows of the records of the snapshot arrays, in the order of
    // RecordGroups (only of the unclaimed ones when `unclaimedOnly`). Hidden
    // loopback rows are noted as programs and then dropped again, never
    // shown. Returns whether any row was made, and in `lastDropped` whether
    // the last one made was dropped.
    bool makeRows(const TcpUdpTables &tables, const std::string &remark, bool showLocal, bool unclaimedOnly,
                  ProgramList &programs, std::vector<std::unique_ptr<ListRow>> &out, bool &lastDropped)
    {
        bool madeAny = false;
        lastDropped = false;
        for (const RecordGroup &group : RecordGroups) {
            const std::string protocol = group.Protocol;
            for (const auto &rec : tables.*group.Recs) {
                if (unclaimedOnly && IsClaimed(rec))
                    continue;
                auto row = std::make_unique<ListRow>();
                row->id = nextId++;
                FillRow(row->rec, rec, protocol, remark, pathless);
                programs.NoteProgram(row->rec);
                madeAny = true;
                lastDropped = IsHiddenLoopback(row->rec, showLocal);
                if (!lastDropped)
                    out.push_back(std::move(row));
            }
        }
        return madeAny;
    }

    void insertAtEnd(std::vector<std::unique_ptr<ListRow>> &added)
    {
        if (added.empty())
            return;
        const int first = count();
        if (observer)
            observer->RowsAboutToBeInserted(first, first + static_cast<int>(added.size()) - 1);
        for (auto &r : added) {
            r->pos = static_cast<int>(rows.size());
            rows.push_back(std::move(r));
        }
        added.clear();
        if (observer)
            observer->RowsInserted();
    }

    // The refresh's new rows: one for every record no row claimed, array by
    // array (RecordGroups), each in its order, marked "add".
    void appendUnclaimedRecords(const TcpUdpTables &tables, bool showLocal, ProgramList &programs)
    {
        std::vector<std::unique_ptr<ListRow>> added;
        bool lastDropped = false;
        makeRows(tables, kAdd, showLocal, true, programs, added, lastDropped);
        if (highlight)
            for (auto &row : added)
                row->change = RowChange::Added;
        insertAtEnd(added);
    }

    // Removes the rows the walk did not keep, one run of adjacent rows at a
    // time, compacting in one pass; the positions the observer sees stay
    // valid between the two calls of every run.
    void deleteUnclaimedRows(const std::vector<char> &kept)
    {
        size_t write = 0;
        size_t read = 0;
        const size_t n = rows.size();
        auto keepUpTo = [&](size_t end) {
            for (; read < end; ++read, ++write) {
                if (write != read) {
                    rows[write] = std::move(rows[read]);
                    rows[write]->pos = static_cast<int>(write);
                }
            }
            gapStart = write;
            gapSize = read - write;
        };
        while (read < n) {
            size_t runStart = read;
            while (runStart < n && kept[runStart])
                ++runStart;
            if (runStart == n)
                break;
            size_t runEnd = runStart;
            while (runEnd < n && !kept[runEnd])
                ++runEnd;
            keepUpTo(runStart);
            const int first = static_cast<int>(write);
            if (observer)
                observer->RowsAboutToBeRemoved(first, first + static_cast<int>(runEnd - runStart) - 1);
            for (size_t i = runStart; i < runEnd; ++i) {
                if (selected == rows[i].get())
                    selected = nullptr;
                if (focused == rows[i].get())
                    focused = nullptr;
                rows[i].reset();
            }
            read = runEnd;
            gapSize = read - write;
            if (observer)
                observer->RowsRemoved();
        }
        keepUpTo(n);
        rows.resize(write);
        gapStart = 0;
        gapSize = 0;
    }

    // Tells the observer of the rows whose shown texts changed, in runs of
    // adjacent rows.
    void reportChangedRows(const std::vector<const ListRow *> &changed)
    {
        if (!observer || changed.empty())
            return;
        std::vector<int> positions;
        positions.reserve(changed.size());
        for (const ListRow *r : changed)
            positions.push_back(r->pos);
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        for (size_t i = 0; i < positions.size();) {
            size_t last = i;
            while (last + 1 < positions.size() && positions[last + 1] == positions[last] + 1)
                ++last;
            observer->RowsChanged(positions[i], positions[last]);
            i = last + 1;
        }
    }

    // The rows from `existing` on were appended; the list's own sort would
    // have placed each at its append, this sort places them all at once.
    void sortAppendedRows(size_t existing, bool prefixSorted)
    {
        order.RankAppends(rows, existing);
        order.Sort(rows, prefixSorted, observer);
    }

    void selectFirstRowIfNone()
    {
        if (selected || rows.empty())
            return;
        if (!visible && leaving == 0) {
            selected = rows.front().get();
            focused = selected;
            return;
        }
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i]->change != RowChange::Leaving && (!visible || visible(static_cast<int>(i)))) {
                selected = rows[i].get();
                focused = selected;
                return;
            }
        }
    }

    // The highlight's end of an interval: the Leaving rows go, and the rows
    // the last refresh added are plain again (collected in `unmarked`).
    void endLatestChanges(std::vector<const ListRow *> &unmarked)
    {
        if (leaving > 0) {
            std::vector<char> keep(rows.size());
            for (size_t i = 0; i < rows.size(); ++i)
                keep[i] = rows[i]->change != RowChange::Leaving;
            deleteUnclaimedRows(keep);
            leaving = 0;
        }
        for (const auto &row : rows) {
            if (row->change == RowChange::Added) {
                row->change = RowChange::None;
                unmarked.push_back(row.get());
            }
        }
    }

    // What the highlight does instead of deleting the rows the walk did not
    // keep: they stay, marked Leaving, until the next refresh.
    void markLeaving(const std::vector<char> &kept, std::vector<const ListRow *> &changed)
    {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (!kept[i]) {
                rows[i]->change = RowChange::Leaving;
                ++leaving;
                changed.push_back(rows[i].get());
            }
        }
    }

    // The row first when the fill selects, before its last sort: every
    // append but the last has been placed by the list's own sort, and the
    // last appended row (`pending`, unless it was dropped again) still sits
    // where it was placed while empty: ascending behind the rows with an
    // empty text, otherwise at the end. The others are in their final order
    // already.
    void selectFirstAfterFill(ListRow *pending)
    {
        ListRow *firstOfOthers = nullptr;
        for (size_t i = 0; i < rows.size() && i < 2 && !firstOfOthers; ++i)
            if (rows[i].get() != pending)
                firstOfOthers = rows[i].get();
        const bool pendingAhead = firstOfOthers && order.SortsAheadOfEmpty(firstOfOthers->rec);
        ListRow *first = pending && (!firstOfOthers || pendingAhead) ? pending : firstOfOthers;
        selected = first;
        focused = first;
    }
};

ConnectionList::ConnectionList() : m_impl(std::make_unique<Impl>()) {}
ConnectionList::~ConnectionList() = default;

void ConnectionList::SetObserver(ConnectionListObserver *observer) { m_impl->observer = observer; }
int ConnectionList::RowCount() const { return m_impl->count(); }

const TMyRec &ConnectionList::Record(int row) const
{
    if (row < 0 || row >= m_impl->count())
        throw std::out_of_range("no such row");
    return m_impl->at(row)->rec;
}

uint64_t ConnectionList::RowId(int row) const
{
    if (row < 0 || row >= m_impl->count())
        throw std::out_of_range("no such row");
    return m_impl->at(row)->id;
}

int ConnectionList::SortColumn() const { return m_impl->order.Column(); }
SortDirection ConnectionList::Direction() const { return m_impl->order.Direction(); }
int ConnectionList::SelectedRow() const { return m_impl->positionOf(m_impl->selected); }
int ConnectionList::FocusedRow() const { return m_impl->positionOf(m_impl->focused); }

void ConnectionList::SetSort(int column, SortDirection direction)
{
    m_impl->order.Set(column, direction);
    m_impl->order.SortAll(m_impl->rows, m_impl->observer);
}

void ConnectionList::HeaderClick(int column)
{
    if (column == ColManage)
        return;
    SetSort(column, Direction() == SortDirection::Ascending ? SortDirection::Descending : SortDirection::Ascending);
}

void ConnectionList::SetPathlessOwners(PathlessOwners pathless) { m_impl->pathless = pathless; }

bool ConnectionList::HighlightChanges() const { return m_impl->highlight; }
int ConnectionList::CountedRowCount() const { return m_impl->count() - m_impl->leaving; }
void ConnectionList::SetRowVisibility(std::function<bool(int row)> visible) { m_impl->visible = std::move(visible); }

RowChange ConnectionList::Change(int row) const
{
    if (row < 0 || row >= m_impl->count())
        throw std::out_of_range("no such row");
    return m_impl->at(row)->change;
}

void ConnectionList::SetHighlightChanges(bool on)
{
    auto &d = *m_impl;
    if (on == d.highlight)
        return;
    d.highlight = on;
    if (on)
        return;  // the marks begin with the next refresh
    const Pointed before = d.pointed();
    std::vector<const ListRow *> unmarked;
    d.endLatestChanges(unmarked);
    d.reportChangedRows(unmarked);
    if (before.selected != 0 && !d.selected)
        d.selectFirstRowIfNone();
    d.notifyIfPointedElsewhere(before);
}

void ConnectionList::SetSelectedRow(int row) { m_impl->point(m_impl->selected, row); }
void ConnectionList::SetFocusedRow(int row) { m_impl->point(m_impl->focused, row); }

FillCounts ConnectionList::FillList(const TcpUdpTables &tables, bool showLocal)
{
    auto &d = *m_impl;
    const Pointed before = d.pointed();
    ProgramList programs;

    // Every record gets a row, array by array, each in its order.
    std::vector<std::unique_ptr<ListRow>> added;
    size_t records = 0;
    for (const RecordGroup &group : RecordGroups)
        records += (tables.*group.Recs).size();
    added.reserve(records);
    bool lastDropped = false;
    const bool appendedAny = d.makeRows(tables, kEmpty, showLocal, false, programs, added, lastDropped);
    d.countersTakenAtMs = tables.TakenAtMs;
    const size_t existing = d.rows.size();
    ListRow *pending = appendedAny && !lastDropped ? added.back().get() : nullptr;
    ListRow *firstBeforeAppends = existing > 0 ? d.rows.front().get() : nullptr;
    d.insertAtEnd(added);

    const FillCounts counts{d.count(), programs.Count()};
    d.sortAppendedRows(existing, true);
    if (appendedAny) {
        d.selectFirstAfterFill(pending);
    } else if (firstBeforeAppends) {
        d.selected = firstBeforeAppends;
        d.focused = firstBeforeAppends;
    }
    d.notifyIfPointedElsewhere(before);
    return counts;
}

FillCounts ConnectionList::RefreshList(TcpUdpTables &tables, bool showLocal)
{
    auto &d = *m_impl;
    const Pointed before = d.pointed();
    ProgramList programs;

    // The walk: every row claims the first unclaimed record of its endpoint
    // or goes. A hidden loopback row claims nothing, so it goes as well and
    // its record is handled (and its program noted) with the new records.
    // With the highlight on, the rows the last refresh kept only to show
    // them leaving go first, so they claim nothing.
    std::vector<const ListRow *> unmarked;
    if (d.highlight)
        d.endLatestChanges(unmarked);
    const int64_t elapsedMs =
        d.countersTakenAtMs > 0 && tables.TakenAtMs > 0 ? tables.TakenAtMs - d.countersTakenAtMs : 0;
    RowClaims claims = ClaimEndpoints(d.rows, tables, showLocal, programs, elapsedMs);
    d.countersTakenAtMs = tables.TakenAtMs;
    if (d.highlight)
        d.markLeaving(claims.Kept, claims.Changed);
    else
        d.deleteUnclaimedRows(claims.Kept);
    const size_t kept = d.rows.size();
    d.appendUnclaimedRecords(tables, showLocal, programs);
    claims.Changed.insert(claims.Changed.end(), unmarked.begin(), unmarked.end());
    d.reportChangedRows(claims.Changed);
    // The kept rows are still in order, unless a state text changed while
    // the list sorts by state, or counters changed while it sorts by them.
    const int column = d.order.Column();
    const bool keptMoved =
        (claims.StateChanged && column == ColState) || (claims.TrafficChanged && IsNumericColumn(column));
    d.sortAppendedRows(kept, !keptMoved);
    const FillCounts counts{d.count() - d.leaving, programs.Count()};
    d.selectFirstRowIfNone();
    d.notifyIfPointedElsewhere(before);
    return counts;
}

}  // namespace quorvex
