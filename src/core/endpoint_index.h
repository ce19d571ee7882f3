#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/file_rec.h"
#include "core/list_row.h"

namespace quorvex {

class ProgramList;

/// Whether a row of the present refresh has claimed this snapshot record
/// (its Mark is "ok"). Every snapshot starts with no record claimed.
bool IsClaimed(const File_Rec &rec);

/// What the walk of a refresh found.
struct RowClaims {
    std::vector<char> Kept;                // per row in list order: 1 when it claimed a record
    std::vector<const ListRow *> Changed;  // kept rows whose state text or remark changed
    bool StateChanged = false;             // a kept row has a new state text
    bool TrafficChanged = false;           // a kept row has new counters or a new rate
};

/// The walk of a refresh over the rows, in list order: every row claims the
/// first record of the new snapshot that has its endpoint and that no row
/// claimed before it, or claims nothing. A row looks only in the array of
/// its protocol (RecordGroups; an IPv6 endpoint never matches an IPv4 one):
/// a TCP or TCPv6 row by PID, local and remote address and port; any other
/// row by PID, local address and port; the texts compare byte for byte. A
/// hidden loopback row claims nothing. A TCP or TCPv6 row that claims takes
/// the record's state text, and its remark becomes "md" when that text
/// changed and empty when not; it takes the record's counters as well
/// (TakeTraffic, `elapsedMs` after the snapshot the rows' counters came
/// from). A UDP row stays as it is. Claimed records are marked (IsClaimed);
/// every row that claimed notes its program in `programs`.
///
/// The records are found through a hash index of each array, made for this
/// walk and dropped after it, so a refresh costs time in proportion to rows
/// plus records, not to their product.
RowClaims ClaimEndpoints(std::vector<std::unique_ptr<ListRow>> &rows, TcpUdpTables &tables, bool showLocal,
                         ProgramList &programs, int64_t elapsedMs = 0);

}  // namespace quorvex
