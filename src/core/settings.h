#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/text_file.h"

namespace quorvex {

inline constexpr const char *SettingsFileName = "Quorvex.ini";
inline constexpr const char *SettingsSection = "Set";

/// The bottom bar's four boxes and the view options, by the tags the
/// handlers pass to SaveSetting.
enum SettingTag : int {
    TagShowLocal = 1,
    TagAutoRefresh = 2,
    TagAlwaysTop = 3,
    TagShowInfo = 4,
    TagShowIPv6 = 5,
    TagShowTraffic = 6,
    TagHighlightChanges = 7,
};
inline constexpr int SettingTags[] = {TagShowLocal, TagAutoRefresh, TagAlwaysTop,       TagShowInfo,
                                      TagShowIPv6,  TagShowTraffic, TagHighlightChanges};

/// The remembered switches; the defaults are the boxes' initial states, and
/// every view option is off. A file without the options' keys (written by a
/// build without them) reads as all options off; a build without them reads
/// a file with them as it always did.
struct SettingsValues {
    bool ShowLocal = true;
    bool AutoRefresh = false;
    bool AlwaysTop = true;
    bool ShowInfo = false;
    bool ShowIPv6 = false;
    bool ShowTraffic = false;
    bool HighlightChanges = false;

    bool &Value(int tag);
    bool Value(int tag) const { return const_cast<SettingsValues *>(this)->Value(tag); }
};

/// The key of a tag; nullptr for any tag but those of SettingTags.
const char *SettingKey(int tag);

/// Who runs the program and who owns the places the file could go (Linux).
struct SettingsOwners {
    uint32_t User = 0;  // the effective user; 0 is root
    uint32_t AppDirOwner = 0;
    /// The owner of the per-user settings folder, or of its nearest existing
    /// parent: under `sudo -E` root still sees the caller's configuration
    /// directory, which is not root's to fill (root then takes its account's).
    uint32_t ConfigDirOwner = 0;
};

/// What the platform found out about the places the settings could live.
struct SettingsPlaceFacts {
    std::string AppDir;      // the executable's directory, ending in its separator
    std::string ConfigHome;  // the user's configuration directory; empty when there is none
    /// The account's own configuration directory (from the password database),
    /// root's when ConfigHome belongs to another user; may be empty.
    std::string AccountConfigHome;
    bool FileBesideExists = false;    // anything at AppDir + SettingsFileName
    bool FileBesideWritable = false;  // a file there that the user may replace
    bool AppDirWritable = false;      // the user may create files in AppDir
    /// Where files have owners; without them (Windows) writability decides.
    std::optional<SettingsOwners> Owners;
};

/// The settings file, and the file whose values stand while it does not
/// exist yet (empty: none).
struct SettingsPlace {
    std::string Path;
    std::string SeedPath;
};

/// Where the settings live. Beside the executable when the user may write
/// the file there, or, when there is none, may create it in a folder of
/// their own; root only in a folder root owns outside the system folders
/// (/usr, /bin, /sbin, /lib*, /opt), so that one run with sudo leaves no file
/// that later runs as a user cannot write. Otherwise the user's own file,
/// ConfigHome/OndriQuorvex/Quorvex.ini, which starts from the values of a file
/// beside the executable. Without a configuration directory the file stays
/// beside the executable, whatever its fate.
SettingsPlace ChooseSettingsPlace(const SettingsPlaceFacts &facts);

/// The settings file, addressed by its full path at every access (no handle
/// stays open). Writes go through `writer`, which must replace the file as a
/// whole or leave it as it was (the platform's WriteSettingsFile does).
class SettingsStore {
public:
    using TextWriter = std::function<bool(const std::string &path, const std::string &text)>;

    /// `newFileEol` ends the lines of a file this store creates. While there
    /// is no file at `path`, the file at `seedPath` (if any) is read instead,
    /// and the first write starts from its text: the settings of a file
    /// beside the executable carry over into the user's own. Both halves are
    /// needed: reading alone would drop the other stored values at the first
    /// write, and copying at start would create a file nobody asked for.
    SettingsStore(std::string path, TextWriter writer, std::string newFileEol = "\n", std::string seedPath = {});

    const std::string &Path() const;

    /// The four values; never fails: anything wrong gives the defaults.
    SettingsValues Read() const;

    /// Writes "1" or "0" to the key of `tag`; any other tag writes nothing,
    /// and so does a write that would leave the file's bytes as they are (a
    /// read-only file that already says so does not fail). Throws
    /// std::runtime_error("Unable to write to <path>") when the file cannot
    /// be written (read-only file or directory, full disk, a file that
    /// exists but cannot be read and so cannot be kept). Called by each box's
    /// handler right after it copied the box's state into its mirror field.
    void SaveSetting(int tag, bool value);

private:
    std::string m_path;
    TextWriter m_writer;
    std::string m_newFileEol;
    std::string m_seedPath;
};

/// Runs when LoadSettings changes a box: sets the box to `value` so that its
/// handler runs as for a click (mirror field, SaveSetting, the handler's own
/// work). Throwing, or returning false, reports that the handler failed.
using ApplySetting = std::function<bool(int tag, bool value)>;

/// Reads the keys in tag order and returns them (the mirror fields take
/// these values). Then, in the same order, calls `applyBox` for each value
/// that differs from its box's initial state. The first failure ends the
/// apply phase silently: the later boxes keep their initial states. With no
/// file, or only default values, nothing is applied and nothing is written.
SettingsValues LoadSettings(const SettingsStore &store, const ApplySetting &applyBox);

}  // namespace quorvex
