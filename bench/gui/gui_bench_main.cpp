// Whole-window figures on this machine's live sockets: time until the window
// is filled and painted, its memory, and full refresh cycles (snapshot, list
// refresh, view update and paint). Prints "name: value unit" lines.
#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/main_controller.h"
#include "gui/app_start.h"
#include "gui/host_system.h"
#include "gui/main_window.h"
#include "gui/qt_prompts.h"
#include "platform/platform.h"

namespace {

void Figure(const char *name, double value, const char *unit)
{
    std::printf("%s: %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

// Resident set size from /proc/self/status (VmRSS, in kB); 0 elsewhere.
double RssMb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    double kb = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> kb;
            break;
        }
    }
    return kb / 1024.0;
}

}  // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    quorvex::SetupApplication();
    quorvex::QtPrompts prompts;
    auto platform = quorvex::CreatePlatform();
    auto shell = quorvex::CreateShellActions();
    quorvex::MainWindow window(*platform, prompts, *shell, quorvex::DefaultMainOptions());
    prompts.SetOwner(&window);
    window.Create();
    window.show();
    QApplication::processEvents();
    Figure("window_ready_live", clock.nsecsElapsed() / 1e6, "ms");
    Figure("window_rows", window.List().RowCount(), "rows");
    Figure("window_rss", RssMb(), "MB");

    double best = 0;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer cycle;
        cycle.start();
        window.RunHandler([&] { window.Controller().BTNRefreshClick(); });
        QApplication::processEvents();
        const double ms = cycle.nsecsElapsed() / 1e6;
        best = i == 0 ? ms : std::min(best, ms);
    }
    Figure("refresh_cycle_live", best, "ms");

    // The filter field at the live row count: opening it, then each
    // character typed until the list is painted again.
    quorvex::WindowController &list = window.ListController();
    QElapsedTimer open;
    open.start();
    list.FilterKey();
    QApplication::processEvents();
    Figure("filter_open_live", open.nsecsElapsed() / 1e6, "ms");
    const std::string typed = "583";
    for (size_t n = 1; n <= typed.size(); ++n) {
        QElapsedTimer key;
        key.start();
        list.FilterEdited(typed.substr(0, n));
        QApplication::processEvents();
        Figure(n == 1 ? "filter_first_char_live" : "filter_next_char_live", key.nsecsElapsed() / 1e6, "ms");
    }
    Figure("filter_rows_shown_live", list.Rows().RowCount(), "rows");
    QElapsedTimer clear;
    clear.start();
    list.FilterEscape();
    QApplication::processEvents();
    Figure("filter_clear_live", clear.nsecsElapsed() / 1e6, "ms");
    Figure("window_rss_after_refreshes", RssMb(), "MB");
    return 0;
}
