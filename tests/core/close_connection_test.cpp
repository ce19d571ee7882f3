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

// Answers the question and meanwhile lets a refresh reuse the row.
struct AnsweringPrompts : Prompts {
    void ShowMessage(const std::string &text) override { Messages.push_back(text); }
    bool AskYesNo(const std::string &text, bool defaultNo) override
    {
        Questions.push_back(text + (defaultNo ? " [No]" : " [Yes]"));
        if (Row)
            *Row = TMyRec();
        return Answer;
    }
    void ReportError(const std::string &) override {}
    bool Answer = true;
    TMyRec *Row = nullptr;
    std::vector<std::string> Messages, Questions;
};

TMyRec Connection(const char *protocol, int32_t state)
{
    TMyRec rec;
    rec.Protocol = protocol;
    rec.StateText = state ? GetTcpStateName(state) : "";
    rec.LocalIp = "fe80::1%eth0";
    rec.LocalPort = "5000";
    rec.RemoteIp = "2001:db8::2";
    rec.RemotePort = "443";
    rec.Socket = SocketRef{77, 3};
    return rec;
}

}  // namespace

TEST(CloseConnection, ItemOnTcpRowsThatAreNotListening)
{
    const std::pair<TMyRec, bool> cases[] = {
        {Connection("TCP", 5), true},    {Connection("TCPv6", 5), true}, {Connection("TCP", 11), true},
        {Connection("TCP", 2), false},   {Connection("TCPv6", 2), false}, {Connection("UDP", 0), false},
        {Connection("UDPv6", 0), false},
    };
    for (const auto &[row, enabled] : cases) {
        RowMenuState menu;
        menu.EnableRowItems(row);
        EXPECT_EQ(menu.Enabled(RowCommand::CloseConnection), enabled) << row.Protocol << " " << row.StateText;
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
        TMyRec row = Connection("TCPv6", 5);
        AnsweringPrompts prompts;
        prompts.Answer = c.answer;
        prompts.Row = &row;
        int refreshes = 0;
        CloseConnection(&row, prompts, platform, [&] { ++refreshes; });
        EXPECT_EQ(prompts.Questions, std::vector<std::string>{"确定要关闭这个连接吗?\n本地: [fe80::1%eth0]:5000\n"
                                                              "目标: [2001:db8::2]:443 [No]"})
            << c.what;
        EXPECT_EQ(prompts.Messages, c.message.empty() ? std::vector<std::string>{} : std::vector{c.message}) << c.what;
        EXPECT_EQ(refreshes, c.refreshes) << c.what;
        ASSERT_EQ(platform.Closed.size(), c.answer ? 1u : 0u) << c.what;
        // The row as it was when the command started, not as the refresh behind the question left it.
        if (c.answer) {
            const TcpConnection &closed = platform.Closed[0];
            EXPECT_TRUE(closed.Ipv6 && closed.LocalPort == "5000" && closed.RemoteIp == "2001:db8::2"
                        && closed.Socket == (SocketRef{77, 3}))
                << c.what;
        }
    }
}
