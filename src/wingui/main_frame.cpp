#include "wingui/main_frame.h"

#include <algorithm>
#include <string>

#include <commdlg.h>

#include <windowsx.h>
#include <commctrl.h>
#include <oleacc.h>

#include "core/columns.h"
#include "core/fixed_texts.h"
#include "core/image_list_ex.h"
#include "core/list_export.h"
#include "core/process_commands.h"
#include "platform/atomic_file.h"
#include "wingui/accessibility.h"
#include "wingui/proc_info_dialog.h"
#include "wingui/resource_ids.h"
#include "wingui/shell_icons.h"
#include "wingui/win_text.h"
#include "wingui/win_ui.h"

namespace quorvex {

namespace {

using layout::BarControl;

constexpr wchar_t WindowClass[] = L"QuorvexMainWindow";
constexpr int ListId = 1200;
constexpr int FilterId = 1300;
constexpr int FilterCountId = 1301;
constexpr int CounterLineId = 1100;
constexpr int ControlIdBase = 1000;
constexpr UINT_PTR RefreshTimerId = 1;
constexpr UINT MenuIdBase = 100;
constexpr UINT OptionMenuIdBase = 200;
constexpr int FilterCountPadding = 4;  // between the count and the field's right edge, at 96 dpi

int ControlIndex(BarControl control)
{
    for (size_t i = 0; i < std::size(layout::BarControls); ++i)
        if (layout::BarControls[i].Id == control)
            return static_cast<int>(i);
    return 0;
}

// The fixed text each control of the bars shows.
const char *ControlText(BarControl control)
{
    switch (control) {
    case BarControl::BTNOptions: return texts::OptionsButton;
    case BarControl::BTNHelp: return texts::HelpButton;
    case BarControl::BTNUpdate: return texts::UpdateButton;
    case BarControl::BTNHomePage: return texts::HomePageButton;
    case BarControl::CBShowLocal: return texts::ShowLocalBox;
    case BarControl::CBAutoRefresh: return texts::AutoRefreshBox;
    case BarControl::CBAlwaysTop: return texts::AlwaysTopBox;
    case BarControl::BTNRefresh: return texts::RefreshButton;
    case BarControl::BTNEndPro: return texts::EndProcessButton;
    case BarControl::CBShowInfo: return texts::ShowInfoBox;
    case BarControl::Label6: return texts::MailLabel;
    case BarControl::RzURLLabel1: return texts::ContactAddress;
    }
    return "";
}

bool BoxOf(BarControl control, CheckBox &box)
{
    switch (control) {
    case BarControl::CBShowLocal: box = CheckBox::ShowLocal; return true;
    case BarControl::CBAutoRefresh: box = CheckBox::AutoRefresh; return true;
    case BarControl::CBAlwaysTop: box = CheckBox::AlwaysTop; return true;
    case BarControl::CBShowInfo: box = CheckBox::ShowInfo; return true;
    default: return false;
    }
}

BarControl BoxControl(CheckBox box)
{
    switch (box) {
    case CheckBox::ShowLocal: return BarControl::CBShowLocal;
    case CheckBox::AutoRefresh: return BarControl::CBAutoRefresh;
    case CheckBox::AlwaysTop: return BarControl::CBAlwaysTop;
    default: break;
    }
    return BarControl::CBShowInfo;
}

bool IsButton(BarControl control)
{
    switch (control) {
    case BarControl::BTNOptions:
    case BarControl::BTNHelp:
    case BarControl::BTNUpdate:
    case BarControl::BTNHomePage:
    case BarControl::BTNRefresh:
    case BarControl::BTNEndPro: return true;
    default: return false;
    }
}

// "%1" replaced by the number: the counters' accessible names.
std::wstring CounterName(const char *pattern, int value)
{
    std::wstring name = win::WideFromUtf8(pattern);
    const size_t tag = name.find(L"%1");
    if (tag != std::wstring::npos)
        name.replace(tag, 2, std::to_wstring(value));
    return name;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    static const bool registered = [instance, procedure] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = procedure;
        wc.hInstance = instance;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUORVEX));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUORVEX), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = nullptr;
        wc.lpszClassName = WindowClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

UINT MainFrame::MenuId(RowCommand command)
{
    return MenuIdBase + static_cast<UINT>(command);
}

UINT MainFrame::OptionMenuId(CheckBox option)
{
    return OptionMenuIdBase + static_cast<UINT>(option);
}

MainFrame::MainFrame(Platform &platform, Prompts &prompts, ShellActions &shell, MainOptions options)
    : m_controller(platform, m_list, *this, prompts, shell, std::move(options)),
      m_window(m_list, m_controller, *this), m_view(m_window.Rows(), m_window), m_shell(shell)
{
    m_controller.Hooks.CreateIconCaches = [this] { CreateIconCaches(); };
    m_window.SetToolsPort(this);
    m_window.SetExportWriter([](const std::string &path, std::string_view data, std::string &why) {
        return WriteFileAtomically(path, data, why);
    });
}

MainFrame::~MainFrame()
{
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    for (HMENU menu : {m_rowMenu, m_optionsMenu})
        if (menu)
            DestroyMenu(menu);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(m_font), static_cast<HGDIOBJ>(m_boldFont),
                           static_cast<HGDIOBJ>(m_linkFont), static_cast<HGDIOBJ>(m_barBrush),
                           static_cast<HGDIOBJ>(m_manage)})
        if (object)
            DeleteObject(object);
}

HWND MainFrame::ControlHandle(BarControl control) const
{
    return m_controls[static_cast<size_t>(ControlIndex(control))];
}

HWND MainFrame::CounterHandle(bool programs) const
{
    return m_counterLine[programs ? 1 : 3];
}

bool MainFrame::Create(HWND owner)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(instance, &WindowProc);
    // On top of other windows from the start, as the always-on-top box says.
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    const std::wstring caption = win::WideFromUtf8(texts::InitialCaption);
    m_hwnd = CreateWindowExW(exStyle, WindowClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, this);
    if (!m_hwnd)
        return false;
    m_dpi = win::WindowDpi(m_hwnd);

    // The client area's size, centred on the work area of its screen.
    RECT frame{0, 0, layout::Scale(layout::ClientWidth, m_dpi), layout::Scale(layout::ClientHeight, m_dpi)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT &work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    m_barBrush = CreateSolidBrush(win::ColourRef(layout::BarColour));
    m_manage = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_MANAGE), IMAGE_BITMAP, 0, 0, 0));
    CreateFonts();
    CreateControls();
    m_view.SetManageBitmap(m_manage);
    Layout();
    SetCounters(0, 0);

    Run([this] { m_controller.FormCreate(); });
    return true;
}

void MainFrame::RunMessageLoop(MainFrame &frame)
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (frame.TranslateKey(message))
            continue;
        if (frame.Handle() && IsDialogMessageW(frame.Handle(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void MainFrame::Show(int showCommand)
{
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
    SetFocus(m_view.Handle());
}

void MainFrame::CreateFonts()
{
    for (HFONT *font : {&m_font, &m_boldFont, &m_linkFont})
        if (*font)
            DeleteObject(*font);
    m_font = win::MakeFont(layout::FontFace, layout::FontHeight, m_dpi);
    m_boldFont = win::MakeFont(layout::FontFace, layout::FontHeight, m_dpi, true);
    m_linkFont = win::MakeFont(layout::MailLinkFontFace, layout::FontHeight, m_dpi, false, true);
}

void MainFrame::CreateControls()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const char *line[] = {texts::CountersBefore, "0", texts::CountersBetween, "0", texts::CountersAfter};
    for (size_t i = 0; i < m_counterLine.size(); ++i) {
        const std::wstring text = win::WideFromUtf8(line[i]);
        m_counterLine[i] = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                           0, 0, 0, 0, m_hwnd,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(CounterLineId + i)),
                                           instance, nullptr);
        SendMessageW(m_counterLine[i], WM_SETFONT,
                     reinterpret_cast<WPARAM>(i == 1 || i == 3 ? m_boldFont : m_font), FALSE);
    }

    for (size_t i = 0; i < std::size(layout::BarControls); ++i) {
        const layout::ControlPlace &place = layout::BarControls[i];
        const std::wstring text = win::WideFromUtf8(ControlText(place.Id));
        DWORD style = WS_CHILD | WS_VISIBLE;
        const wchar_t *windowClass = L"BUTTON";
        CheckBox box{};
        if (IsButton(place.Id)) {
            style |= WS_TABSTOP | BS_OWNERDRAW;
        } else if (BoxOf(place.Id, box)) {
            style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        } else if (place.Id == BarControl::Label6) {
            windowClass = L"STATIC";
            style |= SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX;
        } else {
            windowClass = L"STATIC";
            style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
        }
        HWND control = CreateWindowExW(0, windowClass, text.c_str(), style, 0, 0, 0, 0, m_hwnd,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdBase + i)), instance,
                                       nullptr);
        m_controls[i] = control;
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(place.Id == BarControl::RzURLLabel1 ? m_linkFont : m_font), FALSE);
        if (IsButton(place.Id))
            win::EnableHotTracking(control);
        if (BoxOf(place.Id, box))
            SendMessageW(control, BM_SETCHECK, m_controller.IsChecked(box) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    win::SetAccessibleName(ControlHandle(BarControl::RzURLLabel1), win::WideFromUtf8(texts::ContactAddress),
                           ROLE_SYSTEM_LINK);

    CreateFilterField();

    // The list comes after the bars in the tab order, as it lies between them.
    m_view.Create(m_hwnd, ListId, m_dpi);
    win::SetAccessibleName(m_view.Handle(), win::WideFromUtf8(texts::ListAccessibleName));

    m_rowMenu = CreatePopupMenu();
    for (const RowMenuItem &item : RowMenuItems) {
        if (item.Separator) {
            AppendMenuW(m_rowMenu, MF_SEPARATOR, 0, nullptr);
        } else {
            std::wstring caption = win::WideFromUtf8(item.Caption);
            if (item.Key)
                caption += L"\t" + win::WideFromUtf8(item.Key);
            AppendMenuW(m_rowMenu, MF_STRING, MenuId(item.Command), caption.c_str());
        }
    }
    m_optionsMenu = CreatePopupMenu();
    for (const CheckBox option : ViewOptions) {
        const std::wstring caption = win::WideFromUtf8(OptionCaption(option));
        AppendMenuW(m_optionsMenu, MF_STRING | (m_controller.IsChecked(option) ? MF_CHECKED : MF_UNCHECKED),
                    OptionMenuId(option), caption.c_str());
    }
    CreateTooltips();
}

void MainFrame::CreateFilterField()
{
    // Hidden until Ctrl+F. The count lies over the field's right end, above
    // it in the z-order; the field leaves it alone (WS_CLIPSIBLINGS) and
    // keeps its text short of it (its right margin).
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_filter = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_TABSTOP | WS_BORDER | WS_CLIPSIBLINGS | ES_AUTOHSCROLL,
                               0, 0, 0, 0, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(FilterId)), instance,
                               nullptr);
    m_filterCount = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0, 0, 0,
                                    m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(FilterCountId)), instance,
                                    nullptr);
    for (HWND control : {m_filter, m_filterCount})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    SendMessageW(m_filter, EM_SETCUEBANNER, FALSE,
                 reinterpret_cast<LPARAM>(win::WideFromUtf8(texts::FilterPlaceholder).c_str()));
    win::SetAccessibleName(m_filter, win::WideFromUtf8(texts::FilterPlaceholder));
}

void MainFrame::CreateTooltips()
{
    m_tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!m_tips)
        return;
    SendMessageW(m_tips, TTM_SETMAXTIPWIDTH, 0, 400);
    const std::pair<HWND, const char *> tips[] = {{ControlHandle(BarControl::BTNOptions), texts::OptionsToolTip},
                                                  {m_filter, texts::FilterToolTip}};
    for (const auto &[control, text] : tips) {
        // The control copies the text.
        std::wstring wide = win::WideFromUtf8(text);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = wide.data();
        SendMessageW(m_tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainFrame::Layout()
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int top = layout::Scale(layout::TopBarHeight, m_dpi);
    const int bottom = layout::Scale(layout::BottomBarHeight, m_dpi);
    const int bottomBar = height - bottom;

    LayoutCounters();
    for (size_t i = 0; i < std::size(layout::BarControls); ++i) {
        const layout::ControlPlace &place = layout::BarControls[i];
        const int barTop = place.InBar == layout::Bar::Top ? 0 : bottomBar;
        const int barHeight = place.InBar == layout::Bar::Top ? top : bottom;
        int x = place.FromRight ? width - layout::Scale(place.Left, m_dpi) : layout::Scale(place.Left, m_dpi);
        int y = barTop + layout::Scale(place.Top, m_dpi);
        int w = layout::Scale(place.Width, m_dpi);
        int h = layout::Scale(place.Height, m_dpi);
        if (place.Width == 0) {
            const SIZE size = win::TextExtent(m_linkFont, win::WindowText(m_controls[i]));
            w = size.cx;
            h = size.cy;
            y = barTop + (barHeight - h) / 2;
        }
        SetWindowPos(m_controls[i], nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(m_view.Handle(), nullptr, 0, top, width, std::max(0, bottomBar - top), SWP_NOZORDER | SWP_NOACTIVATE);
    // The controls that moved with the right edge are drawn anew, not from
    // bits copied from their old places.
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainFrame::LayoutCounters()
{
    // One label after the other from the left edge, each as wide as its
    // text, centred in the bar.
    const int bar = layout::Scale(layout::TopBarHeight, m_dpi);
    int x = 0;
    for (size_t i = 0; i < m_counterLine.size(); ++i) {
        const SIZE size = win::TextExtent(i == 1 || i == 3 ? m_boldFont : m_font, win::WindowText(m_counterLine[i]));
        SetWindowPos(m_counterLine[i], nullptr, x, (bar - size.cy) / 2, size.cx, size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        x += size.cx;
    }
    m_sentenceRight = x;
    LayoutFilterField();
}

void MainFrame::LayoutFilterField()
{
    if (!m_filter)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    const layout::Span span = layout::FilterFieldSpan(client.right, m_sentenceRight, m_dpi);
    const int height = layout::Scale(layout::FilterFieldHeight, m_dpi);
    const int top = (layout::Scale(layout::TopBarHeight, m_dpi) - height) / 2;
    SetWindowPos(m_filter, nullptr, span.Left, top, span.Width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    // The count inside the field's border, at its right end.
    const std::wstring count = win::WindowText(m_filterCount);
    const int padding = layout::Scale(FilterCountPadding, m_dpi);
    const int width = count.empty() ? 0 : win::TextExtent(m_font, count).cx;
    RECT inside;
    GetClientRect(m_filter, &inside);
    MapWindowPoints(m_filter, m_hwnd, reinterpret_cast<POINT *>(&inside), 2);
    SetWindowPos(m_filterCount, HWND_TOP, inside.right - padding - width, inside.top, width,
                 inside.bottom - inside.top, SWP_NOACTIVATE);
    SendMessageW(m_filter, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width ? width + 2 * padding : 0));
    // The field's own state, whether or not the window shows yet.
    const bool fieldShown = GetWindowLongPtrW(m_filter, GWL_STYLE) & WS_VISIBLE;
    ShowWindow(m_filterCount, width && fieldShown ? SW_SHOWNA : SW_HIDE);
}

void MainFrame::CreateIconCaches()
{
    // Both sizes ask the shell for the same indexes, as its small and large
    // system lists share them.
    m_largeSource = std::make_unique<ShellIconSource>(32);
    m_largeIcons = std::make_unique<TImageListEx>(32, 32, *m_largeSource);
    m_smallSource = std::make_unique<ShellIconSource>(16);
    m_smallIcons = std::make_unique<TImageListEx>(16, 16, *m_smallSource);
    m_view.SetSmallIcons(m_smallIcons.get(), m_smallSource->Images());
}

LRESULT CALLBACK MainFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
        auto *self = static_cast<MainFrame *>(create->lpCreateParams);
        self->m_hwnd = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<MainFrame *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT MainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && m_view.Handle())
            Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto *limits = reinterpret_cast<MINMAXINFO *>(lParam);
        RECT frame{0, 0, layout::Scale(layout::MinClientWidth, m_dpi), layout::Scale(layout::MinClientHeight, m_dpi)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)));
        limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(m_hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, m_barBrush);
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == m_filterCount) {
            // Inside the field: its white, the count in grey.
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, win::ColourRef(layout::FilterCountColour));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        [[fallthrough]];
    case WM_CTLCOLORBTN:
        return OnColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == ControlHandle(BarControl::RzURLLabel1)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_DRAWITEM: {
        auto *item = reinterpret_cast<DRAWITEMSTRUCT *>(lParam);
        if (item->CtlType == ODT_LISTVIEW)
            m_view.OnDrawItem(*item);
        else if (item->CtlType == ODT_BUTTON)
            win::DrawHotButton(*item, win::ColourRef(layout::ButtonFace), m_font);
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto *item = reinterpret_cast<MEASUREITEMSTRUCT *>(lParam);
        if (item->CtlType == ODT_LISTVIEW)
            m_view.OnMeasureItem(*item);
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto *header = reinterpret_cast<const NMHDR *>(lParam);
        LRESULT result = 0;
        if (header && header->hwndFrom == m_view.Handle() && m_view.OnNotify(*header, result))
            return result;
        break;
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == RefreshTimerId)
            Run([this] { m_controller.Timer1Timer(); });
        return 0;
    case WM_ACTIVATE:
        // Back to the control that had the focus when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(m_hwnd, focus))
                m_lastFocus = focus;
        } else if (!HIWORD(wParam)) {
            SetFocus(m_lastFocus && IsWindow(m_lastFocus) ? m_lastFocus : m_view.Handle());
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        // The application window carries the taskbar button: minimising
        // the main window minimises it, which hides the windows it owns.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && GetWindow(m_hwnd, GW_OWNER)) {
            ShowWindow(GetWindow(m_hwnd, GW_OWNER), SW_MINIMIZE);
            return 0;
        }
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION: {
        bool mayEnd = false;
        Run([&] { mayEnd = m_controller.SessionEndQuery(); });
        return mayEnd ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
        if (!wParam) {
            m_controller.SessionEndCancelled();
        } else {
            bool mayClose = false;
            Run([&] { mayClose = m_controller.FormCloseQuery(MainController::CloseCause::SessionEnd); });
            if (mayClose)
                DestroyWindow(m_hwnd);
        }
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_DESTROY:
        KillTimer(m_hwnd, RefreshTimerId);
        return 0;
    case WM_NCDESTROY: {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        m_hwnd = nullptr;
        if (OnDestroyed)
            OnDestroyed();
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT MainFrame::OnColour(HDC dc, HWND control)
{
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    if (control == CounterHandle(true))
        text = win::ColourRef(layout::AppCountColour);
    else if (control == CounterHandle(false))
        text = win::ColourRef(layout::NetCountColour);
    else if (control == ControlHandle(BarControl::RzURLLabel1))
        text = win::ColourRef(m_mailVisited ? layout::MailLinkVisitedColour : layout::MailLinkColour);
    SetTextColor(dc, text);
    SetBkColor(dc, win::ColourRef(layout::BarColour));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(m_barBrush);
}

void MainFrame::OnCommand(int id, int code, HWND control)
{
    if (id == FilterId) {
        // Only the user's edits: the field's text set by the program is not one.
        if (code == EN_CHANGE && !m_settingFilter)
            m_window.FilterEdited(win::AnsiFromWide(win::WindowText(m_filter)));
        return;
    }
    const int index = id - ControlIdBase;
    if (!control || index < 0 || index >= static_cast<int>(std::size(layout::BarControls)))
        return;
    const BarControl which = layout::BarControls[static_cast<size_t>(index)].Id;
    CheckBox box{};
    if (BoxOf(which, box)) {
        if (code == BN_CLICKED) {
            const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
            Run([&] { m_controller.SetChecked(box, checked); });
        }
        return;
    }
    if (which == BarControl::RzURLLabel1) {
        if (code != STN_CLICKED)
            return;
        bool taken = false;
        Run([&] { taken = m_controller.MailLinkClick(); });
        if (taken && !m_mailVisited) {
            m_mailVisited = true;
            InvalidateRect(control, nullptr, TRUE);
        }
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (which) {
    case BarControl::BTNOptions: OpenOptionsMenu(); break;
    case BarControl::BTNHelp: Run([this] { m_controller.BTNHelpClick(); }); break;
    case BarControl::BTNUpdate: Run([this] { m_controller.BTNUpdateClick(); }); break;
    case BarControl::BTNHomePage: Run([this] { m_controller.BTNHomePageClick(); }); break;
    case BarControl::BTNRefresh: Run([this] { m_controller.BTNRefreshClick(); }); break;
    case BarControl::BTNEndPro: Run([this] { m_controller.BTNEndProClick(); }); break;
    default: break;
    }
}

bool MainFrame::TranslateKey(const MSG &message)
{
    if (message.message != WM_KEYDOWN || !m_hwnd || (message.hwnd != m_hwnd && !IsChild(m_hwnd, message.hwnd)))
        return false;
    const bool control = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0;
    if (control && message.wParam == 'F') {
        m_window.FilterKey();
        return true;
    }
    if (control && message.wParam == 'S') {
        m_window.ExportList();
        return true;
    }
    if (message.wParam == VK_ESCAPE && m_window.FilterFieldShown()) {
        m_window.FilterEscape();
        return true;
    }
    return false;
}

UINT MainFrame::TrackPopup(HMENU menu, POINT at)
{
    if (TrackMenu)
        return TrackMenu(menu, at);
    // The menu closes on a click elsewhere only when its owner is the
    // foreground window.
    SetForegroundWindow(m_hwnd);
    const auto chosen = static_cast<UINT>(
        TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, m_hwnd, nullptr));
    PostMessageW(m_hwnd, WM_NULL, 0, 0);
    return chosen;
}

void MainFrame::OpenOptionsMenu()
{
    // Below the button, as a drop-down.
    RECT button;
    GetWindowRect(ControlHandle(BarControl::BTNOptions), &button);
    const UINT chosen = TrackPopup(m_optionsMenu, {button.left, button.bottom});
    for (const CheckBox option : ViewOptions) {
        if (chosen != OptionMenuId(option))
            continue;
        const bool checked = !(GetMenuState(m_optionsMenu, chosen, MF_BYCOMMAND) & MF_CHECKED);
        Run([&] { m_controller.SetChecked(option, checked); });
    }
}

void MainFrame::OnClose()
{
    // The close button, the system menu and Alt+F4 all come here.
    bool mayClose = false;
    Run([&] { mayClose = m_controller.FormCloseQuery(MainController::CloseCause::User); });
    if (mayClose)
        DestroyWindow(m_hwnd);
}

void MainFrame::OnDpiChanged(int dpi, const RECT &suggested)
{
    if (dpi <= 0)
        return;
    m_dpi = dpi;
    CreateFonts();
    for (size_t i = 0; i < m_counterLine.size(); ++i)
        SendMessageW(m_counterLine[i], WM_SETFONT, reinterpret_cast<WPARAM>(i == 1 || i == 3 ? m_boldFont : m_font),
                     FALSE);
    for (size_t i = 0; i < m_controls.size(); ++i)
        SendMessageW(m_controls[i], WM_SETFONT,
                     reinterpret_cast<WPARAM>(layout::BarControls[i].Id == BarControl::RzURLLabel1 ? m_linkFont
                                                                                                   : m_font),
                     FALSE);
    for (HWND control : {m_filter, m_filterCount})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    m_view.SetDpi(dpi);
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void MainFrame::SetRefreshEnabled(bool enabled)
{
    EnableWindow(ControlHandle(BarControl::BTNRefresh), enabled ? TRUE : FALSE);
}

void MainFrame::StartRefreshTimer()
{
    // Setting the timer again begins a new interval.
    SetTimer(m_hwnd, RefreshTimerId, RefreshIntervalMs, nullptr);
}

void MainFrame::StopRefreshTimer()
{
    KillTimer(m_hwnd, RefreshTimerId);
}

void MainFrame::SetCheckBox(CheckBox box, bool checked)
{
    if (IsViewOption(box)) {
        if (m_optionsMenu)
            CheckMenuItem(m_optionsMenu, OptionMenuId(box), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
        return;
    }
    SendMessageW(ControlHandle(BoxControl(box)), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainFrame::SetTopmost(bool topmost)
{
    RECT place;
    GetWindowRect(m_hwnd, &place);
    SetWindowPos(m_hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, 0);
}

void MainFrame::SetCounters(int appCount, int netCount)
{
    // Most refreshes leave the counters as they were.
    if (appCount == m_appCount && netCount == m_netCount)
        return;
    m_appCount = appCount;
    m_netCount = netCount;
    SetWindowTextW(CounterHandle(true), std::to_wstring(appCount).c_str());
    SetWindowTextW(CounterHandle(false), std::to_wstring(netCount).c_str());
    win::SetAccessibleName(CounterHandle(true), CounterName(texts::AppCountAccessibleName, appCount));
    win::SetAccessibleName(CounterHandle(false), CounterName(texts::NetCountAccessibleName, netCount));
    LayoutCounters();
    for (HWND label : m_counterLine)
        InvalidateRect(label, nullptr, TRUE);
}

std::string MainFrame::Caption() const
{
    return win::Utf8FromWide(win::WindowText(m_hwnd));
}

void MainFrame::SetCaption(const std::string &caption)
{
    SetWindowTextW(m_hwnd, win::WideFromUtf8(caption).c_str());
}

void MainFrame::FocusList()
{
    SetFocus(m_view.Handle());
}

bool MainFrame::FilterFieldHasFocus() const
{
    // While the window is inactive, the control it gives the focus back to.
    HWND focus = GetFocus();
    if (!focus || !IsChild(m_hwnd, focus))
        focus = m_lastFocus;
    return focus && focus == m_filter && IsWindowVisible(m_filter);
}

void MainFrame::SetInfoColumnsVisible(bool visible)
{
    m_view.SetColumnsVisible(InfoColumns, visible);
}

void MainFrame::SetTrafficColumnsVisible(bool visible)
{
    m_view.SetColumnsVisible(TrafficColumns, visible);
}

void MainFrame::RepaintList()
{
    m_window.ShowSelection();
    m_view.Repaint();
}

void MainFrame::CopyRowReport(const TMyRec &rec)
{
    // The report is in the ANSI code page; the clipboard takes it as UTF-16
    // and offers the other text forms from that.
    const std::wstring text = win::WideFromAnsi(RowReportText(rec));
    if (!OpenClipboard(m_hwnd))
        return;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void *target = GlobalLock(memory)) {
            memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory))
                GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void MainFrame::ShowProcessInfo(const TMyRec &rec)
{
    HICON icon = nullptr;
    if (m_largeIcons && m_largeSource) {
        const int index = m_largeIcons->GetFileIconIndex(rec.ProcessPath);
        if (index >= 0)
            icon = ImageList_GetIcon(m_largeSource->Images(), index, ILD_NORMAL);
    }
    ShowProcInfoDialog(m_hwnd, MakeProcInfoTexts(rec), icon, m_shell, OnProcInfoShown);
    if (icon)
        DestroyIcon(icon);
}

void MainFrame::ShowSelection(int selectedRow, int focusedRow)
{
    m_view.ShowSelection(selectedRow, focusedRow);
}

void MainFrame::FocusCell(int row, int column)
{
    m_view.FocusCell(row, column);
}

void MainFrame::ShowSort(int column, SortDirection direction)
{
    m_view.ShowSort(column, direction);
}

void MainFrame::OpenRowMenu(MenuPlace place)
{
    POINT at{};
    switch (place) {
    case MenuPlace::AtClick: at = m_view.LastMousePoint(); break;
    case MenuPlace::AtCursor: GetCursorPos(&at); break;
    case MenuPlace::OverFocusedRow: at = m_view.FocusedRowMenuPoint(); break;
    }
    const RowMenuState &state = m_window.MenuState();
    for (const RowMenuItem &item : RowMenuItems)
        if (!item.Separator)
            EnableMenuItem(m_rowMenu, MenuId(item.Command),
                           MF_BYCOMMAND | (state.Enabled(item.Command) ? MF_ENABLED : MF_GRAYED));
    const UINT chosen = TrackPopup(m_rowMenu, at);
    for (const RowMenuItem &item : RowMenuItems)
        if (!item.Separator && chosen == MenuId(item.Command))
            m_window.ChooseRowCommand(item.Command);
}

void MainFrame::ShowFilterField(bool visible, const std::string &countText)
{
    if (!visible) {
        if (GetFocus() == m_filter)
            SetFocus(m_view.Handle());
        m_settingFilter = true;
        SetWindowTextW(m_filter, L"");
        m_settingFilter = false;
    }
    ShowWindow(m_filter, visible ? SW_SHOW : SW_HIDE);
    SetWindowTextW(m_filterCount, win::WideFromUtf8(countText).c_str());
    LayoutFilterField();
    InvalidateRect(m_filterCount, nullptr, TRUE);
}

void MainFrame::FocusFilterField()
{
    SetFocus(m_filter);
    SendMessageW(m_filter, EM_SETSEL, 0, -1);
}

bool MainFrame::AskExportFile(const std::string &suggestedName, std::string &path, ExportFormat &format)
{
    const std::vector<ExportFormatInfo> &formats = ExportFormats();
    std::wstring file = win::WideFromAnsi(suggestedName);
    int type = 0;
    if (AskSaveFile) {
        if (!AskSaveFile(file, type))
            return false;
    } else {
        // "CSV 文件 (*.csv)\0*.csv\0...\0": the name shown, then the patterns.
        std::wstring types;
        for (const ExportFormatInfo &info : formats) {
            std::wstring patterns = L"*." + win::WideFromUtf8(info.Extension);
            if (info.Format == ExportFormat::Html)
                patterns += L";*.htm";
            types += win::WideFromUtf8(info.Caption) + L" (" + patterns + L")";
            types += L'\0';
            types += patterns;
            types += L'\0';
        }
        std::wstring buffer(32768, L'\0');
        file.copy(buffer.data(), std::min(file.size(), buffer.size() - 1));
        const std::wstring title = win::WideFromUtf8(texts::ExportDialogCaption);
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = m_hwnd;
        dialog.lpstrFilter = types.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = buffer.data();
        dialog.nMaxFile = static_cast<DWORD>(buffer.size());
        dialog.lpstrInitialDir = m_exportDir.empty() ? nullptr : m_exportDir.c_str();
        dialog.lpstrTitle = title.c_str();
        // Without a default extension: the file type the user picks gives one
        // to a name without (ResolveExportTarget).
        dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (!GetSaveFileNameW(&dialog))
            return false;
        file = buffer.c_str();
        type = static_cast<int>(dialog.nFilterIndex) - 1;
        m_exportDir = file.substr(0, dialog.nFileOffset);
    }
    if (file.empty())
        return false;
    // Records, paths and the file functions of the platform are in the ANSI
    // code page; a character it lacks makes a name the write then refuses,
    // with the reason.
    path = win::AnsiFromWide(file);
    format = formats[type >= 0 && static_cast<size_t>(type) < formats.size() ? static_cast<size_t>(type) : 0].Format;
    return true;
}

}  // namespace quorvex
