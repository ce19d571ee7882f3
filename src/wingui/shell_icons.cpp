#include "wingui/shell_icons.h"

#include <shellapi.h>

#include "wingui/win_text.h"

namespace quorvex {

namespace {

// SHGetFileInfo takes at most MAX_PATH - 1 characters. Only the name's type
// counts, so a longer path is asked by its last component, and a name still
// too long by its extension.
std::wstring ShellQueryName(const std::wstring &path)
{
    if (path.size() < MAX_PATH)
        return path;
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.size() < MAX_PATH)
        return name;
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || name.size() - dot >= MAX_PATH)
        return {};
    return name.substr(dot);
}

}  // namespace

ShellIconSource::ShellIconSource(int size)
{
    m_images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 16);
}

ShellIconSource::~ShellIconSource()
{
    if (m_images)
        ImageList_Destroy(m_images);
}

int ShellIconSource::GetSystemIconIndex(const std::string &path)
{
    if (const auto known = m_known.find(path); known != m_known.end())
        return known->second;
    SHFILEINFOW info{};
    const std::wstring name = ShellQueryName(win::WideFromAnsi(path));
    const DWORD_PTR ok = SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                        SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
    const int index = ok ? info.iIcon : -1;
    m_known.emplace(path, index);
    return index;
}

void ShellIconSource::BindSystemImageList(bool small)
{
    SHFILEINFOW info{};
    const UINT size = small ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    m_system = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX | size));
    if (!m_system) {
        // Some shells answer the empty name with nothing; any file name
        // taken by its attributes gives the same list.
        m_system = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
            L"file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | size));
    }
}

int ShellIconSource::CopySystemIcon(int systemIndex)
{
    if (!m_system || !m_images)
        return -1;
    HICON icon = ImageList_GetIcon(m_system, systemIndex, ILD_NORMAL);
    if (!icon)
        return -1;
    const int position = ImageList_ReplaceIcon(m_images, -1, icon);
    DestroyIcon(icon);
    return position;
}

}  // namespace quorvex
