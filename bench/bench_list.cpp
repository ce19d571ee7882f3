// Fill and refresh of the connection list with 40,000 synthetic endpoints:
// a few hundred processes, most endpoints TCP connections on many ports.

#include <algorithm>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "bench.h"
#include "core/connection_list.h"

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

BenchRegistrar fill("fill_40000", Fill);
BenchRegistrar unchanged("refresh_unchanged_40000", RefreshUnchanged);
BenchRegistrar churn("refresh_churn10_40000", RefreshChurn);

}  // namespace
