#include "core/columns.h"

#include "core/fixed_texts.h"
#include "core/text_forms.h"

namespace quorvex {

const ColumnInfo &GetColumnInfo(int column)
{
    static const ColumnInfo columns[ColumnCount] = {
        {"进程ID", 24, false},   {"进程", 120, true},     {"安全等级", 80, false},
        {"协议", 60, true},      {"本地IP", 100, true},   {"本地端口", 80, true},
        {"目标IP", 130, true},   {"目标端口", 110, true}, {"状态", 80, true},
        {"管理", 40, true, true},      {"文件路径", 260, false}, {"文件说明", 150, false},
        {"公司", 80, false},     {"备注", 50, false},
    };
    static const ColumnInfo none = {"", 0, false};
    return column >= 0 && column < ColumnCount ? columns[column] : none;
}

std::string VTSGetText(const TMyRec *rec, int column)
{
    if (!rec)
        return {};
    switch (column) {
    case ColPid: return rec->Pid;
    case ColProcess: return rec->ProcessName;
    case ColSecurity: {
        static const std::string notEnabled = SystemText(texts::NotEnabledText);
        return notEnabled;
    }
    case ColProtocol: return rec->Protocol;
    case ColLocalIp: return rec->LocalIp;
    case ColLocalPort: return rec->LocalPort;
    case ColRemoteIp: return rec->RemoteIp;
    case ColRemotePort: return rec->RemotePort;
    case ColState: return rec->StateText;
    case ColPath: return rec->ProcessPath;
    case ColDescription: return rec->Description;
    case ColCompany: return rec->CompanyName;
    case ColRemark: return rec->Remark;
    default: return {};
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
    const std::string *a = SortField(*row1, column);
    if (!a)
        return 0;
    return CompareText(*a, *SortField(*row2, column));
}

}  // namespace quorvex
