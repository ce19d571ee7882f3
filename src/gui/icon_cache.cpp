#include "gui/icon_cache.h"

#include <QPainter>

namespace quorvex {

IconCache::IconCache(int size, std::shared_ptr<SystemIconProvider> provider)
    : m_size(size), m_provider(std::move(provider)), m_list(size, size, *this)
{
}

QPixmap IconCache::Image(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_images[static_cast<size_t>(index)];
}

QVariant IconCache::Decoration(const std::string &processPath)
{
    const int index = GetFileIconIndex(processPath);
    return index >= 0 ? QVariant(m_images[static_cast<size_t>(index)]) : QVariant();
}

int IconCache::GetSystemIconIndex(const std::string &path)
{
    return m_provider ? m_provider->SystemIconIndex(path) : -1;
}

void IconCache::BindSystemImageList(bool)
{
    // The provider serves every size from one index space; nothing to bind.
}

int IconCache::CopySystemIcon(int systemIndex)
{
    if (!m_provider)
        return -1;
    const QIcon icon = m_provider->SystemIcon(systemIndex);
    if (icon.isNull())
        return -1;
    const QSize size(m_size, m_size);
    QPixmap source = icon.pixmap(size, 1.0);
    if (source.isNull())
        return -1;
    // Fitted to the list's size, as every image of an image list has it.
    QPixmap image(size);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize fitted = source.size().scaled(size, Qt::KeepAspectRatio);
        painter.drawPixmap(QRect(QPoint((m_size - fitted.width()) / 2, (m_size - fitted.height()) / 2), fitted),
                           source);
    }
    m_images.push_back(image);
    return Count() - 1;
}

}  // namespace quorvex
