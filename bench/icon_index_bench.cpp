#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench.h"
#include "core/image_list_ex.h"

#ifdef __linux__
#include <unistd.h>

#include "platform/linux/desktop_entries.h"
#endif

namespace {

using namespace quorvex;

// The hot path of a paint of a process cell: a memoised path -> system index
// probe, then the list's search of the copied indexes.
class MemoSource : public SystemImageSource {
public:
    std::unordered_map<std::string, int> Memo;
    int Images = 0;
    int GetSystemIconIndex(const std::string &path) override
    {
        auto it = Memo.find(path);
        return it == Memo.end() ? -1 : it->second;
    }
    void BindSystemImageList(bool) override {}
    int CopySystemIcon(int) override { return Images++; }
};

void IconLookupPerCell()
{
    MemoSource source;
    std::vector<std::string> paths;
    for (int i = 0; i < 2000; ++i) {
        paths.push_back("/usr/lib/program-" + std::to_string(i) + "/bin/program-" + std::to_string(i));
        source.Memo[paths.back()] = i % 60;  // 60 distinct icons
    }
    TImageListEx list(16, 16, source);
    long sum = 0;
    const int rounds = 500;
    const double start = NowMs();
    for (int r = 0; r < rounds; ++r)
        for (const auto &p : paths)
            sum += list.GetFileIconIndex(p);
    const double ms = NowMs() - start;
    PrintFigure("icon_lookup_per_cell", ms * 1e6 / (rounds * paths.size()), "ns");
    if (sum < 0)
        std::abort();
}

#ifdef __linux__
// The index of desktop entries is the Linux source of program icons.
void DesktopIndexBuild()
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("quorvex-bench-desktop-" + std::to_string(::getpid()));
    fs::create_directories(root / "applications");
    fs::create_directories(root / "bin");
    for (int i = 0; i < 500; ++i) {
        const std::string name = "prog" + std::to_string(i);
        std::ofstream(root / "bin" / name) << "#!/bin/sh\n";
        fs::permissions(root / "bin" / name, fs::perms::owner_all);
        std::ofstream(root / "applications" / (name + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << name << " %U\nIcon=" << name
            << "\n[Desktop Action x]\nExec=" << name << " --x\n";
    }
    DesktopEntryIndex index;
    const double start = NowMs();
    index.Build({(root / "applications").string()}, {(root / "bin").string()});
    PrintFigure("desktop_index_build_500_entries", NowMs() - start, "ms");
    fs::remove_all(root);
}
#endif

}  // namespace

static BenchRegistrar lookup("icon_lookup_per_cell", IconLookupPerCell);
#ifdef __linux__
static BenchRegistrar build("desktop_index_build", DesktopIndexBuild);
#endif
