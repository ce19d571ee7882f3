#pragma once

#include <exception>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/connection_list.h"
#include "core/file_rec.h"
#include "core/platform_port.h"
#include "core/row_menu_state.h"

namespace quorvex {

class Platform;
class Prompts;
class ShellActions;
struct EndProcessContext;

/// The interval of the automatic refresh's timer.
inline constexpr int RefreshIntervalMs = 10000;

/// The four boxes of the bottom bar, then the view options beyond them (the
/// checkable items of the top bar's options menu); the values are their
/// tags, which the settings file uses to pick a key. Every view option is
/// off at start, and with all of them off the window is the plain one.
enum class CheckBox {
    ShowLocal = 1,
    AutoRefresh = 2,
    AlwaysTop = 3,
    ShowInfo = 4,
    ShowIPv6 = 5,
    ShowTraffic = 6,
    HighlightChanges = 7,
};
inline constexpr CheckBox ViewOptions[] = {CheckBox::ShowIPv6, CheckBox::ShowTraffic, CheckBox::HighlightChanges};
inline constexpr bool IsViewOption(CheckBox box) { return static_cast<int>(box) >= static_cast<int>(CheckBox::ShowIPv6); }
/// The caption of a view option's menu item (UTF-8, a fixed text).
const char *OptionCaption(CheckBox option);

/// What the controller asks of the window. Implemented by the Qt main window
/// and, in tests, by a recorder. None of these calls the controller back.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void SetRefreshEnabled(bool enabled) = 0;
    /// Starts the 10 s refresh timer; a running timer begins a new interval.
    virtual void StartRefreshTimer() = 0;
    virtual void StopRefreshTimer() = 0;
    /// Shows a box's new state. Must not run the box's handler again: a box
    /// set to the state it already has is ignored by the controller anyway.
    virtual void SetCheckBox(CheckBox box, bool checked) = 0;
    /// Topmost or a normal window, keeping place and size; activates it.
    virtual void SetTopmost(bool topmost) = 0;
    virtual void SetCounters(int appCount, int netCount) = 0;
    /// Window caption, UTF-8: a fixed text of the program, which never goes
    /// through the system's code page (one without Chinese would lose it).
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string &caption) = 0;
    /// The list becomes the window's active control.
    virtual void FocusList() = 0;
    /// The filter field is the window's active control (or was, when the
    /// window was left). A window without one answers false.
    virtual bool FilterFieldHasFocus() const { return false; }
    /// The file-detail columns (InfoColumns) shown or hidden.
    virtual void SetInfoColumnsVisible(bool visible) = 0;
    /// The traffic columns (TrafficColumns) shown or hidden.
    virtual void SetTrafficColumnsVisible(bool visible) = 0;
    virtual void RepaintList() = 0;
    /// The row's report (RowReportText) replaces the clipboard's content.
    virtual void CopyRowReport(const TMyRec &rec) = 0;
    /// The details dialog of the row, modal; returns when it has closed.
    /// The row may be gone by then (a timer refresh runs behind the dialog),
    /// so the dialog keeps copies and `rec` is not read after it opened.
    virtual void ShowProcessInfo(const TMyRec &rec) = 0;
};

/// Places where other parts of the program join the window's sequences. An
/// empty function means the part is not there and the step does nothing.
struct MainHooks {
    /// FormCreate calls it once the directories are known, before the icon
    /// caches and the first fill: reads the settings file and sets the boxes
    /// through SetChecked (while Initializing, so show-local does not
    /// refresh). Its own errors are its own business; whatever it throws ends
    /// the start-up.
    std::function<void()> LoadSettings;
    /// FormCreate calls it right after LoadSettings: makes the large and the
    /// small icon cache.
    std::function<void()> CreateIconCaches;
    /// Called by each box's handler with the box's tag, right after the
    /// mirror field has been set. A throw does not stop the box's work: the
    /// handler finishes it and then lets the error go.
    std::function<void(int tag)> SaveSetting;
};

struct MainOptions {
    /// Help files tried beside the executable, in order, then in DataDir;
    /// the first that exists is opened, and when none exists the first
    /// beside the executable is handed to the desktop anyway (which then
    /// shows nothing).
    std::vector<std::string> HelpFileNames{"QuorvexHelp.html"};
    /// The folder an installed program keeps its data in, ending in a path
    /// separator; empty where the help lives beside the executable only.
    std::string DataDir;
    /// Characters that end the directory part of the executable's path.
    std::string PathSeparators = "/";
};

/// Fixed texts of the window, in the system's encoding.
struct MainTexts {
    std::string SystemProcessMsg;
    std::string NotEnabledText;
    std::string ExitConfirmMsg;
    std::string EndFailedMsg;
    std::string SystemProcessDesc;
    std::string IdleProcessDesc;
    std::string EndSystemConfirmMsg;
};

/// The main window's behaviour without the widgets: start-up sequence, the
/// refresh protocol, the boxes and their mirror fields, the link buttons
/// and the close question. Handlers throw; whoever calls them from an event
/// loop does so through Guard, which turns an escaping error into the
/// application's error report.
class MainController {
public:
    MainController(Platform &platform, ConnectionList &list, MainView &view, Prompts &prompts,
                   ShellActions &shell, MainOptions options = {});

    MainHooks Hooks;

    /// Runs `handler`; an exception that escapes it goes to the error report
    /// and no further. Never throws.
    void Guard(const std::function<void()> &handler) noexcept;

    void FormCreate();

    /// Who asks the window to close: the user (close button, system menu,
    /// Alt+F4), or the program's own quit, which follows an agreed end of
    /// the desktop session.
    enum class CloseCause { User, SessionEnd };
    /// True when the window may close (the user answered Yes).
    bool FormCloseQuery(CloseCause cause = CloseCause::User);
    /// The desktop session is ending (logout, shutdown): the same question
    /// decides whether it may. After a Yes the quit that ends the session
    /// closes the window without a second question, once; the agreement is
    /// for that one session end only. A close by the user asks again.
    bool SessionEndQuery();
    /// The session end was cancelled (by another program or the user) or is
    /// over without closing the window: the agreement lapses. Called by a
    /// front-end whose system says so.
    void SessionEndCancelled();

    void BTNRefreshClick();
    void Timer1Timer();
    void BTNHelpClick();
    void BTNHomePageClick();
    void BTNUpdateClick();
    /// True when the desktop took the mail link: only then does the link
    /// take its visited colour.
    bool MailLinkClick();

    // The row commands, on the list's focused row as it is when they start.
    void NProcInfoClick();
    void NEndProcClick();
    /// The bottom bar's button: the end-process item's click, so it does
    /// nothing while the last menu request left that item disabled.
    void BTNEndProClick();
    void NCopyClick();
    void NLocateClick();
    void NPropertyClick();
    /// Closes the focused row's TCP connection after a question, then
    /// refreshes (CloseConnection in core/close_connection.h).
    void NCloseConnectionClick();

    /// The enabled state of the row menu's items, shared by the menu and the
    /// bottom bar's end-process button.
    RowMenuState &MenuState() { return m_menuState; }

    bool IsChecked(CheckBox box) const;
    /// A box changes state, by the user or by the program. A change runs the
    /// box's handler; setting the state it already has does nothing.
    void SetChecked(CheckBox box, bool checked);
    /// The settings load puts what it read into the mirror fields, also for
    /// a box it could not set; the box itself is left alone.
    void SetMirror(CheckBox box, bool value);

    bool Initializing() const { return m_initializing; }
    const std::string &AppDir() const { return m_appDir; }
    const std::string &SysDir() const { return m_sysDir; }
    bool ShowLocal() const { return m_showLocal; }
    bool AutoRefresh() const { return m_autoRefresh; }
    bool AlwaysTop() const { return m_alwaysTop; }
    bool ShowInfo() const { return m_showInfo; }
    /// A view option's mirror field: what the window does now.
    bool Option(CheckBox option) const;
    const std::string &HomePageUrl() const { return m_homePageUrl; }
    const std::string &UpdateUrl() const { return m_updateUrl; }
    const MainTexts &Texts() const { return m_texts; }
    /// The window's message boxes and questions, for the list's own
    /// commands (WindowController).
    Prompts &UserPrompts() { return m_prompts; }

    /// What the next snapshot takes beyond the IPv4 endpoints: what the view
    /// options' items show now.
    SnapshotOptions CurrentSnapshotOptions() const;

    /// The arrays the last snapshot left.
    const TcpUdpTables &Tables() const { return m_tables; }

private:
    void FillList();
    void RefreshList();
    void CBShowLocalClick();
    void CBAutoRefreshClick();
    void CBAlwaysTopClick();
    void CBShowInfoClick();
    /// The handler of a view option's menu item.
    void OptionClick(CheckBox option);
    /// What a view option does when it changes, after its mirror field is
    /// set and saved; the features behind the options join here.
    void ApplyOption(CheckBox option);
    /// The save's error, if any, held back until the box's work is done.
    std::exception_ptr SaveSetting(CheckBox box);
    /// Runs a box handler's work, then rethrows `unsaved`.
    void DoBoxWork(std::exception_ptr unsaved, const std::function<void()> &work);
    std::string ExecutableDir() const;
    bool &BoxState(CheckBox box);
    EndProcessContext EndContext();

    Platform &m_platform;
    ConnectionList &m_list;
    MainView &m_view;
    Prompts &m_prompts;
    ShellActions &m_shell;
    MainOptions m_options;

    // Box states as the widgets show them; the initial states of the bar.
    bool m_cbShowLocal = true;
    bool m_cbAutoRefresh = false;
    bool m_cbAlwaysTop = true;
    bool m_cbShowInfo = false;
    bool m_cbOptions[std::size(ViewOptions)] = {};

    // The window's fields, set by FormCreate and the box handlers.
    bool m_initializing = false;
    std::string m_appDir;
    bool m_showLocal = true;
    bool m_autoRefresh = false;
    bool m_alwaysTop = true;
    bool m_showInfo = false;
    bool m_viewOptions[std::size(ViewOptions)] = {};
    MainTexts m_texts;
    std::string m_homePageUrl;
    std::string m_sysDir;
    std::string m_updateUrl;

    TcpUdpTables m_tables;
    RowMenuState m_menuState;
    bool m_sessionEndAgreed = false;
};

}  // namespace quorvex
