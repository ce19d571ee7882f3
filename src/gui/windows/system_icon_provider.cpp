#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <unordered_map>

#include <QImage>
#include <QPixmap>

#include "gui/icon_cache.h"

namespace quorvex {

namespace {

// SHGetFileInfoA takes at most MAX_PATH - 1 characters. With
// SHGFI_USEFILEATTRIBUTES only the name's type counts, so a longer path is
// asked by its last component, and a name still too long by its extension.
std::string ShellQueryName(const std::string &path)
{
    if (path.size() < MAX_PATH)
        return path;
    // Character by character: in a double-byte code page a trail byte can be
    // '\\'. A '.' never is one, in any of them.
    const char *begin = path.c_str();
    const char *name = begin;
    for (const char *p = begin; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    std::string result(name);
    if (result.size() < MAX_PATH)
        return result;
    const size_t dot = result.rfind('.');
    if (dot == std::string::npos || result.size() - dot >= MAX_PATH)
        return {};
    return result.substr(dot);
}

// The shell's system image lists: SHGetFileInfo answers from the file name
// and attributes alone (SHGFI_USEFILEATTRIBUTES), and the small and large
// lists share their indexes. The lists belong to the shell and are never
// destroyed here.
class ShellIconProvider : public SystemIconProvider {
public:
    int SystemIconIndex(const std::string &path) override
    {
        if (auto it = m_memo.find(path); it != m_memo.end())
            return it->second;
        SHFILEINFOA info{};
        const DWORD_PTR ok = SHGetFileInfoA(ShellQueryName(path).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                            SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
        const int index = ok ? info.iIcon : -1;
        m_memo.emplace(path, index);
        return index;
    }

    QIcon SystemIcon(int index) override
    {
        QIcon icon;
        if (index < 0)
            return icon;
        for (HIMAGELIST list : {SystemImageList(m_small, SHGFI_SMALLICON), SystemImageList(m_large, SHGFI_LARGEICON)}) {
            if (!list)
                continue;
            HICON handle = ImageList_GetIcon(list, index, ILD_NORMAL);
            if (!handle)
                continue;
            const QImage image = QImage::fromHICON(handle);
            DestroyIcon(handle);
            if (!image.isNull())
                icon.addPixmap(QPixmap::fromImage(image));
        }
        return icon;
    }

private:
    // The list of one size, asked for once it is first needed (and again
    // while the shell gives none). The query names a file by attributes: an
    // empty path names no file, and the shell may answer it with nothing.
    static HIMAGELIST SystemImageList(HIMAGELIST &cached, UINT sizeFlag)
    {
        if (!cached) {
            SHFILEINFOA info{};
            cached = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
                "file", FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | sizeFlag));
        }
        return cached;
    }

    std::unordered_map<std::string, int> m_memo;
    HIMAGELIST m_small = nullptr;
    HIMAGELIST m_large = nullptr;
};

}  // namespace

std::shared_ptr<SystemIconProvider> CreateSystemIconProvider()
{
    return std::make_shared<ShellIconProvider>();
}

}  // namespace quorvex
