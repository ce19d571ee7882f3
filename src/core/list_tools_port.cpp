#include "core/list_tools_port.h"

namespace quorvex {

std::string FilterCountText(int shown, int total)
{
    return std::to_string(shown) + " / " + std::to_string(total);
}

}  // namespace quorvex
