#include "core/connection_list.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "core/columns.h"
#include "core/fixed_texts.h"
#include "core/tcp_state.h"
#include "core/text_forms.h"

namespace quorvex {

void FillRow(TMyRec &rec, const File_Rec &source, const std::string &protocol, const std::string &remark)
{
    rec.Protocol = protocol;
    if (protocol == "TCP") {
        rec.StateText = GetTcpStateName(source.State);
        rec.RemoteIp = source.RemoteIp;
        rec.RemotePort = source.RemotePort;
    }
    rec.LocalIp = source.LocalIp;
    rec.LocalPort = source.LocalPort;
    rec.Pid = source.Pid;
    rec.ProcessName = source.ProcessName;
    rec.ProcessPath = source.ProcessPath;
    if (!source.ProcessPath.empty()) {
        rec.Description = source.FileDescription;
    } else if (rec.ProcessName == "System") {
        rec.Description = SystemText(texts::SystemProcessDesc);
    } else {
        rec.Description = SystemText(texts::IdleProcessDesc);
    }
    rec.CompanyName = source.CompanyName;
    rec.Remark = remark;
    rec.StartTime = source.StartTime;
}

bool IsHiddenLoopback(const TMyRec &rec, bool showLocal)
{
    return !showLocal && rec.Protocol == "TCP" && rec.LocalIp == "127.0.0.1" && rec.RemoteIp == "127.0.0.1";
}

void ProgramList::NoteProgram(const TMyRec &rec)
{
    if (rec.ProcessPath.empty())
        return;
    if (m_names.find(rec.ProcessName) == m_names.end())
        m_names.insert(rec.ProcessName);
}

int ProgramList::Count() const
{
    return static_cast<int>(m_names.size());
}

namespace {

const std::string kTcp = "TCP";
const std::string kUdp = "UDP";
const std::string kAdd = "add";
const std::string kModified = "md";
const std::string kClaimed = "ok";
const std::string kEmpty;

struct Row {
    TMyRec rec;
    uint64_t id = 0;
    int pos = 0;       // index in Impl::rows; see Impl::positionOf during a sweep
    int64_t rank = 0;  // tie-break of an appended row in the next sort
};

// The fields a refresh matches a row to an endpoint by; UDP leaves the
// remote pair empty on both sides.
struct EndpointKey {
    std::string_view pid, localIp, localPort, remoteIp, remotePort;
    bool operator==(const EndpointKey &) const = default;
};

// FNV-1a over the fields, each closed by a zero byte so that ("1", "23")
// and ("12", "3") differ.
uint64_t HashOf(const EndpointKey &k)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (std::string_view part : {k.pid, k.localIp, k.localPort, k.remoteIp, k.remotePort}) {
        for (const char c : part)
            h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        h *= 0x100000001b3ull;
    }
    // The multiply carries only upwards; fold the high bits into the low
    // ones that pick the slot.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

EndpointKey KeyOf(const File_Rec &r, bool tcp)
{
    if (tcp)
        return {r.Pid, r.LocalIp, r.LocalPort, r.RemoteIp, r.RemotePort};
    return {r.Pid, r.LocalIp, r.LocalPort, {}, {}};
}

EndpointKey KeyOf(const TMyRec &r, bool tcp)
{
    if (tcp)
        return {r.Pid, r.LocalIp, r.LocalPort, r.RemoteIp, r.RemotePort};
    return {r.Pid, r.LocalIp, r.LocalPort, {}, {}};
}

inline void Prefetch(const void *address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// The unclaimed records of one snapshot array, by endpoint: an open
// addressing table whose slots chain equal records in array order. A lookup
// gives the first unclaimed record; claiming it moves the answer on to the
// next equal record, so two equal endpoints are claimed by two rows.
class EndpointIndex {
public:
    struct Slot {
        uint64_t hash = 0;
        int first = -1;  // a record with this key; -1 marks a free slot
        int head = -1;   // the first unclaimed record, -1 when all are claimed
    };

    EndpointIndex(std::vector<File_Rec> &recs, bool tcp) : m_recs(recs), m_tcp(tcp), m_next(recs.size(), -1)
    {
        size_t capacity = 16;
        while (capacity < recs.size() * 2)
            capacity *= 2;
        m_slots.resize(capacity);
        m_mask = capacity - 1;
        for (size_t i = recs.size(); i-- > 0;) {
            if (recs[i].Mark == kClaimed)
                continue;
            const EndpointKey key = KeyOf(recs[i], tcp);
            Slot &slot = probe(key, HashOf(key));
            const int index = static_cast<int>(i);
            if (slot.first < 0) {
                slot.hash = HashOf(key);
                slot.first = index;
            } else {
                m_next[i] = slot.head;
            }
            slot.head = index;
        }
    }

    // The slot of `key` (whose HashOf is `hash`), or nullptr when no
    // unclaimed record has it.
    Slot *Find(const EndpointKey &key, uint64_t hash)
    {
        Slot &slot = probe(key, hash);
        return slot.head >= 0 ? &slot : nullptr;
    }

    // Lookups of a walk over rows scattered in memory wait on cache misses;
    // these ask for the slot, and a little later for its record, ahead.
    void PrefetchSlot(uint64_t hash) const { Prefetch(&m_slots[hash & m_mask]); }
    void PrefetchRecord(uint64_t hash) const
    {
        const Slot &slot = m_slots[hash & m_mask];
        if (slot.head >= 0)
            Prefetch(&m_recs[static_cast<size_t>(slot.head)]);
    }

    File_Rec &Record(const Slot &slot) { return m_recs[static_cast<size_t>(slot.head)]; }

    void Claim(Slot &slot)
    {
        m_recs[static_cast<size_t>(slot.head)].Mark = kClaimed;
        slot.head = m_next[static_cast<size_t>(slot.head)];
    }

private:
    Slot &probe(const EndpointKey &key, uint64_t hash)
    {
        for (size_t j = hash & m_mask;; j = (j + 1) & m_mask) {
            Slot &slot = m_slots[j];
            if (slot.first < 0 ||
                (slot.hash == hash && KeyOf(m_recs[static_cast<size_t>(slot.first)], m_tcp) == key))
                return slot;
        }
    }

    std::vector<File_Rec> &m_recs;
    bool m_tcp;
    std::vector<int> m_next;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

// A row in a sort: its rank and the first 16 bytes of its key as CompareText
// sees them (a..z folded, zero from the end of the text on), big-endian, so
// that comparing the two numbers compares the texts as far as they reach.
struct SortEntry {
    uint64_t high = 0;
    uint64_t low = 0;
    int64_t rank = 0;
    Row *row = nullptr;
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

struct ConnectionList::Impl {
    std::vector<std::unique_ptr<Row>> rows;
    // While a refresh removes rows, rows[gapStart, gapStart + gapSize) are
    // freed slots; positions at and after gapStart are shifted by gapSize.
    size_t gapStart = 0;
    size_t gapSize = 0;
    uint64_t nextId = 1;
    int sortColumn = ColProcess;
    SortDirection direction = SortDirection::Ascending;
    // Rows before this position rank by their position in the next sort;
    // those from it on (the appended ones) by their own rank.
    size_t appendedFrom = 0;
    Row *selected = nullptr;
    Row *focused = nullptr;
    ConnectionListObserver *observer = nullptr;

    int count() const { return static_cast<int>(rows.size() - gapSize); }

    Row *at(int position) const
    {
        const auto p = static_cast<size_t>(position);
        return rows[p < gapStart ? p : p + gapSize].get();
    }

    // Points the selection or the focus at a row (-1 or out of range: none);
    // the view hears of it only when it changed, so its echo cannot loop.
    void point(Row *&slot, int position)
    {
        Row *wanted = position >= 0 && position < count() ? at(position) : nullptr;
        if (wanted == slot)
            return;
        slot = wanted;
        if (observer)
            observer->SelectionChanged();
    }

    // Tells the view once, after a fill or refresh, when the selected or the
    // focused row is another one than before it (given by row id, 0 = none).
    void notifyIfPointed(uint64_t selectedBefore, uint64_t focusedBefore) const
    {
        const uint64_t selectedAfter = selected ? selected->id : 0;
        const uint64_t focusedAfter = focused ? focused->id : 0;
        if (observer && (selectedAfter != selectedBefore || focusedAfter != focusedBefore))
            observer->SelectionChanged();
    }

    int positionOf(const Row *row) const
    {
        if (!row)
            return -1;
        const auto p = static_cast<size_t>(row->pos);
        return static_cast<int>(p < gapStart ? p : p - gapSize);
    }

    bool comparing() const
    {
        static const TMyRec probe;
        return sortColumn >= 0 && sortColumn <= 12 && SortField(probe, sortColumn) != nullptr;
    }

    // Equal rows keep their order in a sort; rows a fill or refresh appended
    // are placed among their equals by their rank.
    int64_t rankOf(const Row *r) const
    {
        return static_cast<size_t>(r->pos) < appendedFrom ? r->pos : r->rank;
    }

    std::unique_ptr<Row> newRow()
    {
        auto row = std::make_unique<Row>();
        row->id = nextId++;
        return row;
    }

    // Orders the rows by the sort column and direction, equal rows by their
    // rank, and tells the observer when anything moved. The rows before
    // `appendedFrom` are in order already when `prefixSorted` (the list is
    // sorted after every operation; only a state change in the refresh walk
    // can upset it), so only the appended ones are sorted and merged in.
    void sortByRank(bool prefixSorted)
    {
        const size_t existing = std::min(appendedFrom, rows.size());
        if (prefixSorted && existing == rows.size())
            return;
        // Sorting pointers to rows scattered in memory is dominated by cache
        // misses; the entries carry the first bytes of the key instead, and
        // only keys that agree in all of them are compared in full.
        const bool byKey = comparing();
        const bool descending = direction == SortDirection::Descending;
        std::vector<SortEntry> order(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            order[i].row = rows[i].get();
            order[i].rank = rankOf(rows[i].get());
            if (byKey)
                order[i].SetKey(*SortField(rows[i]->rec, sortColumn));
        }
        const int column = sortColumn;
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
        std::vector<std::unique_ptr<Row>> sorted(order.size());
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

    // A stable sort of the current order.
    void stableSort()
    {
        appendedFrom = rows.size();
        sortByRank(false);
    }

    // Ranks that reproduce the list's own sort at every append: the list
    // sorts itself (stably) with the new row still empty, so the row is
    // placed among the empty texts first and then, once filled, moved to the
    // nearest end of the run of rows equal to it. Ascending, an empty text
    // sorts first, so a filled row lands before its equals and a row whose
    // text stays empty after them; descending, and for columns that compare
    // nothing, the new row sits at the end and stays after its equals.
    // `existing` rows keep their relative order; `appended` are in append order.
    void rankForAppends(size_t existing)
    {
        appendedFrom = existing;
        const bool frontOfEquals = comparing() && direction == SortDirection::Ascending;
        for (size_t i = existing; i < rows.size(); ++i) {
            Row &r = *rows[i];
            const auto k = static_cast<int64_t>(i - existing);
            if (frontOfEquals && !IsEmptyKey(*SortField(r.rec, sortColumn)))
                r.rank = -1 - k;
            else
                r.rank = static_cast<int64_t>(existing) + k;
        }
    }

    // Makes the rows of the records of one snapshot array (only of the
    // unclaimed ones when `unclaimedOnly`). Hidden loopback rows are noted as
    // programs and then dropped again, never shown. Returns whether the last
    // row made was dropped.
    bool appendRecords(const std::vector<File_Rec> &recs, const std::string &protocol, const std::string &remark,
                       bool showLocal, bool unclaimedOnly, ProgramList &programs,
                       std::vector<std::unique_ptr<Row>> &out)
    {
        bool lastDropped = false;
        for (const auto &rec : recs) {
            if (unclaimedOnly && rec.Mark == kClaimed)
                continue;
            auto row = newRow();
            FillRow(row->rec, rec, protocol, remark);
            programs.NoteProgram(row->rec);
            lastDropped = IsHiddenLoopback(row->rec, showLocal);
            if (!lastDropped)
                out.push_back(std::move(row));
        }
        return lastDropped;
    }

    void insertAtEnd(std::vector<std::unique_ptr<Row>> &added)
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

    // Removes the rows the walk did not keep, one run of adjacent rows at a
    // time, compacting in one pass; the positions the observer sees stay
    // valid between the two calls of every run.
    void sweep(const std::vector<char> &kept)
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
    void reportChangedRows(const std::vector<const Row *> &changed)
    {
        if (!observer || changed.empty())
            return;
        std::vector<int> positions;
        positions.reserve(changed.size());
        for (const Row *r : changed)
            positions.push_back(r->pos);
        std::sort(positions.begin(), positions.end());
        for (size_t i = 0; i < positions.size();) {
            size_t last = i;
            while (last + 1 < positions.size() && positions[last + 1] == positions[last] + 1)
                ++last;
            observer->RowsChanged(positions[i], positions[last]);
            i = last + 1;
        }
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
int ConnectionList::SortColumn() const { return m_impl->sortColumn; }
SortDirection ConnectionList::Direction() const { return m_impl->direction; }
int ConnectionList::SelectedRow() const { return m_impl->positionOf(m_impl->selected); }
int ConnectionList::FocusedRow() const { return m_impl->positionOf(m_impl->focused); }

void ConnectionList::SetSort(int column, SortDirection direction)
{
    m_impl->sortColumn = column;
    m_impl->direction = direction;
    m_impl->stableSort();
}

void ConnectionList::HeaderClick(int column)
{
    if (column == ColManage)
        return;
    SetSort(column, m_impl->direction == SortDirection::Ascending ? SortDirection::Descending
                                                                  : SortDirection::Ascending);
}

void ConnectionList::SetSelectedRow(int row)
{
    m_impl->point(m_impl->selected, row);
}

void ConnectionList::SetFocusedRow(int row)
{
    m_impl->point(m_impl->focused, row);
}

FillCounts ConnectionList::FillList(const TcpUdpTables &tables, bool showLocal)
{
    auto &d = *m_impl;
    const uint64_t selectedBefore = d.selected ? d.selected->id : 0;
    const uint64_t focusedBefore = d.focused ? d.focused->id : 0;
    ProgramList programs;

    std::vector<std::unique_ptr<Row>> added;
    added.reserve(tables.TcpRecs.size() + tables.UdpRecs.size());
    const bool tcpDropped = d.appendRecords(tables.TcpRecs, kTcp, kEmpty, showLocal, false, programs, added);
    d.appendRecords(tables.UdpRecs, kUdp, kEmpty, showLocal, false, programs, added);
    const bool appendedAny = !tables.TcpRecs.empty() || !tables.UdpRecs.empty();
    const bool lastDropped = tables.UdpRecs.empty() && tcpDropped;
    const size_t existing = d.rows.size();
    Row *pending = appendedAny && !lastDropped ? added.back().get() : nullptr;
    Row *firstBeforeAppends = existing > 0 ? d.rows.front().get() : nullptr;
    d.insertAtEnd(added);

    FillCounts counts;
    counts.NetCount = d.count();

    d.rankForAppends(existing);
    d.sortByRank(true);

    // The row first when the fill selects, before that last sort: every
    // append but the last has been placed by the list's own sort, and the
    // last appended row (unless it was dropped again) still sits where it
    // was placed while empty: ascending behind the rows with an empty text,
    // otherwise at the end. The others are in their final order already.
    if (appendedAny) {
        Row *firstOfOthers = nullptr;
        for (size_t i = 0; i < d.rows.size() && i < 2 && !firstOfOthers; ++i)
            if (d.rows[i].get() != pending)
                firstOfOthers = d.rows[i].get();
        const bool pendingAhead = d.comparing() && d.direction == SortDirection::Ascending && firstOfOthers &&
                                  !IsEmptyKey(*SortField(firstOfOthers->rec, d.sortColumn));
        Row *first = pending && (!firstOfOthers || pendingAhead) ? pending : firstOfOthers;
        d.selected = first;
        d.focused = first;
    } else if (firstBeforeAppends) {
        d.selected = firstBeforeAppends;
        d.focused = firstBeforeAppends;
    }
    counts.AppCount = programs.Count();
    d.notifyIfPointed(selectedBefore, focusedBefore);
    return counts;
}

FillCounts ConnectionList::RefreshList(TcpUdpTables &tables, bool showLocal)
{
    auto &d = *m_impl;
    const uint64_t selectedBefore = d.selected ? d.selected->id : 0;
    const uint64_t focusedBefore = d.focused ? d.focused->id : 0;
    ProgramList programs;

    // The walk: every row claims the first unclaimed record of its endpoint
    // or goes. A hidden loopback row claims nothing, so it goes as well and
    // its record is handled (and its program noted) with the new records.
    const size_t n = d.rows.size();
    std::vector<char> kept(n, 0);
    std::vector<const Row *> changed;
    bool stateChanged = false;
    {
        EndpointIndex tcpIndex(tables.TcpRecs, true);
        EndpointIndex udpIndex(tables.UdpRecs, false);
        // The rows lie scattered in memory: each is asked for ahead of the
        // walk, its key hashed a little later and the slot asked for, and
        // the slot's record a little later still.
        constexpr size_t kRowAhead = 24;
        constexpr size_t kSlotAhead = 12;
        constexpr size_t kRecordAhead = 6;
        std::vector<uint64_t> hashes(n);
        std::vector<char> isTcp(n);
        auto indexFor = [&](size_t i) -> const EndpointIndex & { return isTcp[i] ? tcpIndex : udpIndex; };
        auto hashRow = [&](size_t i) {
            const TMyRec &rec = d.rows[i]->rec;
            isTcp[i] = rec.Protocol == kTcp;
            hashes[i] = HashOf(KeyOf(rec, isTcp[i]));
        };
        for (size_t i = 0; i < std::min(n, kSlotAhead); ++i)
            hashRow(i);
        for (size_t i = 0; i < n; ++i) {
            if (i + kRowAhead < n)
                Prefetch(d.rows[i + kRowAhead].get());
            if (i + kSlotAhead < n) {
                hashRow(i + kSlotAhead);
                indexFor(i + kSlotAhead).PrefetchSlot(hashes[i + kSlotAhead]);
            }
            if (i + kRecordAhead < n)
                indexFor(i + kRecordAhead).PrefetchRecord(hashes[i + kRecordAhead]);

            Row &row = *d.rows[i];
            const bool tcp = isTcp[i];
            const EndpointKey key = KeyOf(row.rec, tcp);
            if (tcp) {
                EndpointIndex::Slot *found = tcpIndex.Find(key, hashes[i]);
                if (found && !IsHiddenLoopback(row.rec, showLocal)) {
                    std::string state = GetTcpStateName(tcpIndex.Record(*found).State);
                    tcpIndex.Claim(*found);
                    const bool modified = state != row.rec.StateText;
                    if (modified)
                        row.rec.StateText = std::move(state);
                    const std::string &remark = modified ? kModified : kEmpty;
                    if (modified || row.rec.Remark != remark)
                        changed.push_back(&row);
                    stateChanged = stateChanged || modified;
                    row.rec.Remark = remark;
                    kept[i] = 1;
                }
            } else if (EndpointIndex::Slot *found = udpIndex.Find(key, hashes[i])) {
                udpIndex.Claim(*found);
                kept[i] = 1;
            }
            if (kept[i])
                programs.NoteProgram(row.rec);
        }
    }
    d.sweep(kept);

    std::vector<std::unique_ptr<Row>> added;
    d.appendRecords(tables.TcpRecs, kTcp, kAdd, showLocal, true, programs, added);
    d.appendRecords(tables.UdpRecs, kUdp, kAdd, showLocal, true, programs, added);
    const size_t existing = d.rows.size();
    d.insertAtEnd(added);
    d.reportChangedRows(changed);

    d.rankForAppends(existing);
    d.sortByRank(!(stateChanged && d.sortColumn == ColState));

    FillCounts counts;
    counts.NetCount = d.count();
    if (!d.selected && !d.rows.empty()) {
        d.selected = d.rows.front().get();
        d.focused = d.selected;
    }
    counts.AppCount = programs.Count();
    d.notifyIfPointed(selectedBefore, focusedBefore);
    return counts;
}

}  // namespace quorvex
