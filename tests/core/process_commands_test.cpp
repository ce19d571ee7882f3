#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/fixed_texts.h"
#include "core/process_commands.h"
#include "core/prompts.h"
#include "core/row_menu_state.h"
#include "core/shell_actions.h"
#include "core/text_forms.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

class ScriptedPrompts : public Prompts {
public:
    void ShowMessage(const std::string &text) override { Messages.push_back(text); }
    bool AskYesNo(const std::string &text, bool defaultNo) override
    {
        Questions.push_back(text);
        DefaultNo = defaultNo;
        if (WhileAsking)
            WhileAsking();
        return Answer;
    }
    void ReportError(const std::string &text) override { Errors.push_back(text); }

    bool Answer = true;
    bool DefaultNo = false;
    std::function<void()> WhileAsking;
    std::vector<std::string> Messages, Questions, Errors;
};

class RecordingShell : public ShellActions {
public:
    bool OpenUrl(const std::string &url) override
    {
        Calls.push_back("url " + url);
        return true;
    }
    void OpenFile(const std::string &path) override { Calls.push_back("open " + path); }
    void ShowInFileManager(const std::string &path) override { Calls.push_back("show " + path); }
    void ShowProperties(const std::string &path) override { Calls.push_back("props " + path); }
    std::vector<std::string> Calls;
};

TMyRec Row(const std::string &pid, const std::string &path, uint64_t startTime = 0)
{
    TMyRec rec;
    rec.Protocol = "TCP";
    rec.Pid = pid;
    rec.ProcessName = "app";
    rec.ProcessPath = path;
    rec.StartTime = startTime;
    return rec;
}

struct EndCase {
    const char *name;
    bool focused;
    std::string pid, path;
    bool answer;            // to the system-process question
    bool terminates;        // the platform could open the process
    bool asked;
    std::vector<std::string> messages;
    bool terminated;
    int refreshes;
};

TEST(EndProcess, EveryBranch)
{
    const std::string sysMsg = texts::SystemProcessMsg, failMsg = texts::EndFailedMsg;
    const EndCase cases[] = {
        {"no focused row", false, "10", "/opt/a", true, true, false, {}, false, 0},
        {"no path", true, "10", "", true, true, false, {sysMsg}, false, 0},
        {"ordinary path ends and refreshes", true, "10", "/opt/app/bin/app", true, true, false, {}, true, 1},
        {"system directory, Yes", true, "10", "/usr/sbin/sshd", true, true, true, {}, true, 1},
        {"system directory, No", true, "10", "/usr/sbin/sshd", false, true, true, {}, false, 0},
        {"upper-cased substring, longer name", true, "10", "/opt/usr/SBINx/tool", false, true, true, {}, false, 0},
        {"other directory is not asked about", true, "10", "/usr/bin/sbin", true, true, false, {}, true, 1},
        {"cannot open", true, "10", "/opt/app", true, false, false, {failMsg}, true, 0},
        {"PID that is not a number", true, "x1", "/opt/app", true, true, false, {failMsg}, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompts prompts;
        prompts.Answer = c.answer;
        FakePlatform platform;
        platform.TerminateSucceeds = c.terminates;
        int refreshes = 0;
        const TMyRec rec = Row(c.pid, c.path, 777);
        EndProcess(c.focused ? &rec : nullptr, {prompts, platform, UpperAscii("/usr/sbin"), [&] { ++refreshes; }});

        EXPECT_EQ(!prompts.Questions.empty(), c.asked);
        if (c.asked) {
            EXPECT_EQ(prompts.Questions[0], texts::EndSystemConfirmMsg);
            EXPECT_TRUE(prompts.DefaultNo);
        }
        EXPECT_EQ(prompts.Messages, c.messages);
        EXPECT_EQ(!platform.Terminated.empty(), c.terminated);
        if (c.terminated) {
            EXPECT_EQ(platform.Terminated[0], std::make_pair(10u, uint64_t{777}));
        }
        EXPECT_EQ(refreshes, c.refreshes);
    }
}

TEST(EndProcess, EmptySystemDirectoryAsksNothing)
{
    ScriptedPrompts prompts;
    FakePlatform platform;
    const TMyRec rec = Row("10", "/opt/app");
    EndProcess(&rec, {prompts, platform, "", {}});
    EXPECT_TRUE(prompts.Questions.empty());
    EXPECT_EQ(platform.Terminated.size(), 1u);
}

TEST(EndProcess, RowReplacedByARefreshWhileTheQuestionIsOpen)
{
    std::vector<TMyRec> rows = {Row("42", "/usr/sbin/daemon", 5), Row("99", "/opt/other", 6)};
    ScriptedPrompts prompts;
    // The timer's refresh deletes the focused row; the next row moves into
    // its place.
    prompts.WhileAsking = [&] { rows.erase(rows.begin()); };
    FakePlatform platform;
    int refreshes = 0;
    EndProcess(&rows[0], {prompts, platform, "/USR/SBIN", [&] { ++refreshes; }});
    ASSERT_EQ(platform.Terminated.size(), 1u);
    EXPECT_EQ(platform.Terminated[0], std::make_pair(42u, uint64_t{5}));
    EXPECT_EQ(refreshes, 1);
}

TEST(EndProcessButton, FollowsTheEndItemOfTheLastMenu)
{
    ScriptedPrompts prompts;
    FakePlatform platform;
    RowMenuState menu;
    const TMyRec withPath = Row("10", "/opt/app"), without = Row("4", "");
    const EndProcessContext context{prompts, platform, "/USR/SBIN", {}};

    EndProcessButton(menu, &withPath, context);  // menu never opened: enabled
    EXPECT_EQ(platform.Terminated.size(), 1u);
    menu.EnableRowItems(without);
    EndProcessButton(menu, &withPath, context);  // inert, whatever row is focused
    EXPECT_EQ(platform.Terminated.size(), 1u);
    EXPECT_TRUE(prompts.Messages.empty());
    menu.EnableRowItems(withPath);
    EndProcessButton(menu, &withPath, context);
    EXPECT_EQ(platform.Terminated.size(), 2u);
    EndProcessButton(menu, nullptr, context);
    EXPECT_EQ(platform.Terminated.size(), 2u);
}

TEST(FileCommands, LocatePropertiesAndInfoGuards)
{
    FakePlatform platform;
    platform.ExistingFiles = {"/opt/app"};
    RecordingShell shell;
    const TMyRec present = Row("1", "/opt/app"), deleted = Row("2", "/opt/gone"), none = Row("3", "");

    LocateFile(nullptr, platform, shell);
    LocateFile(&deleted, platform, shell);
    LocateFile(&present, platform, shell);
    ShowFileProperties(nullptr, shell);
    ShowFileProperties(&deleted, shell);  // the bare path, no existence test
    EXPECT_EQ(shell.Calls, (std::vector<std::string>{"show /opt/app", "props /opt/gone"}));

    EXPECT_FALSE(CanShowProcessInfo(nullptr));
    EXPECT_FALSE(CanShowProcessInfo(&none));
    EXPECT_TRUE(CanShowProcessInfo(&present));

    TMyRec bare = present;
    bare.ProcessName = "app";
    const ProcInfoTexts shown = MakeProcInfoTexts(bare);
    EXPECT_EQ(std::vector<std::string>({shown.Exe, shown.ExeDes, shown.Pid, shown.Comp, shown.Path}),
              std::vector<std::string>({"app", "  ", "PID:1", " ", "/opt/app"}));
}

const std::string Bar = [] {
    std::string s;
    for (int i = 0; i < 23; ++i)
        s += "\xE2\x80\x95";
    return s;
}();

TEST(RowReportText, ExactBytes)
{
    TMyRec tcp;
    tcp.Protocol = "TCP";
    tcp.StateText = "ESTABLISHED";
    tcp.LocalIp = "192.168.1.5";
    tcp.LocalPort = "50312";
    tcp.RemoteIp = "93.184.216.34";
    tcp.RemotePort = "443";
    tcp.Pid = "1234";
    tcp.ProcessName = "firefox";
    tcp.ProcessPath = "/usr/lib/firefox/firefox";
    tcp.Description = "Web Browser";
    tcp.CompanyName = "Mozilla";
    const std::string tail = "\xE7\x94\x9F\xE6\x88\x90:OndriQuorvex\r\n"                          // 生成:
                             "\xE4\xB8\xBB\xE9\xA1\xB5:https://ondriquorvex.example.org\r\n" +  // 主页:
                             Bar + "\r\n";
    EXPECT_EQ(RowReportText(tcp), Bar + "\r\n"
              "\xE7\xA8\x8B\xE5\xBA\x8F\xE5\x90\x8D\xE7\xA7\xB0:firefox\r\n"          // 程序名称:
              "\xE7\xA8\x8B\xE5\xBA\x8F\xE8\xAF\xB4\xE6\x98\x8E:Web Browser\r\n"      // 程序说明:
              "\xE8\xB7\xAF\xE5\xBE\x84:/usr/lib/firefox/firefox\r\n"                 // 路径:
              "PID:1234\r\n"
              "\xE7\xBD\x91\xE7\xBB\x9C\xE5\x8D\x8F\xE8\xAE\xAE:TCP\r\n"              // 网络协议:
              "\xE6\x9C\xAC\xE6\x9C\xBA\xE5\x9C\xB0\xE5\x9D\x80:192.168.1.5\r\n"      // 本机地址:
              "\xE6\x9C\xAC\xE5\x9C\xB0\xE7\xAB\xAF\xE5\x8F\xA3:50312\r\n"            // 本地端口:
              "\xE7\x9B\xAE\xE6\xA0\x87\xE5\x9C\xB0\xE5\x9D\x80:93.184.216.34\r\n"    // 目标地址:
              "\xE7\x9B\xAE\xE6\xA0\x87\xE7\xAB\xAF\xE5\x8F\xA3:443\r\n"              // 目标端口:
              "\xE7\x8A\xB6\xE6\x80\x81:ESTABLISHED\r\n" +                             // 状态:
              tail);

    TMyRec udp;  // a path-less UDP row: labels stand alone
    udp.Protocol = "UDP";
    udp.LocalIp = "0.0.0.0";
    udp.LocalPort = "68";
    udp.Pid = "0";
    udp.ProcessName = "System";
    EXPECT_EQ(RowReportText(udp), Bar + "\r\n"
              "\xE7\xA8\x8B\xE5\xBA\x8F\xE5\x90\x8D\xE7\xA7\xB0:System\r\n"
              "\xE7\xA8\x8B\xE5\xBA\x8F\xE8\xAF\xB4\xE6\x98\x8E:\r\n"
              "\xE8\xB7\xAF\xE5\xBE\x84:\r\n"
              "PID:0\r\n"
              "\xE7\xBD\x91\xE7\xBB\x9C\xE5\x8D\x8F\xE8\xAE\xAE:UDP\r\n"
              "\xE6\x9C\xAC\xE6\x9C\xBA\xE5\x9C\xB0\xE5\x9D\x80:0.0.0.0\r\n"
              "\xE6\x9C\xAC\xE5\x9C\xB0\xE7\xAB\xAF\xE5\x8F\xA3:68\r\n"
              "\xE7\x9B\xAE\xE6\xA0\x87\xE5\x9C\xB0\xE5\x9D\x80:\r\n"
              "\xE7\x9B\xAE\xE6\xA0\x87\xE7\xAB\xAF\xE5\x8F\xA3:\r\n"
              "\xE7\x8A\xB6\xE6\x80\x81:\r\n" +
              tail);
}

// On Windows the fixed parts go through the ANSI code page; the row's texts
// are already in it and must not be converted twice.
TEST(RowReportText, OnlyFixedPartsAreConverted)
{
    SetSystemTextEncoder([](std::string_view utf8) { return "<" + std::string(utf8) + ">"; });
    TMyRec rec = Row("7", "/p");
    const std::string text = RowReportText(rec);
    SetSystemTextEncoder(nullptr);
    EXPECT_NE(text.find("<\xE8\xB7\xAF\xE5\xBE\x84:>/p\r\n"), std::string::npos);
    EXPECT_NE(text.find("PID:7\r\n"), std::string::npos);
    EXPECT_EQ(text.find("<PID"), std::string::npos);
}

}  // namespace
