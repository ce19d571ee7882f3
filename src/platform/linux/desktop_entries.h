#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvex {

/// The keys of a .desktop file's [Desktop Entry] group that tell which
/// program the entry starts and what its icon is.
struct DesktopEntry {
    std::string Type;
    std::string Exec;
    std::string TryExec;
    std::string Icon;
    bool Hidden = false;  // Hidden=true: the entry counts as deleted
};

/// Reads the [Desktop Entry] group of a desktop file's text; other groups
/// (actions) and localised keys are skipped. Value escapes (\s \n \t \r \\)
/// are undone.
DesktopEntry ParseDesktopEntry(std::string_view text);

/// The program an Exec value starts: its first word with quoting removed,
/// after a leading `env` and its NAME=value words. Empty when there is none.
std::string ExecProgram(std::string_view exec);

/// realpath(3) of a path; empty when it cannot be resolved.
std::string CanonicalPath(const std::string &path);

/// Executable file -> icon name, built from the desktop entries of the XDG
/// application folders. Keys are canonical paths, because /proc names the
/// resolved executable while entries often name a link or a bare file name.
class DesktopEntryIndex {
public:
    /// $XDG_DATA_HOME/applications (default ~/.local/share), then
    /// $XDG_DATA_DIRS/applications for each entry (default
    /// /usr/local/share:/usr/share), most important first.
    static std::vector<std::string> ApplicationDirs();
    /// The folders of $PATH, in order.
    static std::vector<std::string> SearchPath();

    /// Indexes every *.desktop file below `dirs` (subfolders included). An
    /// entry found earlier wins, both for the same desktop-file ID and for
    /// the same executable. Bare program names are looked up in `path`.
    void Build(const std::vector<std::string> &dirs, const std::vector<std::string> &path);
    /// Rebuilds when the folders' modification times changed since the last
    /// build; checks at most once per `intervalMs` of `nowMs`. True when it rebuilt.
    bool RebuildIfChanged(int64_t nowMs, int64_t intervalMs = 5000);

    /// Icon of the entry that starts the executable at `path` (resolved to its
    /// canonical form); empty when no entry names it.
    std::string IconFor(const std::string &path) const;
    size_t Size() const { return m_icons.size(); }

private:
    std::string Signature() const;
    void Add(const std::string &program, const std::string &icon);

    std::vector<std::string> m_dirs;
    std::vector<std::string> m_path;
    std::string m_signature;
    int64_t m_lastCheck = 0;
    bool m_checked = false;
    std::unordered_map<std::string, std::string> m_icons;
};

}  // namespace quorvex
