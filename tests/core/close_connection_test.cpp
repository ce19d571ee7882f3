#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/close_connection.h"
#include "core/fixed_texts.h"
#include "core/prompts.h"
#include "core/row_menu_state.h"
#include "core/tcp_state.h"
#include "platform/fake/fake_platform.h"

using namespace quorvex;

namespace {

struct AnsweringPrompts : Prompts {
    void ShowMessage(const std::string &text) override { Messages.push_back(text); }
    bool AskYesNo(const std::string &text, bool defaultNo) override
    {
        Questions.push_back(text + (defaultNo ? " [No]" : " [Yes]"));
        return Answer;
    }
    void ReportError(const std::string &) override {}
    bool Answer = true;
    std::vector<std::string> Messages, Questions;
};

TMyRec Connection(const char *protocol, int32_t state, const char *local = "10.0.0.1", const char *remote = "10.0.0.2")
{
    TMyRec rec;
    rec.Protocol = protocol;
    rec.StateText = state ? GetTcpStateName(state) : "";
    rec.LocalIp = local;
    rec.LocalPort = "5000";
    rec.RemoteIp = state ? remote : "";
    rec.RemotePort = state ? "443" : "";
    rec.Socket = SocketRef{77, 3};
    return rec;
}

}  // namespace

TEST(CloseConnection, ItemFollowsProtocolAndState)
{
    struct Case {
        const char *protocol;
        int32_t state;
        bool enabled;
    };
    for (const Case &c : std::vector<Case>{{"TCP", 5, true},
                                           {"TCPv6", 5, true},
                                           {"TCP", 11, true},   // time wait
                                           {"TCP", 2, false},   // listening
                                           {"TCPv6", 2, false},
                                           {"UDP", 0, false},
                                           {"UDPv6", 0, false}}) {
        RowMenuState menu;
        menu.EnableRowItems(Connection(c.protocol, c.state));
        EXPECT_EQ(menu.Enabled(RowCommand::CloseConnection), c.enabled) << c.protocol << " state " << c.state;
    }
}

TEST(CloseConnection, AsksNamingBothEndsThenClosesOrSaysWhy)
{
    struct Case {
        const char *what;
        bool answer;
        CloseOutcome outcome;
        std::string message;
        int refreshes;
    };
    const std::vector<Case> cases = {
        {"No closes nothing", false, {CloseResult::Closed, 0}, "", 0},
        {"closed", true, {CloseResult::Closed, 0}, "", 1},
        {"not permitted", true, {CloseResult::NotPermitted, 1}, texts::CloseNotPermittedMsg, 0},
        {"gone already: its row goes too", true, {CloseResult::Gone, 2}, texts::CloseGoneMsg, 1},
        {"IPv6 on Windows", true, {CloseResult::Ipv6NotSupported, 0}, texts::CloseIpv6NotSupportedMsg, 0},
        {"other error", true, {CloseResult::Failed, 95}, "无法关闭连接(系统错误 95)。", 0},
    };
    for (const Case &c : cases) {
        FakePlatform platform;
        platform.CloseAnswer = c.outcome;
        AnsweringPrompts prompts;
        prompts.Answer = c.answer;
        int refreshes = 0;
        const TMyRec row = Connection("TCPv6", 5, "fe80::1%eth0", "2001:db8::2");
        CloseConnection(&row, prompts, platform, [&] { ++refreshes; });
        ASSERT_EQ(prompts.Questions.size(), 1u) << c.what;
        EXPECT_EQ(prompts.Questions[0], "确定要关闭这个连接吗?\n本地: [fe80::1%eth0]:5000\n目标: [2001:db8::2]:443 [No]")
            << c.what;
        EXPECT_EQ(platform.Closed.size(), c.answer ? 1u : 0u) << c.what;
        EXPECT_EQ(prompts.Messages, c.message.empty() ? std::vector<std::string>{} : std::vector{c.message}) << c.what;
        EXPECT_EQ(refreshes, c.refreshes) << c.what;
    }
}

TEST(CloseConnection, ThePlatformGetsTheRowAsItWasWhenAsked)
{
    FakePlatform platform;
    AnsweringPrompts prompts;
    TMyRec row = Connection("TCP", 5);
    struct Replacing : AnsweringPrompts {
        TMyRec *row = nullptr;
        bool AskYesNo(const std::string &text, bool defaultNo) override
        {
            *row = TMyRec();  // a refresh behind the question reuses the row
            return AnsweringPrompts::AskYesNo(text, defaultNo);
        }
    } replacing;
    replacing.row = &row;
    CloseConnection(&row, replacing, platform, nullptr);
    ASSERT_EQ(platform.Closed.size(), 1u);
    const TcpConnection &closed = platform.Closed[0];
    EXPECT_FALSE(closed.Ipv6);
    EXPECT_EQ(closed.LocalIp + ":" + closed.LocalPort + " " + closed.RemoteIp + ":" + closed.RemotePort,
              "10.0.0.1:5000 10.0.0.2:443");
    EXPECT_EQ(closed.Socket, (SocketRef{77, 3}));

    // A listener or a UDP row never gets as far as the question.
    for (const TMyRec &other : {Connection("TCP", 2), Connection("UDP", 0)})
        CloseConnection(&other, prompts, platform, nullptr);
    CloseConnection(nullptr, prompts, platform, nullptr);
    EXPECT_TRUE(prompts.Questions.empty());
}
