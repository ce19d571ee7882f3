#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/connection_list.h"
#include "core/main_controller.h"
#include "core/prompts.h"
#include "core/settings_hooks.h"
#include "core/shell_actions.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;
namespace fs = std::filesystem;

namespace {

// The window's effects that the boxes' handlers cause, and the error reports.
struct Window : MainView, Prompts, ShellActions {
    std::vector<std::string> Log;
    std::vector<std::string> Errors;

    void SetRefreshEnabled(bool) override {}
    void StartRefreshTimer() override { Log.push_back("start"); }
    void StopRefreshTimer() override { Log.push_back("stop"); }
    void SetCheckBox(CheckBox b, bool c) override
    {
        Log.push_back("box" + std::to_string(static_cast<int>(b)) + (c ? "=1" : "=0"));
    }
    void SetTopmost(bool t) override { Log.push_back(t ? "topmost" : "normal"); }
    void SetCounters(int, int) override {}
    std::string Caption() const override { return "Q V$V$"; }
    void SetCaption(const std::string &) override {}
    void FocusList() override {}
    void SetInfoColumnsVisible(bool v) override { Log.push_back(v ? "info" : "noinfo"); }
    void SetTrafficColumnsVisible(bool v) override { Log.push_back(v ? "traffic" : "notraffic"); }
    void RepaintList() override {}
    void CopyRowReport(const TMyRec &) override {}
    void ShowProcessInfo(const TMyRec &) override {}

    void ShowMessage(const std::string &) override {}
    bool AskYesNo(const std::string &, bool) override { return true; }
    void ReportError(const std::string &t) override { Errors.push_back(t); }

    bool OpenUrl(const std::string &) override { return true; }
    void OpenFile(const std::string &) override {}
    void ShowInFileManager(const std::string &) override {}
    void ShowProperties(const std::string &) override {}
};

// A controller with the settings attached, its executable in a fresh
// directory; the store's writer fails while `readOnly` is set.
struct Rig {
    Rig()
    {
        m_dir = fs::temp_directory_path() / ("quorvex-hooks-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
        m_path = (m_dir / "Quorvex.ini").generic_string();
        m_platform.ExePath = (m_dir / "quorvex").generic_string();  // "/" is what the controller splits on by default
        AttachSettings(m_ctl, [this](const std::string &appDir) {
            m_openedFor = appDir;
            return SettingsStore(appDir + "Quorvex.ini", [this](const std::string &path, const std::string &text) {
                if (m_readOnly)
                    return false;
                std::ofstream out(path, std::ios::binary | std::ios::trunc);
                out << text;
                return static_cast<bool>(out);
            });
        });
    }
    ~Rig() { fs::remove_all(m_dir); }

    void Put(const std::string &text) { std::ofstream(m_path, std::ios::binary) << text; }
    std::string Get() const
    {
        std::string text;
        ReadTextFile(m_path, text);
        return text;
    }
    void Create()
    {
        m_ctl.Guard([this] { m_ctl.FormCreate(); });
    }
    std::vector<bool> Mirrors() const
    {
        return {m_ctl.ShowLocal(), m_ctl.AutoRefresh(), m_ctl.AlwaysTop(), m_ctl.ShowInfo()};
    }
    std::vector<bool> Boxes() const
    {
        return {m_ctl.IsChecked(CheckBox::ShowLocal), m_ctl.IsChecked(CheckBox::AutoRefresh),
                m_ctl.IsChecked(CheckBox::AlwaysTop), m_ctl.IsChecked(CheckBox::ShowInfo)};
    }

    fs::path m_dir;
    std::string m_path;
    std::string m_openedFor;
    bool m_readOnly = false;
    FakePlatform m_platform;
    ConnectionList m_list;
    Window m_window;
    MainController m_ctl{m_platform, m_list, m_window, m_window, m_window};
};

struct SettingsHooksTest : ::testing::Test, Rig {};

TEST(SettingsHooks, StartUpSetsTheBoxesTheFileAsksFor)
{
    struct Case {
        const char *name;
        const char *file;  // nullptr: no file
        std::vector<std::string> log;
        std::vector<bool> boxes;
        const char *after;  // the file after the start; nullptr: as it was
    };
    const Case cases[] = {
        {"no file", nullptr, {}, {true, false, true, false}, nullptr},
        {"show local 0x0, written back as 0", "[Set]\r\nShowLocal=0x0\r\n", {"box1=0"},
         {false, false, true, false}, "[Set]\r\nShowLocal=0\r\n"},
        {"all four, in tag order", "; c\n[SET]\nshowinfo=1\nalwaystop=0\nautorefresh=1\nshowlocal=0\n",
         {"box1=0", "box2=1", "start", "box3=0", "normal", "box4=1", "info"}, {false, true, false, true}, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        if (c.file)
            r.Put(c.file);
        r.Create();
        EXPECT_EQ(r.m_openedFor, r.m_dir.generic_string() + "/");
        // The show-local box changes while the window is being made: the
        // first fill reads it, so no refresh of its own runs.
        EXPECT_EQ(r.m_platform.SnapshotCount, 1);
        EXPECT_EQ(r.m_window.Log, c.log);
        EXPECT_EQ(r.Boxes(), c.boxes);
        EXPECT_EQ(r.Mirrors(), c.boxes);
        EXPECT_TRUE(r.m_window.Errors.empty());
        if (!c.file) {
            EXPECT_FALSE(fs::exists(r.m_path)) << "nothing may be created";
        } else {
            EXPECT_EQ(r.Get(), c.after ? c.after : c.file);
        }
    }
}

TEST_F(SettingsHooksTest, EachBoxWritesItsOwnKeyBeforeItsWork)
{
    Put("[Set]\nAlwaysTop=1\n[Other]\nShowInfo=9\n");
    Create();
    struct Step {
        CheckBox box;
        bool checked;
        const char *file;
        const char *work;
    };
    const Step steps[] = {
        {CheckBox::ShowInfo, true, "[Set]\nAlwaysTop=1\nShowInfo=1\n[Other]\nShowInfo=9\n", "info"},
        {CheckBox::AlwaysTop, false, "[Set]\nAlwaysTop=0\nShowInfo=1\n[Other]\nShowInfo=9\n", "normal"},
        {CheckBox::AutoRefresh, true, "[Set]\nAlwaysTop=0\nShowInfo=1\nAutoRefresh=1\n[Other]\nShowInfo=9\n",
         "start"},
        {CheckBox::AutoRefresh, false, "[Set]\nAlwaysTop=0\nShowInfo=1\nAutoRefresh=0\n[Other]\nShowInfo=9\n",
         "stop"},
        {CheckBox::ShowLocal, false,
         "[Set]\nAlwaysTop=0\nShowInfo=1\nAutoRefresh=0\nShowLocal=0\n[Other]\nShowInfo=9\n", nullptr},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(static_cast<int>(s.box));
        m_window.Log.clear();
        m_ctl.Guard([&] {
            m_ctl.SetChecked(s.box, s.checked);
            // The handler's work sees the key already written.
            EXPECT_EQ(Get(), s.file);
        });
        if (s.work) {
            EXPECT_NE(std::find(m_window.Log.begin(), m_window.Log.end(), s.work), m_window.Log.end());
        }
    }
    EXPECT_EQ(m_platform.SnapshotCount, 2) << "show local refreshes after the start-up";
    // (Whether that refresh itself succeeds is the list's business.)
    for (const auto &e : m_window.Errors)
        EXPECT_EQ(e.find("Unable to write"), std::string::npos) << e;
}

TEST_F(SettingsHooksTest, FailedWriteOnAClickIsReportedAndTheWorkFollows)
{
    Create();
    m_readOnly = true;
    const std::pair<CheckBox, const char *> boxes[] = {
        {CheckBox::AutoRefresh, "start"}, {CheckBox::AlwaysTop, "normal"}, {CheckBox::ShowInfo, "info"}};
    for (const auto &[box, work] : boxes) {
        SCOPED_TRACE(static_cast<int>(box));
        m_window.Log.clear();
        m_window.Errors.clear();
        m_ctl.Guard([&] { m_ctl.SetChecked(box, !m_ctl.IsChecked(box)); });
        EXPECT_EQ(m_window.Errors, (std::vector<std::string>{"Unable to write to " + m_path}));
        EXPECT_EQ(m_window.Log.back(), work);
    }
    m_ctl.Guard([&] { m_ctl.SetChecked(CheckBox::ShowLocal, false); });
    EXPECT_EQ(m_platform.SnapshotCount, 2) << "show local refreshes all the same";
    EXPECT_EQ(Mirrors(), (std::vector<bool>{false, true, false, true}));
    EXPECT_FALSE(fs::exists(m_path));
}

}  // namespace

TEST_F(SettingsHooksTest, ViewOptionsAreRememberedAndComeBackAtStart)
{
    // An option the user turns on is written to its key in the same
    // section; the next start reads it into the option's mirror and item.
    Create();
    m_ctl.Guard([this] { m_ctl.SetChecked(CheckBox::ShowTraffic, true); });
    EXPECT_EQ(Get(), "[Set]\nShowTraffic=1\n");

    Rig next;
    next.Put(Get());
    next.Create();
    EXPECT_TRUE(next.m_ctl.Option(CheckBox::ShowTraffic));
    EXPECT_TRUE(next.m_ctl.IsChecked(CheckBox::ShowTraffic));
    EXPECT_FALSE(next.m_ctl.Option(CheckBox::ShowIPv6));
}
