#pragma once

// The system's fixed user-interface texts, UTF-8 in the source. Texts that go
// into records or reports pass through SystemText() first.
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
