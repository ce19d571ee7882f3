#include <algorithm>

#include "bench.h"
#include "platform/platform.h"

namespace {

// The best of a few snapshots with `options`.
double BestSnapshot(quorvex::Platform &platform, const quorvex::SnapshotOptions &options,
                    quorvex::TcpUdpTables &tables, int runs = 5)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        platform.GetTcpUdpTable(tables, options);
        best = std::min(best, NowMs() - start);
    }
    return best;
}

// One snapshot of this machine. The first one of a platform also builds the
// package index, so it is given on its own; the other figures are the best
// of the following ones: the plain snapshot, with the TCP byte counters,
// and with the IPv6-only sockets as well. The three alternate, a few runs at
// a time, so that a change in the machine's load shows in all of them.
void SnapshotLive()
{
    auto platform = quorvex::CreatePlatform();
    quorvex::TcpUdpTables tables;
    const double start = NowMs();
    platform->GetTcpUdpTable(tables, {});
    PrintFigure("snapshot_first", NowMs() - start, "ms");
    double plain = 1e300, counted = 1e300, both = 1e300;
    for (int round = 0; round < 10; ++round) {
        counted = std::min(counted, BestSnapshot(*platform, {false, true}, tables, 2));
        both = std::min(both, BestSnapshot(*platform, {true, true}, tables, 2));
        plain = std::min(plain, BestSnapshot(*platform, {}, tables, 2));
    }
    PrintFigure("snapshot_live", plain, "ms");
    BestSnapshot(*platform, {}, tables, 1);
    PrintFigure("snapshot_live_endpoints", static_cast<double>(tables.TcpRecs.size() + tables.UdpRecs.size()),
                "endpoints");
    PrintFigure("snapshot_live_traffic", counted, "ms");
    PrintFigure("snapshot_live_traffic_ratio", 100.0 * counted / plain, "%");
    PrintFigure("snapshot_live_ipv6_traffic", both, "ms");
    BestSnapshot(*platform, {true, false}, tables, 1);
    PrintFigure("snapshot_live_ipv6_endpoints", static_cast<double>(tables.Tcp6Recs.size() + tables.Udp6Recs.size()),
                "endpoints");
}

BenchRegistrar r("snapshot_live", SnapshotLive);

}  // namespace
