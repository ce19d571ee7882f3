#pragma once

#include <functional>
#include <string>

#include "core/text_file.h"

namespace quorvex {

inline constexpr const char *SettingsFileName = "Quorvex.ini";
inline constexpr const char *SettingsSection = "Set";

/// The bottom bar's four boxes, by the tags the handlers pass to SaveSetting.
enum SettingTag : int {
    TagShowLocal = 1,
    TagAutoRefresh = 2,
    TagAlwaysTop = 3,
    TagShowInfo = 4,
};

/// The four remembered switches; the defaults are the boxes' initial states.
struct SettingsValues {
    bool ShowLocal = true;
    bool AutoRefresh = false;
    bool AlwaysTop = true;
    bool ShowInfo = false;
};

/// The key of a tag; nullptr for any tag but 1 to 4.
const char *SettingKey(int tag);

/// Where the settings live. Normally beside the executable (`appDir` ends in
/// its separator). An installed program cannot write there, so when the
/// directory is not writable and holds no settings file yet, the file goes to
/// the user's configuration directory instead; an empty `configHome` leaves
/// the path beside the executable.
std::string ChooseSettingsPath(const std::string &appDir, bool appDirWritable, bool fileBesideExists,
                               const std::string &configHome);

/// The settings file, addressed by its full path at every access (no handle
/// stays open). Writes go through `writer`, which must replace the file as a
/// whole or leave it as it was (the platform's WriteSettingsFile does).
class SettingsStore {
public:
    using TextWriter = std::function<bool(const std::string &path, const std::string &text)>;

    /// `newFileEol` ends the lines of a file this store creates.
    SettingsStore(std::string path, TextWriter writer, std::string newFileEol = "\n");

    const std::string &Path() const;

    /// The four values; never fails: anything wrong gives the defaults.
    SettingsValues Read() const;

    /// Writes "1" or "0" to the key of `tag`; any other tag writes nothing.
    /// Throws std::runtime_error("Unable to write to <path>") when the file
    /// cannot be written (read-only file or directory, full disk, a file that
    /// exists but cannot be read and so cannot be kept). Called by each box's
    /// handler right after it copied the box's state into its mirror field.
    void SaveSetting(int tag, bool value);

private:
    std::string m_path;
    TextWriter m_writer;
    std::string m_newFileEol;
};

/// Runs when LoadSettings changes a box: sets the box to `value` so that its
/// handler runs as for a click (mirror field, SaveSetting, the handler's own
/// work). Throwing, or returning false, reports that the handler failed.
using ApplySetting = std::function<bool(int tag, bool value)>;

/// Reads the four keys in tag order and returns them (the mirror fields take
/// these values). Then, in the same order, calls `applyBox` for each value
/// that differs from its box's initial state. The first failure ends the
/// apply phase silently: the later boxes keep their initial states. With no
/// file, or only default values, nothing is applied and nothing is written.
SettingsValues LoadSettings(const SettingsStore &store, const ApplySetting &applyBox);

}  // namespace quorvex
