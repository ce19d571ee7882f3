// The filter view against a literal filter of the list, on random sequences
// of refreshes, sorts, selections, filter texts and column sets.

#include <gtest/gtest.h>

#include "core/columns.h"
#include "core/filter_view.h"
#include "core/text_fold.h"
#include "list_reference.h"

using namespace quorvex;
using namespace quorvex::test;

namespace {

// The rows whose text in one of `columns`, each on its own, contains the
// filter, both folded; every row for an empty filter.
std::vector<uint64_t> LiteralShown(const ConnectionList &list, const std::string &filter,
                                   const std::vector<int> &columns)
{
    const std::string needle = FoldCase(filter);
    std::vector<uint64_t> ids;
    for (int i = 0; i < list.RowCount(); ++i) {
        bool match = needle.empty();
        for (const int c : columns)
            match = match || FoldCase(VTSGetText(&list.Record(i), c)).find(needle) != std::string::npos;
        if (match)
            ids.push_back(list.RowId(i));
    }
    return ids;
}

std::vector<uint64_t> Shown(const FilterView &view)
{
    std::vector<uint64_t> ids;
    for (int i = 0; i < view.RowCount(); ++i)
        ids.push_back(view.RowId(i));
    return ids;
}

uint64_t SelectedId(const ConnectionList &list)
{
    return list.SelectedRow() < 0 ? 0 : list.RowId(list.SelectedRow());
}

}  // namespace

TEST(FilterView, ShowsTheMatchingRowsInOrderThroughEveryChange)
{
    // Texts the generator's rows hold, in other letter case, and texts that
    // only match across two columns ("UDP0.0" never may).
    const std::vector<std::string> filters = {"",  "a",  "A",    "SYS", "0123456789ABCDEFa", "1",   "10",
                                              "9", "0.1", "/usr", "中",  "\xe7\x9b\x91\xe5\x90\xac", "udp",
                                              "UDP10", "x", "已"};
    const std::string extensions = "a0.1/Sy";
    for (unsigned seed = 1; seed <= 400; ++seed) {
        SnapshotGenerator gen(seed * 65537u);
        ConnectionList list;
        FilterView view(list);
        ReplayObserverOf<FilterView> observer(view);
        observer.insertAnywhere = true;
        view.SetObserver(&observer);
        std::vector<int> columns = VisibleColumns(false, false);
        view.SetColumns(columns);
        bool showLocal = true;
        TcpUdpTables tables = gen.First();
        gen.Stamp(tables);
        list.FillList(tables, showLocal);
        observer.ids = Shown(view);
        std::string filter;
        bool keepTexts = false;

        for (int step = 0; step < 16; ++step) {
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
            uint64_t selectedBefore = SelectedId(list);
            switch (gen.Roll(9)) {
            case 0: {
                TcpUdpTables next = gen.Next(tables);
                gen.Stamp(next);
                tables = next;
                list.RefreshList(tables, showLocal);
                break;
            }
            case 1: list.HeaderClick(static_cast<int>(gen.Roll(static_cast<unsigned>(ColumnCount) + 1)) - 1); break;
            case 2: filter = filters[gen.Roll(static_cast<unsigned>(filters.size()))]; break;
            case 3: filter += extensions[gen.Roll(static_cast<unsigned>(extensions.size()))]; break;
            case 4:
                if (!filter.empty())
                    filter.pop_back();
                break;
            case 5: columns = VisibleColumns(gen.Roll(2) == 0, gen.Roll(2) == 0); break;
            case 6: {
                const int row = static_cast<int>(gen.Roll(static_cast<unsigned>(view.RowCount()) + 1)) - 1;
                view.SetSelectedRow(row);
                view.SetFocusedRow(row);
                selectedBefore = SelectedId(list);
                break;
            }
            case 7:
                keepTexts = !keepTexts;
                view.KeepSearchTexts(keepTexts);
                break;
            default:
                list.SetHighlightChanges(!list.HighlightChanges());
                showLocal = gen.Roll(3) != 0;
                break;
            }
            view.SetFilter(filter);
            view.SetColumns(columns);

            ASSERT_EQ(Shown(view), LiteralShown(list, filter, columns)) << where << " filter '" << filter << "'";
            observer.checkSame("after the step");
            ASSERT_TRUE(observer.faults.empty()) << where << ": " << observer.faults.front();
            // The selection is on a row shown, and stays on its row while
            // that row is shown.
            const int selected = list.SelectedRow();
            EXPECT_TRUE(selected < 0 || view.RowOf(selected) >= 0) << where;
            EXPECT_EQ(view.SelectedRow(), view.RowOf(selected)) << where;
            const std::vector<uint64_t> shown = Shown(view);
            if (selectedBefore != 0 && std::count(shown.begin(), shown.end(), selectedBefore) == 1) {
                EXPECT_EQ(SelectedId(list), selectedBefore) << where;
            }
            int counted = 0;
            for (int i = 0; i < view.RowCount(); ++i)
                counted += view.Change(i) != RowChange::Leaving;
            EXPECT_EQ(view.CountedRowCount(), counted) << where;
        }
    }
}

TEST(FoldCase, SmallLettersOfTheCasedScripts)
{
    const std::pair<const char *, const char *> cases[] = {
        {"SvcHost.EXE", "svchost.exe"},
        {"ÀÉÎÕÜ×Þ", "àéîõü×þ"},      // the multiplication sign has no case
        {"ĀĂĹŁŊŸŹŽſ", "āăĺłŋÿźžs"},  // pairs on even and on odd code points
        {"ΑΣΩΆΏ ς", "ασωάώ σ"},
        {"ЁЖЯ", "ёжя"},
        {"ＡＢＣ", "ａｂｃ"},
        {"中文İß", "中文İß"},  // no case, or more than one letter
        {"a\xff" "B\xe4", "a\xff" "b\xe4"},  // bytes that are not UTF-8 pass
    };
    for (const auto &[text, folded] : cases)
        EXPECT_EQ(FoldCase(text), folded) << text;
}
