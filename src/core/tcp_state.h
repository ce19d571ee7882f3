#pragma once

#include <cstdint>
#include <string>

namespace quorvex {

// Display name of a TCP state number (the Windows MIB_TCP_STATE numbering),
// in the system's encoding. Numbers outside 1..12 give "未知状态" followed by
// the number as a signed decimal.
std::string GetTcpStateName(int32_t State);

// The state number a display name stands for, the inverse of
// GetTcpStateName; 0 for a text that is no such name (a UDP row's empty one).
int32_t TcpStateFromName(const std::string &name);

}  // namespace quorvex
