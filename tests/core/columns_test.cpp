#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/columns.h"
#include "core/connection_list.h"

using namespace quorvex;

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

TMyRec FullRecord()
{
    TMyRec r;
    r.Protocol = "TCP";
    r.StateText = "state";
    r.LocalIp = "1.2.3.4";
    r.LocalPort = "80";
    r.RemoteIp = "5.6.7.8";
    r.RemotePort = "443";
    r.Pid = "42";
    r.ProcessName = "name";
    r.ProcessPath = "/bin/name";
    r.Description = "desc";
    r.CompanyName = "company";
    r.Remark = "md";
    return r;
}

}  // namespace

TEST(CompareText, OrdersBytesFoldingOnlyAsciiLetters)
{
    struct Case {
        std::string a, b;
        int sign;
    };
    const std::vector<Case> cases = {
        {"", "", 0},
        {"", "a", -1},                 // the empty text sorts first
        {"abc", "ABC", 0},             // a..z fold onto A..Z
        {"svchost.exe", "SVCHOST.EXE", 0},
        {"abc", "abc.exe", -1},        // a leading part sorts first
        {"10", "9", -1},               // numbers as text
        {"80", "8080", -1},
        {"8080", "9", -1},
        {"192.168.1.10", "192.168.1.9", -1},
        {"_", "a", 1},                 // '_' (0x5F) against the folded 'A' (0x41)
        {"_", "A", 1},
        {"[", "a", 1},                 // 0x5B is not folded down to a letter
        {"@", "`", -1},                // neither 0x40 nor 0x60 is a letter
        {"\xe4\xb8\xad", "z", 1},      // bytes from 0x80 on compare by value
        {"\xe0", "\xc0", 1},           // and are never folded
        {"\xc3\xa9", "\xc3\x89", 1},
        {std::string("a\0b", 3), "a", 0},  // the compare stops at a zero byte
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Sign(CompareText(c.a, c.b)), c.sign) << "'" << c.a << "' vs '" << c.b << "'";
        EXPECT_EQ(Sign(CompareText(c.b, c.a)), -c.sign) << "'" << c.b << "' vs '" << c.a << "'";
    }
}

TEST(Columns, CellTextAndOrderFieldOfEveryColumn)
{
    const TMyRec r = FullRecord();
    struct Case {
        int column;
        std::string text;
        bool orders;
    };
    const std::vector<Case> cases = {
        {-1, "", false},       {0, "42", false},      {1, "name", true},       {2, "未启用", false},
        {3, "TCP", true},      {4, "1.2.3.4", true},  {5, "80", true},         {6, "5.6.7.8", true},
        {7, "443", true},      {8, "state", true},    {9, "", false},          {10, "/bin/name", true},
        {11, "desc", true},    {12, "company", true}, {13, "md", false},       {ColumnCount, "", false},
    };
    TMyRec other = r;
    for (std::string *f : {&other.Pid, &other.ProcessName, &other.Protocol, &other.LocalIp, &other.LocalPort,
                           &other.RemoteIp, &other.RemotePort, &other.StateText, &other.ProcessPath,
                           &other.Description, &other.CompanyName, &other.Remark})
        *f = "~" + *f;  // sorts after every field of r
    for (const auto &c : cases) {
        EXPECT_EQ(VTSGetText(&r, c.column), c.text) << "column " << c.column;
        EXPECT_EQ(VTSGetText(nullptr, c.column), "") << "column " << c.column;
        EXPECT_EQ(VTSCompareNodes(&r, &other, c.column) < 0, c.orders) << "column " << c.column;
        EXPECT_EQ(VTSCompareNodes(&r, nullptr, c.column), 0) << "column " << c.column;
    }
}

TEST(Columns, TrafficColumnsShowUnitsAndOrderByNumber)
{
    TMyRec small, large, none;
    small.Traffic = TrafficCounters{9 * 1024, 1023};
    small.Rate = 9;
    large.Traffic = TrafficCounters{10 * 1024, 1024};
    large.Rate = 10;
    EXPECT_EQ(VTSGetText(&small, ColSent), "9.0 KB");
    EXPECT_EQ(VTSGetText(&small, ColReceived), "1023 B");
    EXPECT_EQ(VTSGetText(&small, ColRate), "9 B/s");
    for (int column : TrafficColumns) {
        EXPECT_EQ(VTSGetText(&none, column), "") << column;
        // As text "9.0 KB" would sort after "10.0 KB", "9 B/s" after "10 B/s".
        EXPECT_LT(VTSCompareNodes(&small, &large, column), 0) << column;
        EXPECT_GT(VTSCompareNodes(&large, &small, column), 0) << column;
        EXPECT_LT(VTSCompareNodes(&none, &small, column), 0) << column;  // none before every number
        EXPECT_EQ(VTSCompareNodes(&none, &none, column), 0) << column;
        EXPECT_TRUE(GetColumnInfo(column).AlignRight && !GetColumnInfo(column).VisibleAtStart) << column;
    }
}

TEST(Columns, CaptionsWidthsAndVisibility)
{
    struct Expect {
        const char *Caption;
        int Width;
        bool VisibleAtStart;
    };
    const std::vector<Expect> expected = {
        {"进程ID", 24, false},   {"进程", 120, true},      {"安全等级", 80, false}, {"协议", 60, true},
        {"本地IP", 100, true},   {"本地端口", 80, true},   {"目标IP", 130, true},   {"目标端口", 110, true},
        {"状态", 80, true},      {"管理", 40, true},       {"文件路径", 260, false}, {"文件说明", 150, false},
        {"公司", 80, false},     {"备注", 50, false},
    };
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        EXPECT_STREQ(GetColumnInfo(i).Caption, expected[i].Caption) << i;
        EXPECT_EQ(GetColumnInfo(i).Width, expected[i].Width) << i;
        EXPECT_EQ(GetColumnInfo(i).VisibleAtStart, expected[i].VisibleAtStart) << i;
    }
    EXPECT_STREQ(GetColumnInfo(-1).Caption, "");
    EXPECT_STREQ(GetColumnInfo(ColumnCount).Caption, "");
}

// Sorting through the list: equal rows keep their order in both directions,
// so descending is not the mirror image of ascending.
TEST(Columns, SortIsStableInBothDirections)
{
    TcpUdpTables t;
    // Names with their array order as the path, to see where each row went.
    for (const char *name : {"b", "A", "a", "", "B"}) {
        File_Rec r;
        r.ProcessName = name;
        r.ProcessPath = std::string("/") + char('0' + t.UdpRecs.size());
        t.UdpRecs.push_back(r);
    }
    ConnectionList list;
    list.SetSort(-1, SortDirection::Ascending);
    list.FillList(t, true);  // nothing compares: array order
    auto paths = [&] {
        std::string s;
        for (int i = 0; i < list.RowCount(); ++i)
            s += list.Record(i).ProcessPath.substr(1);
        return s;
    };
    EXPECT_EQ(paths(), "01234");
    list.SetSort(ColProcess, SortDirection::Ascending);
    EXPECT_EQ(paths(), "31204");  // "", A a, b B
    list.SetSort(ColProcess, SortDirection::Descending);
    EXPECT_EQ(paths(), "04123");  // b B, A a, ""
    list.SetSort(ColPid, SortDirection::Ascending);
    EXPECT_EQ(paths(), "04123");
}
