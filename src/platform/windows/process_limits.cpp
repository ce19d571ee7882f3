#include "platform/process_limits.h"

namespace quorvex {

bool RaiseOpenFileLimit()
{
    return true;
}

}  // namespace quorvex
