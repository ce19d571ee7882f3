#include <QElapsedTimer>

#include "gui/icon_cache.h"
#include "gui/theme_icon_provider.h"
#include "platform/linux/desktop_entries.h"

namespace quorvex {

std::shared_ptr<SystemIconProvider> CreateSystemIconProvider()
{
    auto index = std::make_shared<DesktopEntryIndex>();
    index->Build(DesktopEntryIndex::ApplicationDirs(), DesktopEntryIndex::SearchPath());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    // The folders are looked at no more than once every few seconds, so a
    // paint costs a clock read and a hash probe.
    return std::make_shared<ThemeIconProvider>([index](const std::string &path) { return index->IconFor(path); },
                                               [index, clock] { return index->RebuildIfChanged(clock->elapsed()); });
}

}  // namespace quorvex
