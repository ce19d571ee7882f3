#pragma once

#include <string>

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
};
inline constexpr int ColumnCount = 14;
inline constexpr int NoColumn = -1;
// The file-detail columns that the show-info box shows and hides, in order.
inline constexpr int InfoColumns[] = {ColPath, ColDescription, ColCompany};
// The one column the user can drag to another place in the header.
inline constexpr int MovableColumn = ColRemark;

struct ColumnInfo {
    const char *Caption;  // UTF-8
    int Width;            // pixels at 96 dpi
    bool VisibleAtStart;
    /// The user cannot resize it: its minimum and maximum are its width.
    /// Its caption and cells are centred.
    bool Fixed = false;
};

// Caption, initial width and visibility of a column, 0 to ColumnCount - 1.
const ColumnInfo &GetColumnInfo(int column);

// Text of a cell, in the system's encoding. No record, ColManage and every
// index outside the column table give the empty text.
std::string VTSGetText(const TMyRec *rec, int column);

// The field a column orders by, or nullptr for the columns that compare
// nothing (NoColumn, ColPid, ColSecurity, ColManage, ColRemark and every
// index outside the column table).
const std::string *SortField(const TMyRec &rec, int column);

// Byte-wise comparison of two texts that folds only a..z to A..Z. Only the
// sign counts; a text that is the leading part of another sorts first.
int CompareText(const std::string &a, const std::string &b);

// Order of two rows by a column; 0 for a missing record or a column that
// compares nothing.
int VTSCompareNodes(const TMyRec *row1, const TMyRec *row2, int column);

}  // namespace quorvex
