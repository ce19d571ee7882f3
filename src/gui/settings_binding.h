#pragma once

namespace quorvex {

class MainController;

/// Keeps the four boxes in the settings file "Quorvex.ini": beside the
/// executable, or in the user's configuration directory when the program is
/// installed where it cannot write. Call before the window's Create().
void BindSettingsFile(MainController &controller);

}  // namespace quorvex
