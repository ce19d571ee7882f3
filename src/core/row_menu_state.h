#pragma once

#include "core/my_rec.h"

namespace quorvex {

/// The row menu's commands.
enum class RowCommand {
    ProcInfo,
    EndProc,
    Copy,
    Locate,
    Property,
    CloseConnection,  // after EndProc in the menu
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
    // Closing a connection: TCP and TCPv6 rows that are not listening
    // (CanCloseConnection); off until a row's menu is requested.
    bool CloseConnection = false;

    /// The four items follow whether the row has a path, the close item
    /// whether its connection can be closed.
    void EnableRowItems(const TMyRec &rec);
    /// Whether the item of `command` is enabled, and so can be chosen.
    bool Enabled(RowCommand command) const;
};

}  // namespace quorvex
