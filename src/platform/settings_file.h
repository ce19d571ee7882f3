#pragma once

#include <string>

namespace quorvex {

/// The settings file's full path for the executable's directory `appDir`
/// (with its trailing separator): beside the executable when that directory
/// is writable or already holds the file, otherwise in the user's
/// configuration directory (see ChooseSettingsPath).
std::string SettingsFilePath(const std::string &appDir);

/// The user's configuration directory (XDG_CONFIG_HOME, else ~/.config on
/// Linux); empty when it cannot be had.
std::string UserConfigDirectory();

/// Writes the settings text: creates the file's directory when it is missing,
/// then replaces the file atomically. The SettingsStore's writer.
bool WriteSettingsFile(const std::string &path, const std::string &text);

}  // namespace quorvex
