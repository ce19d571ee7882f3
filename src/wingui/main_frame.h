#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "core/connection_list.h"
#include "core/list_tools_port.h"
#include "core/main_controller.h"
#include "core/window_controller.h"
#include "core/window_layout.h"
#include "wingui/list_view.h"

namespace quorvex {

class Platform;
class Prompts;
class ShellActions;
class ShellIconSource;
class TImageListEx;

/// The main window on Windows: the two bars with their labels, buttons and
/// boxes, the connection list between them, the row menu and the timer,
/// bound to the MainController (start-up, refresh protocol, boxes, commands,
/// close) and the WindowController (the list's rules, the filter field, the
/// export). Every event from Windows into the controllers passes through
/// WindowController::Run, so no error crosses the message loop. Places,
/// sizes, colours and fonts are core's (core/window_layout.h), scaled by
/// the window's dpi.
class MainFrame : private MainView, private ListPort, private ListToolsPort {
public:
    MainFrame(Platform &platform, Prompts &prompts, ShellActions &shell, MainOptions options = {});
    ~MainFrame() override;
    MainFrame(const MainFrame &) = delete;
    MainFrame &operator=(const MainFrame &) = delete;

    /// The settings file's join points go into Controller().Hooks before
    /// Create(); the window joins the icon caches itself.
    MainController &Controller() { return m_controller; }
    ConnectionList &List() { return m_list; }

    /// Makes the window, hidden, owned by `owner` (the application window),
    /// centred on its screen, and runs the start-up sequence; errors of the
    /// sequence go to the error report and the window is made anyway.
    /// False only when Windows refused the window itself.
    bool Create(HWND owner);
    void Show(int showCommand);

    HWND Handle() const { return m_hwnd; }
    HWND ListHandle() const { return m_view.Handle(); }
    HWND HeaderHandle() const { return m_view.Header(); }
    HWND ControlHandle(layout::BarControl control) const;
    /// The filter field of the top bar and the count inside it.
    HWND FilterHandle() const { return m_filter; }
    HWND FilterCountHandle() const { return m_filterCount; }
    /// The counters of the top bar: the programs' (LabAppCount) or the
    /// connections' (LabNetCount).
    HWND CounterHandle(bool programs) const;
    /// The model column of each list view column, in order.
    const std::vector<int> &ShownColumns() const { return m_view.ShownColumns(); }
    int Dpi() const { return m_dpi; }

    /// The program's message loop offers every message here before
    /// anything else sees it: the window's own keys, wherever the focus is
    /// in it (Ctrl+F: the filter field; Ctrl+S: the export; Escape while the
    /// filter field is shown: clears and hides it). True when the message
    /// was one of them and has been handled.
    bool TranslateKey(const MSG &message);
    /// The program's message loop, until WM_QUIT: the window's own keys
    /// first (Ctrl+F, Ctrl+S, Escape), then Tab, the arrow keys and the
    /// access keys among the bars' controls, then the usual dispatch.
    static void RunMessageLoop(MainFrame &frame);

    /// Opens the row menu or the options menu at a screen point and returns
    /// the id of the item chosen (0: none); TrackPopupMenuEx unless a test
    /// answers instead.
    std::function<UINT(HMENU menu, POINT at)> TrackMenu;
    /// Asks for the export's file: `path` comes with the suggested name and
    /// goes back with the full path; `type` is the index of the file type
    /// in ExportFormats(). False when the user cancelled. GetSaveFileNameW
    /// unless a test answers instead.
    std::function<bool(std::wstring &path, int &type)> AskSaveFile;
    /// Told the details dialog's window once it shows; tests read it and
    /// close it.
    std::function<void(HWND dialog)> OnProcInfoShown;
    /// Runs when the window has been destroyed (the program's main loop
    /// ends there).
    std::function<void()> OnDestroyed;

    /// The menu item id of a row command, and of a view option in the
    /// options menu.
    static UINT MenuId(RowCommand command);
    static UINT OptionMenuId(CheckBox option);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code, HWND control);
    LRESULT OnColour(HDC dc, HWND control);
    void OnClose();
    void OnDpiChanged(int dpi, const RECT &suggested);

    void CreateControls();
    void CreateFonts();
    void Layout();
    void LayoutCounters();
    void LayoutFilterField();
    void CreateFilterField();
    void CreateTooltips();
    void OpenOptionsMenu();
    UINT TrackPopup(HMENU menu, POINT at);
    void CreateIconCaches();
    void Run(const std::function<void()> &handler) { m_window.Run(handler); }

    // MainView
    void SetRefreshEnabled(bool enabled) override;
    void StartRefreshTimer() override;
    void StopRefreshTimer() override;
    void SetCheckBox(CheckBox box, bool checked) override;
    void SetTopmost(bool topmost) override;
    void SetCounters(int appCount, int netCount) override;
    std::string Caption() const override;
    void SetCaption(const std::string &caption) override;
    void FocusList() override;
    bool FilterFieldHasFocus() const override;
    void SetInfoColumnsVisible(bool visible) override;
    void SetTrafficColumnsVisible(bool visible) override;
    void RepaintList() override;
    void CopyRowReport(const TMyRec &rec) override;
    void ShowProcessInfo(const TMyRec &rec) override;

    // ListPort
    void ShowSelection(int selectedRow, int focusedRow) override;
    void FocusCell(int row, int column) override;
    void OpenRowMenu(MenuPlace place) override;
    void ShowSort(int column, SortDirection direction) override;

    // ListToolsPort
    void ShowFilterField(bool visible, const std::string &countText) override;
    void FocusFilterField() override;
    bool AskExportFile(const std::string &suggestedName, std::string &path, ExportFormat &format) override;

    ConnectionList m_list;
    MainController m_controller;
    WindowController m_window;
    ConnectionListView m_view;
    ShellActions &m_shell;

    HWND m_hwnd = nullptr;
    HWND m_lastFocus = nullptr;
    std::array<HWND, std::size(layout::BarControls)> m_controls{};
    std::array<HWND, 5> m_counterLine{};  // "当前有", programs, "...共建立", connections, "个连接。"
    HMENU m_rowMenu = nullptr;
    HMENU m_optionsMenu = nullptr;
    HWND m_filter = nullptr;
    HWND m_filterCount = nullptr;
    HWND m_tips = nullptr;
    bool m_settingFilter = false;  // the program changes the field's text: no edit to report
    int m_sentenceRight = 0;       // where the counters' sentence ends
    std::wstring m_exportDir;      // the folder of the last export
    int m_dpi = 96;
    HFONT m_font = nullptr;
    HFONT m_boldFont = nullptr;
    HFONT m_linkFont = nullptr;
    HBRUSH m_barBrush = nullptr;
    HBITMAP m_manage = nullptr;
    bool m_mailVisited = false;
    int m_appCount = -1;
    int m_netCount = -1;

    std::unique_ptr<ShellIconSource> m_smallSource;
    std::unique_ptr<ShellIconSource> m_largeSource;
    std::unique_ptr<TImageListEx> m_smallIcons;
    std::unique_ptr<TImageListEx> m_largeIcons;
};

}  // namespace quorvex
