#pragma once

#include <string>
#include <unordered_map>

#include <windows.h>
#include <commctrl.h>

#include "core/image_list_ex.h"

namespace quorvex {

/// The shell's system image lists as the source of a TImageListEx: an
/// icon index from the file's name alone (SHGetFileInfo with
/// SHGFI_USEFILEATTRIBUTES, which opens no file), and copies of the system
/// icons in an image list of its own, which the list view and the details
/// dialog draw from. The system lists belong to the shell and are never
/// destroyed here.
class ShellIconSource : public SystemImageSource {
public:
    explicit ShellIconSource(int size);
    ~ShellIconSource() override;
    ShellIconSource(const ShellIconSource &) = delete;
    ShellIconSource &operator=(const ShellIconSource &) = delete;

    /// The own images, in the order they were copied.
    HIMAGELIST Images() const { return m_images; }

    int GetSystemIconIndex(const std::string &path) override;
    void BindSystemImageList(bool small) override;
    int CopySystemIcon(int systemIndex) override;

private:
    HIMAGELIST m_images = nullptr;
    HIMAGELIST m_system = nullptr;
    // The shell answers from the name alone, the same for a name every
    // time; the list asks at every paint of a row.
    std::unordered_map<std::string, int> m_known;
};

}  // namespace quorvex
