#include "platform/console_output.h"

namespace quorvex {

void UseUtf8Console() {}

}  // namespace quorvex
