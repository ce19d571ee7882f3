#include "core/connection_list.h"

#include <algorithm>
#include <stdexcept>

#include "core/columns.h"
#include "core/fixed_texts.h"
#include "core/tcp_state.h"
#include "core/text_forms.h"

namespace quorvex {

void FillRow(TMyRec &rec, const File_Rec &source, const std::string &protocol, const std::string &remark)
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
    if (!source.ProcessPath.empty())
        rec.Description = source.FileDescription;
    else if (rec.ProcessName == "System")
        rec.Description = SystemText(texts::SystemProcessDesc);
    else
        rec.Description = SystemText(texts::IdleProcessDesc);
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
    auto it = std::lower_bound(m_names.begin(), m_names.end(), rec.ProcessName);
    if (it == m_names.end() || *it != rec.ProcessName)
        m_names.insert(it, rec.ProcessName);
}

int ProgramList::Count() const
{
    return static_cast<int>(m_names.size());
}

// Placeholder implementation: literal, slow, correct. Replaced by the indexed one.
struct ConnectionList::Impl {
    std::vector<std::unique_ptr<TMyRec>> rows;
    int sortColumn = ColProcess;
    SortDirection direction = SortDirection::Ascending;
    const TMyRec *selected = nullptr;
    const TMyRec *focused = nullptr;
    ConnectionListObserver *observer = nullptr;

    int indexOf(const TMyRec *rec) const
    {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].get() == rec)
                return static_cast<int>(i);
        return -1;
    }
    void sortRows()
    {
        const int column = sortColumn;
        const bool asc = direction == SortDirection::Ascending;
        std::stable_sort(rows.begin(), rows.end(), [&](const auto &a, const auto &b) {
            const int c = VTSCompareNodes(a.get(), b.get(), column);
            return asc ? c < 0 : c > 0;
        });
    }
};

ConnectionList::ConnectionList() : m_impl(std::make_unique<Impl>()) {}
ConnectionList::~ConnectionList() = default;

void ConnectionList::SetObserver(ConnectionListObserver *observer) { m_impl->observer = observer; }
int ConnectionList::RowCount() const { return static_cast<int>(m_impl->rows.size()); }
const TMyRec &ConnectionList::Record(int row) const { return *m_impl->rows.at(row); }
int ConnectionList::SortColumn() const { return m_impl->sortColumn; }
SortDirection ConnectionList::Direction() const { return m_impl->direction; }
int ConnectionList::SelectedRow() const { return m_impl->indexOf(m_impl->selected); }
int ConnectionList::FocusedRow() const { return m_impl->indexOf(m_impl->focused); }

void ConnectionList::SetSort(int column, SortDirection direction)
{
    auto &d = *m_impl;
    std::vector<const TMyRec *> before;
    for (auto &r : d.rows)
        before.push_back(r.get());
    if (d.observer)
        d.observer->LayoutAboutToBeChanged();
    d.sortColumn = column;
    d.direction = direction;
    d.sortRows();
    std::vector<int> oldToNew(before.size());
    for (size_t i = 0; i < before.size(); ++i)
        oldToNew[i] = d.indexOf(before[i]);
    if (d.observer)
        d.observer->LayoutChanged(oldToNew);
}

void ConnectionList::HeaderClick(int column)
{
    if (column == ColManage)
        return;
    SetSort(column, m_impl->direction == SortDirection::Ascending ? SortDirection::Descending
                                                                  : SortDirection::Ascending);
}

void ConnectionList::SetSelectedRow(int row)
{
    m_impl->selected = row >= 0 && row < RowCount() ? m_impl->rows[row].get() : nullptr;
    if (m_impl->observer)
        m_impl->observer->SelectionChanged();
}

void ConnectionList::SetFocusedRow(int row)
{
    m_impl->focused = row >= 0 && row < RowCount() ? m_impl->rows[row].get() : nullptr;
    if (m_impl->observer)
        m_impl->observer->SelectionChanged();
}

FillCounts ConnectionList::FillList(const TcpUdpTables &tables, bool showLocal)
{
    auto &d = *m_impl;
    ProgramList programs;
    auto append = [&](const File_Rec &source, const char *protocol) {
        // The list sorts itself with the new, still empty row in it.
        d.rows.push_back(std::make_unique<TMyRec>());
        TMyRec *rec = d.rows.back().get();
        d.sortRows();
        FillRow(*rec, source, protocol, "");
        programs.NoteProgram(*rec);
        if (IsHiddenLoopback(*rec, showLocal))
            d.rows.erase(d.rows.begin() + d.indexOf(rec));
    };
    for (const auto &r : tables.TcpRecs)
        append(r, "TCP");
    for (const auto &r : tables.UdpRecs)
        append(r, "UDP");
    if (d.observer && !d.rows.empty()) {
        d.observer->RowsAboutToBeInserted(0, RowCount() - 1);
        d.observer->RowsInserted();
    }
    FillCounts counts;
    counts.NetCount = RowCount();
    if (!d.rows.empty()) {
        SetSelectedRow(0);
        SetFocusedRow(0);
    }
    SetSort(d.sortColumn, d.direction);
    counts.AppCount = programs.Count();
    return counts;
}

FillCounts ConnectionList::RefreshList(TcpUdpTables &, bool)
{
    throw std::logic_error("RefreshList is not built yet");
}

}  // namespace quorvex
