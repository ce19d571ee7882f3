#include "wingui/proc_info_dialog.h"

#include <array>
#include <string>

#include <commctrl.h>

#include "core/fixed_texts.h"
#include "core/shell_actions.h"
#include "wingui/win_text.h"
#include "wingui/win_ui.h"

namespace quorvex {

namespace {

using layout::InfoControl;

constexpr int ControlIdBase = 2000;
constexpr UINT ShownMessage = WM_APP + 1;

struct DialogState {
    const ProcInfoTexts &texts;
    HICON icon;
    ShellActions &shell;
    const std::function<void(HWND)> &onShown;
    int dpi = 96;
    HFONT font = nullptr;
    HFONT bold = nullptr;
    HFONT link = nullptr;
    HBRUSH panel = nullptr;
    HBRUSH line = nullptr;
    HBRUSH pathBackground = nullptr;

    ~DialogState()
    {
        for (HGDIOBJ object : {static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(bold), static_cast<HGDIOBJ>(link),
                               static_cast<HGDIOBJ>(panel), static_cast<HGDIOBJ>(line),
                               static_cast<HGDIOBJ>(pathBackground)})
            if (object)
                DeleteObject(object);
    }
};

// The text each control shows, UTF-16.
std::wstring ControlText(const DialogState &state, InfoControl control)
{
    switch (control) {
    case InfoControl::LabExe: return win::WideFromAnsi(state.texts.Exe);
    case InfoControl::LabExeDes: return win::WideFromAnsi(state.texts.ExeDes);
    case InfoControl::LabPID: return win::WideFromAnsi(state.texts.Pid);
    case InfoControl::Labcomp: return win::WideFromAnsi(state.texts.Comp);
    case InfoControl::Label5: return win::WideFromUtf8(texts::ProcInfoPathLabel);
    case InfoControl::EPath: return win::WideFromAnsi(state.texts.Path);
    case InfoControl::LabLocate: return win::WideFromUtf8(texts::ProcInfoLocateLink);
    case InfoControl::BTNOK: return win::WideFromUtf8(texts::ProcInfoOkButton);
    default: return {};
    }
}

HFONT FontOf(const DialogState &state, InfoControl control)
{
    if (control == InfoControl::LabExe)
        return state.bold;
    if (control == InfoControl::LabLocate)
        return state.link;
    return state.font;
}

void CreateControls(HWND dialog, DialogState &state)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // The OK button first and the path box second: the tab order.
    const InfoControl order[] = {InfoControl::BTNOK,   InfoControl::EPath,  InfoControl::Image1,
                                 InfoControl::LabExe,  InfoControl::LabExeDes, InfoControl::LabPID,
                                 InfoControl::Labcomp, InfoControl::Shape1, InfoControl::Label5,
                                 InfoControl::LabLocate, InfoControl::Shape2};
    for (InfoControl control : order) {
        const layout::InfoPlace &place = layout::PlaceOf(control);
        const std::wstring text = ControlText(state, control);
        HFONT font = FontOf(state, control);
        const wchar_t *windowClass = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (control) {
        case InfoControl::BTNOK:
            windowClass = L"BUTTON";
            style |= WS_TABSTOP | BS_OWNERDRAW;
            break;
        case InfoControl::EPath:
            windowClass = L"EDIT";
            style |= WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL | ES_LEFT;
            break;
        case InfoControl::Image1: style |= SS_OWNERDRAW; break;
        case InfoControl::LabLocate: style |= SS_NOTIFY | SS_NOPREFIX; break;
        default: style |= SS_LEFT | SS_NOPREFIX; break;
        }
        int width = layout::Scale(place.Width, state.dpi);
        int height = layout::Scale(place.Height, state.dpi);
        if (place.Width == 0) {
            // As wide as its text.
            const SIZE size = win::TextExtent(font, text);
            width = size.cx;
            height = size.cy;
        }
        HWND window = CreateWindowExW(0, windowClass, text.c_str(), style, layout::Scale(place.Left, state.dpi),
                                      layout::Scale(place.Top, state.dpi), width, height, dialog,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ProcInfoControlId(control))),
                                      instance, nullptr);
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (control == InfoControl::BTNOK)
            win::EnableHotTracking(window);
        if (control == InfoControl::LabExeDes)
            EnableWindow(window, FALSE);  // shown greyed
    }
}

void Initialise(HWND dialog, DialogState &state)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    state.dpi = win::WindowDpi(owner ? owner : dialog);
    state.font = win::MakeFont(layout::FontFace, layout::FontHeight, state.dpi);
    state.bold = win::MakeFont(layout::FontFace, layout::FontHeight, state.dpi, true);
    state.link = win::MakeFont(layout::FontFace, layout::FontHeight, state.dpi, false, true);
    state.panel = CreateSolidBrush(win::ColourRef(layout::BarColour));
    state.line = CreateSolidBrush(win::ColourRef(layout::ProcInfoLineColour));
    state.pathBackground = CreateSolidBrush(win::ColourRef(layout::ProcInfoPathBackground));
    SetWindowTextW(dialog, win::WideFromUtf8(texts::ProcInfoCaption).c_str());

    // The client area's size, centred on the owner.
    RECT frame{0, 0, layout::Scale(layout::ProcInfoWidth, state.dpi), layout::Scale(layout::ProcInfoHeight, state.dpi)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    RECT around{};
    if (owner)
        GetWindowRect(owner, &around);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, around.left + (around.right - around.left - width) / 2,
                 around.top + (around.bottom - around.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls(dialog, state);
    SetFocus(GetDlgItem(dialog, IDOK));
    PostMessageW(dialog, ShownMessage, 0, 0);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        Initialise(dialog, *reinterpret_cast<DialogState *>(lParam));
        return FALSE;  // the focus is set
    }
    auto *state = reinterpret_cast<DialogState *>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!state)
        return FALSE;
    switch (message) {
    case ShownMessage:
        if (state->onShown)
            state->onShown(dialog);
        return TRUE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(state->panel);
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        if (id == ProcInfoControlId(InfoControl::EPath)) {
            SetBkColor(dc, win::ColourRef(layout::ProcInfoPathBackground));
            SetBkMode(dc, OPAQUE);
            return reinterpret_cast<INT_PTR>(state->pathBackground);
        }
        if (id == ProcInfoControlId(InfoControl::Shape1) || id == ProcInfoControlId(InfoControl::Shape2))
            return reinterpret_cast<INT_PTR>(state->line);
        if (id == ProcInfoControlId(InfoControl::LabLocate))
            SetTextColor(dc, win::ColourRef(layout::ProcInfoLinkColour));
        return reinterpret_cast<INT_PTR>(state->panel);
    }
    case WM_SETCURSOR:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == ProcInfoControlId(InfoControl::LabLocate)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_DRAWITEM: {
        const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (item.CtlID == static_cast<UINT>(ProcInfoControlId(InfoControl::BTNOK))) {
            win::DrawHotButton(item, win::ColourRef(layout::ProcInfoOkFace), state->font);
        } else {
            // The picture: the panel shows through, the icon drawn at
            // (1, 1) so that its last column and row fall outside.
            FillRect(item.hDC, &item.rcItem, state->panel);
            if (state->icon) {
                const int size = layout::Scale(layout::ProcInfoIconSize, state->dpi);
                const int offset = layout::Scale(layout::ProcInfoIconOffset, state->dpi);
                DrawIconEx(item.hDC, item.rcItem.left + offset, item.rcItem.top + offset, state->icon, size, size, 0,
                           nullptr, DI_NORMAL);
            }
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        if (LOWORD(wParam) == ProcInfoControlId(InfoControl::LabLocate) && HIWORD(wParam) == STN_CLICKED) {
            state->shell.ShowInFileManager(state->texts.Path);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int ProcInfoControlId(InfoControl control)
{
    return control == InfoControl::BTNOK ? IDOK : ControlIdBase + static_cast<int>(control);
}

void ShowProcInfoDialog(HWND owner, const ProcInfoTexts &texts, HICON icon, ShellActions &shell,
                        const std::function<void(HWND dialog)> &onShown)
{
    // An empty template: the dialog places its controls in pixels itself.
    struct alignas(4) Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } empty{};
    empty.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    empty.dialog.cx = 100;
    empty.dialog.cy = 50;
    DialogState state{texts, icon, shell, onShown};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &empty.dialog, owner, &DialogProc,
                            reinterpret_cast<LPARAM>(&state));
}

}  // namespace quorvex
