#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "core/tcp_state.h"
#include "core/text_forms.h"

using namespace quorvex;

TEST(TextForms, AddressesPortsAndPidsFromTheirBytes)
{
    struct Ip {
        std::vector<uint8_t> bytes;
        const char *text;
    };
    for (const auto &c : std::vector<Ip>{{{0x7F, 0, 0, 1}, "127.0.0.1"},
                                         {{0, 0, 0, 0}, "0.0.0.0"},
                                         {{0xC0, 0xA8, 0x01, 0x02}, "192.168.1.2"},
                                         {{0xFF, 0xFF, 0xFF, 0xFF}, "255.255.255.255"},
                                         {{10, 0, 100, 9}, "10.0.100.9"}})
        EXPECT_EQ(FormatIpv4(c.bytes.data()), c.text);

    struct Port {
        std::vector<uint8_t> bytes;  // the whole field; only the first two count
        const char *text;
    };
    for (const auto &c : std::vector<Port>{{{0x00, 0x50, 0x00, 0x00}, "80"},
                                           {{0x00, 0x50, 0xAB, 0xCD}, "80"},
                                           {{0xFF, 0xFF, 0x12, 0x34}, "65535"},
                                           {{0x1F, 0x90, 0, 0}, "8080"},
                                           {{0x00, 0x00, 0xFF, 0xFF}, "0"},
                                           {{0x01, 0x00, 0, 0}, "256"}})
        EXPECT_EQ(FormatPort(c.bytes.data()), c.text);

    EXPECT_EQ(FormatUnsigned(0), "0");
    EXPECT_EQ(FormatUnsigned(4), "4");
    EXPECT_EQ(FormatUnsigned(0x80000000u), "2147483648");  // never a minus sign
    EXPECT_EQ(FormatUnsigned(0xFFFFFFFFu), "4294967295");
}

TEST(TextForms, UpperAsciiChangesOnlyAToZ)
{
    EXPECT_EQ(UpperAscii("c:\\Windows\\system32\\a.exe"), "C:\\WINDOWS\\SYSTEM32\\A.EXE");
    EXPECT_EQ(UpperAscii("\xe4\xb8\xad`{@[\xe0"), "\xe4\xb8\xad`{@[\xe0");
    EXPECT_EQ(UpperAscii(""), "");
}

TEST(TcpState, NamesKnownAndUnknownStates)
{
    struct Case {
        int32_t state;
        const char *text;
    };
    const std::vector<Case> cases = {
        {1, "关闭"},        {2, "监听"},          {3, "同步发送"},       {4, "同步接收"},
        {5, "已建立"},      {6, "等待完成1"},     {7, "等待完成2"},      {8, "等待关闭"},
        {9, "正在关闭"},    {10, "最后确认"},     {11, "等待时间"},      {12, "删除"},
        {0, "未知状态0"},   {13, "未知状态13"},   {108, "未知状态108"},  {-1, "未知状态-1"},
        {INT32_MIN, "未知状态-2147483648"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetTcpStateName(c.state), c.text) << c.state;
}

TEST(TextForms, SystemTextGoesThroughTheInstalledEncoder)
{
    SetSystemTextEncoder([](std::string_view s) { return std::string("<").append(s).append(">"); });
    const std::string encoded = SystemText("关闭");
    const std::string state = GetTcpStateName(1);
    SetSystemTextEncoder(nullptr);
    EXPECT_EQ(encoded, "<关闭>");
    EXPECT_EQ(state, "<关闭>");
    EXPECT_EQ(SystemText("关闭"), "关闭");
}
