#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/columns.h"
#include "core/connection_list.h"

using namespace quorvex;

namespace {

File_Rec Tcp(const std::string &pid, const std::string &local, const std::string &lport, const std::string &remote,
             const std::string &rport, int32_t state, const std::string &name, const std::string &path = "/bin/x")
{
    File_Rec r;
    r.State = state;
    r.LocalIp = local;
    r.LocalPort = lport;
    r.RemoteIp = remote;
    r.RemotePort = rport;
    r.Pid = pid;
    r.ProcessName = name;
    r.ProcessPath = path;
    return r;
}

File_Rec Udp(const std::string &pid, const std::string &local, const std::string &lport, const std::string &name,
             const std::string &path = "/bin/x")
{
    File_Rec r;
    r.LocalIp = local;
    r.LocalPort = lport;
    r.Pid = pid;
    r.ProcessName = name;
    r.ProcessPath = path;
    return r;
}

constexpr int kEstablished = 5;
constexpr int kCloseWait = 8;
constexpr int kListen = 2;

// "name:localPort:remark" of every row in display order.
std::string Show(const ConnectionList &list)
{
    std::string s;
    for (int i = 0; i < list.RowCount(); ++i) {
        const TMyRec &r = list.Record(i);
        if (i > 0)
            s += ' ';
        s.append(r.ProcessName).append(":").append(r.LocalPort);
        if (!r.Remark.empty())
            s.append(":").append(r.Remark);
    }
    return s;
}

int RowOfPort(const ConnectionList &list, const std::string &port)
{
    for (int i = 0; i < list.RowCount(); ++i)
        if (list.Record(i).LocalPort == port)
            return i;
    return -1;
}

class EventLog : public ConnectionListObserver {
public:
    std::vector<std::string> events;
    void RowsAboutToBeRemoved(int first, int last) override { add("remove", first, last); }
    void RowsRemoved() override {}
    void RowsAboutToBeInserted(int first, int last) override { add("insert", first, last); }
    void RowsInserted() override {}
    void RowsChanged(int first, int last) override { add("change", first, last); }
    void LayoutAboutToBeChanged() override {}
    void LayoutChanged(const std::vector<int> &) override { events.push_back("layout"); }
    void SelectionChanged() override { events.push_back("selection"); }

private:
    void add(const char *what, int first, int last)
    {
        events.push_back(std::string(what) + " " + std::to_string(first) + "-" + std::to_string(last));
    }
};

// A snapshot as the platform gives it: no record claimed yet.
TcpUdpTables Fresh(TcpUdpTables t)
{
    for (auto *recs : {&t.TcpRecs, &t.UdpRecs})
        for (auto &r : *recs)
            r.Mark.clear();
    return t;
}

std::string Join(const std::vector<std::string> &v)
{
    std::string s;
    for (const auto &e : v)
        s += (s.empty() ? "" : ", ") + e;
    return s;
}

}  // namespace

TEST(FillList, SelectsTheRowFirstBeforeTheFinalSort)
{
    // Under the start-up sort the row appended last is still empty, hence
    // first, when the fill selects; the sort then moves it to its place.
    TcpUdpTables t;
    t.TcpRecs = {Tcp("1", "10.0.0.1", "1", "10.0.0.2", "9", kEstablished, "b")};
    t.UdpRecs = {Udp("2", "0.0.0.0", "2", "c"), Udp("3", "0.0.0.0", "3", "a")};
    ConnectionList list;
    EXPECT_EQ(list.SortColumn(), ColProcess);
    EXPECT_EQ(list.Direction(), SortDirection::Ascending);
    const FillCounts counts = list.FillList(t, false);
    EXPECT_EQ(Show(list), "a:3 b:1 c:2");
    EXPECT_EQ(list.SelectedRow(), 0);
    EXPECT_EQ(list.FocusedRow(), 0);
    EXPECT_EQ(counts.NetCount, 3);
    EXPECT_EQ(counts.AppCount, 3);

    // A row with an empty name is first already when the last row comes.
    t.UdpRecs.insert(t.UdpRecs.begin(), Udp("4", "0.0.0.0", "4", ""));
    ConnectionList withEmpty;
    withEmpty.FillList(t, false);
    EXPECT_EQ(Show(withEmpty), ":4 a:3 b:1 c:2");
    EXPECT_EQ(withEmpty.SelectedRow(), 0);
    t.UdpRecs.push_back(Udp("5", "0.0.0.0", "5", "z"));
    ConnectionList lastIsZ;
    lastIsZ.FillList(t, false);
    EXPECT_EQ(lastIsZ.SelectedRow(), 0);  // the empty name, not z
}

TEST(FillList, HiddenLoopbackCountsItsProgramButNoRow)
{
    TcpUdpTables t;
    t.TcpRecs = {Tcp("1", "127.0.0.1", "1", "127.0.0.1", "2", kEstablished, "loop"),
                 Tcp("2", "127.0.0.1", "3", "0.0.0.0", "0", kListen, "listener")};
    ConnectionList hidden;
    const FillCounts h = hidden.FillList(t, false);
    EXPECT_EQ(Show(hidden), "listener:3");
    EXPECT_EQ(h.NetCount, 1);
    EXPECT_EQ(h.AppCount, 2);
    ConnectionList shown;
    EXPECT_EQ(shown.FillList(t, true).NetCount, 2);

    ConnectionList empty;
    const FillCounts e = empty.FillList({}, false);
    EXPECT_EQ(e.NetCount, 0);
    EXPECT_EQ(e.AppCount, 0);
    EXPECT_EQ(empty.SelectedRow(), -1);
    EXPECT_EQ(empty.FocusedRow(), -1);
}

TEST(HeaderClick, FlipsDirectionAtEveryClickExceptOnTheManageColumn)
{
    TcpUdpTables t;
    t.UdpRecs = {Udp("1", "10.0.0.9", "1", "b"), Udp("2", "10.0.0.10", "2", "a")};
    ConnectionList list;
    list.FillList(t, false);
    struct Step {
        int click, column;
        SortDirection direction;
        const char *rows;
    };
    const std::vector<Step> steps = {
        {ColManage, ColProcess, SortDirection::Ascending, "a:2 b:1"},
        {ColLocalIp, ColLocalIp, SortDirection::Descending, "b:1 a:2"},  // "10.0.0.9" > "10.0.0.10"
        {ColLocalIp, ColLocalIp, SortDirection::Ascending, "a:2 b:1"},
        {ColLocalPort, ColLocalPort, SortDirection::Descending, "a:2 b:1"},
        {-1, -1, SortDirection::Ascending, "a:2 b:1"},  // no column keeps the order
    };
    for (const auto &s : steps) {
        list.HeaderClick(s.click);
        EXPECT_EQ(list.SortColumn(), s.column) << "click " << s.click;
        EXPECT_EQ(list.Direction(), s.direction) << "click " << s.click;
        EXPECT_EQ(Show(list), s.rows) << "click " << s.click;
    }
    // With no sort column, rows a refresh adds stay at the end.
    TcpUdpTables next = t;
    next.UdpRecs.insert(next.UdpRecs.begin(), Udp("3", "0.0.0.0", "3", "0"));
    list.RefreshList(next, false);
    EXPECT_EQ(Show(list), "a:2 b:1 0:3:add");
}

TEST(RefreshList, RemarksFollowStateChangesAndAdditions)
{
    TcpUdpTables t;
    t.TcpRecs = {Tcp("1", "10.0.0.1", "100", "10.0.0.2", "80", kEstablished, "a")};
    t.UdpRecs = {Udp("2", "0.0.0.0", "200", "b")};
    ConnectionList list;
    list.FillList(t, false);

    struct Step {
        const char *what;
        std::vector<File_Rec> tcp, udp;
        const char *rows;
        const char *newPorts = "";
    };
    const File_Rec established = t.TcpRecs[0];
    File_Rec closeWait = established;
    closeWait.State = kCloseWait;
    const File_Rec newTcp = Tcp("1", "10.0.0.1", "101", "10.0.0.2", "80", kEstablished, "c");
    const File_Rec newUdp = Udp("3", "0.0.0.0", "300", "d");
    const std::vector<Step> steps = {
        {"unchanged", {established}, {t.UdpRecs[0]}, "a:100 b:200"},
        {"state change", {closeWait}, {t.UdpRecs[0]}, "a:100:md b:200"},
        {"same state again", {closeWait}, {t.UdpRecs[0]}, "a:100 b:200"},
        {"new endpoints", {closeWait, newTcp}, {t.UdpRecs[0], newUdp}, "a:100 b:200 c:101:add d:300:add", "101 300"},
        {"next refresh", {closeWait, newTcp}, {t.UdpRecs[0], newUdp}, "a:100 b:200 c:101 d:300:add"},
    };
    for (const auto &s : steps) {
        TcpUdpTables next;
        next.TcpRecs = s.tcp;
        next.UdpRecs = s.udp;
        const FillCounts counts = list.RefreshList(next, false);
        EXPECT_EQ(Show(list), s.rows) << s.what;
        EXPECT_EQ(counts.NetCount, list.RowCount()) << s.what;
        // Claimed are the records of kept rows; new rows claim nothing.
        for (const auto *recs : {&next.TcpRecs, &next.UdpRecs})
            for (const auto &r : *recs) {
                const bool isNew = std::string(s.newPorts).find(r.LocalPort) != std::string::npos;
                EXPECT_EQ(r.Mark, isNew ? "" : "ok") << s.what << " " << r.LocalPort;
            }
    }
    EXPECT_EQ(list.Record(0).StateText, "等待关闭");
}

TEST(RefreshList, KeptRowsKeepTheirOwnerTextsAndANewOwnerMakesANewRow)
{
    TcpUdpTables t;
    t.UdpRecs = {Udp("10", "0.0.0.0", "53", "dns", "/bin/dns")};
    ConnectionList list;
    list.FillList(t, false);

    TcpUdpTables renamed = t;  // same endpoint and PID, another program now
    renamed.UdpRecs[0].ProcessName = "other";
    renamed.UdpRecs[0].ProcessPath = "/bin/other";
    list.RefreshList(renamed, false);
    EXPECT_EQ(Show(list), "dns:53");
    EXPECT_EQ(list.Record(0).ProcessPath, "/bin/dns");

    TcpUdpTables newPid = Fresh(renamed);
    newPid.UdpRecs[0].Pid = "11";
    list.RefreshList(newPid, false);
    EXPECT_EQ(Show(list), "other:53:add");
    EXPECT_EQ(list.Record(0).Pid, "11");
}

TEST(RefreshList, ShowLocalOffRemovesLoopbackRowsAndOnBringsThemBackAsNew)
{
    TcpUdpTables t;
    t.TcpRecs = {Tcp("1", "127.0.0.1", "5000", "127.0.0.1", "6000", kEstablished, "client"),
                 Tcp("2", "127.0.0.1", "6000", "127.0.0.1", "5000", kEstablished, "server", "")};
    t.UdpRecs = {Udp("3", "127.0.0.1", "53", "dns")};
    ConnectionList list;
    list.FillList(t, true);
    EXPECT_EQ(Show(list), "client:5000 dns:53 server:6000");

    TcpUdpTables off = t;
    const FillCounts hidden = list.RefreshList(off, false);
    EXPECT_EQ(Show(list), "dns:53");
    EXPECT_EQ(hidden.NetCount, 1);
    EXPECT_EQ(hidden.AppCount, 2);  // client and dns; server has no path

    TcpUdpTables on = t;
    list.RefreshList(on, true);
    EXPECT_EQ(Show(list), "client:5000:add dns:53 server:6000:add");
}

TEST(RefreshList, SelectionStaysWithItsRowOrFallsToTheFirstRow)
{
    TcpUdpTables t;
    t.UdpRecs = {Udp("1", "0.0.0.0", "1", "a"), Udp("2", "0.0.0.0", "2", "b"), Udp("3", "0.0.0.0", "3", "c")};
    ConnectionList list;
    list.FillList(t, false);
    list.SetSelectedRow(RowOfPort(list, "2"));
    list.SetFocusedRow(RowOfPort(list, "2"));

    // The selected row stays and the sort moves it.
    TcpUdpTables moved = t;
    moved.UdpRecs.push_back(Udp("4", "0.0.0.0", "4", "0"));
    list.RefreshList(moved, false);
    EXPECT_EQ(Show(list), "0:4:add a:1 b:2 c:3");
    EXPECT_EQ(list.SelectedRow(), 2);
    EXPECT_EQ(list.FocusedRow(), 2);

    // The selected row goes: the first row of the sorted list takes over.
    TcpUdpTables gone = Fresh(moved);
    gone.UdpRecs.erase(gone.UdpRecs.begin() + 1);
    list.RefreshList(gone, false);
    EXPECT_EQ(Show(list), "0:4:add a:1 c:3");
    EXPECT_EQ(list.SelectedRow(), 0);
    EXPECT_EQ(list.FocusedRow(), 0);

    // Nothing left: nothing selected, both counters 0.
    TcpUdpTables empty;
    const FillCounts counts = list.RefreshList(empty, false);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(counts.NetCount, 0);
    EXPECT_EQ(counts.AppCount, 0);
    EXPECT_EQ(list.SelectedRow(), -1);
    EXPECT_EQ(list.FocusedRow(), -1);
}

TEST(RefreshList, TellsTheViewRunByRun)
{
    TcpUdpTables t;
    for (const char *port : {"1", "2", "3", "4", "5", "6", "7"})
        t.UdpRecs.push_back(Udp(port, "0.0.0.0", port, std::string("n") + port));
    ConnectionList list;
    list.FillList(t, false);
    list.SetSelectedRow(6);
    EventLog log;
    list.SetObserver(&log);

    // Rows 2..4 and 6 go, one endpoint comes; the selected row 6 goes.
    TcpUdpTables next;
    for (const int i : {0, 1, 5})
        next.UdpRecs.push_back(t.UdpRecs[static_cast<size_t>(i)]);
    next.UdpRecs.push_back(Udp("8", "0.0.0.0", "8", "n0"));
    list.RefreshList(next, false);
    EXPECT_EQ(Show(list), "n0:8:add n1:1 n2:2 n6:6");
    EXPECT_EQ(Join(log.events), "remove 2-4, remove 3-3, insert 3-3, layout, selection");
    EXPECT_EQ(list.SelectedRow(), 0);

    // An unchanged snapshot tells nothing: no row moves or changes.
    log.events.clear();
    TcpUdpTables same = Fresh(next);
    list.RefreshList(same, false);
    EXPECT_EQ(Join(log.events), "");
}

TEST(RefreshList, TwoEqualEndpointsKeepTwoRows)
{
    TcpUdpTables t;
    t.UdpRecs = {Udp("1", "0.0.0.0", "5353", "mdns"), Udp("1", "0.0.0.0", "5353", "mdns")};
    t.TcpRecs = {Tcp("1", "10.0.0.1", "1", "10.0.0.2", "2", kEstablished, "a"),
                 Tcp("1", "10.0.0.1", "1", "10.0.0.2", "2", kEstablished, "a")};
    ConnectionList list;
    list.FillList(t, false);
    ASSERT_EQ(list.RowCount(), 4);
    for (int i = 0; i < 3; ++i) {
        TcpUdpTables next = t;
        list.RefreshList(next, false);
        EXPECT_EQ(Show(list), "a:1 a:1 mdns:5353 mdns:5353") << "refresh " << i;
    }
}
