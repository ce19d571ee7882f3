#pragma once

// The system's fixed user-interface texts, UTF-8 in the source, in one place
// for every front-end. Texts that go into records or reports pass through
// SystemText() first; a widget takes them as they are (UTF-8). The column
// captions live with the column table (core/columns.h).
namespace quorvex::texts {

inline constexpr const char *ApplicationTitle = "OndriQuorvex";
inline constexpr const char *InitialCaption = "OndriQuorvex V$V$(网络连接查看器)";
inline constexpr const char *Version = "3.0";
inline constexpr const char *AlreadyRunning = "The program already start";

inline constexpr const char *SystemProcessMsg = "系统进程，不能结束。";
inline constexpr const char *NotEnabledText = "未启用";
inline constexpr const char *ExitConfirmMsg = "您确认要退出网络连接查看器?";
inline constexpr const char *EndFailedMsg = "无法结束进程!";
inline constexpr const char *SystemProcessDesc = "系统核心内存管理进程，拥有最高优先权，没有它系统无法启动。";
inline constexpr const char *IdleProcessDesc =
    "系统核心虚拟进程，用来表示系统的空闲状态，这个数值越大CPU的空闲率就越高，反之就是CPU的占用率越高。";
inline constexpr const char *EndSystemConfirmMsg = "这是系统进程，结束该进程可能引起系统无法运行，仍要结束?";

// The main window's top bar: the counters line, read as "当前有 <programs>
// 个程序已连接或尝试连接网络，共建立 <rows> 个连接。", and the three link buttons.
inline constexpr const char *CountersBefore = "当前有";
inline constexpr const char *CountersBetween = "个程序已连接或尝试连接网络，共建立";
inline constexpr const char *CountersAfter = "个连接。";
inline constexpr const char *HelpButton = "帮助";
inline constexpr const char *UpdateButton = "更新";
inline constexpr const char *HomePageButton = "主页";

// The main window's bottom bar.
inline constexpr const char *ShowLocalBox = "显示本地连接";
inline constexpr const char *AutoRefreshBox = "自动刷新";
inline constexpr const char *AlwaysTopBox = "始终保持在其他窗口前端";
inline constexpr const char *ShowInfoBox = "显示文件详细信息";
inline constexpr const char *RefreshButton = "刷新";
inline constexpr const char *EndProcessButton = "结束进程";
inline constexpr const char *MailLabel = "Email:";
// The always-on-top box's tooltip where the window system gives a program
// no way to stay above the others (a Wayland session without X11).
inline constexpr const char *AlwaysTopUnavailable = "此桌面不允许程序让窗口始终保持在其他窗口前端。";

// The row menu's items, in menu order, with their access keys.
inline constexpr const char *ProcInfoItem = "进程信息";
inline constexpr const char *EndProcItem = "结束进程(&E)";
inline constexpr const char *CopyItem = "拷贝到剪贴板";
inline constexpr const char *LocateItem = "定位文件";
inline constexpr const char *PropertyItem = "属性(&R)";
inline constexpr const char *ExportItem = "导出列表…";

// Working with a long list: the filter field of the top bar, the export's
// save dialog, file types and page, and the keys the tooltips name.
inline constexpr const char *FilterPlaceholder = "筛选";
inline constexpr const char *FilterToolTip = "只显示含有所输入文字的连接，不区分大小写 (Ctrl+F)；Esc 清除筛选";
inline constexpr const char *OptionsToolTip = "显示选项。筛选列表: Ctrl+F；导出列表: Ctrl+S";
inline constexpr const char *ExportDialogCaption = "导出列表";
inline constexpr const char *ExportFileName = "网络连接列表";
inline constexpr const char *ExportCsvType = "CSV 文件";
inline constexpr const char *ExportJsonType = "JSON 文件";
inline constexpr const char *ExportHtmlType = "HTML 网页";
inline constexpr const char *ExportPageTitle = "网络连接列表";
inline constexpr const char *ExportTakenAt = "导出时间：";
// %1 is the file's full path, %2 the system's reason.
inline constexpr const char *ExportFailedMsg = "无法保存文件 %1：%2";

// Closing a TCP connection from the row menu: the item, the question (%1 the
// local end, %2 the remote end, each as address:port) and why it failed.
inline constexpr const char *CloseConnectionItem = "关闭连接";
inline constexpr const char *CloseConnectionConfirmMsg = "确定要关闭这个连接吗?\n本地: %1\n目标: %2";
inline constexpr const char *CloseNotPermittedMsg =
    "无法关闭连接: 权限不足。关闭连接需要管理员权限(Linux 上为 root 或 CAP_NET_ADMIN)。";
inline constexpr const char *CloseGoneMsg = "无法关闭连接: 这个连接已经不存在了。";
inline constexpr const char *CloseIpv6NotSupportedMsg = "无法关闭连接: Windows 不能关闭 IPv6 连接。";
inline constexpr const char *CloseFailedMsg = "无法关闭连接(系统错误 %1)。";

// The process details dialog.
// The top bar's options menu: the view options beyond the bottom bar's boxes.
inline constexpr const char *OptionsButton = "选项";
inline constexpr const char *ShowIPv6Option = "显示IPv6连接";
inline constexpr const char *ShowTrafficOption = "显示流量";
inline constexpr const char *HighlightChangesOption = "突出显示变化";

inline constexpr const char *ProcInfoCaption = "进程详细信息";
inline constexpr const char *ProcInfoPidPrefix = "PID:";
inline constexpr const char *ProcInfoPathLabel = "文件路径: ";
inline constexpr const char *ProcInfoLocateLink = "定位文件";
inline constexpr const char *ProcInfoOkButton = "确定";

// What a screen reader announces for controls whose text alone says little;
// %1 is the counter's value.
inline constexpr const char *AppCountAccessibleName = "已连接或尝试连接网络的程序数：%1";
inline constexpr const char *NetCountAccessibleName = "连接数：%1";
inline constexpr const char *ListAccessibleName = "网络连接列表";

// The maker's pages; the one place that names them.
inline constexpr const char *HomePageUrl = "https://ondriquorvex.example.org/";
inline constexpr const char *UpdateUrl = "https://ondriquorvex.example.org/update.html";
inline constexpr const char *ReportSiteUrl = "https://ondriquorvex.example.org";
inline constexpr const char *ContactAddress = "support@ondriquorvex.example.org";

}  // namespace quorvex::texts
