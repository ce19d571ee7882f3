#include "core/process_commands.h"

#include <charconv>
#include <cstdint>

#include "core/connection_list.h"
#include "core/fixed_texts.h"
#include "core/platform_port.h"
#include "core/prompts.h"
#include "core/row_menu_state.h"
#include "core/shell_actions.h"
#include "core/text_forms.h"

namespace quorvex {

namespace {

bool ParsePid(const std::string &text, uint32_t &pid)
{
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, pid, 10);
    return !text.empty() && ec == std::errc() && ptr == end;
}

}  // namespace

const TMyRec *FocusedRecord(const ConnectionList &list)
{
    const int row = list.FocusedRow();
    if (row < 0 || row >= list.RowCount())
        return nullptr;
    // A row that is only shown leaving (its endpoint is gone) is no row to
    // act on.
    if (list.Change(row) == RowChange::Leaving)
        return nullptr;
    return &list.Record(row);
}

std::string RowReportText(const TMyRec &rec)
{
    std::string separator;
    for (int i = 0; i < 23; ++i)
        separator += "\u2015";
    separator = SystemText(separator);
    const std::string eol = "\r\n";

    std::string text;
    text += separator + eol;
    text += SystemText("程序名称:") + rec.ProcessName + eol;
    text += SystemText("程序说明:") + rec.Description + eol;
    text += SystemText("路径:") + rec.ProcessPath + eol;
    text += "PID:" + rec.Pid + eol;
    text += SystemText("网络协议:") + rec.Protocol + eol;
    text += SystemText("本机地址:") + rec.LocalIp + eol;
    text += SystemText("本地端口:") + rec.LocalPort + eol;
    text += SystemText("目标地址:") + rec.RemoteIp + eol;
    text += SystemText("目标端口:") + rec.RemotePort + eol;
    text += SystemText("状态:") + rec.StateText + eol;
    text += SystemText("生成:OndriQuorvex") + eol;
    text += SystemText("主页:") + texts::ReportSiteUrl + eol;
    text += separator + eol;
    return text;
}

void EndProcess(const TMyRec *focused, const EndProcessContext &context)
{
    if (!focused)
        return;
    // Copies: the questions below run a message loop, and a timer refresh in
    // it may delete the row that `focused` points at.
    const std::string path = focused->ProcessPath;
    const std::string pidText = focused->Pid;
    const uint64_t startTime = focused->StartTime;

    if (path.empty()) {
        context.prompts.ShowMessage(texts::SystemProcessMsg);
        return;
    }
    // An empty system directory would be found in every path.
    if (!context.sysDir.empty() && UpperAscii(path).find(context.sysDir) != std::string::npos) {
        if (!context.prompts.AskYesNo(texts::EndSystemConfirmMsg, true))
            return;
    }
    uint32_t pid = 0;
    if (!ParsePid(pidText, pid) || !context.platform.TerminateProcess(pid, startTime)) {
        context.prompts.ShowMessage(texts::EndFailedMsg);
        return;
    }
    if (context.refresh)
        context.refresh();
}

void EndProcessButton(const RowMenuState &menu, const TMyRec *focused, const EndProcessContext &context)
{
    if (menu.EndProc)
        EndProcess(focused, context);
}

void LocateFile(const TMyRec *focused, Platform &platform, ShellActions &shell)
{
    if (!focused || !platform.IsExistingFile(focused->ProcessPath))
        return;
    shell.ShowInFileManager(focused->ProcessPath);
}

void ShowFileProperties(const TMyRec *focused, ShellActions &shell)
{
    if (!focused || focused->ProcessPath.empty())
        return;
    shell.ShowProperties(focused->ProcessPath);
}

bool CanShowProcessInfo(const TMyRec *focused)
{
    return focused && !focused->ProcessPath.empty();
}

ProcInfoTexts MakeProcInfoTexts(const TMyRec &rec)
{
    return {rec.ProcessName, rec.Description + "  ", texts::ProcInfoPidPrefix + rec.Pid, rec.CompanyName + " ",
            rec.ProcessPath};
}

}  // namespace quorvex
