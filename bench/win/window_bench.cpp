// quorvex-win-bench: figures of the Windows window with 40,000 fake
// endpoints, one "name: value unit" line each: the first fill with the
// list's first paint, a refresh with 10% churn including the list's update
// and repaint, and the filter field's keys. Run under Wine with a display
// (make bench-windows).
// With --show it then keeps the window open, with its fake rows, until it is
// closed: for looking at the window, its menu and its dialog. Words after
// --show set the scene first, as a user would: "traffic", "highlight" and
// "ipv6" turn those view options on (highlight with a refresh that adds and
// removes rows; ipv6 shows a browser's IPv6 endpoints, kept among the fake
// rows of --show), "filter=TEXT" types TEXT into the filter field (Ctrl+F),
// "sort=N" clicks the header of column N, "width=N" makes the window's
// client area N pixels wide (from the screen's left edge), "menu=options" and "menu=row" (of the first
// row, clicked) open that menu.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/columns.h"
#include "core/connection_list.h"
#include "core/prompts.h"
#include "core/shell_actions.h"
#include "core/window_layout.h"
#include "platform/fake/fake_platform.h"
#include "platform/platform.h"
#include "wingui/app_start.h"
#include "wingui/main_frame.h"
#include "wingui/win_prompts.h"

using namespace quorvex;

namespace {

int Endpoints = 40000;
constexpr int Processes = 300;
constexpr int Runs = 7;

struct QuietShell : ShellActions {
    bool OpenUrl(const std::string &) override { return false; }
    void OpenFile(const std::string &) override {}
    void ShowInFileManager(const std::string &) override {}
    void ShowProperties(const std::string &) override {}
};

File_Rec Endpoint(std::mt19937 &rng, int serial, bool tcp)
{
    const int process = static_cast<int>(rng() % Processes);
    File_Rec r;
    r.State = tcp ? static_cast<int32_t>(1 + rng() % 12) : 0;
    r.LocalIp = "192.168.1." + std::to_string(rng() % 4 + 2);
    r.LocalPort = std::to_string(1024 + serial % 60000);
    if (tcp) {
        r.RemoteIp = std::to_string(rng() % 223 + 1) + "." + std::to_string(rng() % 256) + ".0." +
                     std::to_string(rng() % 256);
        r.RemotePort = std::to_string(rng() % 3 ? 443 : 1024 + rng() % 60000);
    }
    r.Pid = std::to_string(1000 + process * 4);
    r.ProcessName = "program" + std::to_string(process) + ".exe";
    r.ProcessPath = process % 50 ? "C:\\Program Files\\Vendor " + std::to_string(process % 40) + "\\" + r.ProcessName
                                 : "";
    r.FileDescription = "Program " + std::to_string(process);
    r.CompanyName = "Vendor " + std::to_string(process % 40);
    return r;
}

TcpUdpTables Synthetic(std::mt19937 &rng)
{
    TcpUdpTables t;
    for (int i = 0; i < Endpoints; ++i) {
        const bool tcp = i % 10 != 9;
        (tcp ? t.TcpRecs : t.UdpRecs).push_back(Endpoint(rng, i, tcp));
    }
    return t;
}

// Every tenth endpoint replaced by a new one.
TcpUdpTables Churned(const TcpUdpTables &base, std::mt19937 &rng)
{
    TcpUdpTables t = base;
    int serial = Endpoints;
    for (auto *recs : {&t.TcpRecs, &t.UdpRecs})
        for (size_t i = 0; i < recs->size(); i += 10) {
            File_Rec r = Endpoint(rng, serial++, recs == &t.TcpRecs);
            r.LocalIp = "10.200.0.1";  // never an existing endpoint
            (*recs)[i] = r;
        }
    return t;
}

double NowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuMs()
{
    FILETIME creation, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    const auto ticks = [](FILETIME t) { return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime); };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Print(const char *name, double value, const char *unit)
{
    std::printf("%s: %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

// Byte counters for the TCP rows, grown by a second snapshot 10 s later,
// so that the traffic columns have sizes and rates to show.
void AddTraffic(TcpUdpTables &first, TcpUdpTables &second, std::mt19937 &rng)
{
    first.TakenAtMs = 1000;
    second.TakenAtMs = 11000;
    for (TcpUdpTables *t : {&first, &second})
        for (File_Rec &r : t->TcpRecs) {
            std::mt19937 own(static_cast<unsigned>(std::stoul(r.LocalPort) * 7919u + r.RemoteIp.size()));
            const uint64_t sent = own() % 50'000'000, received = own() % 3'000'000'000ull;
            const uint64_t grown = t == &second ? rng() % 2'000'000 : 0;
            r = WithTraffic(r, sent + grown, received + grown / 3);
        }
}

// A browser's IPv6 endpoints, for --show: rows only while "显示IPv6连接" is
// on, first in the default order.
void AddIpv6(TcpUdpTables &t)
{
    const std::pair<const char *, const char *> ends[] = {
        {"2001:db8:4:1::15", "2606:4700::6810:84e5"}, {"2001:db8:4:1::15", "2a00:1450:4001:82b::200e"},
        {"2001:db8:4:1::15", "2620:1ec:c11::200"},    {"fe80::1c2b:3aff:fe4d:5e6f%12", "fe80::1%12"}};
    int port = 52000;
    for (const auto &[local, remote] : ends) {
        File_Rec r;
        r.State = 5;
        r.LocalIp = local;
        r.LocalPort = std::to_string(port++);
        r.RemoteIp = remote;
        r.RemotePort = "443";
        r.Pid = "612";
        r.ProcessName = "browser.exe";
        r.ProcessPath = "C:\\Program Files\\Browser\\browser.exe";
        t.Tcp6Recs.push_back(r);
    }
    File_Rec udp = t.Tcp6Recs.front();
    udp.State = 0;
    udp.LocalIp = "::";
    udp.LocalPort = "5353";
    udp.RemoteIp.clear();
    udp.RemotePort.clear();
    t.Udp6Recs.push_back(udp);
}

// The scene of --show, set through the window as the user sets it.
void SetScene(MainFrame &frame, FakePlatform &platform, const TcpUdpTables &churned, int argc, char **argv)
{
    std::string filter, menu;
    int sort = NoColumn;
    int width = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        const std::pair<const char *, CheckBox> options[] = {
            {"traffic", CheckBox::ShowTraffic}, {"highlight", CheckBox::HighlightChanges}, {"ipv6", CheckBox::ShowIPv6}};
        for (const auto &[name, option] : options)
            if (word == name)
                frame.Controller().SetChecked(option, true);
        if (word.rfind("filter=", 0) == 0)
            filter = word.substr(7);
        if (word.rfind("menu=", 0) == 0)
            menu = word.substr(5);
        if (word.rfind("sort=", 0) == 0)
            sort = std::atoi(word.c_str() + 5);
        if (word.rfind("width=", 0) == 0)
            width = std::atoi(word.c_str() + 6);
    }
    if (width > 0) {
        RECT frameRect, client;
        GetWindowRect(frame.Handle(), &frameRect);
        GetClientRect(frame.Handle(), &client);
        // From the screen's left edge, so that it stays on the screen.
        SetWindowPos(frame.Handle(), nullptr, 0, frameRect.top, frameRect.right - frameRect.left + width - client.right,
                     frameRect.bottom - frameRect.top, SWP_NOZORDER);
    }
    // A click in the middle of a column's header.
    const auto &shown = frame.ShownColumns();
    if (const auto item = std::find(shown.begin(), shown.end(), sort); item != shown.end()) {
        RECT rect{};
        SendMessageW(frame.HeaderHandle(), HDM_GETITEMRECT, static_cast<WPARAM>(item - shown.begin()),
                     reinterpret_cast<LPARAM>(&rect));
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageW(frame.HeaderHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(frame.HeaderHandle(), WM_LBUTTONUP, 0, at);
    }
    if (frame.Controller().Option(CheckBox::HighlightChanges) || frame.Controller().Option(CheckBox::ShowTraffic)) {
        platform.Tables = churned;
        SendMessageW(frame.ControlHandle(layout::BarControl::BTNRefresh), BM_CLICK, 0, 0);
    }
    if (!filter.empty()) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        frame.TranslateKey(MSG{frame.ListHandle(), WM_KEYDOWN, 'F', 0, 0, {0, 0}});
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        SetWindowTextW(frame.FilterHandle(), std::wstring(filter.begin(), filter.end()).c_str());
    }
    // Opened from the message loop, where the menus' own loops then run.
    if (menu == "options")
        PostMessageW(frame.ControlHandle(layout::BarControl::BTNOptions), BM_CLICK, 0, 0);
    else if (menu == "row") {
        RECT row{};
        row.left = LVIR_BOUNDS;
        SendMessageW(frame.ListHandle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        const LPARAM at = MAKELPARAM(row.left + 200, (row.top + row.bottom) / 2);
        SendMessageW(frame.ListHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(frame.ListHandle(), WM_LBUTTONUP, 0, at);
        PostMessageW(frame.ListHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(frame.ListHandle()),
                     MAKELPARAM(-1, -1));
    }
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    const bool show = argc > 1 && std::strcmp(argv[1], "--show") == 0;
    if (const char *rows = std::getenv("QUORVEX_BENCH_ROWS"))
        Endpoints = std::atoi(rows);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CreatePlatform();

    std::mt19937 rng(1);
    FakePlatform platform;
    platform.SysDir = "C:\\windows\\system32";
    platform.ExePath = "C:\\quorvex\\quorvex.exe";
    platform.Tables = Synthetic(rng);
    TcpUdpTables base = platform.Tables;
    TcpUdpTables churned = Churned(base, rng);
    if (show) {
        AddTraffic(base, churned, rng);
        AddIpv6(base);
        AddIpv6(churned);
        platform.Tables = base;
    }
    WinPrompts prompts;
    QuietShell shell;

    std::vector<double> fillWall, fillCpu, paintWall;
    for (int run = 0; run < (show ? 1 : Runs); ++run) {
        MainFrame frame(platform, prompts, shell, WindowsMainOptions());
        const double wall = NowMs();
        const double cpu = CpuMs();
        frame.Create(nullptr);
        const double created = NowMs();
        ShowWindow(frame.Handle(), SW_SHOWNOACTIVATE);
        UpdateWindow(frame.Handle());
        fillWall.push_back(NowMs() - wall);
        fillCpu.push_back(CpuMs() - cpu);
        paintWall.push_back(NowMs() - created);
        Pump();
        if (show) {
            // The fake rows with the window's own prompts, until it is closed.
            prompts.SetOwner(frame.Handle());
            frame.OnDestroyed = [] { PostQuitMessage(0); };
            SetScene(frame, platform, churned, argc, argv);
            MainFrame::RunMessageLoop(frame);
            return 0;
        }
        if (run + 1 < Runs) {
            DestroyWindow(frame.Handle());
            Pump();
            continue;
        }

        // Refreshes against the churned snapshot and back, from the
        // refresh button's click to the repainted list.
        std::vector<double> wallRuns, cpuRuns;
        HWND refresh = frame.ControlHandle(layout::BarControl::BTNRefresh);
        for (int r = 0; r < Runs * 2; ++r) {
            platform.Tables = r % 2 == 0 ? churned : base;
            const double w = NowMs();
            const double c = CpuMs();
            SendMessageW(refresh, BM_CLICK, 0, 0);
            UpdateWindow(frame.ListHandle());
            wallRuns.push_back(NowMs() - w);
            cpuRuns.push_back(CpuMs() - c);
            Pump();
        }
        // The same fill and refreshes of a list without a window, with the
        // same snapshots taken the same way: what is left of the figures
        // above is the window's part (the list view's update and paint).
        std::vector<double> coreFill, coreRefresh, coreRefreshWall;
        for (int r = 0; r < Runs; ++r) {
            ConnectionList bare;
            TcpUdpTables tables;
            platform.Tables = base;
            double c = CpuMs();
            platform.GetTcpUdpTable(tables, SnapshotOptions{});
            bare.FillList(tables, true);
            coreFill.push_back(CpuMs() - c);
            for (int k = 0; k < 2; ++k) {
                platform.Tables = k == 0 ? churned : base;
                c = CpuMs();
                const double w = NowMs();
                platform.GetTcpUdpTable(tables, SnapshotOptions{});
                bare.RefreshList(tables, true);
                coreRefreshWall.push_back(NowMs() - w);
                coreRefresh.push_back(CpuMs() - c);
            }
        }
        Print("win_fill_paint_40000", Median(fillWall), "ms");
        Print("win_fill_paint_40000_cpu", Median(fillCpu), "ms");
        Print("win_first_paint_40000", Median(paintWall), "ms");
        Print("win_fill_list_only_40000_cpu", Median(coreFill), "ms");
        Print("win_fill_window_part_40000_cpu", Median(fillCpu) - Median(coreFill), "ms");
        Print("win_refresh_churn10_40000", Median(wallRuns), "ms");
        Print("win_refresh_churn10_40000_cpu", Median(cpuRuns), "ms");
        Print("win_refresh_list_only_40000_cpu", Median(coreRefresh), "ms");
        Print("win_refresh_window_update_40000_cpu", Median(cpuRuns) - Median(coreRefresh), "ms");
        Print("win_refresh_list_only_40000", Median(coreRefreshWall), "ms");
        Print("win_refresh_window_update_40000", Median(wallRuns) - Median(coreRefreshWall), "ms");
        Print("win_rows", frame.List().RowCount(), "rows");

        // The filter field as the user works it: Ctrl+F, then "program12"
        // typed a character at a time, then Escape, each until the list is
        // painted again. The first character matches every row, each further
        // one fewer.
        std::vector<double> openRuns, firstRuns, nextRuns, clearRuns;
        const std::wstring typed = L"program12";
        BYTE keys[256] = {};
        for (int r = 0; r < Runs; ++r) {
            GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            SetKeyboardState(keys);
            double w = NowMs();
            frame.TranslateKey(MSG{frame.ListHandle(), WM_KEYDOWN, 'F', 0, 0, {0, 0}});
            UpdateWindow(frame.Handle());
            openRuns.push_back(NowMs() - w);
            keys[VK_CONTROL] = 0;
            SetKeyboardState(keys);
            for (size_t n = 1; n <= typed.size(); ++n) {
                w = NowMs();
                SetWindowTextW(frame.FilterHandle(), typed.substr(0, n).c_str());
                UpdateWindow(frame.Handle());
                (n == 1 ? firstRuns : nextRuns).push_back(NowMs() - w);
            }
            w = NowMs();
            frame.TranslateKey(MSG{frame.FilterHandle(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}});
            UpdateWindow(frame.Handle());
            clearRuns.push_back(NowMs() - w);
            Pump();
        }
        Print("win_filter_open_40000", Median(openRuns), "ms");
        Print("win_filter_first_char_40000", Median(firstRuns), "ms");
        Print("win_filter_next_char_40000", Median(nextRuns), "ms");
        Print("win_filter_clear_40000", Median(clearRuns), "ms");
        DestroyWindow(frame.Handle());
    }
    CoUninitialize();
    return 0;
}
