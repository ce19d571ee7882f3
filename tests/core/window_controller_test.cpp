#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/columns.h"
#include "core/list_export.h"
#include "core/connection_list.h"
#include "core/incremental_search.h"
#include "core/list_mouse.h"
#include "core/main_controller.h"
#include "core/prompts.h"
#include "core/shell_actions.h"
#include "core/window_controller.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

// Rows by name after the fill: alpha, bravo, Charlie, idle (idle has no path).
TcpUdpTables SampleTables()
{
    TcpUdpTables t;
    t.TcpRecs = {FakeTcp("10.0.0.2", 80, "1.2.3.4", 5000, 5, 10, "bravo", "/usr/bin/bravo"),
                 FakeTcp("192.168.1.9", 22, "1.2.3.5", 6000, 2, 11, "alpha", "/usr/bin/alpha"),
                 FakeTcp("10.0.0.10", 443, "1.2.3.6", 7000, 5, 12, "idle", "")};
    t.UdpRecs = {FakeUdp("0.0.0.0", 53, 13, "Charlie", "/usr/sbin/charlie")};
    return t;
}
constexpr int Alpha = 0, Bravo = 1, Charlie = 2, Idle = 3;

// The front-end: what the controllers ask of the window, the list widget
// and the desktop, as a log.
struct FrontEnd : MainView, ListPort, ListToolsPort, Prompts, ShellActions {
    std::vector<std::string> Log;
    std::function<void()> InsideMenu;  // what the user does while the menu is open
    std::string ExportPath;            // what the save dialog answers; empty: cancelled
    ExportFormat ExportType = ExportFormat::Csv;

    void ShowFilterField(bool visible, const std::string &count) override
    {
        Log.push_back(std::string(visible ? "filter shown '" : "filter hidden '") + count + "'");
    }
    void FocusFilterField() override { Log.push_back("filter focus"); }
    bool AskExportFile(const std::string &, std::string &path, ExportFormat &format) override
    {
        path = ExportPath;
        format = ExportType;
        return !path.empty();
    }

    void ShowSelection(int s, int f) override { Log.push_back("show " + std::to_string(s) + " " + std::to_string(f)); }
    void FocusCell(int r, int c) override { Log.push_back("focus " + std::to_string(r) + " " + std::to_string(c)); }
    void OpenRowMenu(MenuPlace p) override
    {
        static const char *const places[] = {"at click", "at cursor", "over focused row"};
        Log.push_back(std::string("menu ") + places[static_cast<int>(p)]);
        if (InsideMenu)
            InsideMenu();
    }
    void ShowSort(int c, SortDirection d) override
    {
        Log.push_back("sort " + std::to_string(c) + (d == SortDirection::Ascending ? " asc" : " desc"));
    }
    void ShowProcessInfo(const TMyRec &r) override { Log.push_back("info " + r.ProcessName); }

    void SetRefreshEnabled(bool) override {}
    void StartRefreshTimer() override {}
    void StopRefreshTimer() override {}
    void SetCheckBox(CheckBox, bool) override {}
    void SetTopmost(bool) override {}
    void SetCounters(int, int) override {}
    std::string Caption() const override { return {}; }
    void SetCaption(const std::string &) override {}
    void FocusList() override {}
    void SetInfoColumnsVisible(bool) override {}
    void SetTrafficColumnsVisible(bool) override {}
    void RepaintList() override {}
    void CopyRowReport(const TMyRec &) override {}
    void ShowMessage(const std::string &t) override { Log.push_back("message " + t); }
    bool AskYesNo(const std::string &, bool) override { return true; }
    void ReportError(const std::string &t) override { Log.push_back("error " + t); }
    bool OpenUrl(const std::string &) override { return true; }
    void OpenFile(const std::string &) override {}
    void ShowInFileManager(const std::string &) override {}
    void ShowProperties(const std::string &) override {}

    // The log without the selection shown after every event.
    std::vector<std::string> Actions() const
    {
        std::vector<std::string> actions;
        for (const auto &entry : Log)
            if (entry.rfind("show ", 0) != 0)
                actions.push_back(entry);
        return actions;
    }
};

struct Window : ::testing::Test {
    FakePlatform platform;
    ConnectionList list;
    FrontEnd front;
    MainController main{platform, list, front, front, front};
    WindowController window{list, main, front};

    Window()
    {
        platform.Tables = SampleTables();
        list.FillList(platform.Tables, true);
    }
    void Click(MouseButton button, int row, int column)
    {
        window.ListMouse(ClickKind::Press, button, row, column);
        window.ListMouse(ClickKind::Release, button, row, column);
    }
    void DoubleClick(int row)
    {
        Click(MouseButton::Left, row, ColLocalIp);
        window.ListMouse(ClickKind::DoubleClick, MouseButton::Left, row, ColLocalIp);
        window.ListMouse(ClickKind::Release, MouseButton::Left, row, ColLocalIp);
    }
};

using Strings = std::vector<std::string>;

}  // namespace

TEST(ListMouseRules, AnswersBySequence)
{
    using K = ClickKind;
    using B = MouseButton;
    struct Event {
        K kind;
        B button;
        int row, column;
    };
    struct Case {
        const char *name;
        std::vector<Event> events;
        int focusedRow;
        const char *last;  // the answer to the last event: F(ocus) P(opup) C(olumn click) D(ouble click)
    };
    const Case cases[] = {
        {"left press on a row", {{K::Press, B::Left, 1, 4}}, 0, "F"},
        {"right press on a row", {{K::Press, B::Right, 1, 4}}, 0, "F"},
        {"press below the rows", {{K::Press, B::Left, -1, 4}}, 0, ""},
        {"middle button", {{K::Press, B::Other, 1, 4}}, 0, ""},
        {"right release on the focused row", {{K::Press, B::Right, 1, 4}, {K::Release, B::Right, 1, 4}}, 1, "P"},
        {"right release on another row", {{K::Press, B::Right, 0, 4}, {K::Release, B::Right, 2, 4}}, 0, "FP"},
        {"right release below the rows", {{K::Press, B::Right, 1, 4}, {K::Release, B::Right, -1, 4}}, 1, ""},
        {"left press and release in one column", {{K::Press, B::Left, 1, 9}, {K::Release, B::Left, 3, 9}}, 1, "C"},
        {"released in another column", {{K::Press, B::Left, 1, 9}, {K::Release, B::Left, 1, 8}}, 1, ""},
        {"released below the rows", {{K::Press, B::Left, 1, 9}, {K::Release, B::Left, -1, 9}}, 1, ""},
        {"pressed below the rows", {{K::Press, B::Left, -1, 9}, {K::Release, B::Left, 1, 9}}, 1, ""},
        {"double click on a row", {{K::DoubleClick, B::Left, 2, 4}}, 0, "FD"},
        {"double click below the rows", {{K::DoubleClick, B::Left, -1, 4}}, 0, "D"},
        {"right double click", {{K::DoubleClick, B::Right, 2, 4}}, 0, ""},
        {"the release that ends a double click",
         {{K::Press, B::Left, 1, 9}, {K::Release, B::Left, 1, 9}, {K::DoubleClick, B::Left, 1, 9},
          {K::Release, B::Left, 1, 9}},
         1,
         ""},
    };
    for (const Case &c : cases) {
        ListMouseRules rules;
        ClickAnswer answer;
        for (const Event &e : c.events)
            answer = rules.Event(e.kind, e.button, e.row, e.column, c.focusedRow);
        std::string got;
        got += answer.FocusRow ? "F" : "";
        got += answer.PopupMenu ? "P" : "";
        got += answer.ColumnClick ? "C" : "";
        got += answer.DoubleClick ? "D" : "";
        EXPECT_EQ(got, c.last) << c.name;
    }
}

TEST(HeaderMouseRules, ClicksTheColumnReleasedOverOrNone)
{
    struct Case {
        const char *name;
        int press, release;
        bool moved;
        std::optional<int> click;
    };
    const Case cases[] = {
        {"same column", 3, 3, false, 3},
        {"another column", 3, 4, false, -1},
        {"outside the header", 3, -1, false, -1},
        {"on a divider", -1, 3, false, std::nullopt},
        {"dragged elsewhere", 13, 4, true, std::nullopt},
    };
    for (const Case &c : cases) {
        HeaderMouseRules rules;
        rules.Press(c.press);
        EXPECT_EQ(rules.Release(c.release, c.moved), c.click) << c.name;
        EXPECT_EQ(rules.Release(c.release), std::nullopt) << c.name << ": a release without a press";
    }
}

TEST(IncrementalSearch, FindsFromTheFocusedRowInTheColumn)
{
    struct Key {
        const char *text;
        int64_t ms;
    };
    struct Case {
        const char *name;
        std::vector<Key> keys;
        int column, startRow, focused;  // the focused row after the keys
    };
    // Local addresses by row: 192.168.1.9, 10.0.0.2, 0.0.0.0, 10.0.0.10
    const Case cases[] = {
        {"prefix", {{"b", 0}}, ColProcess, Alpha, Bravo},
        {"exact letter case", {{"c", 0}}, ColProcess, Alpha, Alpha},
        {"upper case", {{"C", 0}}, ColProcess, Alpha, Charlie},
        {"quick keys extend", {{"b", 0}, {"r", 150}}, ColProcess, Alpha, Bravo},
        {"a pause starts anew", {{"b", 0}, {"i", 250}}, ColProcess, Alpha, Idle},
        {"no pause: bi matches nothing", {{"b", 0}, {"i", 199}}, ColProcess, Alpha, Bravo},
        {"the focused column", {{"1", 0}, {"9", 10}}, ColLocalIp, Alpha, Alpha},
        {"from the focused row on", {{"1", 0}}, ColLocalIp, Charlie, Idle},
        {"the focused row itself", {{"1", 0}}, ColLocalIp, Bravo, Bravo},
        {"wraps round", {{"19", 0}}, ColLocalIp, Bravo, Alpha},
    };
    for (const Case &c : cases) {
        ConnectionList list;
        FilterView rows(list);
        list.FillList(SampleTables(), true);
        list.SetFocusedRow(c.startRow);
        IncrementalSearch search;
        for (const Key &k : c.keys) {
            const int row = search.KeyTyped(k.text, 5000 + k.ms, rows, c.column);
            if (row >= 0)
                list.SetFocusedRow(row);
        }
        EXPECT_EQ(list.FocusedRow(), c.focused) << c.name;
    }
}

TEST_F(Window, RightClickOpensTheMenuOfTheRowUnderTheMouse)
{
    for (const int row : {Bravo, Idle}) {
        front.Log.clear();
        Click(MouseButton::Right, row, ColLocalIp);
        EXPECT_EQ(front.Actions(), (Strings{"focus " + std::to_string(row) + " 4", "menu at click"}));
        EXPECT_EQ(list.SelectedRow(), row);
        const bool hasPath = row != Idle;
        for (RowCommand c : {RowCommand::ProcInfo, RowCommand::EndProc, RowCommand::Locate, RowCommand::Property})
            EXPECT_EQ(window.MenuState().Enabled(c), hasPath) << row;
        EXPECT_TRUE(window.MenuState().Enabled(RowCommand::Copy));
    }
    front.Log.clear();
    Click(MouseButton::Right, -1, ColLocalIp);
    window.MenuKey();  // over the focused row, Idle
    EXPECT_EQ(front.Actions(), (Strings{"menu over focused row"}));
}

TEST_F(Window, ManageColumnClickOpensTheMenuAtTheCursor)
{
    Click(MouseButton::Left, Idle, ColManage);
    EXPECT_EQ(front.Actions(), (Strings{"focus 3 9", "menu at cursor"}));
    EXPECT_FALSE(window.MenuState().Enabled(RowCommand::ProcInfo));
    front.Log.clear();
    Click(MouseButton::Left, Bravo, ColState);
    Click(MouseButton::Left, -1, ColManage);
    EXPECT_EQ(front.Actions(), (Strings{"focus 1 8"}));
}

TEST_F(Window, DoubleClickActsOnlyWhileTheDetailsItemIsEnabled)
{
    DoubleClick(Alpha);  // every item starts enabled
    Click(MouseButton::Right, Idle, ColLocalIp);
    DoubleClick(Bravo);  // the last menu disabled the item
    Click(MouseButton::Right, Charlie, ColLocalIp);
    DoubleClick(Idle);   // enabled, but this row has no path
    DoubleClick(Bravo);
    Strings shown;
    for (const auto &entry : front.Log)
        if (entry.rfind("info ", 0) == 0)
            shown.push_back(entry);
    EXPECT_EQ(shown, (Strings{"info alpha", "info bravo"}));
}

TEST_F(Window, MenuCommandActsOnlyWhileItsRowIsFocused)
{
    // A timer refresh while the menu is open deletes the menu's row (or
    // not); the first row takes the focus then.
    for (const bool deleted : {false, true}) {
        platform.Tables = SampleTables();
        main.BTNRefreshClick();
        if (deleted)
            platform.Tables.TcpRecs.erase(platform.Tables.TcpRecs.begin());  // bravo's
        front.InsideMenu = [&] {
            window.Run([&] { main.Timer1Timer(); });
            window.ChooseRowCommand(RowCommand::EndProc);
        };
        platform.Terminated.clear();
        Click(MouseButton::Right, Bravo, ColLocalIp);
        EXPECT_EQ(platform.Terminated.size(), deleted ? 0u : 1u) << deleted;
    }
    // With the menu closed the command acts on the focused row.
    front.InsideMenu = nullptr;
    window.ChooseRowCommand(RowCommand::EndProc);
    EXPECT_EQ(platform.Terminated.size(), 1u);
}

TEST_F(Window, SelectionReportsAreIgnoredWhileTheListChanges)
{
    window.UserSelectionChanged(Charlie, Charlie);
    EXPECT_EQ(list.SelectedRow(), Charlie);
    EXPECT_TRUE(front.Log.empty());  // the user's own selection is not shown back

    window.Run([&] {
        list.SetSelectedRow(Bravo);
        window.ListSelectionChanged();
        window.UserSelectionChanged(Idle, Idle);  // the widget's echo
    });
    EXPECT_EQ(list.SelectedRow(), Bravo);
    EXPECT_EQ(front.Log, (Strings{"show 1 2"}));  // once, after the handler

    list.SetFocusedRow(Alpha);  // outside any handler
    window.ListSelectionChanged();
    EXPECT_EQ(front.Log.back(), "show 1 0");
}

TEST_F(Window, TypingFocusesTheRowFoundAndHeaderClicksShowTheSort)
{
    window.KeyTyped("C", 0, ColProcess);
    window.KeyTyped("x", 1000, ColProcess);
    window.HeaderClick(-1);
    EXPECT_EQ(front.Actions(), (Strings{"focus 2 1", "sort -1 desc"}));
    EXPECT_EQ(list.SelectedRow(), Charlie);
}

TEST_F(Window, TheFilterFieldNarrowsTheRowsUntilEscape)
{
    window.SetToolsPort(&front);
    window.UserSelectionChanged(Alpha, Alpha);
    window.FilterKey();
    window.FilterEdited("A");  // alpha, bravo, Charlie; not idle
    EXPECT_EQ(window.Rows().RowCount(), 3);
    EXPECT_EQ(list.SelectedRow(), Alpha);
    window.FilterEdited("Ch");  // hides the selected row: the first shown is selected
    window.KeyTyped("C", 0, ColProcess);  // the search sees the rows shown
    window.FilterEscape();
    EXPECT_EQ(front.Actions(), (Strings{"filter shown ''", "filter focus", "filter shown '3 / 4'",
                                        "filter shown '1 / 4'", "focus 0 1", "filter hidden ''"}));
    EXPECT_EQ(window.Rows().RowCount(), 4);
    EXPECT_EQ(list.SelectedRow(), Charlie);
    EXPECT_EQ(front.Log.back(), "show 2 2");
}

TEST_F(Window, ExportSavesTheRowsShownAndSaysWhyAWriteFailed)
{
    window.SetToolsPort(&front);
    std::vector<std::pair<std::string, std::string>> written;
    bool writable = true;
    window.SetExportWriter([&](const std::string &path, std::string_view data, std::string &why) {
        written.emplace_back(path, std::string(data));
        why = "Permission denied";
        return writable;
    });
    window.FilterKey();
    window.FilterEdited("l");  // alpha, Charlie, idle
    front.ExportPath = "/tmp/list";
    front.ExportType = ExportFormat::Json;
    window.ChooseRowCommand(RowCommand::Export);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].first, "/tmp/list.json");
    const std::string &json = written[0].second;
    const size_t alpha = json.find("\"alpha\""), charlie = json.find("\"Charlie\""), idle = json.find("\"idle\"");
    EXPECT_TRUE(alpha < charlie && charlie < idle && idle != std::string::npos) << json;
    EXPECT_EQ(json.find("bravo"), std::string::npos);

    writable = false;
    front.ExportPath = "/tmp/list.HTM";
    window.ExportList();
    EXPECT_EQ(front.Actions().back(), "message 无法保存文件 /tmp/list.HTM：Permission denied");
    front.ExportPath.clear();  // cancelled
    window.ExportList();
    EXPECT_EQ(written.size(), 2u);
}

TEST_F(Window, ALeavingRowIsOutOfReachOfEveryCommand)
{
    main.SetChecked(CheckBox::HighlightChanges, true);
    platform.Tables.TcpRecs.erase(platform.Tables.TcpRecs.begin());  // bravo's endpoint is gone
    main.BTNRefreshClick();
    ASSERT_EQ(list.Change(Bravo), RowChange::Leaving);
    Click(MouseButton::Right, Bravo, ColLocalIp);
    for (RowCommand c : {RowCommand::ProcInfo, RowCommand::EndProc, RowCommand::Copy, RowCommand::Locate,
                         RowCommand::Property})
        EXPECT_FALSE(window.MenuState().Enabled(c));
    EXPECT_TRUE(window.MenuState().Enabled(RowCommand::Export));
    Click(MouseButton::Right, Alpha, ColLocalIp);  // every item enabled again
    window.UserSelectionChanged(Bravo, Bravo);
    DoubleClick(Bravo);
    main.BTNEndProClick();
    main.NCopyClick();
    EXPECT_TRUE(platform.Terminated.empty());
    for (const auto &entry : front.Log)
        EXPECT_NE(entry.rfind("info ", 0), 0u) << entry;
    main.BTNRefreshClick();  // one interval later it is gone
    EXPECT_EQ(list.RowCount(), 3);
}
