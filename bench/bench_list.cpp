// Fill and refresh of the connection list with 40,000 synthetic endpoints:
// a few hundred processes, most endpoints TCP connections on many ports.

#include <algorithm>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "bench.h"
#include "core/columns.h"
#include "core/connection_list.h"
#include "core/filter_view.h"

using namespace quorvex;

namespace {

constexpr int kEndpoints = 40000;
constexpr int kProcesses = 300;
constexpr int kRuns = 9;

File_Rec Endpoint(std::mt19937 &rng, int serial)
{
    const int process = static_cast<int>(rng() % kProcesses);
    File_Rec r;
    r.State = static_cast<int32_t>(1 + rng() % 12);
    r.LocalIp = rng() % 2 ? "127.0.0.1" : "192.168.1." + std::to_string(rng() % 4 + 2);
    r.LocalPort = std::to_string(1024 + serial % 60000);
    r.RemoteIp = rng() % 2 ? "127.0.0.1" : std::to_string(rng() % 223 + 1) + "." + std::to_string(rng() % 256) +
                                                   ".0." + std::to_string(rng() % 256);
    r.RemotePort = std::to_string(rng() % 3 ? 443 : 1024 + rng() % 60000);
    r.Pid = std::to_string(1000 + process * 7);
    r.ProcessName = "process-" + std::to_string(process);
    r.ProcessPath = process % 50 ? "/usr/lib/package-" + std::to_string(process) + "/" + r.ProcessName : "";
    r.FileDescription = "A program of package " + std::to_string(process);
    r.CompanyName = "Maintainer " + std::to_string(process % 40);
    return r;
}

TcpUdpTables Synthetic(std::mt19937 &rng)
{
    TcpUdpTables t;
    for (int i = 0; i < kEndpoints; ++i) {
        File_Rec r = Endpoint(rng, i);
        if (i % 10 == 9) {
            r.State = 0;
            r.RemoteIp.clear();
            r.RemotePort.clear();
            t.UdpRecs.push_back(r);
        } else {
            t.TcpRecs.push_back(r);
        }
    }
    return t;
}

// The same snapshot with every tenth endpoint replaced by a new one.
TcpUdpTables Churned(const TcpUdpTables &base, std::mt19937 &rng)
{
    TcpUdpTables t = base;
    int serial = kEndpoints;
    for (auto *recs : {&t.TcpRecs, &t.UdpRecs})
        for (size_t i = 0; i < recs->size(); i += 10) {
            const bool tcp = recs == &t.TcpRecs;
            File_Rec r = Endpoint(rng, serial++);
            r.LocalIp = "10.200.0.1";  // never an existing endpoint
            if (!tcp) {
                r.State = 0;
                r.RemoteIp.clear();
                r.RemotePort.clear();
            }
            (*recs)[i] = r;
        }
    return t;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double CpuMs()
{
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Wall and processor time of the runs; on a busy machine the second shows
// what the code costs when it has a core to itself.
struct Timer {
    std::vector<double> wall, cpu;
    double wallStart = 0, cpuStart = 0;
    void Start()
    {
        wallStart = NowMs();
        cpuStart = CpuMs();
    }
    void Stop()
    {
        wall.push_back(NowMs() - wallStart);
        cpu.push_back(CpuMs() - cpuStart);
    }
    void Print(const std::string &name) const
    {
        PrintFigure(name, Median(wall), "ms");
        PrintFigure(name + "_cpu", Median(cpu), "ms");
    }
};

void Fill()
{
    std::mt19937 rng(1);
    const TcpUdpTables tables = Synthetic(rng);
    Timer timer;
    for (int run = 0; run < kRuns; ++run) {
        ConnectionList list;
        timer.Start();
        list.FillList(tables, true);
        timer.Stop();
    }
    timer.Print("fill_40000");
}

void RefreshUnchanged()
{
    std::mt19937 rng(2);
    const TcpUdpTables tables = Synthetic(rng);
    ConnectionList list;
    list.FillList(tables, true);
    Timer timer;
    for (int run = 0; run < kRuns; ++run) {
        TcpUdpTables snapshot = tables;
        timer.Start();
        list.RefreshList(snapshot, true);
        timer.Stop();
    }
    timer.Print("refresh_unchanged_40000");
}

void RefreshChurn()
{
    std::mt19937 rng(3);
    const TcpUdpTables base = Synthetic(rng);
    const TcpUdpTables churned = Churned(base, rng);
    ConnectionList list;
    list.FillList(base, true);
    Timer timer;
    for (int run = 0; run < kRuns; ++run) {
        // Back and forth: each refresh replaces a tenth of the rows.
        TcpUdpTables snapshot = run % 2 ? base : churned;
        timer.Start();
        list.RefreshList(snapshot, true);
        timer.Stop();
    }
    timer.Print("refresh_churn10_40000");
}

// Takes the notices a list widget would follow, and does nothing with them.
class QuietObserver : public ConnectionListObserver {
    void RowsAboutToBeRemoved(int, int) override {}
    void RowsRemoved() override {}
    void RowsAboutToBeInserted(int, int) override {}
    void RowsInserted() override {}
    void RowsChanged(int, int) override {}
    void LayoutAboutToBeChanged() override {}
    void LayoutChanged(const std::vector<int> &) override {}
    void SelectionChanged() override {}
};

// Opening the filter field (Ctrl+F reads every row's texts), then typing
// "process-12" into it, a character at a time: the first character searches
// every row, each further one only the rows still shown; a backspace
// searches every row again.
void FilterTyping()
{
    std::mt19937 rng(4);
    const TcpUdpTables tables = Synthetic(rng);
    ConnectionList list;
    FilterView view(list);
    QuietObserver quiet;
    view.SetObserver(&quiet);
    view.SetColumns(VisibleColumns(false, false));
    list.FillList(tables, true);
    const std::string typed = "process-12";
    Timer open, first, next, back;
    for (int run = 0; run < kRuns; ++run) {
        view.SetFilter({});
        view.KeepSearchTexts(false);
        open.Start();
        view.KeepSearchTexts(true);
        open.Stop();
        first.Start();
        view.SetFilter(typed.substr(0, 1));
        first.Stop();
        for (size_t n = 2; n <= typed.size(); ++n) {
            next.Start();
            view.SetFilter(typed.substr(0, n));
            next.Stop();
        }
        back.Start();
        view.SetFilter(typed.substr(0, typed.size() - 1));
        back.Stop();
    }
    open.Print("filter_open_40000");
    first.Print("filter_first_char_40000");
    next.Print("filter_type_char_40000");
    back.Print("filter_backspace_40000");
}

// The churning refresh while a filter shows about a tenth of the rows.
void RefreshChurnFiltered()
{
    std::mt19937 rng(3);
    const TcpUdpTables base = Synthetic(rng);
    const TcpUdpTables churned = Churned(base, rng);
    ConnectionList list;
    FilterView view(list);
    QuietObserver quiet;
    view.SetObserver(&quiet);
    view.SetColumns(VisibleColumns(false, false));
    list.FillList(base, true);
    view.SetFilter("process-1");
    Timer timer;
    for (int run = 0; run < kRuns; ++run) {
        TcpUdpTables snapshot = run % 2 ? base : churned;
        timer.Start();
        list.RefreshList(snapshot, true);
        timer.Stop();
    }
    timer.Print("refresh_churn10_filtered_40000");
}

BenchRegistrar fill("fill_40000", Fill);
BenchRegistrar filterTyping("filter_typing_40000", FilterTyping);
BenchRegistrar churnFiltered("refresh_churn10_filtered_40000", RefreshChurnFiltered);
BenchRegistrar unchanged("refresh_unchanged_40000", RefreshUnchanged);
BenchRegistrar churn("refresh_churn10_40000", RefreshChurn);

}  // namespace
