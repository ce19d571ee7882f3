#pragma once

#include <cstdint>

#include "core/my_rec.h"
#include "core/row_changes.h"

namespace quorvex {

/// One row as the parts of the connection list keep it (the list itself,
/// its order and the endpoint index); never seen outside them.
struct ListRow {
    TMyRec rec;
    uint64_t id = 0;   // see ConnectionList::RowId
    int pos = 0;       // index in the list's row vector (shifted during a removal sweep)
    int64_t rank = 0;  // tie-break of an appended row in the next sort (RowOrder)
    RowChange change = RowChange::None;  // only while changes are highlighted
};

}  // namespace quorvex
