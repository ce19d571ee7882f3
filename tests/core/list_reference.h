#pragma once

// A literal version of the connection list's fill and refresh, for the
// differential tests: a plain vector of rows that sorts itself, stably, at
// every append while the new row is still empty, and a refresh walk that
// searches the snapshot arrays linearly, passing over records already
// claimed (a row only in the array of its kind: TCP, UDP, TCPv6, UDPv6).
// With it, an observer that replays a list's (or a view's) notices
// on a vector of row identities, and random snapshot sequences.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <sstream>

#include "core/columns.h"
#include "core/connection_list.h"
#include "core/tcp_state.h"

namespace quorvex::test {

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
template <typename Source>
class ReplayObserverOf : public ConnectionListObserver {
public:
    explicit ReplayObserverOf(const Source &list) : m_list(list) {}

    std::vector<uint64_t> ids;
    bool insertAnywhere = false;  // a view inserts where a row starts to show; the list only at its end
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
        const int end = static_cast<int>(ids.size());
        check((insertAnywhere ? first <= end : first == end) && first >= 0 && last >= first,
              "insertion out of place");
        checkSame("before insertion");
        m_pendingFirst = first;
        m_pendingLast = last;
    }
    void RowsInserted() override
    {
        for (int i = m_pendingFirst; i <= m_pendingLast; ++i)
            ids.insert(ids.begin() + i, m_list.RowId(i));
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
    const Source &m_list;
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

inline std::string Describe(const TMyRec &r)
{
    std::ostringstream s;
    s << r.Protocol << "|" << r.StateText << "|" << r.LocalIp << ":" << r.LocalPort << "|" << r.RemoteIp << ":"
      << r.RemotePort << "|pid " << r.Pid << "|" << r.ProcessName << "|" << r.ProcessPath << "|" << r.Remark
      << "|#" << r.StartTime << "|" << VTSGetText(&r, ColSent) << "/" << VTSGetText(&r, ColReceived) << "/"
      << (r.Rate ? std::to_string(*r.Rate) : "-");
    return s.str();
}

}  // namespace quorvex::test
