#pragma once

#include <string>
#include <vector>

namespace quorvex {

/// The OS side of an icon list: turns a path into the index of an icon in the
/// system's icon list (from the name alone, never opening the file) and
/// copies such an icon into the owning list's own images.
class SystemImageSource {
public:
    virtual ~SystemImageSource() = default;
    /// Index of the path's icon in the system list, or -1 when there is none.
    virtual int GetSystemIconIndex(const std::string &path) = 0;
    /// Ties the source to the system list of the small (16 px) or the large
    /// size. Called once, on the first request with a usable system index.
    virtual void BindSystemImageList(bool small) = 0;
    /// Appends a copy of the system icon to the own images; the new image's
    /// position, or -1 when the copy failed (nothing is appended then).
    virtual int CopySystemIcon(int systemIndex) = 0;
};

/// Maps file paths to positions in an image list of its own. Each distinct
/// system icon is copied once, at its first request, and keeps its own
/// position for the whole run; a failed copy is not remembered, so a later
/// request tries again.
class TImageListEx {
public:
    TImageListEx(int width, int height, SystemImageSource &source);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// Images the list held before the first copy; 0 for lists made at run time.
    int LoadedCount() const { return m_loadedCount; }
    bool HasSystemList() const { return m_attached; }
    /// The system indexes copied so far, in the order of copying.
    const std::vector<int> &CopiedIndexes() const { return m_copiedIndexes; }

    int GetFileIconIndex(const std::string &path);
    int AddSystemIcon(int systemIndex);
    void AttachSystemList();

private:
    int m_width;
    int m_height;
    SystemImageSource &m_source;
    int m_loadedCount = 0;
    bool m_attached = false;
    std::vector<int> m_copiedIndexes;
};

}  // namespace quorvex
