#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/connection_list.h"
#include "core/fixed_texts.h"
#include "core/main_controller.h"
#include "core/prompts.h"
#include "core/shell_actions.h"
#include "core/text_forms.h"
#include "core/version_tag.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

// Every call of the controller into the window, prompts and desktop, in order.
struct Recorder : MainView, Prompts, ShellActions {
    std::vector<std::string> Log;
    std::string CaptionText = "OndriQuorvex V$V$(网络连接查看器)";
    bool FilterFocused = false;
    bool Answer = true;
    bool UrlTaken = true;
    int AppCount = -1, NetCount = -1;

    void SetRefreshEnabled(bool e) override { Log.push_back(e ? "enable" : "disable"); }
    void StartRefreshTimer() override { Log.push_back("start"); }
    void StopRefreshTimer() override { Log.push_back("stop"); }
    void SetCheckBox(CheckBox b, bool c) override
    {
        Log.push_back("box" + std::to_string(static_cast<int>(b)) + (c ? "=1" : "=0"));
    }
    void SetTopmost(bool t) override { Log.push_back(t ? "topmost" : "normal"); }
    void SetCounters(int app, int net) override
    {
        AppCount = app;
        NetCount = net;
        Log.push_back("counters");
    }
    std::string Caption() const override { return CaptionText; }
    void SetCaption(const std::string &c) override
    {
        CaptionText = c;
        Log.push_back("caption");
    }
    void FocusList() override { Log.push_back("focus"); }
    bool FilterFieldHasFocus() const override { return FilterFocused; }
    void SetInfoColumnsVisible(bool v) override { Log.push_back(v ? "info" : "noinfo"); }
    void SetTrafficColumnsVisible(bool v) override { Log.push_back(v ? "traffic" : "notraffic"); }
    void RepaintList() override { Log.push_back("repaint"); }

    void ShowMessage(const std::string &t) override { Log.push_back("message:" + t); }
    bool AskYesNo(const std::string &t, bool defaultNo) override
    {
        Log.push_back("ask:" + t + (defaultNo ? ":no" : ":yes"));
        return Answer;
    }
    void ReportError(const std::string &t) override { Log.push_back("error:" + t); }

    bool OpenUrl(const std::string &u) override
    {
        Log.push_back("url:" + u);
        return UrlTaken;
    }
    void OpenFile(const std::string &p) override { Log.push_back("file:" + p); }
    void ShowInFileManager(const std::string &p) override { Log.push_back("show:" + p); }
    void ShowProperties(const std::string &p) override { Log.push_back("props:" + p); }
    void CopyRowReport(const TMyRec &r) override { Log.push_back("copy:" + r.ProcessName); }
    void ShowProcessInfo(const TMyRec &r) override { Log.push_back("info:" + r.ProcessPath); }
};

struct World {
    FakePlatform platform;
    ConnectionList list;
    Recorder rec;
    MainController ctl{platform, list, rec, rec, rec};

    World()
    {
        platform.Tables.TcpRecs = {FakeTcp("127.0.0.1", 5000, "127.0.0.1", 5001, 5, 10, "a", "/bin/a"),
                                   FakeTcp("10.0.0.1", 22, "10.0.0.2", 4000, 5, 11, "sshd", "/usr/sbin/sshd")};
        platform.Tables.UdpRecs = {FakeUdp("0.0.0.0", 53, 12, "dns", "/bin/dns")};
    }
    void Created()
    {
        ctl.FormCreate();
        rec.Log.clear();
    }
};

struct Fixture : ::testing::Test, World {};

// Whether the list's incremental refresh is in this build yet.

}  // namespace

TEST_F(Fixture, RowsDescribePathlessOwnersAsThePlatformSays)
{
    platform.Tables.UdpRecs.push_back(FakeUdp("0.0.0.0", 68, 0, ""));
    platform.Pathless = PathlessOwners::Unknown;
    Created();
    int pathless = 0;
    for (int row = 0; row < list.RowCount(); ++row) {
        if (list.Record(row).ProcessPath.empty()) {
            ++pathless;
            EXPECT_EQ(list.Record(row).Description, "");
        }
    }
    EXPECT_EQ(pathless, 1);
}

TEST_F(Fixture, FormCreateRunsItsStepsInOrder)
{
    std::vector<std::string> steps;
    // Addresses, Initializing and both directories come before the settings.
    ctl.Hooks.LoadSettings = [&] {
        steps.push_back(std::string(ctl.Initializing() ? "load(init)" : "load") + " " + ctl.AppDir() + " "
                        + ctl.SysDir() + (ctl.HomePageUrl().empty() || ctl.UpdateUrl().empty() ? " no urls" : ""));
    };
    ctl.Hooks.CreateIconCaches = [&] { steps.push_back(ctl.Texts().ExitConfirmMsg.empty() ? "icons" : "late"); };
    platform.OnSnapshot = [&] {
        steps.push_back("snapshot priv=" + std::to_string(platform.PrivilegeCalls)
                        + (ctl.Initializing() ? " init" : ""));
    };
    platform.ExePath = "/opt/q dir/bin/quorvex";
    platform.SysDir = "/usr/sbin-x64";

    ctl.FormCreate();

    EXPECT_EQ(steps,
              (std::vector<std::string>{"load(init) /opt/q dir/bin/ /USR/SBIN-X64", "icons", "snapshot priv=1 init"}));
    EXPECT_FALSE(ctl.Initializing());
    EXPECT_EQ(ctl.AppDir(), "/opt/q dir/bin/");
    EXPECT_EQ(ctl.SysDir(), "/USR/SBIN-X64");
    EXPECT_EQ(ctl.Texts().ExitConfirmMsg, "您确认要退出网络连接查看器?");
    EXPECT_EQ(rec.CaptionText, "OndriQuorvex V3.0(网络连接查看器)");
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"counters", "caption"}));
    EXPECT_EQ(rec.NetCount, 3);
    EXPECT_EQ(rec.AppCount, 3);
}

TEST_F(Fixture, FailedStartUpReportsAndSkipsTheRest)
{
    platform.FailSnapshot = true;
    ctl.Guard([&] { ctl.FormCreate(); });
    EXPECT_TRUE(ctl.Initializing());
    EXPECT_EQ(rec.CaptionText, "OndriQuorvex V$V$(网络连接查看器)");
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"error:snapshot failed"}));
    EXPECT_EQ(list.RowCount(), 0);

    // Stuck in Initializing, the show-local box no longer refreshes.
    ctl.SetChecked(CheckBox::ShowLocal, false);
    EXPECT_EQ(platform.SnapshotCount, 1);
}

TEST_F(Fixture, SettingsLoadedAtStartDoNotRefresh)
{
    ctl.Hooks.LoadSettings = [&] {
        ctl.SetChecked(CheckBox::ShowLocal, false);
        ctl.SetChecked(CheckBox::AutoRefresh, true);
    };
    std::vector<int> saved;
    ctl.Hooks.SaveSetting = [&](int tag) { saved.push_back(tag); };
    ctl.FormCreate();
    EXPECT_EQ(platform.SnapshotCount, 1);
    EXPECT_EQ(saved, (std::vector<int>{1, 2}));
    EXPECT_FALSE(ctl.ShowLocal());
    EXPECT_TRUE(ctl.AutoRefresh());
    // The first fill already read the unchecked box: the loopback pair is hidden.
    EXPECT_EQ(rec.NetCount, 2);
    EXPECT_EQ(rec.AppCount, 3);
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"box1=0", "box2=1", "start", "counters", "caption"}));
}

TEST_F(Fixture, BoxHandlers)
{
    struct Case {
        CheckBox box;
        bool initial;
        std::vector<std::string> onToggle;  // after the box's new state is shown
        bool (MainController::*mirror)() const;
    };
    const Case cases[] = {
        {CheckBox::AutoRefresh, false, {"start"}, &MainController::AutoRefresh},
        {CheckBox::AlwaysTop, true, {"normal"}, &MainController::AlwaysTop},
        {CheckBox::ShowInfo, false, {"info"}, &MainController::ShowInfo},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.box));
        World w;
        auto &[platform, list, rec, ctl] = w;
        w.Created();
        std::vector<int> saved;
        ctl.Hooks.SaveSetting = [&](int tag) {
            saved.push_back(tag);
            EXPECT_EQ((ctl.*c.mirror)(), !c.initial) << "mirror set before the save";
        };
        ASSERT_EQ(ctl.IsChecked(c.box), c.initial);

        ctl.SetChecked(c.box, c.initial);  // its current state: nothing at all
        EXPECT_TRUE(rec.Log.empty());
        EXPECT_TRUE(saved.empty());

        ctl.SetChecked(c.box, !c.initial);
        std::vector<std::string> expected{"box" + std::to_string(static_cast<int>(c.box)) + (c.initial ? "=0" : "=1")};
        expected.insert(expected.end(), c.onToggle.begin(), c.onToggle.end());
        EXPECT_EQ(rec.Log, expected);
        EXPECT_EQ(saved, std::vector<int>{static_cast<int>(c.box)});
        EXPECT_EQ(ctl.IsChecked(c.box), !c.initial);
        EXPECT_EQ(platform.SnapshotCount, 1) << "only show-local refreshes";
    }
}

TEST(MainController, FailedSaveIsReportedAfterTheBoxsWorkIsDone)
{
    const std::string unable = "error:Unable to write to /opt/ondriquorvex/Quorvex.ini";
    struct Case {
        CheckBox box;
        bool checked;
        bool failSnapshot;
        std::vector<std::string> log;
    } cases[] = {
        {CheckBox::AutoRefresh, true, false, {"box2=1", "start", unable}},
        {CheckBox::AlwaysTop, false, false, {"box3=0", "normal", unable}},
        {CheckBox::ShowInfo, true, false, {"box4=1", "info", unable}},
        {CheckBox::ShowLocal, false, false,
         {"box1=0", "disable", "counters", "focus", "repaint", "enable", unable}},
        // Both fail: each error is told, the save's first.
        {CheckBox::ShowLocal, false, true, {"box1=0", "disable", "enable", unable, "error:snapshot failed"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.box));
        World w;
        w.Created();
        w.ctl.Hooks.SaveSetting = [](int) { throw std::runtime_error("Unable to write to /opt/ondriquorvex/Quorvex.ini"); };
        w.platform.FailSnapshot = c.failSnapshot;
        w.ctl.Guard([&] { w.ctl.SetChecked(c.box, c.checked); });
        EXPECT_EQ(w.rec.Log, c.log);
        EXPECT_EQ(w.ctl.IsChecked(c.box), c.checked);
    }
}

TEST_F(Fixture, ViewOptionsShapeTheSnapshotAndRefreshOnlyAfterStartUp)
{
    platform.Tables.Tcp6Recs = {FakeTcp("::1", 80, "::1", 5000, 5, 13, "web", "/bin/web")};
    platform.Tables.TcpRecs[1] = WithTraffic(platform.Tables.TcpRecs[1], 100, 200);
    ctl.Hooks.LoadSettings = [&] { ctl.SetChecked(CheckBox::ShowTraffic, true); };
    ctl.FormCreate();
    // The first fill takes the counters the loaded option asks for; no refresh before it.
    EXPECT_EQ(platform.SnapshotCount, 1);
    EXPECT_TRUE(platform.LastOptions.Traffic && !platform.LastOptions.Ipv6);
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"box6=1", "traffic", "counters", "caption"}));
    const auto countersOf = [&](const char *name) {
        for (int row = 0; row < list.RowCount(); ++row)
            if (list.Record(row).ProcessName == name)
                return list.Record(row).Traffic;
        return std::optional<TrafficCounters>();
    };
    EXPECT_EQ(countersOf("sshd"), (TrafficCounters{100, 200}));

    rec.Log.clear();
    ctl.Guard([&] { ctl.SetChecked(CheckBox::ShowIPv6, true); });
    EXPECT_EQ(platform.SnapshotCount, 2);
    EXPECT_TRUE(platform.LastOptions.Ipv6);
    EXPECT_EQ(list.RowCount(), 4);
    ASSERT_GE(rec.Log.size(), 2u);
    EXPECT_EQ(rec.Log[1], "disable");

    rec.Log.clear();
    ctl.Guard([&] { ctl.SetChecked(CheckBox::ShowTraffic, false); });
    EXPECT_EQ(platform.SnapshotCount, 3);
    EXPECT_EQ(rec.Log[1], "notraffic");
    EXPECT_FALSE(countersOf("sshd").has_value());
}

TEST_F(Fixture, ShowLocalRefreshesAfterStartUp)
{
    Created();
    ctl.Guard([&] { ctl.SetChecked(CheckBox::ShowLocal, false); });
    EXPECT_EQ(platform.SnapshotCount, 2);
    EXPECT_FALSE(ctl.ShowLocal());
    ASSERT_GE(rec.Log.size(), 3u);
    EXPECT_EQ(rec.Log[0], "box1=0");
    EXPECT_EQ(rec.Log[1], "disable");
}

TEST_F(Fixture, RefreshRestoresButtonAndTimerWhenTheSnapshotFails)
{
    for (bool autoRefresh : {false, true}) {
        SCOPED_TRACE(autoRefresh);
        World w;
        auto &[platform, list, rec, ctl] = w;
        w.Created();
        ctl.SetChecked(CheckBox::AutoRefresh, autoRefresh);
        rec.Log.clear();
        platform.FailSnapshot = true;
        const int rows = list.RowCount();
        ctl.Guard([&] { ctl.Timer1Timer(); });
        std::vector<std::string> expected{"disable"};
        if (autoRefresh)
            expected.push_back("stop");
        expected.push_back("enable");
        if (autoRefresh)
            expected.push_back("start");
        expected.push_back("error:snapshot failed");
        EXPECT_EQ(rec.Log, expected);
        EXPECT_EQ(list.RowCount(), rows);
    }
}

TEST_F(Fixture, RefreshProtocolOnSuccess)
{
    Created();
    ctl.SetChecked(CheckBox::AutoRefresh, true);
    rec.Log.clear();
    platform.Tables.UdpRecs.clear();
    ctl.Guard([&] { ctl.BTNRefreshClick(); });
    EXPECT_EQ(rec.Log,
              (std::vector<std::string>{"disable", "stop", "counters", "focus", "repaint", "enable", "start"}));
    EXPECT_EQ(rec.NetCount, 2);

    // The timer's refresh while the user types a filter leaves the focus.
    rec.FilterFocused = true;
    rec.Log.clear();
    ctl.Guard([&] { ctl.Timer1Timer(); });
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"disable", "stop", "counters", "repaint", "enable", "start"}));
}

TEST_F(Fixture, CloseAsksAndOnlyYesCloses)
{
    Created();
    for (bool answer : {false, true}) {
        rec.Answer = answer;
        EXPECT_EQ(ctl.FormCloseQuery(), answer);
    }
    EXPECT_EQ(rec.Log, std::vector<std::string>(2, "ask:您确认要退出网络连接查看器?:yes"));
}

TEST(MainControllerClose, SessionEndAgreementCoversOnlyTheCloseThatEndsThatSession)
{
    // What happens after the session-end question, step by step: 'S' a new
    // session-end question, 'q' the close of the quit that ends a session,
    // 'u' a close by the user, 'c' the session end cancelled elsewhere. Each
    // step's answer is given; `asked` lists the steps that asked.
    using Cause = MainController::CloseCause;
    struct Case {
        const char *steps;
        const char *answers;  // y/n per step
        const char *results;  // y/n: the step's result
        int questions;
    };
    const Case cases[] = {
        {"Sq", "yn", "yy", 1},     // agreed: the quit closes without a second question
        {"Sq", "nn", "nn", 2},     // refused: the quit's close asks again
        {"Sq", "ny", "ny", 2},
        {"Su", "yn", "yn", 2},     // logout cancelled elsewhere, then the user closes: asked
        {"Scq", "yny", "y-y", 2},  // cancelled: a later quit asks as well
        {"Sqq", "yny", "yyy", 2},  // the agreement is spent by its close
        {"SS", "yn", "yn", 2},     // a second session end asks anew
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.steps);
        World w;
        w.Created();
        const std::string steps = c.steps;
        for (size_t i = 0; i < steps.size(); ++i) {
            w.rec.Answer = c.answers[i] == 'y';
            bool result = false;
            switch (steps[i]) {
            case 'S': result = w.ctl.SessionEndQuery(); break;
            case 'q': result = w.ctl.FormCloseQuery(Cause::SessionEnd); break;
            case 'u': result = w.ctl.FormCloseQuery(Cause::User); break;
            case 'c': w.ctl.SessionEndCancelled(); continue;
            }
            EXPECT_EQ(result, c.results[i] == 'y') << "step " << i;
        }
        EXPECT_EQ(w.rec.Log, std::vector<std::string>(c.questions, "ask:您确认要退出网络连接查看器?:yes"));
    }
}

TEST_F(Fixture, LinkButtons)
{
    Created();
    ctl.BTNHomePageClick();
    ctl.BTNUpdateClick();
    EXPECT_TRUE(ctl.MailLinkClick());
    rec.UrlTaken = false;
    EXPECT_FALSE(ctl.MailLinkClick());
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"url:https://ondriquorvex.example.org/",
                                                 "url:https://ondriquorvex.example.org/update.html",
                                                 "url:mailto:support@ondriquorvex.example.org",
                                                 "url:mailto:support@ondriquorvex.example.org"}));
}

// A system code page without Chinese (Windows 1252) turns those characters
// into "?": the caption and the questions never pass through it, while an
// error message in the system's encoding is decoded for the report.
TEST_F(Fixture, FixedTextsBypassTheSystemEncoding)
{
    SetSystemTextEncoder([](std::string_view utf8) {
        std::string lossy;
        for (size_t i = 0; i < utf8.size(); ++i) {
            const auto c = static_cast<unsigned char>(utf8[i]);
            if (c < 0x80)
                lossy += utf8[i];
            else if (c >= 0xC0)
                lossy += '?';
        }
        return lossy;
    });
    SetSystemTextDecoder([](std::string_view system) { return "decoded " + std::string(system); });
    Created();
    rec.Answer = false;
    ctl.FormCloseQuery();
    ctl.Guard([] { throw std::runtime_error("Unable to write to C:\\x"); });
    SetSystemTextEncoder(nullptr);
    SetSystemTextDecoder(nullptr);
    EXPECT_EQ(rec.CaptionText, "OndriQuorvex V3.0(网络连接查看器)");
    EXPECT_EQ(rec.Log.at(rec.Log.size() - 2), "ask:您确认要退出网络连接查看器?:yes");
    EXPECT_EQ(rec.Log.back(), "error:decoded Unable to write to C:\\x");
}

TEST(MainControllerHelp, OpensTheFirstExistingCandidateBesideTheExecutableThenInTheDataFolder)
{
    struct Case {
        std::string exePath;
        std::vector<std::string> existing;
        std::string opened;
        std::string dataDir = {};
    };
    const Case cases[] = {
        {"C:\\Prog\\q.exe", {"C:\\Prog\\QuorvexHelp.chm", "C:\\Prog\\QuorvexHelp.html"}, "C:\\Prog\\QuorvexHelp.chm"},
        {"C:\\Prog\\q.exe", {"C:\\Prog\\QuorvexHelp.html"}, "C:\\Prog\\QuorvexHelp.html"},
        {"C:\\Prog\\q.exe", {}, "C:\\Prog\\QuorvexHelp.chm"},  // the desktop then shows nothing
        {"D:/other/q.exe", {"D:/other/QuorvexHelp.html"}, "D:/other/QuorvexHelp.html"},
        {"", {}, "QuorvexHelp.chm"},
        // Installed: beside the executable first, whichever name; the data
        // folder only when neither is there.
        {"/usr/bin/q", {"/usr/share/q/QuorvexHelp.chm"}, "/usr/share/q/QuorvexHelp.chm", "/usr/share/q/"},
        {"/usr/bin/q", {"/usr/share/q/QuorvexHelp.chm", "/usr/bin/QuorvexHelp.html"}, "/usr/bin/QuorvexHelp.html",
         "/usr/share/q/"},
        {"/usr/bin/q", {}, "/usr/bin/QuorvexHelp.chm", "/usr/share/q/"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.exePath);
        FakePlatform platform;
        ConnectionList list;
        Recorder rec;
        MainOptions options;
        options.HelpFileNames = {"QuorvexHelp.chm", "QuorvexHelp.html"};
        options.PathSeparators = "\\/";
        options.DataDir = c.dataDir;
        MainController ctl(platform, list, rec, rec, rec, options);
        platform.ExePath = "C:\\Old\\q.exe";
        ctl.FormCreate();
        platform.ExePath = c.exePath;  // asked afresh at the click
        platform.ExistingFiles = c.existing;
        rec.Log.clear();
        ctl.BTNHelpClick();
        EXPECT_EQ(rec.Log, std::vector<std::string>{"file:" + c.opened});
    }
}

TEST(MainControllerGuard, ReportsEveryKindOfError)
{
    FakePlatform platform;
    ConnectionList list;
    Recorder rec;
    MainController ctl(platform, list, rec, rec, rec);
    ctl.Guard([] { throw std::runtime_error("boom"); });
    ctl.Guard([] { throw 42; });
    ctl.Guard([] {});
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"error:boom", "error:Unknown error"}));
}

TEST(ReplaceVersionTag, Cases)
{
    struct Case {
        std::string text, version, expected;
    };
    const Case cases[] = {
        {"OndriQuorvex V$V$(网络连接查看器)", "3.0", "OndriQuorvex V3.0(网络连接查看器)"},
        {"$V$ and $v$", "3.0", "3.0 and 3.0"},
        {"no tag here", "3.0", "no tag here"},
        {"", "3.0", ""},
        {"x$V$y", "$V$", "x$V$y"},           // inserted text is not searched again
        {"$V$V$", "1", "1V$"},               // the search resumes after the tag
        {"$$V$$", "9", "$9$"},
        {"$V", "9", "$V"},
        {"$W$", "9", "$W$"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReplaceVersionTag(c.text, c.version), c.expected) << c.text << " / " << c.version;
}

TEST(ErrorReportText, FullStopWhenTheLastByteSortsAboveTheStop)
{
    struct Case {
        std::string message, expected;
    };
    const Case cases[] = {
        {"snapshot failed", "snapshot failed."},
        {"ends with stop.", "ends with stop."},
        {"ends with bang!", "ends with bang!"},  // '!' sorts below '.'
        {"path /tmp/", "path /tmp/."},            // '/' sorts just above
        {"number 7", "number 7."},
        {"无法结束进程", "无法结束进程."},        // bytes of 0x80 and above
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ErrorReportText(c.message), c.expected) << c.message;
}

namespace {

using Command = void (MainController::*)();

struct CommandCase {
    const char *name;
    Command command;
    const char *focus;  // process name of the focused row; nullptr for none
    bool endItemEnabled;
    bool answer;
    std::vector<std::string> log;  // prompts, shell and view calls, without the refresh's own
    std::vector<uint32_t> ended;
    int refreshes;
};

}  // namespace

TEST(MainControllerRowCommands, ActOnTheFocusedRow)
{
    const std::string ask = std::string("ask:") + texts::EndSystemConfirmMsg + ":no";
    const std::string sysMsg = std::string("message:") + texts::SystemProcessMsg;
    const CommandCase cases[] = {
        {"details", &MainController::NProcInfoClick, "dns", true, true, {"info:/bin/dns"}, {}, 0},
        {"details without a path", &MainController::NProcInfoClick, "System", true, true, {}, {}, 0},
        {"details without a focused row", &MainController::NProcInfoClick, nullptr, true, true, {}, {}, 0},
        {"copy", &MainController::NCopyClick, "System", true, true, {"copy:System"}, {}, 0},
        {"copy without a focused row", &MainController::NCopyClick, nullptr, true, true, {}, {}, 0},
        {"locate an existing file", &MainController::NLocateClick, "dns", true, true, {"show:/bin/dns"}, {}, 0},
        {"locate a deleted file", &MainController::NLocateClick, "a", true, true, {}, {}, 0},
        {"properties", &MainController::NPropertyClick, "a", true, true, {"props:/bin/a"}, {}, 0},
        {"properties without a path", &MainController::NPropertyClick, "System", true, true, {}, {}, 0},
        {"end, then refresh", &MainController::NEndProcClick, "dns", true, true, {}, {12}, 1},
        {"end in the system directory, No", &MainController::NEndProcClick, "sshd", true, false, {ask}, {}, 0},
        {"end in the system directory, Yes", &MainController::NEndProcClick, "sshd", true, true, {ask}, {11}, 1},
        {"end a system process", &MainController::NEndProcClick, "System", true, true, {sysMsg}, {}, 0},
        {"end without a focused row", &MainController::NEndProcClick, nullptr, true, true, {}, {}, 0},
        // A disabled menu item cannot be clicked at all; its handler does not look again.
        {"menu item while disabled", &MainController::NEndProcClick, "dns", false, true, {}, {12}, 1},
        {"button", &MainController::BTNEndProClick, "dns", true, true, {}, {12}, 1},
        {"button while the item is disabled", &MainController::BTNEndProClick, "dns", false, true, {}, {}, 0},
        {"close a connection, then refresh", &MainController::NCloseConnectionClick, "sshd", true, true,
         {"ask:确定要关闭这个连接吗?\n本地: 10.0.0.1:22\n目标: 10.0.0.2:4000:no"}, {}, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        w.platform.Tables.TcpRecs.push_back(FakeTcp("0.0.0.0", 445, "0.0.0.0", 0, 2, 4, "System"));
        w.platform.ExistingFiles = {"/bin/dns"};
        w.Created();
        w.list.SetFocusedRow(-1);
        for (int row = 0; row < w.list.RowCount(); ++row)
            if (c.focus && w.list.Record(row).ProcessName == c.focus)
                w.list.SetFocusedRow(row);
        ASSERT_EQ(w.list.FocusedRow() >= 0, c.focus != nullptr);
        w.ctl.MenuState().EndProc = c.endItemEnabled;
        w.rec.Answer = c.answer;
        const int snapshots = w.platform.SnapshotCount;

        // The refresh may fail in this build; the guard takes its error.
        w.ctl.Guard([&] { (w.ctl.*c.command)(); });

        std::vector<std::string> log;
        for (const auto &entry : w.rec.Log)
            for (const char *kind : {"ask:", "message:", "show:", "props:", "copy:", "info:"})
                if (entry.rfind(kind, 0) == 0)
                    log.push_back(entry);
        EXPECT_EQ(log, c.log);
        std::vector<uint32_t> ended;
        for (const auto &[pid, start] : w.platform.Terminated)
            ended.push_back(pid);
        EXPECT_EQ(ended, c.ended);
        EXPECT_EQ(w.platform.SnapshotCount - snapshots, c.refreshes);
        // A refresh runs through the refresh button's protocol.
        EXPECT_EQ(std::count(w.rec.Log.begin(), w.rec.Log.end(), "disable"), c.refreshes);
    }
}
