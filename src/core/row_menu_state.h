#pragma once

#include "core/fixed_texts.h"
#include "core/my_rec.h"

namespace quorvex {

/// The row menu's commands, in menu order.
enum class RowCommand { ProcInfo, EndProc, Copy, Locate, Property };

/// The row menu `PmTree` from top to bottom: its items, with a separator
/// after the details item and after the end-process item.
struct RowMenuItem {
    bool Separator;
    RowCommand Command;   // unused for a separator
    const char *Caption;  // UTF-8, with its access key marked by "&"
};
inline constexpr RowMenuItem RowMenuItems[] = {
    {false, RowCommand::ProcInfo, texts::ProcInfoItem}, {true, RowCommand::ProcInfo, "-"},
    {false, RowCommand::EndProc, texts::EndProcItem},   {true, RowCommand::EndProc, "-"},
    {false, RowCommand::Copy, texts::CopyItem},         {false, RowCommand::Locate, texts::LocateItem},
    {false, RowCommand::Property, texts::PropertyItem},
};

/// Enabled state of the row menu's items. All start enabled; each popup
/// request for a row and each manage-column click sets them again, and they
/// keep that state in between (closing the menu does not reset it). The copy
/// item is always enabled and has no flag here.
struct RowMenuState {
    bool ProcInfo = true;
    bool EndProc = true;
    bool Locate = true;
    bool Property = true;

    /// The four items follow whether the row has a path.
    void EnableRowItems(const TMyRec &rec);
    /// Whether the item of `command` is enabled, and so can be chosen.
    bool Enabled(RowCommand command) const;
};

}  // namespace quorvex
