#pragma once

#include <functional>

#include <windows.h>

#include "core/process_commands.h"
#include "core/window_layout.h"

namespace quorvex {

class ShellActions;

/// The process details dialog `TFormProcInfo` on Windows: made for one
/// showing, modal over `owner` (the main window) and centred on it, freed
/// when it closes ("确定", the close button, Alt+F4, Esc). It shows copies
/// of the row's texts, so a refresh behind it changes nothing. `icon` (the
/// executable's 32 x 32 icon, may be null) is drawn at (1, 1) of its picture
/// and stays the caller's. The link shows the path in the file manager
/// without testing whether the file still exists. `onShown`, if set, is told
/// the dialog's window once it shows. Returns when the dialog has closed;
/// the owner's timer keeps running meanwhile.
void ShowProcInfoDialog(HWND owner, const ProcInfoTexts &texts, HICON icon, ShellActions &shell,
                        const std::function<void(HWND dialog)> &onShown);

/// The control id of a dialog control (BTNOK is IDOK).
int ProcInfoControlId(layout::InfoControl control);

}  // namespace quorvex
