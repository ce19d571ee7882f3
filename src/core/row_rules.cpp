#include "core/row_rules.h"

#include "core/fixed_texts.h"
#include "core/tcp_state.h"
#include "core/text_forms.h"

namespace quorvex {

void FillRow(TMyRec &rec, const File_Rec &source, const std::string &protocol, const std::string &remark,
             PathlessOwners pathless)
{
    rec.Protocol = protocol;
    if (IsTcpProtocol(protocol)) {
        rec.StateText = GetTcpStateName(source.State);
        rec.RemoteIp = source.RemoteIp;
        rec.RemotePort = source.RemotePort;
        rec.Traffic = source.Traffic;
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
    rec.Socket = source.Socket;
}

bool TakeTraffic(TMyRec &rec, const File_Rec &source, int64_t elapsedMs)
{
    std::optional<uint64_t> rate;
    if (rec.Traffic && source.Traffic && elapsedMs > 0 && source.Traffic->Sent >= rec.Traffic->Sent
        && source.Traffic->Received >= rec.Traffic->Received) {
        const uint64_t grown =
            (source.Traffic->Sent - rec.Traffic->Sent) + (source.Traffic->Received - rec.Traffic->Received);
        // Per second, rounded; the product stays in range for any growth
        // a connection can show between two refreshes.
        rate = (grown * 1000 + static_cast<uint64_t>(elapsedMs) / 2) / static_cast<uint64_t>(elapsedMs);
    }
    const bool changed = rec.Traffic != source.Traffic || rec.Rate != rate;
    rec.Traffic = source.Traffic;
    rec.Rate = rate;
    return changed;
}

bool IsHiddenLoopback(const TMyRec &rec, bool showLocal)
{
    if (showLocal)
        return false;
    if (rec.Protocol == ProtocolTcp)
        return rec.LocalIp == "127.0.0.1" && rec.RemoteIp == "127.0.0.1";
    return rec.Protocol == ProtocolTcp6 && rec.LocalIp == "::1" && rec.RemoteIp == "::1";
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
