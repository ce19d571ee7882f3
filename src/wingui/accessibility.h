#pragma once

#include <string>

#include <windows.h>

namespace quorvex::win {

/// What a screen reader announces for a control whose text alone says
/// little, through the system's dynamic annotation (IAccPropServices):
/// the name, and where given a role (ROLE_SYSTEM_*) other than the
/// control's own. Calling it again replaces the name. False where the
/// system offers no annotation; the control then keeps the name its text
/// gives it. The thread must have COM initialised.
bool SetAccessibleName(HWND control, const std::wstring &name, long role = 0);

}  // namespace quorvex::win
