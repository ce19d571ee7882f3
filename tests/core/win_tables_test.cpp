#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "core/win_tables.h"

using namespace quorvex;

namespace {

void PutLe32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

using Word = std::array<uint8_t, 4>;  // one field as stored, byte by byte

void PutBytes(std::vector<uint8_t> &out, const Word &bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

struct TcpRowBytes {
    uint32_t state;
    Word local, localPort, remote, remotePort;
    uint32_t pid;
};

std::vector<uint8_t> TcpTable(const std::vector<TcpRowBytes> &rows, TableLayout layout)
{
    std::vector<uint8_t> t;
    PutLe32(t, static_cast<uint32_t>(rows.size()));
    for (const auto &r : rows) {
        PutLe32(t, r.state);
        PutBytes(t, r.local);
        PutBytes(t, r.localPort);
        PutBytes(t, r.remote);
        PutBytes(t, r.remotePort);
        PutLe32(t, r.pid);
        if (layout == TableLayout::Tcp28)
            PutLe32(t, 0xDEADBEEF);  // offload state, never read
    }
    return t;
}

}  // namespace

TEST(WinTables, TcpRowsDecodeInBothStrides)
{
    const std::vector<TcpRowBytes> rows = {
        {2, {0, 0, 0, 0}, {0x00, 0x50, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 4},
        {5, {0xC0, 0xA8, 0x01, 0x02}, {0xFF, 0xFF, 0x12, 0x34}, {127, 0, 0, 1}, {0x01, 0xBB, 0xAB, 0xCD}, 0x80000001u},
        // Identical rows stay two rows, in order.
        {5, {0xC0, 0xA8, 0x01, 0x02}, {0xFF, 0xFF, 0x12, 0x34}, {127, 0, 0, 1}, {0x01, 0xBB, 0xAB, 0xCD}, 0x80000001u},
    };
    for (TableLayout layout : {TableLayout::Tcp28, TableLayout::Tcp24}) {
        SCOPED_TRACE(RowSize(layout));
        const auto bytes = TcpTable(rows, layout);
        ASSERT_EQ(bytes.size(), 4 + RowSize(layout) * rows.size());
        const auto decoded = DecodeTable(bytes.data(), bytes.size(), layout);
        ASSERT_EQ(decoded.size(), 3u);

        EXPECT_EQ(decoded[0].Rec.State, 2);
        EXPECT_EQ(decoded[0].Rec.LocalIp, "0.0.0.0");
        EXPECT_EQ(decoded[0].Rec.LocalPort, "80");
        EXPECT_EQ(decoded[0].Rec.RemotePort, "0");
        EXPECT_EQ(decoded[0].Rec.Pid, "4");

        const File_Rec &r = decoded[1].Rec;
        EXPECT_EQ(r.State, 5);
        EXPECT_EQ(r.LocalIp, "192.168.1.2");
        EXPECT_EQ(r.LocalPort, "65535");  // bytes 3 and 4 of the field ignored
        EXPECT_EQ(r.RemoteIp, "127.0.0.1");
        EXPECT_EQ(r.RemotePort, "443");
        EXPECT_EQ(r.Pid, "2147483649");
        EXPECT_EQ(decoded[1].OwnerPid, 0x80000001u);
        EXPECT_TRUE(r.Mark.empty());
        EXPECT_TRUE(r.ProcessName.empty());

        EXPECT_EQ(decoded[2].Rec.LocalIp, r.LocalIp);
        EXPECT_EQ(decoded[2].Rec.Pid, r.Pid);
    }
}

TEST(WinTables, UdpRowsHaveNoStateOrRemote)
{
    std::vector<uint8_t> t;
    t.reserve(4 + 2 * 12);
    PutLe32(t, 2);
    PutBytes(t, {127, 0, 0, 1});
    PutBytes(t, {0x00, 0x35, 0x99, 0x99});
    PutLe32(t, 0xFFFFFFFFu);
    PutBytes(t, {0, 0, 0, 0});
    PutBytes(t, {0x14, 0xE9, 0, 0});
    PutLe32(t, 0);
    const auto decoded = DecodeTable(t.data(), t.size(), TableLayout::Udp12);
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0].Rec.LocalIp, "127.0.0.1");
    EXPECT_EQ(decoded[0].Rec.LocalPort, "53");
    EXPECT_EQ(decoded[0].Rec.Pid, "4294967295");
    EXPECT_EQ(decoded[1].Rec.LocalPort, "5353");
    for (const auto &row : decoded) {
        EXPECT_EQ(row.Rec.State, 0);
        EXPECT_TRUE(row.Rec.RemoteIp.empty());
        EXPECT_TRUE(row.Rec.RemotePort.empty());
    }
}

TEST(WinTables, EmptyShortAndOverclaimingTables)
{
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        TableLayout layout;
        size_t rows;
    };
    std::vector<uint8_t> zeroCount = {0, 0, 0, 0};
    std::vector<uint8_t> claimsThree = TcpTable({{1, {1, 2, 3, 4}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 7}},
                                                TableLayout::Tcp28);
    claimsThree[0] = 3;
    std::vector<uint8_t> truncatedRow = claimsThree;
    truncatedRow.resize(4 + 27);
    const Case cases[] = {
        {"zero rows", zeroCount, TableLayout::Tcp28, 0},
        {"zero rows, UDP", zeroCount, TableLayout::Udp12, 0},
        {"no header", {1, 0}, TableLayout::Udp12, 0},
        {"count beyond the buffer", claimsThree, TableLayout::Tcp28, 1},
        {"row cut short", truncatedRow, TableLayout::Tcp28, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeTable(c.bytes.data(), c.bytes.size(), c.layout).size(), c.rows) << c.what;
    EXPECT_TRUE(DecodeTable(nullptr, 0, TableLayout::Tcp24).empty());
}

namespace {

// A table call whose table has `sizes[k]` bytes at its k-th call, as when
// connections open between the sizing call and the filling call.
struct GrowingTable {
    std::vector<uint32_t> sizes;
    int calls = 0;
    uint32_t operator()(void *buffer, uint32_t *size)
    {
        const uint32_t need = sizes[std::min<size_t>(calls, sizes.size() - 1)];
        ++calls;
        if (*size < need) {
            *size = need;
            return kErrorInsufficientBuffer;
        }
        std::memset(buffer, 0xAB, need);
        *size = need;
        return kNoError;
    }
};

}  // namespace

TEST(WinTables, FetchRetriesWhileTheTableGrows)
{
    struct Case {
        const char *what;
        std::vector<uint32_t> sizes;
        int maxAttempts;
        size_t expectedBytes;
        int expectedCalls;
    };
    const Case cases[] = {
        {"steady table: sizing call, then the fill", {100}, 8, 100, 2},
        {"grows within the slack", {100, 110}, 8, 110, 2},
        {"grows past the slack once", {100, 1000, 1000}, 8, 1000, 3},
        {"keeps growing past the bound", {100, 1000, 10000, 100000}, 3, 0, 3},
    };
    for (const auto &c : cases) {
        GrowingTable table{c.sizes};
        const auto bytes = FetchTable(std::ref(table), c.maxAttempts);
        EXPECT_EQ(bytes.size(), c.expectedBytes) << c.what;
        EXPECT_EQ(table.calls, c.expectedCalls) << c.what;
    }
}

TEST(WinTables, FetchGivesNoRowsOnOtherErrors)
{
    int calls = 0;
    const auto failing = [&](void *, uint32_t *) -> uint32_t {
        ++calls;
        return 87;  // ERROR_INVALID_PARAMETER
    };
    EXPECT_TRUE(FetchTable(failing).empty());
    EXPECT_EQ(calls, 1);

    // Insufficient without asking for more: no endless loop.
    const auto stuck = [](void *, uint32_t *size) -> uint32_t {
        *size = 0;
        return kErrorInsufficientBuffer;
    };
    EXPECT_TRUE(FetchTable(stuck).empty());
}

TEST(WinTables, TranslationKeyIsLanguageThenCodePageInUpperHex)
{
    struct Case {
        std::vector<uint8_t> value;
        const char *key;
    };
    const Case cases[] = {
        {{0x04, 0x08, 0xB0, 0x04}, "080404B0"},
        {{0x09, 0x04, 0xE4, 0x04}, "040904E4"},
        {{0x09, 0x04, 0xE4, 0x04, 0x04, 0x08, 0xB0, 0x04}, "040904E4"},  // first translation only
        {{0xab, 0xcd, 0xef, 0x01}, "CDAB01EF"},
        {{0x04, 0x08, 0xB0}, ""},
        {{}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TranslationKey(c.value.data(), c.value.size()), c.key) << testing::PrintToString(c.value);
}

namespace {

using Address6 = std::array<uint8_t, 16>;

void PutAddress(std::vector<uint8_t> &out, const Address6 &address)
{
    out.insert(out.end(), address.begin(), address.end());
}

const Address6 kLoopback6 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
const Address6 kLinkLocal = {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2a};
const Address6 kMapped = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 127, 0, 0, 1};

}  // namespace

TEST(WinTables, Ipv6RowsWithScopesAndWithoutMappedOnes)
{
    // MIB_TCP6ROW_OWNER_PID: address, scope, port, address, scope, port, state, PID.
    std::vector<uint8_t> tcp;
    PutLe32(tcp, 3);
    for (const Address6 &local : {kLoopback6, kMapped, kLinkLocal}) {
        PutAddress(tcp, local);
        PutLe32(tcp, local == kLinkLocal ? 7 : 0);
        PutBytes(tcp, {0x1F, 0x90, 0xAA, 0xAA});
        PutAddress(tcp, local == kLinkLocal ? kLinkLocal : kLoopback6);
        PutLe32(tcp, local == kLinkLocal ? 7 : 0);
        PutBytes(tcp, {0x00, 0x16, 0, 0});
        PutLe32(tcp, 5);
        PutLe32(tcp, 1234);
    }
    ASSERT_EQ(tcp.size(), 4 + RowSize(TableLayout::Tcp6_56) * 3);
    const auto rows = DecodeTable(tcp.data(), tcp.size(), TableLayout::Tcp6_56);
    ASSERT_EQ(rows.size(), 2u);  // the v4-mapped one is an IPv4 row
    EXPECT_EQ(rows[0].Rec.LocalIp + " " + rows[0].Rec.LocalPort + " " + rows[0].Rec.RemoteIp + " " +
                  rows[0].Rec.RemotePort + " " + std::to_string(rows[0].Rec.State) + " " + rows[0].Rec.Pid,
              "::1 8080 ::1 22 5 1234");
    EXPECT_EQ(rows[1].Rec.LocalIp, "fe80::2a%7");
    EXPECT_EQ(rows[1].Rec.RemoteIp, "fe80::2a%7");
    EXPECT_EQ(rows[1].LocalScope, 7u);

    // MIB_UDP6ROW_OWNER_PID: address, scope, port, PID.
    std::vector<uint8_t> udp;
    PutLe32(udp, 1);
    PutAddress(udp, kLoopback6);
    PutLe32(udp, 0);
    PutBytes(udp, {0x00, 0x35, 0, 0});
    PutLe32(udp, 99);
    const auto udpRows = DecodeTable(udp.data(), udp.size() - 1, TableLayout::Udp6_28);
    EXPECT_TRUE(udpRows.empty());  // cut short: the row does not fit
    const auto whole = DecodeTable(udp.data(), udp.size(), TableLayout::Udp6_28);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].Rec.LocalIp + ":" + whole[0].Rec.LocalPort + " " + whole[0].Rec.Pid, "::1:53 99");
    EXPECT_TRUE(whole[0].Rec.RemoteIp.empty() && whole[0].Rec.State == 0);
}

TEST(WinTables, DeleteTcbRowForIpv4Only)
{
    uint8_t row[20];
    ASSERT_TRUE(EncodeDeleteTcbRow("127.0.0.1", "8080", "10.1.2.3", "443", row));
    const std::vector<uint8_t> expected = {12, 0, 0, 0, 127, 0, 0, 1, 0x1F, 0x90, 0, 0,
                                           10, 1, 2, 3, 0x01, 0xBB, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(row, row + 20), expected);
    EXPECT_FALSE(EncodeDeleteTcbRow("::1", "8080", "::1", "443", row));
    EXPECT_FALSE(EncodeDeleteTcbRow("127.0.0.1", "", "10.1.2.3", "443", row));
    EXPECT_EQ(DeleteTcbResult(317), CloseResult::NotPermitted);  // what a process without elevation gets
}
