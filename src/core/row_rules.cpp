#include "core/row_rules.h"

#include "core/fixed_texts.h"
#include "core/tcp_state.h"
#include "core/text_forms.h"

namespace quorvex {

void FillRow(TMyRec &rec, const File_Rec &source, const std::string &protocol, const std::string &remark,
             PathlessOwners pathless)
{
    rec.Protocol = protocol;
    if (protocol == "TCP") {
        rec.StateText = GetTcpStateName(source.State);
        rec.RemoteIp = source.RemoteIp;
        rec.RemotePort = source.RemotePort;
    }
    rec.LocalIp = source.LocalIp;
    rec.LocalPort = source.LocalPort;
    rec.Pid = source.Pid;
    rec.ProcessName = source.ProcessName;
    rec.ProcessPath = source.ProcessPath;
    if (!source.ProcessPath.empty()) {
        rec.Description = source.FileDescription;
    } else if (pathless == PathlessOwners::Unknown) {
        rec.Description.clear();
    } else if (rec.ProcessName == "System") {
        rec.Description = SystemText(texts::SystemProcessDesc);
    } else {
        rec.Description = SystemText(texts::IdleProcessDesc);
    }
    rec.CompanyName = source.CompanyName;
    rec.Remark = remark;
    rec.StartTime = source.StartTime;
}

bool IsHiddenLoopback(const TMyRec &rec, bool showLocal)
{
    return !showLocal && rec.Protocol == "TCP" && rec.LocalIp == "127.0.0.1" && rec.RemoteIp == "127.0.0.1";
}

void ProgramList::NoteProgram(const TMyRec &rec)
{
    if (rec.ProcessPath.empty())
        return;
    if (m_names.find(rec.ProcessName) == m_names.end())
        m_names.insert(rec.ProcessName);
}

int ProgramList::Count() const
{
    return static_cast<int>(m_names.size());
}

}  // namespace quorvex
