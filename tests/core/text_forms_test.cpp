#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <utility>
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

namespace {

// RFC 5952 the long way: every group in hex, then the first of the longest
// runs of two or more zero groups, tried from the longest down, becomes "::".
std::string ReferenceIpv6(const uint8_t b[16])
{
    std::vector<std::string> groups;
    for (int i = 0; i < 8; ++i) {
        char text[8];
        std::snprintf(text, sizeof(text), "%x", b[2 * i] << 8 | b[2 * i + 1]);
        groups.push_back(text);
    }
    const auto join = [&](int from, int to) {
        std::string out;
        for (int i = from; i < to; ++i)
            out += (i > from ? ":" : "") + groups[i];
        return out;
    };
    for (int length = 8; length >= 2; --length) {
        for (int start = 0; start + length <= 8; ++start) {
            bool zero = true;
            for (int i = start; i < start + length; ++i)
                zero = zero && groups[i] == "0";
            if (zero)
                return join(0, start) + "::" + join(start + length, 8);
        }
    }
    return join(0, 8);
}

}  // namespace

TEST(TextForms, Ipv6AsTheLiteralRuleOnRandomAddresses)
{
    std::mt19937 rng(5952);
    for (int n = 0; n < 20000; ++n) {
        uint8_t b[16];
        for (int i = 0; i < 8; ++i) {
            // Mostly zero groups, so that runs and ties are common; small
            // values test the dropped leading zeros.
            const unsigned roll = rng() % 4;
            const unsigned value = roll < 2 ? 0 : roll == 2 ? rng() % 16 : rng() % 65536;
            b[2 * i] = static_cast<uint8_t>(value >> 8);
            b[2 * i + 1] = static_cast<uint8_t>(value);
        }
        ASSERT_EQ(FormatIpv6(b), ReferenceIpv6(b)) << "address " << n;
    }
}

TEST(TextForms, Ipv6ScopeOnlyOnLinkLocal)
{
    uint8_t address[16] = {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0x02, 0x11, 0x22, 0xff, 0xfe, 0x33, 0x44, 0x55};
    EXPECT_EQ(FormatIpv6(address, "eth0"), "fe80::211:22ff:fe33:4455%eth0");
    address[1] = 0xbf;  // still fe80::/10
    EXPECT_EQ(FormatIpv6(address, "3"), "febf::211:22ff:fe33:4455%3");
    address[0] = 0x20;  // global
    EXPECT_EQ(FormatIpv6(address, "eth0"), "20bf::211:22ff:fe33:4455");
}

TEST(TextForms, ByteCountsIn1024BasedUnits)
{
    const std::pair<uint64_t, const char *> cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KB"},
        {1536, "1.5 KB"},
        {1024 * 1024 - 1, "1.0 MB"},  // 1023.999 KB rounds up into the next unit
        {10 * 1024 * 1024 + 52429, "10.1 MB"},
        {5ull << 30, "5.0 GB"},
        {1ull << 50, "1048576.0 GB"},  // no unit beyond GB
        {UINT64_MAX, "17179869184.0 GB"},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(FormatByteCount(bytes), text) << bytes;
    EXPECT_EQ(FormatByteRate(1536), "1.5 KB/s");
}
