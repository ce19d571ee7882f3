#include "core/tcp_state.h"

#include <charconv>

#include "core/text_forms.h"

namespace quorvex {

std::string GetTcpStateName(int32_t State)
{
    static const char *const names[] = {
        "关闭", "监听", "同步发送", "同步接收", "已建立", "等待完成1",
        "等待完成2", "等待关闭", "正在关闭", "最后确认", "等待时间", "删除",
    };
    // The range test is unsigned, so 0 and negative numbers fall through to
    // the unknown text, where the number is written signed.
    const auto number = static_cast<uint32_t>(State);
    if (number >= 1 && number <= 12)
        return SystemText(names[number - 1]);
    return SystemText("未知状态") + std::to_string(State);
}

}  // namespace quorvex

namespace quorvex {

int32_t TcpStateFromName(const std::string &name)
{
    for (int32_t state = 1; state <= 12; ++state)
        if (name == GetTcpStateName(state))
            return state;
    const std::string unknown = SystemText("未知状态");
    if (name.size() <= unknown.size() || name.compare(0, unknown.size(), unknown) != 0)
        return 0;
    int32_t number = 0;
    const char *first = name.data() + unknown.size();
    const char *last = name.data() + name.size();
    const auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last ? number : 0;
}

}  // namespace quorvex
