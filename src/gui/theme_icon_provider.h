#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QMimeDatabase>

#include "gui/icon_cache.h"

namespace quorvex {

/// Icons from the freedesktop icon theme. The icon of a path is decided from
/// the path alone: the icon of a desktop entry that starts this executable,
/// else the icon of the MIME type its name suggests, else the generic
/// executable icon. Each distinct icon name gets a stable index; the answer
/// for a path is memoised, so a repeated lookup is one hash probe.
class ThemeIconProvider : public SystemIconProvider {
public:
    /// Icon name of the desktop entry that starts `path`, or empty.
    using DesktopLookup = std::function<std::string(const std::string &path)>;
    /// True when the desktop entries changed since the last call; the
    /// memoised answers are dropped then (indexes of names stay).
    using ChangeCheck = std::function<bool()>;

    explicit ThemeIconProvider(DesktopLookup lookup = {}, ChangeCheck changed = {});

    int SystemIconIndex(const std::string &path) override;
    QIcon SystemIcon(int index) override;

    /// The icon name decided for a path (not memoised).
    std::string IconKey(const std::string &path) const;
    /// The icon name behind an index; empty when unknown.
    std::string KeyOf(int index) const;

    static constexpr const char *ExecutableIcon = "application-x-executable";

private:
    DesktopLookup m_lookup;
    ChangeCheck m_changed;
    QMimeDatabase m_mime;
    std::unordered_map<std::string, int> m_pathIndex;
    std::unordered_map<std::string, int> m_keyIndex;
    std::vector<std::string> m_keys;
};

}  // namespace quorvex
