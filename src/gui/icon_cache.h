#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QIcon>
#include <QPixmap>
#include <QVariant>

#include "core/image_list_ex.h"

namespace quorvex {

/// Where file icons come from on this OS: a stable index per path, decided
/// from the name alone (no file is opened), and the icon behind an index.
/// Shared by the small and the large cache, as the system's icon lists of
/// both sizes share their indexes.
class SystemIconProvider {
public:
    virtual ~SystemIconProvider() = default;
    /// Called at every paint of a process cell: must be cheap. -1 for none.
    virtual int SystemIconIndex(const std::string &path) = 0;
    /// The icon of an index; null when there is none.
    virtual QIcon SystemIcon(int index) = 0;
};

/// The provider for the OS the program was built for.
std::shared_ptr<SystemIconProvider> CreateSystemIconProvider();

/// An icon list of one size (`SmallIcons` 16, `LargeIcons` 32) with the
/// index rules of `TImageListEx`: each distinct system icon is copied once,
/// and own indexes never change during the run.
class IconCache : private SystemImageSource {
public:
    IconCache(int size, std::shared_ptr<SystemIconProvider> provider);
    IconCache(const IconCache &) = delete;
    IconCache &operator=(const IconCache &) = delete;

    int GetFileIconIndex(const std::string &path) { return m_list.GetFileIconIndex(path); }
    /// The image at an own index; null for -1 or an unknown index.
    QPixmap Image(int index) const;
    int Count() const { return static_cast<int>(m_images.size()); }
    int Size() const { return m_size; }
    const TImageListEx &List() const { return m_list; }

    /// The list model's icon of the process column (ColProcess) for a row
    /// with this process path, or an empty variant when no icon can be had.
    QVariant Decoration(const std::string &processPath);

private:
    int GetSystemIconIndex(const std::string &path) override;
    void BindSystemImageList(bool small) override;
    int CopySystemIcon(int systemIndex) override;

    int m_size;
    std::shared_ptr<SystemIconProvider> m_provider;
    std::vector<QPixmap> m_images;
    TImageListEx m_list;
};

}  // namespace quorvex
