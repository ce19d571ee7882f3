#pragma once

#include "core/fixed_texts.h"
#include "core/my_rec.h"

namespace quorvex {

/// The row menu's commands, in menu order. Export acts on the list as
/// shown, not on the row, and is always enabled.
enum class RowCommand {
    ProcInfo,
    EndProc,
    CloseConnection,  // after EndProc in the menu
    Copy,
    Locate,
    Property,
    Export,
};

/// The row menu `PmTree` from top to bottom: its items, with a separator
/// after the details item, after the close-connection item and before the
/// export item. Both front-ends build their menus from this table.
struct RowMenuItem {
    bool Separator;
    RowCommand Command;   // unused for a separator
    const char *Caption;  // UTF-8, with its access key marked by "&"
    /// The window's own key for the command, only named beside the item
    /// ("Ctrl+S"); nullptr for none.
    const char *Key = nullptr;
};
inline constexpr RowMenuItem RowMenuItems[] = {
    {false, RowCommand::ProcInfo, texts::ProcInfoItem},
    {true, RowCommand::ProcInfo, "-"},
    {false, RowCommand::EndProc, texts::EndProcItem},
    {false, RowCommand::CloseConnection, texts::CloseConnectionItem},
    {true, RowCommand::CloseConnection, "-"},
    {false, RowCommand::Copy, texts::CopyItem},
    {false, RowCommand::Locate, texts::LocateItem},
    {false, RowCommand::Property, texts::PropertyItem},
    {true, RowCommand::Export, "-"},
    {false, RowCommand::Export, texts::ExportItem, "Ctrl+S"},
};

/// Enabled state of the row menu's items. All start enabled; each popup
/// request for a row and each manage-column click sets them again, and they
/// keep that state in between (closing the menu does not reset it). The copy
/// item is enabled for every row that counts; only a row that is shown
/// leaving (RowChange::Leaving) disables it, with all the others.
struct RowMenuState {
    bool ProcInfo = true;
    bool EndProc = true;
    bool Locate = true;
    bool Property = true;
    bool Copy = true;
    // Closing a connection: TCP and TCPv6 rows that are not listening
    // (CanCloseConnection); off until a row's menu is requested.
    bool CloseConnection = false;

    /// The four items follow whether the row has a path, the close item
    /// whether its connection can be closed; copy is enabled.
    void EnableRowItems(const TMyRec &rec);
    /// Every item that acts on a row is disabled: the row is leaving.
    void DisableRowItems();
    /// Whether the item of `command` is enabled, and so can be chosen.
    bool Enabled(RowCommand command) const;
};

}  // namespace quorvex
