// The main window on Windows, made for real over the fake platform and read
// back through Win32 messages: what the user sees and what a click does.

#include <gtest/gtest.h>

#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/columns.h"
#include "core/fixed_texts.h"
#include "core/prompts.h"
#include "core/shell_actions.h"
#include "core/version_tag.h"
#include "core/window_layout.h"
#include "platform/fake/fake_platform.h"
#include "platform/platform.h"
#include "wingui/app_start.h"
#include "wingui/main_frame.h"
#include "wingui/proc_info_dialog.h"
#include "wingui/win_text.h"
#include "wingui/win_ui.h"

using namespace quorvex;
using layout::BarControl;

namespace {

struct RecordingPrompts : Prompts {
    std::vector<std::string> Log;
    bool Answer = true;
    void ShowMessage(const std::string &text) override { Log.push_back("message:" + text); }
    bool AskYesNo(const std::string &text, bool defaultNo) override
    {
        Log.push_back("ask:" + text + (defaultNo ? ":no" : ":yes"));
        return Answer;
    }
    void ReportError(const std::string &text) override { Log.push_back("error:" + text); }
};

struct RecordingShell : ShellActions {
    std::vector<std::string> Log;
    bool OpenUrl(const std::string &url) override
    {
        Log.push_back("url:" + url);
        return true;
    }
    void OpenFile(const std::string &path) override { Log.push_back("file:" + path); }
    void ShowInFileManager(const std::string &path) override { Log.push_back("show:" + path); }
    void ShowProperties(const std::string &path) override { Log.push_back("props:" + path); }
};

const char *SysDir = "C:\\windows\\system32";

struct Window : ::testing::Test {
    FakePlatform platform;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<MainFrame> frame;

    void SetUp() override
    {
        platform.SysDir = SysDir;
        platform.ExePath = "C:\\quorvex\\quorvex.exe";
        platform.Tables.TcpRecs = {
            FakeTcp("10.0.0.1", 80, "10.0.0.9", 5000, 5, 30, "gamma.exe", "C:\\apps\\gamma.exe"),
            FakeTcp("10.0.0.1", 81, "10.0.0.9", 5001, 2, 10, "alpha.exe", "C:\\windows\\system32\\alpha.exe"),
        };
        platform.Tables.UdpRecs = {FakeUdp("0.0.0.0", 53, 20, "beta.exe", ""),
                                   FakeUdp("0.0.0.0", 68, 40, "delta.exe", "C:\\apps\\delta.exe")};
    }

    void Make(const std::function<void(MainFrame &)> &beforeCreate = {})
    {
        frame = std::make_unique<MainFrame>(platform, prompts, shell, WindowsMainOptions());
        if (beforeCreate)
            beforeCreate(*frame);
        ASSERT_TRUE(frame->Create(nullptr));
        ShowWindow(frame->Handle(), SW_SHOWNORMAL);
        Pump();
    }

    void TearDown() override
    {
        if (frame && frame->Handle())
            DestroyWindow(frame->Handle());
        frame.reset();
        Pump();
    }

    static void Pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    // The place of a control relative to the main window's client area.
    RECT ClientPlace(HWND control) const
    {
        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, frame->Handle(), reinterpret_cast<POINT *>(&place), 2);
        return place;
    }

    int ItemOf(int column) const
    {
        const auto &shown = frame->ShownColumns();
        return static_cast<int>(std::find(shown.begin(), shown.end(), column) - shown.begin());
    }

    // Centre of a column's header item, in header coordinates.
    LPARAM HeaderPoint(int column) const
    {
        RECT item{};
        SendMessageW(frame->HeaderHandle(), HDM_GETITEMRECT, ItemOf(column), reinterpret_cast<LPARAM>(&item));
        return MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    }

    // Centre of a cell of the list, in list coordinates.
    LPARAM CellPoint(int row, int column) const
    {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageW(frame->ListHandle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        RECT item{};
        SendMessageW(frame->HeaderHandle(), HDM_GETITEMRECT, ItemOf(column), reinterpret_cast<LPARAM>(&item));
        return MAKELPARAM(bounds.left + (item.left + item.right) / 2, (bounds.top + bounds.bottom) / 2);
    }

    void Click(HWND window, UINT down, UINT up, LPARAM at) const
    {
        SendMessageW(window, down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, at);
        SendMessageW(window, up, 0, at);
    }

    std::wstring CellText(int row, int column) const
    {
        wchar_t buffer[512] = {};
        LVITEMW item{};
        item.iSubItem = ItemOf(column);
        item.pszText = buffer;
        item.cchTextMax = 512;
        SendMessageW(frame->ListHandle(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }

    // The list's client area as the list draws it, read pixel by pixel:
    // `pixel(row, column, dx)` is dx pixels left of the cell's right edge.
    template <typename Check>
    void WithListPainting(const Check &check) const
    {
        HWND list = frame->ListHandle();
        RECT client;
        GetClientRect(list, &client);
        HDC screen = GetDC(list);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        check([&](int row, int column, int dx) {
            RECT cell{};
            SendMessageW(frame->HeaderHandle(), HDM_GETITEMRECT, ItemOf(column), reinterpret_cast<LPARAM>(&cell));
            return GetPixel(memory, cell.right - dx, GET_Y_LPARAM(CellPoint(row, column)));
        });
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(list, screen);
    }

    // A key pressed in `target` as the program's message loop sees it,
    // with Ctrl held or not; true when the window took it as its own.
    bool Key(HWND target, WPARAM key, bool control = false) const
    {
        BYTE state[256] = {};
        GetKeyboardState(state);
        const BYTE before = state[VK_CONTROL];
        state[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(state);
        const MSG message{target, WM_KEYDOWN, key, 0, 0, {0, 0}};
        const bool taken = frame->TranslateKey(message);
        state[VK_CONTROL] = before;
        SetKeyboardState(state);
        return taken;
    }

    int RowOf(const std::string &processName) const
    {
        for (int row = 0; row < frame->List().RowCount(); ++row)
            if (frame->List().Record(row).ProcessName == processName)
                return row;
        return -1;
    }
};

std::wstring Wide(const std::string &utf8)
{
    return win::WideFromUtf8(utf8);
}

}  // namespace

// Also run with the ANSI code page 1252 (ctest: wingui_caption_cp1252),
// which has no Chinese characters: the caption must not pass through it.
TEST_F(Window, CaptionKeepsItsChineseWhateverTheCodePage)
{
    // The run that holds the fix says which code page it expects to be in.
    if (const char *expected = std::getenv("QUORVEX_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    Make();
    EXPECT_EQ(win::WindowText(frame->Handle()), Wide(ReplaceVersionTag(texts::InitialCaption, texts::Version)))
        << "ANSI code page " << GetACP();
    wchar_t className[64] = {};
    GetClassNameW(frame->Handle(), className, 64);
    EXPECT_STREQ(className, L"QuorvexMainWindow");
}

TEST_F(Window, ControlsSitWhereTheLayoutPutsThem)
{
    Make();
    if (frame->Dpi() != 96)
        GTEST_SKIP() << "the places are those of 96 dpi; this display has " << frame->Dpi();
    RECT client;
    GetClientRect(frame->Handle(), &client);
    EXPECT_EQ(client.right, layout::ClientWidth);
    EXPECT_EQ(client.bottom, layout::ClientHeight);
    const int bottomBar = layout::ClientHeight - layout::BottomBarHeight;
    for (const layout::ControlPlace &place : layout::BarControls) {
        if (place.Width == 0)
            continue;  // as wide as its text
        const RECT at = ClientPlace(frame->ControlHandle(place.Id));
        const int left = place.FromRight ? layout::ClientWidth - place.Left : place.Left;
        const int top = (place.InBar == layout::Bar::Top ? 0 : bottomBar) + place.Top;
        EXPECT_EQ(std::vector<long>({at.left, at.top, at.right - at.left, at.bottom - at.top}),
                  std::vector<long>({left, top, place.Width, place.Height}))
            << place.Name;
        EXPECT_FALSE(win::WindowText(frame->ControlHandle(place.Id)).empty()) << place.Name;
    }
    EXPECT_EQ(win::WindowText(frame->ControlHandle(BarControl::CBShowLocal)), Wide(texts::ShowLocalBox));
    EXPECT_EQ(win::WindowText(frame->ControlHandle(BarControl::BTNEndPro)), Wide(texts::EndProcessButton));
    const RECT list = ClientPlace(frame->ListHandle());
    EXPECT_EQ(std::vector<long>({list.left, list.top, list.right, list.bottom}),
              std::vector<long>({0, layout::TopBarHeight, layout::ClientWidth, bottomBar}));
    // The counters after the first fill: four rows, three programs with a path.
    EXPECT_EQ(win::WindowText(frame->CounterHandle(true)), L"3");
    EXPECT_EQ(win::WindowText(frame->CounterHandle(false)), L"4");
}

// Moved to a screen of 144 dpi, the window scales the layout by 1.5.
TEST_F(Window, ScalesWithTheScreensDensity)
{
    Make();
    const int dpi = frame->Dpi() * 3 / 2;
    RECT suggested;
    GetWindowRect(frame->Handle(), &suggested);
    suggested.right = suggested.left + layout::Scale(layout::ClientWidth + 20, dpi);
    suggested.bottom = suggested.top + layout::Scale(layout::ClientHeight + 40, dpi);
    SendMessageW(frame->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    const layout::ControlPlace &refresh = layout::PlaceOf(BarControl::BTNRefresh);
    const RECT at = ClientPlace(frame->ControlHandle(BarControl::BTNRefresh));
    EXPECT_EQ(at.left, layout::Scale(refresh.Left, dpi));
    EXPECT_EQ(at.right - at.left, layout::Scale(refresh.Width, dpi));
    EXPECT_EQ(SendMessageW(frame->ListHandle(), LVM_GETCOLUMNWIDTH, ItemOf(ColProcess), 0),
              layout::Scale(GetColumnInfo(ColProcess).Width, dpi));
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(frame->ListHandle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_EQ(row.bottom - row.top, layout::Scale(layout::RowHeight, dpi));
    RECT header;
    GetWindowRect(frame->HeaderHandle(), &header);
    EXPECT_EQ(header.bottom - header.top, layout::Scale(layout::HeaderHeight, dpi));
}

TEST_F(Window, ColumnsFollowTheTableAndRowsTheSort)
{
    Make();
    std::vector<int> visible;
    for (int column = 0; column < ColumnCount; ++column)
        if (GetColumnInfo(column).VisibleAtStart)
            visible.push_back(column);
    EXPECT_EQ(frame->ShownColumns(), visible);
    HWND header = frame->HeaderHandle();
    for (int column : visible) {
        wchar_t caption[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = caption;
        item.cchTextMax = 64;
        SendMessageW(header, HDM_GETITEMW, ItemOf(column), reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(std::wstring(caption), Wide(GetColumnInfo(column).Caption)) << column;
        EXPECT_EQ(SendMessageW(frame->ListHandle(), LVM_GETCOLUMNWIDTH, ItemOf(column), 0),
                  layout::Scale(GetColumnInfo(column).Width, frame->Dpi()))
            << column;
    }
    ASSERT_EQ(SendMessageW(frame->ListHandle(), LVM_GETITEMCOUNT, 0, 0), 4);
    std::vector<std::wstring> names;
    for (int row = 0; row < 4; ++row)
        names.push_back(CellText(row, ColProcess));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"alpha.exe", L"beta.exe", L"delta.exe", L"gamma.exe"}));
    EXPECT_EQ(CellText(1, ColState), L"");

    // The file-detail columns follow their box, right of the manage column.
    SendMessageW(frame->ControlHandle(BarControl::CBShowInfo), BM_CLICK, 0, 0);
    EXPECT_EQ(ItemOf(ColPath), ItemOf(ColManage) + 1);
    EXPECT_EQ(CellText(3, ColPath), L"C:\\apps\\gamma.exe");
    SendMessageW(frame->ControlHandle(BarControl::CBShowInfo), BM_CLICK, 0, 0);
    EXPECT_EQ(frame->ShownColumns(), visible);
}

TEST_F(Window, HeaderClickSortsAndAReleaseElsewhereGivesNoColumn)
{
    Make();
    HWND header = frame->HeaderHandle();
    auto glyph = [&](int column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, ItemOf(column), reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    };
    EXPECT_EQ(glyph(ColProcess), HDF_SORTUP);

    Click(header, WM_LBUTTONDOWN, WM_LBUTTONUP, HeaderPoint(ColLocalPort));
    EXPECT_EQ(frame->List().SortColumn(), ColLocalPort);
    EXPECT_EQ(frame->List().Direction(), SortDirection::Descending);
    EXPECT_EQ(glyph(ColLocalPort), HDF_SORTDOWN);
    EXPECT_EQ(CellText(0, ColLocalPort), L"81");

    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, HeaderPoint(ColProtocol));
    SendMessageW(header, WM_LBUTTONUP, 0, HeaderPoint(ColLocalIp));
    EXPECT_EQ(frame->List().SortColumn(), NoColumn);
    EXPECT_EQ(frame->List().Direction(), SortDirection::Ascending);
    EXPECT_EQ(glyph(ColLocalPort), 0);
    EXPECT_EQ(CellText(0, ColLocalPort), L"81");  // the order stays

    // The manage column's header changes nothing, and its width is fixed.
    Click(header, WM_LBUTTONDOWN, WM_LBUTTONUP, HeaderPoint(ColManage));
    EXPECT_EQ(frame->List().SortColumn(), NoColumn);
    SendMessageW(frame->ListHandle(), LVM_SETCOLUMNWIDTH, ItemOf(ColManage), MAKELPARAM(90, 0));
    EXPECT_EQ(SendMessageW(frame->ListHandle(), LVM_GETCOLUMNWIDTH, ItemOf(ColManage), 0),
              layout::Scale(GetColumnInfo(ColManage).Width, frame->Dpi()));
}

TEST_F(Window, SelectedRowIsGreenInTheListsOwnPainting)
{
    Make();
    const int row = RowOf("delta.exe");
    Click(frame->ListHandle(), WM_LBUTTONDOWN, WM_LBUTTONUP, CellPoint(row, ColProtocol));
    EXPECT_EQ(frame->List().SelectedRow(), row);
    // The focus elsewhere in the window: the row stays green.
    SetFocus(frame->ControlHandle(BarControl::CBShowLocal));

    WithListPainting([&](const auto &pixel) {
        EXPECT_EQ(pixel(row, ColRemoteIp, 3), win::ColourRef(layout::SelectedRowColour));
        EXPECT_EQ(pixel(row, ColManage, 2), win::ColourRef(layout::SelectedRowColour));  // right of the icon
        EXPECT_EQ(pixel(row == 0 ? 1 : 0, ColRemoteIp, 3), RGB(255, 255, 255));
    });
}

// With the option on, a refresh's added row is light green and the row it
// would delete light red; the selected row stays green.
TEST_F(Window, HighlightedChangesColourTheRowsButNotTheSelection)
{
    Make();
    frame->Controller().SetChecked(CheckBox::HighlightChanges, true);
    Click(frame->ListHandle(), WM_LBUTTONDOWN, WM_LBUTTONUP, CellPoint(RowOf("delta.exe"), ColProtocol));
    platform.Tables.UdpRecs.erase(platform.Tables.UdpRecs.begin());  // beta.exe
    platform.Tables.UdpRecs.push_back(FakeUdp("0.0.0.0", 69, 50, "epsilon.exe", "C:\\apps\\epsilon.exe"));
    SendMessageW(frame->ControlHandle(BarControl::BTNRefresh), BM_CLICK, 0, 0);
    Pump();
    const auto colour = [](Rgb rgb) { return RGB(rgb.Red, rgb.Green, rgb.Blue); };
    WithListPainting([&](const auto &pixel) {
        EXPECT_EQ(pixel(RowOf("epsilon.exe"), ColRemoteIp, 3), colour(AddedRowColour));
        EXPECT_EQ(pixel(RowOf("beta.exe"), ColRemoteIp, 3), colour(LeavingRowColour));
        EXPECT_EQ(pixel(RowOf("delta.exe"), ColRemoteIp, 3), win::ColourRef(layout::SelectedRowColour));
    });
}

// A refresh that removes rows above and below the visible ones and adds new
// ones: the list view keeps its top row number, and the selection and the
// focus stay on the record they were on.
TEST_F(Window, RefreshKeepsSelectionFocusAndScrollPosition)
{
    platform.Tables.TcpRecs.clear();
    platform.Tables.UdpRecs.clear();
    for (int i = 0; i < 300; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.exe", i);
        platform.Tables.UdpRecs.push_back(FakeUdp("0.0.0.0", 1000 + i, 100 + i, name, std::string("C:\\") + name));
    }
    Make();
    HWND list = frame->ListHandle();
    SendMessageW(list, LVM_ENSUREVISIBLE, 200, FALSE);
    const int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    ASSERT_GT(top, 100);
    const int chosen = top + 2;
    Click(list, WM_LBUTTONDOWN, WM_LBUTTONUP, CellPoint(chosen, ColLocalPort));
    const std::string name = frame->List().Record(chosen).ProcessName;

    auto &udp = platform.Tables.UdpRecs;
    udp.erase(udp.begin() + 280, udp.end());       // below the visible rows
    udp.erase(udp.begin() + 10, udp.begin() + 13);  // above them
    udp.push_back(FakeUdp("0.0.0.0", 9, 7, "zz.exe", "C:\\zz.exe"));
    SendMessageW(frame->ControlHandle(BarControl::BTNRefresh), BM_CLICK, 0, 0);
    Pump();

    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 278);
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), top);
    const int selected = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    ASSERT_EQ(selected, frame->List().SelectedRow());
    EXPECT_EQ(focused, selected);
    EXPECT_EQ(frame->List().Record(selected).ProcessName, name);
    EXPECT_EQ(CellText(selected, ColProcess), Wide(name));
    EXPECT_EQ(CellText(277, ColProcess), L"zz.exe");

    // The selected row scrolled off the page, then moved by a refresh: the
    // list keeps its top row all the same.
    SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    ASSERT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0);
    udp.erase(udp.begin(), udp.begin() + 5);
    SendMessageW(frame->ControlHandle(BarControl::BTNRefresh), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0);
    const int movedTo = frame->List().SelectedRow();
    EXPECT_EQ(frame->List().Record(movedTo).ProcessName, name);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), movedTo);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), movedTo);
}

// The keyboard: the arrows move the selection, typing searches the column
// last clicked, the menu key opens the focused row's menu.
TEST_F(Window, KeysMoveSearchAndOpenTheMenu)
{
    Make();
    HWND list = frame->ListHandle();
    Click(list, WM_LBUTTONDOWN, WM_LBUTTONUP, CellPoint(0, ColProcess));
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(frame->List().SelectedRow(), 1);
    EXPECT_EQ(frame->List().FocusedRow(), 1);
    SendMessageW(list, WM_CHAR, L'g', 0);
    EXPECT_EQ(frame->List().Record(frame->List().SelectedRow()).ProcessName, "gamma.exe");
    int opened = 0;
    frame->TrackMenu = [&](HMENU, POINT) -> UINT {
        ++opened;
        return 0;
    };
    SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
    EXPECT_EQ(opened, 1);
}

TEST_F(Window, RowMenuEnablesItsItemsByTheRowsPath)
{
    Make();
    struct Case {
        const char *process;
        std::set<RowCommand> enabled;
    };
    const Case cases[] = {
        // UDP without a path: nothing to close or to act on but the list.
        {"beta.exe", {RowCommand::Copy, RowCommand::Export}},
        {"gamma.exe",
         {RowCommand::ProcInfo, RowCommand::EndProc, RowCommand::CloseConnection, RowCommand::Copy,
          RowCommand::Locate, RowCommand::Property, RowCommand::Export}},
    };
    for (const Case &c : cases) {
        std::set<RowCommand> enabled;
        int items = 0;
        frame->TrackMenu = [&](HMENU menu, POINT) -> UINT {
            items = GetMenuItemCount(menu);
            for (const RowMenuItem &item : RowMenuItems)
                if (!item.Separator &&
                    !(GetMenuState(menu, MainFrame::MenuId(item.Command), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)))
                    enabled.insert(item.Command);
            return 0;
        };
        Click(frame->ListHandle(), WM_RBUTTONDOWN, WM_RBUTTONUP, CellPoint(RowOf(c.process), ColLocalIp));
        EXPECT_EQ(items, static_cast<int>(std::size(RowMenuItems))) << c.process;
        EXPECT_EQ(enabled, c.enabled) << c.process;
        EXPECT_EQ(frame->List().FocusedRow(), RowOf(c.process));
    }
}

// The options button's menu: its items drive the view options and show
// their state; the traffic option adds its columns at the end.
TEST_F(Window, OptionsMenuShowsTheTrafficColumns)
{
    platform.Tables.TcpRecs[0] = WithTraffic(platform.Tables.TcpRecs[0], 2048, 10);
    Make();
    std::vector<bool> checked;
    UINT answer = MainFrame::OptionMenuId(CheckBox::ShowTraffic);
    frame->TrackMenu = [&](HMENU menu, POINT) -> UINT {
        checked.clear();
        for (const CheckBox option : ViewOptions)
            checked.push_back(GetMenuState(menu, MainFrame::OptionMenuId(option), MF_BYCOMMAND) & MF_CHECKED);
        return answer;
    };
    HWND button = frame->ControlHandle(BarControl::BTNOptions);
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(checked, std::vector<bool>(std::size(ViewOptions), false));
    EXPECT_TRUE(frame->Controller().Option(CheckBox::ShowTraffic));
    const auto &shown = frame->ShownColumns();
    ASSERT_GE(shown.size(), std::size(TrafficColumns));
    EXPECT_TRUE(std::equal(std::begin(TrafficColumns), std::end(TrafficColumns), shown.end() - 3));
    EXPECT_EQ(CellText(RowOf("gamma.exe"), ColSent), Wide(VTSGetText(&frame->List().Record(RowOf("gamma.exe")), ColSent)));
    EXPECT_FALSE(CellText(RowOf("gamma.exe"), ColSent).empty());

    answer = 0;
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(checked, (std::vector<bool>{false, true, false}));
}

// Ctrl+F opens the filter field in the top bar's free room; typing narrows
// the list and the field counts the rows; Escape clears it and shows all.
TEST_F(Window, FilterFieldNarrowsTheListUntilEscape)
{
    Make();
    HWND field = frame->FilterHandle();
    HWND list = frame->ListHandle();
    EXPECT_FALSE(IsWindowVisible(field));
    EXPECT_FALSE(Key(list, 'F'));
    ASSERT_TRUE(Key(list, 'F', true));
    EXPECT_TRUE(IsWindowVisible(field));
    EXPECT_EQ(GetFocus(), field);
    EXPECT_LT(ClientPlace(frame->CounterHandle(false)).right, ClientPlace(field).left);
    EXPECT_LT(ClientPlace(field).right, ClientPlace(frame->ControlHandle(BarControl::BTNOptions)).left);

    SetWindowTextW(field, L"ALP");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(CellText(0, ColProcess), L"alpha.exe");
    EXPECT_EQ(win::WindowText(frame->FilterCountHandle()), L"1 / 4");
    EXPECT_TRUE(IsWindowVisible(frame->FilterCountHandle()));
    SendMessageW(frame->Handle(), WM_TIMER, 1, 0);  // the refresh timer's tick
    EXPECT_EQ(GetFocus(), field);

    ASSERT_TRUE(Key(field, VK_ESCAPE));
    EXPECT_FALSE(IsWindowVisible(field));
    EXPECT_EQ(win::WindowText(field), L"");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_FALSE(Key(list, VK_ESCAPE));  // no field: the key is the list's
}

// Ctrl+S saves the rows as shown in the form of the type chosen.
TEST_F(Window, ExportWritesTheChosenFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("quorvex-export-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Make();
    frame->AskSaveFile = [&](std::wstring &path, int &type) {
        path = (dir / "rows").wstring();
        type = 1;  // JSON
        return true;
    };
    ASSERT_TRUE(Key(frame->ListHandle(), 'S', true));
    std::stringstream text;
    {
        std::ifstream file(dir / "rows.json", std::ios::binary);
        text << file.rdbuf();
    }
    EXPECT_EQ(text.str().substr(0, 1), "[");
    EXPECT_NE(text.str().find("\"gamma.exe\""), std::string::npos);
    EXPECT_TRUE(prompts.Log.empty());
    std::filesystem::remove_all(dir);
}

TEST_F(Window, CheckBoxChangesTheSettingsFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("quorvex-wingui-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    platform.ExePath = (dir / "quorvex.exe").string();
    Make([](MainFrame &f) { BindSettingsFile(f.Controller()); });
    SendMessageW(frame->ControlHandle(BarControl::CBAutoRefresh), BM_CLICK, 0, 0);
    EXPECT_TRUE(frame->Controller().AutoRefresh());
    std::stringstream text;
    {
        std::ifstream file(dir / "Quorvex.ini", std::ios::binary);
        text << file.rdbuf();
    }
    EXPECT_EQ(text.str(), "[Set]\r\nAutoRefresh=1\r\n");
    EXPECT_TRUE(prompts.Log.empty());
    DestroyWindow(frame->Handle());
    std::filesystem::remove_all(dir);
}

TEST_F(Window, EndProcessAsksThroughThePromptsAndRefreshes)
{
    struct Case {
        const char *process;
        bool answer;
        std::vector<std::string> prompts;
        size_t terminated;
    };
    const Case cases[] = {
        {"alpha.exe", false, {std::string("ask:") + texts::EndSystemConfirmMsg + ":no"}, 0},
        {"alpha.exe", true, {std::string("ask:") + texts::EndSystemConfirmMsg + ":no"}, 1},
        {"gamma.exe", true, {}, 1},
        // Its menu had the item disabled: nothing happens.
        {"beta.exe", true, {}, 0},
    };
    Make();
    for (const Case &c : cases) {
        prompts.Log.clear();
        prompts.Answer = c.answer;
        platform.Terminated.clear();
        const int snapshots = platform.SnapshotCount;
        frame->TrackMenu = [](HMENU, POINT) { return MainFrame::MenuId(RowCommand::EndProc); };
        Click(frame->ListHandle(), WM_RBUTTONDOWN, WM_RBUTTONUP, CellPoint(RowOf(c.process), ColLocalIp));
        EXPECT_EQ(prompts.Log, c.prompts) << c.process;
        EXPECT_EQ(platform.Terminated.size(), c.terminated) << c.process;
        EXPECT_EQ(platform.SnapshotCount - snapshots, static_cast<int>(c.terminated)) << c.process;
    }
    // The bottom bar's button acts like the item: the last menu was for a
    // row without a path, so it does nothing now.
    prompts.Log.clear();
    SendMessageW(frame->ControlHandle(BarControl::BTNEndPro), BM_CLICK, 0, 0);
    EXPECT_TRUE(prompts.Log.empty());
}

TEST_F(Window, DetailsDialogShowsTheRowsTexts)
{
    Make();
    const int row = RowOf("gamma.exe");
    const ProcInfoTexts expected = MakeProcInfoTexts(frame->List().Record(row));
    std::vector<std::wstring> shown;
    std::wstring caption;
    RECT client{};
    frame->OnProcInfoShown = [&](HWND dialog) {
        caption = win::WindowText(dialog);
        GetClientRect(dialog, &client);
        for (layout::InfoControl control : {layout::InfoControl::LabExe, layout::InfoControl::LabExeDes,
                                            layout::InfoControl::LabPID, layout::InfoControl::Labcomp,
                                            layout::InfoControl::EPath, layout::InfoControl::BTNOK})
            shown.push_back(win::WindowText(GetDlgItem(dialog, ProcInfoControlId(control))));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    // A double click on the row: the details item, enabled since start.
    SendMessageW(frame->ListHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, CellPoint(row, ColLocalIp));
    SendMessageW(frame->ListHandle(), WM_LBUTTONUP, 0, CellPoint(row, ColLocalIp));
    EXPECT_EQ(caption, Wide(texts::ProcInfoCaption));
    EXPECT_EQ(shown, (std::vector<std::wstring>{win::WideFromAnsi(expected.Exe), win::WideFromAnsi(expected.ExeDes),
                                                win::WideFromAnsi(expected.Pid), win::WideFromAnsi(expected.Comp),
                                                win::WideFromAnsi(expected.Path), Wide(texts::ProcInfoOkButton)}));
    if (frame->Dpi() == 96) {
        EXPECT_EQ(client.right, layout::ProcInfoWidth);
        EXPECT_EQ(client.bottom, layout::ProcInfoHeight);
    }
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CreatePlatform();  // the system's text conversions, as quorvex.exe has them
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
