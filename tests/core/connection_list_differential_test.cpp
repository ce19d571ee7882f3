// The connection list against a literal version of the fill and refresh:
// a plain vector of rows that sorts itself, stably, at every append while
// the new row is still empty, and a refresh walk that searches the snapshot
// arrays linearly (a row only the array of its protocol), passing over
// records already claimed.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <sstream>

#include "core/columns.h"
#include "core/connection_list.h"
#include "core/tcp_state.h"

using namespace quorvex;

namespace {

class LiteralList {
public:
    int column = ColProcess;
    SortDirection direction = SortDirection::Ascending;
    std::vector<std::shared_ptr<TMyRec>> rows;
    const TMyRec *selected = nullptr;
    const TMyRec *focused = nullptr;

    void Sort()
    {
        std::stable_sort(rows.begin(), rows.end(), [&](const auto &a, const auto &b) {
            const int c = VTSCompareNodes(a.get(), b.get(), column);
            return direction == SortDirection::Ascending ? c < 0 : c > 0;
        });
    }
    TMyRec *Append()
    {
        rows.push_back(std::make_shared<TMyRec>());
        TMyRec *row = rows.back().get();
        Sort();
        return row;
    }
    int IndexOf(const TMyRec *row) const
    {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].get() == row)
                return static_cast<int>(i);
        return -1;
    }
    void Delete(const TMyRec *row)
    {
        rows.erase(rows.begin() + IndexOf(row));
        if (selected == row)
            selected = nullptr;
        if (focused == row)
            focused = nullptr;
    }
    void HeaderClick(int c)
    {
        if (c == ColManage)
            return;
        column = c;
        direction = direction == SortDirection::Ascending ? SortDirection::Descending : SortDirection::Ascending;
        Sort();
    }

    FillCounts Fill(const TcpUdpTables &t, bool showLocal)
    {
        std::set<std::string> programs;
        auto note = [&](const TMyRec &r) {
            if (!r.ProcessPath.empty())
                programs.insert(r.ProcessName);
        };
        for (const RecordGroup &group : RecordGroups) {
            for (const auto &rec : t.*group.Recs) {
                TMyRec *row = Append();
                FillRow(*row, rec, group.Protocol, "");
                note(*row);
                if (IsHiddenLoopback(*row, showLocal))
                    Delete(row);
            }
        }
        takenAtMs = t.TakenAtMs;
        FillCounts counts;
        counts.NetCount = static_cast<int>(rows.size());
        if (!rows.empty())
            selected = focused = rows.front().get();
        Sort();
        counts.AppCount = static_cast<int>(programs.size());
        return counts;
    }

    static std::vector<File_Rec> &ArrayOf(TcpUdpTables &t, const std::string &protocol)
    {
        if (protocol == "TCP")
            return t.TcpRecs;
        if (protocol == "TCPv6")
            return t.Tcp6Recs;
        if (protocol == "UDPv6")
            return t.Udp6Recs;
        return t.UdpRecs;
    }

    FillCounts Refresh(TcpUdpTables &t, bool showLocal)
    {
        std::set<std::string> programs;
        auto note = [&](const TMyRec &r) {
            if (!r.ProcessPath.empty())
                programs.insert(r.ProcessName);
        };
        const int64_t elapsed = takenAtMs > 0 && t.TakenAtMs > 0 ? t.TakenAtMs - takenAtMs : 0;
        takenAtMs = t.TakenAtMs;
        TMyRec *row = rows.empty() ? nullptr : rows.front().get();
        while (row) {
            const int at = IndexOf(row);
            TMyRec *next = at + 1 < static_cast<int>(rows.size()) ? rows[at + 1].get() : nullptr;
            bool claimed = false;
            const bool tcp = row->Protocol == "TCP" || row->Protocol == "TCPv6";
            for (auto &rec : ArrayOf(t, row->Protocol)) {
                if (rec.Mark == "ok")
                    continue;
                if (rec.Pid != row->Pid || rec.LocalIp != row->LocalIp || rec.LocalPort != row->LocalPort)
                    continue;
                if (tcp && (rec.RemoteIp != row->RemoteIp || rec.RemotePort != row->RemotePort))
                    continue;
                if (tcp && IsHiddenLoopback(*row, showLocal))
                    break;
                claimed = true;
                rec.Mark = "ok";
                if (tcp) {
                    const std::string state = GetTcpStateName(rec.State);
                    if (state == row->StateText) {
                        row->Remark = "";
                    } else {
                        row->Remark = "md";
                        row->StateText = state;
                    }
                    TakeTraffic(*row, rec, elapsed);
                }
                break;
            }
            if (!claimed)
                Delete(row);
            else
                note(*row);
            row = next;
        }
        for (const RecordGroup &group : RecordGroups) {
            for (const auto &rec : t.*group.Recs) {
                if (rec.Mark == "ok")
                    continue;
                TMyRec *added = Append();
                FillRow(*added, rec, group.Protocol, "add");
                note(*added);
                if (IsHiddenLoopback(*added, showLocal))
                    Delete(added);
            }
        }
        Sort();
        FillCounts counts;
        counts.NetCount = static_cast<int>(rows.size());
        if (!selected && !rows.empty())
            selected = focused = rows.front().get();
        counts.AppCount = static_cast<int>(programs.size());
        return counts;
    }

private:
    int64_t takenAtMs = 0;
};

// Follows the list through its observer calls on a plain vector of row
// identities, checking at every call what a Qt model would rely on.
class ReplayObserver : public ConnectionListObserver {
public:
    explicit ReplayObserver(const ConnectionList &list) : m_list(list) {}

    std::vector<uint64_t> ids;
    std::set<uint64_t> reportedChanged;
    bool selectionReported = false;
    std::vector<std::string> faults;

    void RowsAboutToBeRemoved(int first, int last) override
    {
        check(m_pendingFirst < 0, "nested removal");
        check(first >= 0 && first <= last && last < static_cast<int>(ids.size()), "removal range");
        checkSame("before removal");
        m_pendingFirst = first;
        m_pendingLast = last;
    }
    void RowsRemoved() override
    {
        ids.erase(ids.begin() + m_pendingFirst, ids.begin() + m_pendingLast + 1);
        m_pendingFirst = -1;
        checkSame("after removal");
    }
    void RowsAboutToBeInserted(int first, int last) override
    {
        check(first == static_cast<int>(ids.size()) && last >= first, "insertion not at the end");
        checkSame("before insertion");
        m_pendingFirst = first;
        m_pendingLast = last;
    }
    void RowsInserted() override
    {
        for (int i = m_pendingFirst; i <= m_pendingLast; ++i)
            ids.push_back(m_list.RowId(i));
        m_pendingFirst = -1;
        checkSame("after insertion");
    }
    void RowsChanged(int first, int last) override
    {
        check(first >= 0 && first <= last && last < static_cast<int>(ids.size()), "change range");
        for (int i = first; i <= last; ++i)
            reportedChanged.insert(ids[i]);
    }
    void LayoutAboutToBeChanged() override { checkSame("before layout"); }
    void LayoutChanged(const std::vector<int> &oldToNew) override
    {
        check(oldToNew.size() == ids.size(), "permutation size");
        std::vector<uint64_t> moved(ids.size(), 0);
        for (size_t i = 0; i < oldToNew.size() && i < ids.size(); ++i)
            if (oldToNew[i] >= 0 && oldToNew[i] < static_cast<int>(moved.size()))
                moved[oldToNew[i]] = ids[i];
        ids = moved;
        checkSame("after layout");
    }
    void SelectionChanged() override { selectionReported = true; }

    void checkSame(const char *where)
    {
        bool same = m_list.RowCount() == static_cast<int>(ids.size());
        for (int i = 0; same && i < m_list.RowCount(); ++i)
            same = m_list.RowId(i) == ids[i];
        check(same, where);
    }

private:
    void check(bool ok, const char *what)
    {
        if (!ok)
            faults.emplace_back(what);
    }
    const ConnectionList &m_list;
    int m_pendingFirst = -1;
    int m_pendingLast = -1;
};

// Small alphabets, so that ties, empty texts, duplicates and loopback rows
// are frequent.
class SnapshotGenerator {
public:
    explicit SnapshotGenerator(unsigned seed) : m_rng(seed) {}

    // One record of an array of RecordGroups.
    File_Rec Random(size_t group)
    {
        const bool tcp = RecordGroups[group].Tcp;
        static const std::vector<std::string> pids = {"1", "2", "10"};
        // The IPv6 arrays share some texts with the IPv4 ones: a record of
        // one kind must never be claimed by a row of another.
        static const std::vector<std::string> ips4 = {"127.0.0.1", "127.0.0.1", "10.0.0.9", "10.0.0.10", ""};
        static const std::vector<std::string> ips6 = {"::1", "::1", "fe80::1%eth0", "10.0.0.9", ""};
        const std::vector<std::string> &ips = group < 2 ? ips4 : ips6;
        static const std::vector<std::string> ports = {"80", "9", "8080", ""};
        // Names around 16 bytes long, equal but for letter case or beyond
        // their 16th byte, and names that end inside them.
        static const std::vector<std::string> names = {"a", "A", "b", "", "System", "\xe4\xb8\xad",
                                                       "0123456789abcdef", "0123456789ABCDEFa",
                                                       "0123456789abcdefB", "0123456789abcde"};
        static const std::vector<std::string> paths = {"", "/a", "/B", "/usr/lib/long/Path", "/usr/lib/long/path"};
        static const std::vector<std::string> others = {"", "x", "X", "y"};
        static const std::vector<int32_t> states = {1, 2, 5, 8, 0, 13};
        File_Rec r;
        r.Pid = pick(pids);
        r.LocalIp = pick(ips);
        r.LocalPort = pick(ports);
        if (tcp) {
            r.State = pick(states);
            r.RemoteIp = pick(ips);
            r.RemotePort = pick(ports);
            if (m_rng() % 3 != 0)
                r.Traffic = TrafficCounters{m_rng() % 3000, m_rng() % 3000};
        }
        r.ProcessName = pick(names);
        r.ProcessPath = pick(paths);
        r.FileDescription = pick(others);
        r.CompanyName = pick(others);
        return r;
    }

    std::vector<File_Rec> Next(const std::vector<File_Rec> &previous, size_t group)
    {
        const bool tcp = RecordGroups[group].Tcp;
        std::vector<File_Rec> out;
        for (File_Rec r : previous) {
            const int roll = static_cast<int>(m_rng() % 10);
            if (roll < 2)
                continue;  // endpoint gone
            if (roll == 2 && tcp)
                r.State = pick(std::vector<int32_t>{1, 2, 5, 8, 0, 13});
            if (roll == 3)
                r.Pid = pick(std::vector<std::string>{"1", "2", "10"});
            if (roll == 4)
                r.ProcessName = pick(std::vector<std::string>{"a", "b", "z"});
            // Counters mostly grow; now and then they are lost, come back,
            // or start again from less.
            if (r.Traffic && roll >= 5) {
                r.Traffic->Sent += m_rng() % 5000;
                r.Traffic->Received += m_rng() % 2;
            } else if (tcp && roll == 5) {
                r.Traffic = TrafficCounters{m_rng() % 100, m_rng() % 100};
            } else if (roll == 6) {
                r.Traffic.reset();
            }
            out.push_back(r);
        }
        const int fresh = static_cast<int>(m_rng() % 5);
        for (int i = 0; i < fresh; ++i)
            out.insert(out.begin() + static_cast<long>(m_rng() % (out.size() + 1)), Random(group));
        if (!out.empty() && m_rng() % 4 == 0)
            out.push_back(out[m_rng() % out.size()]);  // two equal endpoints
        return out;
    }

    TcpUdpTables First()
    {
        TcpUdpTables t;
        const int n = static_cast<int>(m_rng() % 14);
        for (int i = 0; i < n; ++i) {
            const size_t group = m_rng() % std::size(RecordGroups);
            (t.*RecordGroups[group].Recs).push_back(Random(group));
        }
        t.TakenAtMs = NextTime();
        return t;
    }

    TcpUdpTables Next(const TcpUdpTables &previous)
    {
        TcpUdpTables t;
        for (size_t group = 0; group < std::size(RecordGroups); ++group)
            t.*RecordGroups[group].Recs = Next(previous.*RecordGroups[group].Recs, group);
        t.TakenAtMs = NextTime();
        return t;
    }

    // Snapshot times a few seconds apart, now and then unknown.
    int64_t NextTime()
    {
        m_time += 1000 + static_cast<int64_t>(m_rng() % 15000);
        return m_rng() % 8 == 0 ? 0 : m_time;
    }

    // Every record gets a serial of its own, so that rows made from equal
    // records can still be told apart.
    void Stamp(TcpUdpTables &t)
    {
        for (const RecordGroup &group : RecordGroups)
            for (auto &r : t.*group.Recs) {
                r.StartTime = ++m_serial;
                r.Mark.clear();
            }
    }

    unsigned Roll(unsigned n) { return static_cast<unsigned>(m_rng() % n); }

private:
    template <typename T>
    T pick(const std::vector<T> &v)
    {
        return v[m_rng() % v.size()];
    }
    std::mt19937 m_rng;
    uint64_t m_serial = 0;
    int64_t m_time = 0;
};

std::string Describe(const TMyRec &r)
{
    std::ostringstream s;
    s << r.Protocol << "|" << r.StateText << "|" << r.LocalIp << ":" << r.LocalPort << "|" << r.RemoteIp << ":"
      << r.RemotePort << "|pid " << r.Pid << "|" << r.ProcessName << "|" << r.ProcessPath << "|" << r.Remark
      << "|#" << r.StartTime << "|" << VTSGetText(&r, ColSent) << "/" << VTSGetText(&r, ColReceived) << "/"
      << (r.Rate ? std::to_string(*r.Rate) : "-");
    return s.str();
}

std::vector<std::string> Rows(const ConnectionList &list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.RowCount(); ++i)
        out.push_back(Describe(list.Record(i)) + "|" + list.Record(i).Description + "|" + list.Record(i).CompanyName);
    return out;
}

std::vector<std::string> Rows(const LiteralList &list)
{
    std::vector<std::string> out;
    for (const auto &r : list.rows)
        out.push_back(Describe(*r) + "|" + r->Description + "|" + r->CompanyName);
    return out;
}

std::vector<std::string> Marks(const TcpUdpTables &t)
{
    std::vector<std::string> out;
    for (const RecordGroup &group : RecordGroups)
        for (const auto &r : t.*group.Recs)
            out.push_back(r.Mark);
    return out;
}

struct Watch {
    std::vector<std::string> before;  // what a row shows, by position
    std::vector<uint64_t> ids;
    int selected, focused;
};

Watch Take(const ConnectionList &list)
{
    Watch w;
    for (int i = 0; i < list.RowCount(); ++i) {
        w.before.push_back(Describe(list.Record(i)));
        w.ids.push_back(list.RowId(i));
    }
    w.selected = list.SelectedRow() < 0 ? 0 : static_cast<int>(list.RowId(list.SelectedRow()));
    w.focused = list.FocusedRow() < 0 ? 0 : static_cast<int>(list.RowId(list.FocusedRow()));
    return w;
}

// Every kept row whose shown texts changed was reported, and a changed
// selection or focus was reported.
void ExpectReported(const ConnectionList &list, const Watch &w, ReplayObserver &observer, const std::string &where)
{
    for (size_t i = 0; i < w.ids.size(); ++i) {
        for (int j = 0; j < list.RowCount(); ++j) {
            if (list.RowId(j) != w.ids[i])
                continue;
            if (Describe(list.Record(j)) != w.before[i]) {
                EXPECT_TRUE(observer.reportedChanged.count(w.ids[i])) << where << ": unreported change of row " << j;
            }
        }
    }
    const Watch after = Take(list);
    if (after.selected != w.selected || after.focused != w.focused) {
        EXPECT_TRUE(observer.selectionReported) << where << ": unreported selection change";
    }
    observer.reportedChanged.clear();
    observer.selectionReported = false;
}

void ExpectSame(const ConnectionList &fast, const LiteralList &literal, const std::string &where)
{
    ASSERT_EQ(Rows(fast), Rows(literal)) << where;
    EXPECT_EQ(fast.SelectedRow(), literal.IndexOf(literal.selected)) << where;
    EXPECT_EQ(fast.FocusedRow(), literal.IndexOf(literal.focused)) << where;
    EXPECT_EQ(fast.SortColumn(), literal.column) << where;
    EXPECT_EQ(fast.Direction(), literal.direction) << where;
}

}  // namespace

TEST(ConnectionListDifferential, FillPlacesRowsAndSelectsAsTheSelfSortingList)
{
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        SnapshotGenerator gen(seed);
        TcpUdpTables tables = gen.First();
        gen.Stamp(tables);
        const int column = static_cast<int>(gen.Roll(static_cast<unsigned>(ColumnCount) + 1)) - 1;
        const auto direction = gen.Roll(2) ? SortDirection::Ascending : SortDirection::Descending;
        const bool showLocal = gen.Roll(2) == 0;
        const std::string where = "seed " + std::to_string(seed) + " column " + std::to_string(column) +
                                  (direction == SortDirection::Ascending ? " asc" : " desc") +
                                  (showLocal ? " showLocal" : "");

        ConnectionList fast;
        fast.SetSort(column, direction);
        LiteralList literal;
        literal.column = column;
        literal.direction = direction;
        const FillCounts a = fast.FillList(tables, showLocal);
        const FillCounts b = literal.Fill(tables, showLocal);
        ExpectSame(fast, literal, where);
        EXPECT_EQ(a.NetCount, b.NetCount) << where;
        EXPECT_EQ(a.AppCount, b.AppCount) << where;
        if (HasFatalFailure())
            return;
    }
}

TEST(ConnectionListDifferential, RefreshSequencesMatchTheLiteralWalk)
{
    for (unsigned seed = 1; seed <= 600; ++seed) {
        SnapshotGenerator gen(seed * 7919u);
        ConnectionList fast;
        ReplayObserver observer(fast);
        fast.SetObserver(&observer);
        LiteralList literal;
        bool showLocal = gen.Roll(2) == 0;

        TcpUdpTables tables = gen.First();
        gen.Stamp(tables);
        Watch w = Take(fast);
        fast.FillList(tables, showLocal);
        literal.Fill(tables, showLocal);
        ExpectSame(fast, literal, "fill, seed " + std::to_string(seed));
        ExpectReported(fast, w, observer, "fill");

        for (int step = 0; step < 12; ++step) {
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
            // What the user may do between refreshes.
            switch (gen.Roll(6)) {
            case 0: {
                const int c = static_cast<int>(gen.Roll(static_cast<unsigned>(ColumnCount) + 1)) - 1;
                w = Take(fast);
                fast.HeaderClick(c);
                literal.HeaderClick(c);
                ExpectReported(fast, w, observer, where + " click");
                break;
            }
            case 1: {
                const int n = fast.RowCount();
                const int row = static_cast<int>(gen.Roll(static_cast<unsigned>(n) + 1)) - 1;
                fast.SetSelectedRow(row);
                literal.selected = row < 0 ? nullptr : literal.rows[row].get();
                if (gen.Roll(2)) {
                    fast.SetFocusedRow(row);
                    literal.focused = literal.selected;
                }
                break;
            }
            case 2:
                showLocal = !showLocal;
                break;
            default:
                break;
            }
            ExpectSame(fast, literal, where + " before refresh");

            TcpUdpTables next = gen.Next(tables);
            if (gen.Roll(20) == 0)
                next = {};
            gen.Stamp(next);
            tables = next;
            TcpUdpTables literalTables = next;

            w = Take(fast);
            const FillCounts a = fast.RefreshList(tables, showLocal);
            const FillCounts b = literal.Refresh(literalTables, showLocal);
            ExpectSame(fast, literal, where);
            EXPECT_EQ(a.NetCount, b.NetCount) << where;
            EXPECT_EQ(a.AppCount, b.AppCount) << where;
            EXPECT_EQ(Marks(tables), Marks(literalTables)) << where;
            ExpectReported(fast, w, observer, where);
            observer.checkSame("after refresh");
            ASSERT_TRUE(observer.faults.empty()) << where << ": " << observer.faults.front();
            if (HasFatalFailure())
                return;
        }
    }
}
