#include "core/main_controller.h"

#include <exception>

#include "core/close_connection.h"
#include "core/fixed_texts.h"
#include "core/platform_port.h"
#include "core/process_commands.h"
#include "core/prompts.h"
#include "core/shell_actions.h"
#include "core/text_forms.h"
#include "core/version_tag.h"

namespace quorvex {

namespace {

// The position of a view option among ViewOptions.
size_t OptionIndex(CheckBox option)
{
    return static_cast<size_t>(static_cast<int>(option) - static_cast<int>(CheckBox::ShowIPv6));
}

}  // namespace

const char *OptionCaption(CheckBox option)
{
    switch (option) {
    case CheckBox::ShowIPv6: return texts::ShowIPv6Option;
    case CheckBox::ShowTraffic: return texts::ShowTrafficOption;
    case CheckBox::HighlightChanges: return texts::HighlightChangesOption;
    default: return "";
    }
}

MainController::MainController(Platform &platform, ConnectionList &list, MainView &view, Prompts &prompts,
                               ShellActions &shell, MainOptions options)
    : m_platform(platform), m_list(list), m_view(view), m_prompts(prompts), m_shell(shell),
      m_options(std::move(options))
{
}

void MainController::Guard(const std::function<void()> &handler) noexcept
{
    try {
        try {
            handler();
        } catch (const std::exception &e) {
            // Messages carry paths and system texts in the system's encoding.
            m_prompts.ReportError(Utf8FromSystemText(e.what()));
        } catch (...) {
            m_prompts.ReportError("Unknown error");
        }
    } catch (...) {
        // The report itself failed; nothing is left to tell the user with.
    }
}

std::string MainController::ExecutableDir() const
{
    const std::string path = m_platform.ExecutablePath();
    const size_t sep = path.find_last_of(m_options.PathSeparators);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

void MainController::FormCreate()
{
    m_homePageUrl = texts::HomePageUrl;
    m_updateUrl = texts::UpdateUrl;
    m_initializing = true;
    m_appDir = ExecutableDir();
    m_sysDir = UpperAscii(m_platform.SystemDirectory());
    if (Hooks.LoadSettings)
        Hooks.LoadSettings();
    // The list is empty when the window is made; nothing to clear here.
    if (Hooks.CreateIconCaches)
        Hooks.CreateIconCaches();
    m_texts.SystemProcessMsg = SystemText(texts::SystemProcessMsg);
    m_texts.NotEnabledText = SystemText(texts::NotEnabledText);
    m_texts.ExitConfirmMsg = SystemText(texts::ExitConfirmMsg);
    m_texts.EndFailedMsg = SystemText(texts::EndFailedMsg);
    m_texts.SystemProcessDesc = SystemText(texts::SystemProcessDesc);
    m_texts.IdleProcessDesc = SystemText(texts::IdleProcessDesc);
    m_texts.EndSystemConfirmMsg = SystemText(texts::EndSystemConfirmMsg);
    // Without the privilege other users' sockets show PID 0; that is all.
    m_platform.EnableDebugPrivilege();
    m_list.SetPathlessOwners(m_platform.PathlessOwnerKind());
    FillList();
    m_initializing = false;
    m_view.SetCaption(ReplaceVersionTag(m_view.Caption(), texts::Version));
}

void MainController::FillList()
{
    // A failing snapshot throws before the list changes.
    m_platform.GetTcpUdpTable(m_tables, CurrentSnapshotOptions());
    const FillCounts counts = m_list.FillList(m_tables, m_cbShowLocal);
    m_view.SetCounters(counts.AppCount, counts.NetCount);
}

SnapshotOptions MainController::CurrentSnapshotOptions() const
{
    // The items' states, as the list reads the show-local box: after a failed
    // settings load an option's mirror may hold a value whose item (and work)
    // was never set.
    return {IsChecked(CheckBox::ShowIPv6), IsChecked(CheckBox::ShowTraffic)};
}

void MainController::RefreshList()
{
    m_platform.GetTcpUdpTable(m_tables, CurrentSnapshotOptions());
    const FillCounts counts = m_list.RefreshList(m_tables, m_cbShowLocal);
    m_view.SetCounters(counts.AppCount, counts.NetCount);
    // Every refresh makes the list the active control, but one that comes
    // while the user types a filter leaves the field: the timer's refresh
    // would otherwise send the next keys to the list's type-ahead search.
    if (!m_view.FilterFieldHasFocus())
        m_view.FocusList();
    m_view.RepaintList();
}

bool MainController::FormCloseQuery(CloseCause cause)
{
    // An agreement covers the one close that ends its session. A logout
    // cancelled elsewhere never brings that close, and the user's own close
    // afterwards must ask again.
    const bool agreed = m_sessionEndAgreed && cause == CloseCause::SessionEnd;
    m_sessionEndAgreed = false;
    if (agreed)
        return true;
    return m_prompts.AskYesNo(texts::ExitConfirmMsg, false);
}

bool MainController::SessionEndQuery()
{
    m_sessionEndAgreed = false;
    m_sessionEndAgreed = FormCloseQuery();
    return m_sessionEndAgreed;
}

void MainController::SessionEndCancelled()
{
    m_sessionEndAgreed = false;
}

void MainController::BTNRefreshClick()
{
    m_view.SetRefreshEnabled(false);
    if (m_cbAutoRefresh)
        m_view.StopRefreshTimer();
    std::exception_ptr failure;
    try {
        RefreshList();
    } catch (...) {
        failure = std::current_exception();
    }
    // Restored whatever happened, so that a failed refresh never leaves the
    // button dead or the automatic refresh stopped. Restarting the timer
    // begins a new interval: the next tick comes 10 s after this refresh.
    m_view.SetRefreshEnabled(true);
    if (m_cbAutoRefresh)
        m_view.StartRefreshTimer();
    if (failure)
        std::rethrow_exception(failure);
}

void MainController::Timer1Timer()
{
    BTNRefreshClick();
}

void MainController::BTNHelpClick()
{
    // The directory is asked again at every click, so the help is found
    // beside the executable whatever the current directory is. A copy there
    // (a build or an unpacked folder) comes before the installed one.
    const std::string dir = ExecutableDir();
    if (m_options.HelpFileNames.empty())
        return;
    std::vector<std::string> folders{dir};
    if (!m_options.DataDir.empty())
        folders.push_back(m_options.DataDir);
    for (const std::string &folder : folders) {
        for (const auto &name : m_options.HelpFileNames) {
            if (m_platform.IsExistingFile(folder + name)) {
                m_shell.OpenFile(folder + name);
                return;
            }
        }
    }
    m_shell.OpenFile(dir + m_options.HelpFileNames.front());
}

void MainController::BTNHomePageClick()
{
    m_shell.OpenUrl(m_homePageUrl.empty() ? texts::HomePageUrl : m_homePageUrl);
}

void MainController::BTNUpdateClick()
{
    m_shell.OpenUrl(m_updateUrl.empty() ? texts::UpdateUrl : m_updateUrl);
}

bool MainController::MailLinkClick()
{
    return m_shell.OpenUrl(std::string("mailto:") + texts::ContactAddress);
}

EndProcessContext MainController::EndContext()
{
    return {m_prompts, m_platform, m_sysDir, [this] { BTNRefreshClick(); }};
}

void MainController::NProcInfoClick()
{
    const TMyRec *rec = FocusedRecord(m_list);
    if (CanShowProcessInfo(rec))
        m_view.ShowProcessInfo(*rec);
}

void MainController::NEndProcClick()
{
    EndProcess(FocusedRecord(m_list), EndContext());
}

void MainController::BTNEndProClick()
{
    EndProcessButton(m_menuState, FocusedRecord(m_list), EndContext());
}

void MainController::NCopyClick()
{
    if (const TMyRec *rec = FocusedRecord(m_list))
        m_view.CopyRowReport(*rec);
}

void MainController::NLocateClick()
{
    LocateFile(FocusedRecord(m_list), m_platform, m_shell);
}

void MainController::NPropertyClick()
{
    ShowFileProperties(FocusedRecord(m_list), m_shell);
}

void MainController::NCloseConnectionClick()
{
    CloseConnection(FocusedRecord(m_list), m_prompts, m_platform, [this] { BTNRefreshClick(); });
}

bool &MainController::BoxState(CheckBox box)
{
    switch (box) {
    case CheckBox::ShowLocal: return m_cbShowLocal;
    case CheckBox::AutoRefresh: return m_cbAutoRefresh;
    case CheckBox::AlwaysTop: return m_cbAlwaysTop;
    case CheckBox::ShowInfo: return m_cbShowInfo;
    default: break;
    }
    return m_cbOptions[OptionIndex(box)];
}

bool MainController::IsChecked(CheckBox box) const
{
    return const_cast<MainController *>(this)->BoxState(box);
}

void MainController::SetChecked(CheckBox box, bool checked)
{
    bool &state = BoxState(box);
    if (state == checked)
        return;
    state = checked;
    m_view.SetCheckBox(box, checked);
    switch (box) {
    case CheckBox::ShowLocal: CBShowLocalClick(); break;
    case CheckBox::AutoRefresh: CBAutoRefreshClick(); break;
    case CheckBox::AlwaysTop: CBAlwaysTopClick(); break;
    case CheckBox::ShowInfo: CBShowInfoClick(); break;
    default: OptionClick(box); break;
    }
}

void MainController::SetMirror(CheckBox box, bool value)
{
    switch (box) {
    case CheckBox::ShowLocal: m_showLocal = value; break;
    case CheckBox::AutoRefresh: m_autoRefresh = value; break;
    case CheckBox::AlwaysTop: m_alwaysTop = value; break;
    case CheckBox::ShowInfo: m_showInfo = value; break;
    default: m_viewOptions[OptionIndex(box)] = value; break;
    }
}

bool MainController::Option(CheckBox option) const
{
    return m_viewOptions[OptionIndex(option)];
}

std::exception_ptr MainController::SaveSetting(CheckBox box)
{
    if (!Hooks.SaveSetting)
        return nullptr;
    try {
        Hooks.SaveSetting(static_cast<int>(box));
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

void MainController::DoBoxWork(std::exception_ptr unsaved, const std::function<void()> &work)
{
    // Only the remembering failed: the window still does what the box shows,
    // and the save's error leaves the handler after the work, so that the
    // report (or, at start, the settings load) gets it as before.
    if (!unsaved) {
        work();
        return;
    }
    try {
        work();
    } catch (...) {
        // Both failed: the save's error is told here, the work's by whoever
        // runs the handler. At start the settings load drops both.
        if (!m_initializing)
            Guard([&] { std::rethrow_exception(unsaved); });
        throw;
    }
    std::rethrow_exception(unsaved);
}

void MainController::CBShowLocalClick()
{
    m_showLocal = m_cbShowLocal;
    DoBoxWork(SaveSetting(CheckBox::ShowLocal), [this] {
        // The settings load at start sets the box before the first fill,
        // which reads it anyway; a refresh then would only scan twice.
        if (!m_initializing)
            BTNRefreshClick();
    });
}

void MainController::CBAutoRefreshClick()
{
    m_autoRefresh = m_cbAutoRefresh;
    DoBoxWork(SaveSetting(CheckBox::AutoRefresh), [this] {
        if (m_cbAutoRefresh)
            m_view.StartRefreshTimer();
        else
            m_view.StopRefreshTimer();
    });
}

void MainController::CBAlwaysTopClick()
{
    m_alwaysTop = m_cbAlwaysTop;
    DoBoxWork(SaveSetting(CheckBox::AlwaysTop), [this] { m_view.SetTopmost(m_cbAlwaysTop); });
}

void MainController::CBShowInfoClick()
{
    m_showInfo = m_cbShowInfo;
    DoBoxWork(SaveSetting(CheckBox::ShowInfo), [this] { m_view.SetInfoColumnsVisible(m_cbShowInfo); });
}

void MainController::OptionClick(CheckBox option)
{
    m_viewOptions[OptionIndex(option)] = BoxState(option);
    DoBoxWork(SaveSetting(option), [this, option] { ApplyOption(option); });
}

void MainController::ApplyOption(CheckBox option)
{
    // At start the first fill is still to come and takes the snapshot the
    // options ask for; afterwards the list must follow at once.
    switch (option) {
    case CheckBox::ShowIPv6:
        if (!m_initializing)
            BTNRefreshClick();
        break;
    case CheckBox::ShowTraffic:
        m_view.SetTrafficColumnsVisible(IsChecked(CheckBox::ShowTraffic));
        if (!m_initializing)
            BTNRefreshClick();
        break;
    case CheckBox::HighlightChanges:
        // The counters count no Leaving row, so turning it off changes no
        // number; the rows it drops are told to the view as usual.
        m_list.SetHighlightChanges(IsChecked(CheckBox::HighlightChanges));
        break;
    default: break;
    }
}

}  // namespace quorvex
