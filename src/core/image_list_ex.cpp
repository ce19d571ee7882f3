#include "core/image_list_ex.h"

#include <algorithm>

namespace quorvex {

TImageListEx::TImageListEx(int width, int height, SystemImageSource &source)
    : m_width(width), m_height(height), m_source(source)
{
}

void TImageListEx::AttachSystemList()
{
    if (m_attached)
        return;
    m_attached = true;
    // Only the width decides: 16 takes the small system list, anything else the large one.
    m_source.BindSystemImageList(m_width == 16);
    m_copiedIndexes.clear();
}

int TImageListEx::AddSystemIcon(int systemIndex)
{
    if (systemIndex < 0)
        return -1;
    AttachSystemList();
    // One entry per distinct icon, so a linear search stays short.
    const auto it = std::find(m_copiedIndexes.begin(), m_copiedIndexes.end(), systemIndex);
    if (it != m_copiedIndexes.end())
        return static_cast<int>(it - m_copiedIndexes.begin()) + m_loadedCount;
    const int position = m_source.CopySystemIcon(systemIndex);
    if (position >= 0)
        m_copiedIndexes.push_back(systemIndex);
    return position;
}

int TImageListEx::GetFileIconIndex(const std::string &path)
{
    return AddSystemIcon(m_source.GetSystemIconIndex(path));
}

}  // namespace quorvex
