#pragma once

#include <functional>
#include <string>

#include "core/settings.h"

namespace quorvex {

class MainController;

/// Opens the settings file that belongs to the executable's directory
/// `appDir` (with its trailing separator); it decides where the file lives.
using SettingsStoreFactory = std::function<SettingsStore(const std::string &appDir)>;

/// Joins the settings file to the window's start-up and its four boxes.
/// In FormCreate, Hooks.LoadSettings opens the store for the controller's AppDir, reads the
/// four keys into the mirror fields and sets each box whose stored value
/// differs from its initial state through SetChecked, so that its handler
/// runs as for a click; a failure there ends the setting of boxes silently.
/// From then on every box handler writes its mirror field to its key; a
/// failed write throws "Unable to write to <path>", which the handler lets
/// go once the box's work is done and the controller's Guard turns into the
/// error report. Install before FormCreate runs.
void AttachSettings(MainController &controller, SettingsStoreFactory openStore);

}  // namespace quorvex
