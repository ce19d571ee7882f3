#pragma once

#include <string>
#include <string_view>

#include "gui/display_check.h"

namespace quorvex {

/// The Qt platform plugins main() asks for before QApplication is made
/// (a list as QT_QPA_PLATFORM takes it), or empty to leave the choice to Qt.
/// A Wayland session that also offers X11 (WAYLAND_DISPLAY and DISPLAY
/// both set: XWayland runs) gets "xcb;wayland": Wayland lets no program keep
/// its window above the others, X11 window managers (XWayland's too) honour
/// that request, and the always-on-top box is meant to work. Wayland stays
/// the fallback should the X11 plugin not load. A plugin the user chose
/// (QT_QPA_PLATFORM, -platform) is never overridden.
std::string PreferredPlatformPlugins(const DisplaySettings &settings);

/// Whether the window system behind the Qt platform plugin `platformName`
/// (QGuiApplication::platformName()) lets a program keep its window above
/// the others. False on Wayland, where the window disables the
/// always-on-top box and says why.
bool CanKeepWindowOnTop(std::string_view platformName);

}  // namespace quorvex
