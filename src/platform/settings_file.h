#pragma once

#include <string>

#include "core/settings.h"

namespace quorvex {

/// Where the settings file of the executable's directory `appDir` (with its
/// trailing separator) lives: the facts about the places it could go, found
/// here, decided by ChooseSettingsPlace. Called once, at start-up.
SettingsPlace SettingsFilePlace(const std::string &appDir);

/// The user's configuration directory (XDG_CONFIG_HOME, else ~/.config on
/// Linux; the roaming application data folder on Windows); empty when it
/// cannot be had.
std::string UserConfigDirectory();

/// Writes the settings text: creates the file's directory when it is missing,
/// then replaces the file atomically. The SettingsStore's writer.
bool WriteSettingsFile(const std::string &path, const std::string &text);

}  // namespace quorvex
