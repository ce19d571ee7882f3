#include <algorithm>

#include "bench.h"
#include "platform/platform.h"

namespace {

// One snapshot of this machine. The first one of a platform also builds the
// package index, so it is given on its own; the figure is the best of the
// following ones.
void SnapshotLive()
{
    auto platform = quorvex::CreatePlatform();
    quorvex::TcpUdpTables tables;
    double start = NowMs();
    platform->GetTcpUdpTable(tables);
    PrintFigure("snapshot_first", NowMs() - start, "ms");
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        start = NowMs();
        platform->GetTcpUdpTable(tables);
        best = std::min(best, NowMs() - start);
    }
    PrintFigure("snapshot_live", best, "ms");
    PrintFigure("snapshot_live_endpoints", static_cast<double>(tables.TcpRecs.size() + tables.UdpRecs.size()),
                "endpoints");
}

BenchRegistrar r("snapshot_live", SnapshotLive);

}  // namespace
