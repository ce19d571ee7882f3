#include "core/columns.h"

#include <algorithm>
#include <iterator>

#include "core/fixed_texts.h"
#include "core/text_forms.h"

namespace quorvex {

const ColumnInfo &GetColumnInfo(int column)
{
    static const ColumnInfo columns[ColumnCount] = {
        {"进程ID", 24, false},   {"进程", 120, true},     {"安全等级", 80, false},
        {"协议", 60, true},      {"本地IP", 100, true},   {"本地端口", 80, true},
        {"目标IP", 130, true},   {"目标端口", 110, true}, {"状态", 80, true},
        {"管理", 40, true, true}, {"文件路径", 260, false}, {"文件说明", 150, false},
        {"公司", 80, false},     {"备注", 50, false},
        // Fixed = false, AlignRight = true
        {"已发送", 75, false, false, true}, {"已接收", 75, false, false, true},
        {"速率", 80, false, false, true},
    };
    static const ColumnInfo none = {"", 0, false};
    return column >= 0 && column < ColumnCount ? columns[column] : none;
}

std::vector<int> VisibleColumns(bool showInfo, bool showTraffic)
{
    const auto in = [](const auto &group, int column) {
        return std::find(std::begin(group), std::end(group), column) != std::end(group);
    };
    std::vector<int> columns;
    for (int column = 0; column < ColumnCount; ++column) {
        const bool shown = in(InfoColumns, column)      ? showInfo
                           : in(TrafficColumns, column) ? showTraffic
                                                        : GetColumnInfo(column).VisibleAtStart;
        if (shown)
            columns.push_back(column);
    }
    return columns;
}

std::string VTSGetText(const TMyRec *rec, int column)
{
    if (!rec)
        return {};
    std::string scratch;
    return std::string(CellText(*rec, column, scratch));
}

std::string_view CellText(const TMyRec &rec, int column, std::string &scratch)
{
    switch (column) {
    case ColPid: return rec.Pid;
    case ColProcess: return rec.ProcessName;
    case ColSecurity: {
        static const std::string notEnabled = SystemText(texts::NotEnabledText);
        return notEnabled;
    }
    case ColProtocol: return rec.Protocol;
    case ColLocalIp: return rec.LocalIp;
    case ColLocalPort: return rec.LocalPort;
    case ColRemoteIp: return rec.RemoteIp;
    case ColRemotePort: return rec.RemotePort;
    case ColState: return rec.StateText;
    case ColPath: return rec.ProcessPath;
    case ColDescription: return rec.Description;
    case ColCompany: return rec.CompanyName;
    case ColRemark: return rec.Remark;
    // The traffic columns' texts are made from numbers, in `scratch`.
    case ColSent: return scratch = rec.Traffic ? FormatByteCount(rec.Traffic->Sent) : std::string();
    case ColReceived: return scratch = rec.Traffic ? FormatByteCount(rec.Traffic->Received) : std::string();
    case ColRate: return scratch = rec.Rate ? FormatByteRate(*rec.Rate) : std::string();
    default: return {};
    }
}

bool IsNumericColumn(int column)
{
    return column == ColSent || column == ColReceived || column == ColRate;
}

std::optional<uint64_t> SortNumber(const TMyRec &rec, int column)
{
    switch (column) {
    case ColSent: return rec.Traffic ? std::optional<uint64_t>(rec.Traffic->Sent) : std::nullopt;
    case ColReceived: return rec.Traffic ? std::optional<uint64_t>(rec.Traffic->Received) : std::nullopt;
    case ColRate: return rec.Rate;
    default: return std::nullopt;
    }
}

const std::string *SortField(const TMyRec &rec, int column)
{
    switch (column) {
    case ColProcess: return &rec.ProcessName;
    case ColProtocol: return &rec.Protocol;
    case ColLocalIp: return &rec.LocalIp;
    case ColLocalPort: return &rec.LocalPort;
    case ColRemoteIp: return &rec.RemoteIp;
    case ColRemotePort: return &rec.RemotePort;
    case ColState: return &rec.StateText;
    case ColPath: return &rec.ProcessPath;
    case ColDescription: return &rec.Description;
    case ColCompany: return &rec.CompanyName;
    default: return nullptr;  // 0 shows the PID but does not order by it
    }
}

int CompareText(const std::string &a, const std::string &b)
{
    // Walks both texts as if each ended in a zero byte; std::string's
    // operator[] at size() gives exactly that terminator.
    const auto *pa = reinterpret_cast<const unsigned char *>(a.c_str());
    const auto *pb = reinterpret_cast<const unsigned char *>(b.c_str());
    for (;; ++pa, ++pb) {
        unsigned ca = *pa;
        unsigned cb = *pb;
        if (ca == cb) {
            if (ca == 0)
                return 0;
            continue;
        }
        if (ca >= 'a' && ca <= 'z')
            ca -= 0x20;
        if (cb >= 'a' && cb <= 'z')
            cb -= 0x20;
        if (ca != cb)
            return static_cast<int>(ca) - static_cast<int>(cb);
    }
}

int VTSCompareNodes(const TMyRec *row1, const TMyRec *row2, int column)
{
    if (!row1 || !row2)
        return 0;
    if (IsNumericColumn(column)) {
        const std::optional<uint64_t> a = SortNumber(*row1, column);
        const std::optional<uint64_t> b = SortNumber(*row2, column);
        if (a == b)
            return 0;
        return a < b ? -1 : 1;  // none before every number
    }
    const std::string *a = SortField(*row1, column);
    if (!a)
        return 0;
    return CompareText(*a, *SortField(*row2, column));
}

}  // namespace quorvex
