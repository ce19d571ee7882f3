#include "gui/display_check.h"

namespace quorvex {

DisplaySettings CurrentDisplaySettings(int, char **)
{
    return {};
}

bool HasDisplay(const DisplaySettings &)
{
    return true;  // every interactive Windows session has its desktop
}

}  // namespace quorvex
