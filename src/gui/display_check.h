#pragma once

#include <string>

namespace quorvex {

/// What decides whether Qt finds a window system to connect to.
struct DisplaySettings {
    std::string Display;         // DISPLAY (X11)
    std::string WaylandDisplay;  // WAYLAND_DISPLAY
    std::string QpaPlatform;     // QT_QPA_PLATFORM: plugin names, ';'-separated, each with optional ":options"
    bool PlatformArgument = false;  // -platform on the command line
};

/// The settings of this process: its environment and its command line.
DisplaySettings CurrentDisplaySettings(int argc, char **argv);

/// False when the window system that Qt would pick has nothing to connect
/// to: QApplication would then abort the process. Asked by main() before
/// QApplication is made. Linux: X11 needs DISPLAY and Wayland needs
/// WAYLAND_DISPLAY; a platform plugin that needs neither (offscreen, vnc,
/// eglfs, ...) or one named on the command line is trusted.
bool HasDisplay(const DisplaySettings &settings);

}  // namespace quorvex
