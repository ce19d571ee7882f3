#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "bench.h"
#include "platform/linux/owner_helper.h"
#include "platform/linux/proc_owner.h"

namespace {

// Best of five of `scan`, in ms.
template <typename Scan>
double Best(const Scan &scan)
{
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        const double start = NowMs();
        scan();
        best = std::min(best, NowMs() - start);
    }
    return best;
}

// The owners of this machine's sockets by our own scan, and through
// quorvex-helper (beside this program): the price of running the helper and
// reading its answer, paid by an unprivileged window at every refresh.
void OwnerScan()
{
    // Sockets of our own, so that the figures do not depend on how busy
    // the machine is; the descriptor limit's default (1024) leaves room.
    std::vector<int> sockets;
    for (int i = 0; i < 500; ++i)
        sockets.push_back(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    quorvex::OwnerTable owners;
    PrintFigure("owner_scan_own", Best([&] {
                    owners = quorvex::OwnerTable();
                    owners.Scan();
                }),
                "ms");
    PrintFigure("owner_scan_sockets", static_cast<double>(owners.SocketCount()), "sockets");

    char self[4096];
    const ssize_t got = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
    const std::string exe(self, got > 0 ? static_cast<size_t>(got) : 0);
    const std::string helper = exe.substr(0, exe.rfind('/') + 1) + "quorvex-helper";
    if (quorvex::FirstRunnableHelper({helper}).empty()) {
        std::fprintf(stderr, "owner_scan_helper: no %s to run\n", helper.c_str());
    } else {
        bool all = false;
        PrintFigure("owner_scan_helper", Best([&] { quorvex::ReadOwnersThroughHelper(helper, owners, all); }), "ms");
    }
    for (const int fd : sockets)
        ::close(fd);
}

BenchRegistrar r("owner_scan", OwnerScan);

}  // namespace
