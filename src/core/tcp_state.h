#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

// Display name of a TCP state number (the Windows MIB_TCP_STATE numbering),
// in the system's encoding. Numbers outside 1..12 give "未知状态" followed by
// the number as a signed decimal.
std::string GetTcpStateName(int32_t State);

}  // namespace quorvex
