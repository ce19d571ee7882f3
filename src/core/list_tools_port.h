#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/list_export.h"

namespace quorvex {

/// What the window controller asks of a front-end for the filter field and
/// the export (WindowController::FilterKey, FilterEdited, FilterEscape,
/// ExportList). Implemented by each front-end's main window; none of these
/// calls the controller back. A front-end without it
/// (WindowController::SetToolsPort never called) has neither feature.
class ListToolsPort {
public:
    virtual ~ListToolsPort() = default;
    /// Shows or hides the filter field of the top bar. `countText` is what
    /// the field shows beside its text: "n / total" while a filter text is
    /// set, else empty. Hiding the field clears its text (without reporting
    /// an edit) and, where it had the keyboard focus, gives the focus to the
    /// list. Called only when something changed.
    virtual void ShowFilterField(bool visible, const std::string &countText) = 0;
    /// The filter field gets the keyboard focus, with its text selected.
    virtual void FocusFilterField() = 0;
    /// The save dialog of the export, modal: offers the file types of
    /// ExportFormats() in their order, starting from `suggestedName` (system
    /// encoding, without extension) in the front-end's choice of directory.
    /// Returns false when the user cancelled; otherwise the file's full path
    /// (system encoding) and the format of the file type shown when the user
    /// confirmed.
    virtual bool AskExportFile(const std::string &suggestedName, std::string &path, ExportFormat &format) = 0;
};

/// Writes an exported file as a whole, atomically, as the settings file is
/// written (the platform's WriteFileAtomically); false with the system's
/// words for the reason in `why` when it could not.
using ExportWriter = std::function<bool(const std::string &path, std::string_view data, std::string &why)>;

/// What the filter field shows while a filter text is set: the rows shown
/// and all rows, both counting only rows that count (not Leaving), as
/// "12 / 340".
std::string FilterCountText(int shown, int total);

}  // namespace quorvex
