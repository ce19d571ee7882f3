#include "gui/theme_icon_provider.h"

#include <QFileInfo>

#include "gui/system_text.h"

namespace quorvex {

ThemeIconProvider::ThemeIconProvider(DesktopLookup lookup, ChangeCheck changed)
    : m_lookup(std::move(lookup)), m_changed(std::move(changed))
{
}

std::string ThemeIconProvider::IconKey(const std::string &path) const
{
    if (m_lookup) {
        std::string icon = m_lookup(path);
        if (!icon.empty())
            return icon;
    }
    const QString name = FromSystemText(path);
    const QMimeType mime = m_mime.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (mime.isValid() && !mime.isDefault()) {
        if (QIcon::hasThemeIcon(mime.iconName()))
            return ToSystemText(mime.iconName());
        if (!mime.genericIconName().isEmpty())
            return ToSystemText(mime.genericIconName());
    }
    return ExecutableIcon;
}

int ThemeIconProvider::SystemIconIndex(const std::string &path)
{
    if (m_changed && m_changed())
        m_pathIndex.clear();
    if (auto it = m_pathIndex.find(path); it != m_pathIndex.end())
        return it->second;
    const std::string key = IconKey(path);
    auto [it, added] = m_keyIndex.emplace(key, static_cast<int>(m_keys.size()));
    if (added)
        m_keys.push_back(key);
    m_pathIndex.emplace(path, it->second);
    return it->second;
}

std::string ThemeIconProvider::KeyOf(int index) const
{
    return index >= 0 && index < static_cast<int>(m_keys.size()) ? m_keys[static_cast<size_t>(index)]
                                                                  : std::string();
}

QIcon ThemeIconProvider::SystemIcon(int index)
{
    const QString key = FromSystemText(KeyOf(index));
    if (key.isEmpty())
        return {};
    QIcon icon;
    if (QFileInfo(key).isAbsolute()) {
        // Desktop entries may name an image file instead of a theme icon.
        icon = QIcon(key);
    } else {
        QString name = key;
        for (const char *ext : {".png", ".svg", ".xpm"})
            if (name.endsWith(QLatin1String(ext)))
                name.chop(4);
        icon = QIcon::fromTheme(name);
    }
    if (icon.isNull())
        icon = QIcon::fromTheme(QString::fromLatin1(ExecutableIcon));
    return icon;
}

}  // namespace quorvex
