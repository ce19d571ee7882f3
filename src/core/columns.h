#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/my_rec.h"

namespace quorvex {

enum Column : int {
    ColPid = 0,
    ColProcess = 1,
    ColSecurity = 2,
    ColProtocol = 3,
    ColLocalIp = 4,
    ColLocalPort = 5,
    ColRemoteIp = 6,
    ColRemotePort = 7,
    ColState = 8,
    ColManage = 9,
    ColPath = 10,
    ColDescription = 11,
    ColCompany = 12,
    ColRemark = 13,
    // The traffic columns, shown only while the traffic option is on.
    ColSent = 14,
    ColReceived = 15,
    ColRate = 16,
};
inline constexpr int ColumnCount = 17;
inline constexpr int NoColumn = -1;
// The file-detail columns that the show-info box shows and hides, in order.
inline constexpr int InfoColumns[] = {ColPath, ColDescription, ColCompany};
// The columns of the traffic option, in order; they order by number.
inline constexpr int TrafficColumns[] = {ColSent, ColReceived, ColRate};
// The one column the user can drag to another place in the header.
inline constexpr int MovableColumn = ColRemark;

struct ColumnInfo {
    const char *Caption;  // UTF-8
    int Width;            // pixels at 96 dpi
    bool VisibleAtStart;
    /// The user cannot resize it: its minimum and maximum are its width.
    /// Its caption and cells are centred.
    bool Fixed = false;
    /// Numbers: caption and cells right-aligned; everything else left.
    bool AlignRight = false;
};

// Caption, initial width and visibility of a column, 0 to ColumnCount - 1.
const ColumnInfo &GetColumnInfo(int column);

// The columns the window shows, in display order (index order: the one
// movable column is never shown): those visible at start, with the
// file-detail columns while the show-info box is checked and the traffic
// columns while that option is on.
std::vector<int> VisibleColumns(bool showInfo, bool showTraffic);

// Text of a cell, in the system's encoding. No record, ColManage and every
// index outside the column table give the empty text.
std::string VTSGetText(const TMyRec *rec, int column);
// The same text without a copy where the record holds it; valid while the
// record and `scratch` are (the traffic columns' texts are made in it).
std::string_view CellText(const TMyRec &rec, int column, std::string &scratch);

// The field a column orders by as text, or nullptr for the columns that do
// not order by text (NoColumn, ColPid, ColSecurity, ColManage, ColRemark,
// the traffic columns and every index outside the column table).
const std::string *SortField(const TMyRec &rec, int column);

// The traffic columns order by number, not by their texts.
bool IsNumericColumn(int column);
// The number a traffic column orders by; none (a row without counters or
// rate) sorts before every number.
std::optional<uint64_t> SortNumber(const TMyRec &rec, int column);

// Byte-wise comparison of two texts that folds only a..z to A..Z. Only the
// sign counts; a text that is the leading part of another sorts first.
int CompareText(const std::string &a, const std::string &b);

// Order of two rows by a column: as text (CompareText) or, for the traffic
// columns, as number; 0 for a missing record or a column that compares
// nothing.
int VTSCompareNodes(const TMyRec *row1, const TMyRec *row2, int column);

}  // namespace quorvex
