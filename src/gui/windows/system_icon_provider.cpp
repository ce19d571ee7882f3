#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <unordered_map>

#include <QImage>
#include <QPixmap>

#include "gui/icon_cache.h"

namespace quorvex {

namespace {

// The shell's system image lists: SHGetFileInfo answers from the file name
// and attributes alone (SHGFI_USEFILEATTRIBUTES), and the small and large
// lists share their indexes.
class ShellIconProvider : public SystemIconProvider {
public:
    int SystemIconIndex(const std::string &path) override
    {
        if (auto it = m_memo.find(path); it != m_memo.end())
            return it->second;
        SHFILEINFOA info{};
        const DWORD_PTR ok = SHGetFileInfoA(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                            SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON);
        const int index = ok ? info.iIcon : -1;
        m_memo.emplace(path, index);
        return index;
    }

    QIcon SystemIcon(int index) override
    {
        QIcon icon;
        for (UINT size : {UINT(SHGFI_SMALLICON), UINT(SHGFI_LARGEICON)}) {
            SHFILEINFOA info{};
            const auto list = reinterpret_cast<HIMAGELIST>(
                SHGetFileInfoA("", 0, &info, sizeof info, SHGFI_SYSICONINDEX | size));
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
    std::unordered_map<std::string, int> m_memo;
};

}  // namespace

std::shared_ptr<SystemIconProvider> CreateSystemIconProvider()
{
    return std::make_shared<ShellIconProvider>();
}

}  // namespace quorvex
