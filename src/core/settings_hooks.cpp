#include "core/settings_hooks.h"

#include <memory>
#include <optional>
#include <utility>

#include "core/main_controller.h"

namespace quorvex {

namespace {

bool MirrorOf(const MainController &controller, int tag)
{
    const auto box = static_cast<CheckBox>(tag);
    switch (box) {
    case CheckBox::ShowLocal: return controller.ShowLocal();
    case CheckBox::AutoRefresh: return controller.AutoRefresh();
    case CheckBox::AlwaysTop: return controller.AlwaysTop();
    case CheckBox::ShowInfo: return controller.ShowInfo();
    default: return controller.Option(box);
    }
}

}  // namespace

void AttachSettings(MainController &controller, SettingsStoreFactory openStore)
{
    // The path is chosen once, when the executable's directory is known; the
    // store then addresses the file by that full path at every access.
    auto store = std::make_shared<std::optional<SettingsStore>>();

    controller.Hooks.LoadSettings = [&controller, store, openStore = std::move(openStore)] {
        store->emplace(openStore(controller.AppDir()));
        // The handlers must run now and their errors must come back here, so
        // the boxes are set through the controller, never through a widget
        // signal (an exception cannot cross Qt's signal delivery).
        const SettingsValues read = LoadSettings(**store, [&controller](int tag, bool value) {
            controller.SetChecked(static_cast<CheckBox>(tag), value);
            return true;
        });
        for (int tag : SettingTags)
            controller.SetMirror(static_cast<CheckBox>(tag), read.Value(tag));
    };

    controller.Hooks.SaveSetting = [&controller, store](int tag) {
        // Before the start-up there is no directory to put the file in, and
        // no box a user could have changed.
        if (!store->has_value())
            return;
        (*store)->SaveSetting(tag, MirrorOf(controller, tag));
    };
}

}  // namespace quorvex
