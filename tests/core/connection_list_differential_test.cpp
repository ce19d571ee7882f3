// The connection list against the literal version of the fill and refresh
// (list_reference.h).

#include <gtest/gtest.h>

#include <map>

#include "core/columns.h"
#include "core/connection_list.h"
#include "list_reference.h"

using namespace quorvex;
using namespace quorvex::test;

namespace {

using ReplayObserver = ReplayObserverOf<ConnectionList>;

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

namespace {

std::vector<std::string> CountedRows(const ConnectionList &list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Change(i) != RowChange::Leaving)
            out.push_back(Describe(list.Record(i)) + "|" + list.Record(i).Description + "|" + list.Record(i).CompanyName);
    return out;
}

std::map<uint64_t, RowChange> ChangesById(const ConnectionList &list)
{
    std::map<uint64_t, RowChange> out;
    for (int i = 0; i < list.RowCount(); ++i)
        out[list.RowId(i)] = list.Change(i);
    return out;
}

}  // namespace

// With changes highlighted, the rows that count are the literal list's rows
// in its order, with its counters; of the rest, a row the latest refresh
// would have deleted stays marked Leaving until the next refresh, and the
// rows it added are marked Added. Turning the highlight off leaves exactly
// the literal list.
TEST(ConnectionListDifferential, HighlightedChangesLastOneRefresh)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SnapshotGenerator gen(seed * 104729u);
        ConnectionList fast;
        ReplayObserver observer(fast);
        fast.SetObserver(&observer);
        fast.SetHighlightChanges(true);
        LiteralList literal;
        bool showLocal = gen.Roll(2) == 0;
        TcpUdpTables tables = gen.First();
        gen.Stamp(tables);
        fast.FillList(tables, showLocal);
        literal.Fill(tables, showLocal);

        for (int step = 0; step < 12; ++step) {
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
            switch (gen.Roll(5)) {
            case 0: {
                const int c = static_cast<int>(gen.Roll(static_cast<unsigned>(ColumnCount) + 1)) - 1;
                fast.HeaderClick(c);
                literal.HeaderClick(c);
                break;
            }
            case 1: showLocal = !showLocal; break;
            case 2:
                fast.SetHighlightChanges(false);
                ASSERT_EQ(Rows(fast), Rows(literal)) << where << " highlight off";
                fast.SetHighlightChanges(true);
                break;
            default: break;
            }
            TcpUdpTables next = gen.Next(tables);
            gen.Stamp(next);
            tables = next;
            TcpUdpTables literalTables = next;

            const std::map<uint64_t, RowChange> before = ChangesById(fast);
            const FillCounts a = fast.RefreshList(tables, showLocal);
            const FillCounts b = literal.Refresh(literalTables, showLocal);
            ASSERT_EQ(CountedRows(fast), Rows(literal)) << where;
            EXPECT_EQ(a.NetCount, b.NetCount) << where;
            EXPECT_EQ(a.AppCount, b.AppCount) << where;
            EXPECT_EQ(fast.CountedRowCount(), b.NetCount) << where;
            const std::map<uint64_t, RowChange> after = ChangesById(fast);
            for (const auto &[id, change] : after) {
                const auto was = before.find(id);
                if (change == RowChange::Added)
                    EXPECT_TRUE(was == before.end()) << where << ": an old row marked Added";
                else if (change == RowChange::Leaving)
                    EXPECT_TRUE(was != before.end() && was->second != RowChange::Leaving) << where;
                else
                    EXPECT_TRUE(was != before.end()) << where << ": a new row not marked Added";
            }
            for (const auto &[id, change] : before) {
                if (change == RowChange::Leaving)
                    EXPECT_FALSE(after.count(id)) << where << ": a Leaving row stayed two refreshes";
                else
                    EXPECT_TRUE(after.count(id)) << where << ": a row went without leaving first";
            }
            if (fast.CountedRowCount() > 0) {
                EXPECT_GE(fast.SelectedRow(), 0) << where;
            }
            observer.checkSame("after refresh");
            ASSERT_TRUE(observer.faults.empty()) << where << ": " << observer.faults.front();
            if (HasFatalFailure())
                return;
        }
    }
}
