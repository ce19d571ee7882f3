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

// The process details dialog.
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
