#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/my_rec.h"

namespace quorvex {

// The list saved to a file ("导出列表…"): the rows as the window shows them,
// in one of three forms. Every form is UTF-8, whatever the system's encoding
// of the records; a byte that is not UTF-8 (a Linux name can hold any)
// becomes U+FFFD, except in the JSON form, which keeps it as its own form
// does.

enum class ExportFormat { Csv, Json, Html };

struct ExportFormatInfo {
    ExportFormat Format;
    const char *Caption;    // UTF-8, the save dialog's file type, such as "CSV 文件"
    const char *Extension;  // without the dot
};

/// The forms in the order a save dialog offers them, CSV first.
const std::vector<ExportFormatInfo> &ExportFormats();

struct ExportTarget {
    std::string Path;
    ExportFormat Format;
};

/// The file and form the user picked: a name ending in .csv, .json, .html or
/// .htm (any letter case) is written in that form, whatever file type the
/// dialog showed; any other name in the chosen type's form, and a name
/// without any extension gets that type's.
ExportTarget ResolveExportTarget(const std::string &path, ExportFormat chosen);

/// What is exported: the rows shown, in their order, and the columns shown,
/// in theirs. The manage column, which never holds text, is left out.
struct ExportTable {
    std::vector<int> Columns;
    std::vector<const TMyRec *> Rows;
};

/// RFC 4180: a byte-order mark (so that spreadsheet programs read the
/// Chinese headings as UTF-8), a line of column captions, then one line per
/// row, each ending in CR LF; a field holding a comma, a double quote, CR or
/// LF is put in double quotes, with its quotes doubled.
std::string ExportCsv(const ExportTable &table);

/// The form of quorvex-list --json (AppendEndpointJson): an array of one
/// object per row with every key of that form, whichever columns are shown;
/// the state number comes from the row's state text.
std::string ExportJson(const ExportTable &table);

/// One HTML page that needs nothing else: a heading, the time the list was
/// taken (`takenAt`, UTF-8) and a table with the column captions and the
/// rows. Every text is escaped; control characters but tab and line feed
/// become U+FFFD.
std::string ExportHtml(const ExportTable &table, std::string_view takenAt);

std::string ExportText(ExportFormat format, const ExportTable &table, std::string_view takenAt);

/// A point in time as local date and time, "2024-05-01 13:45:07".
std::string ExportTimeText(std::time_t when);

/// The plain message of a failed export, in UTF-8 for the message box:
/// which file (`path`) and why (`why`, the system's words; may be empty),
/// both in the system's encoding.
std::string ExportFailedText(const std::string &path, const std::string &why);

}  // namespace quorvex
