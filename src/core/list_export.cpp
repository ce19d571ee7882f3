#include "core/list_export.h"

#include "core/columns.h"
#include "core/endpoint_text.h"
#include "core/file_rec.h"
#include "core/fixed_texts.h"
#include "core/tcp_state.h"
#include "core/text_forms.h"

namespace quorvex {

namespace {

// A record's text as the exported files carry it.
std::string ExportedText(std::string_view text)
{
    return WellFormedUtf8(Utf8FromSystemText(text));
}

std::vector<int> ExportedColumns(const ExportTable &table)
{
    std::vector<int> columns;
    for (const int column : table.Columns)
        if (column != ColManage)
            columns.push_back(column);
    return columns;
}

void AppendCsvField(std::string &out, const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void AppendHtmlText(std::string &out, std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\t':
        case '\n': out += c; break;
        default:
            if (byte < 0x20 || byte == 0x7F)
                out += "\xEF\xBF\xBD";  // U+FFFD: no control character is allowed in a page
            else
                out += c;
        }
    }
}

// A row as the snapshot record it was made from, its texts in UTF-8: what
// the JSON form is written from.
File_Rec AsRecord(const TMyRec &rec)
{
    File_Rec r;
    r.State = rec.Protocol == "TCP" ? TcpStateFromName(rec.StateText) : 0;
    r.LocalIp = Utf8FromSystemText(rec.LocalIp);
    r.LocalPort = Utf8FromSystemText(rec.LocalPort);
    r.RemoteIp = Utf8FromSystemText(rec.RemoteIp);
    r.RemotePort = Utf8FromSystemText(rec.RemotePort);
    r.Pid = Utf8FromSystemText(rec.Pid);
    r.ProcessName = Utf8FromSystemText(rec.ProcessName);
    r.ProcessPath = Utf8FromSystemText(rec.ProcessPath);
    r.FileDescription = Utf8FromSystemText(rec.Description);
    r.CompanyName = Utf8FromSystemText(rec.CompanyName);
    return r;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return UpperAscii(a) == UpperAscii(b);
}

}  // namespace

const std::vector<ExportFormatInfo> &ExportFormats()
{
    static const std::vector<ExportFormatInfo> formats = {
        {ExportFormat::Csv, texts::ExportCsvType, "csv"},
        {ExportFormat::Json, texts::ExportJsonType, "json"},
        {ExportFormat::Html, texts::ExportHtmlType, "html"},
    };
    return formats;
}

ExportTarget ResolveExportTarget(const std::string &path, ExportFormat chosen)
{
    const size_t nameStart = path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart || dot == nameStart) {
        // No extension (a leading dot names a hidden file, not a type).
        for (const auto &info : ExportFormats())
            if (info.Format == chosen)
                return {path + "." + info.Extension, chosen};
        return {path, chosen};
    }
    const std::string_view extension = std::string_view(path).substr(dot + 1);
    for (const auto &info : ExportFormats())
        if (EqualsIgnoringAsciiCase(extension, info.Extension))
            return {path, info.Format};
    if (EqualsIgnoringAsciiCase(extension, "htm"))
        return {path, ExportFormat::Html};
    return {path, chosen};
}

std::string ExportCsv(const ExportTable &table)
{
    const std::vector<int> columns = ExportedColumns(table);
    std::string out = "\xEF\xBB\xBF";
    const auto line = [&](auto cell) {
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                out += ',';
            AppendCsvField(out, cell(columns[i]));
        }
        out += "\r\n";
    };
    line([](int column) { return std::string(GetColumnInfo(column).Caption); });
    for (const TMyRec *rec : table.Rows)
        line([rec](int column) {
            std::string scratch;
            return ExportedText(CellText(*rec, column, scratch));
        });
    return out;
}

std::string ExportJson(const ExportTable &table)
{
    std::string out = "[";
    bool first = true;
    for (const TMyRec *rec : table.Rows) {
        out += first ? "\n" : ",\n";
        first = false;
        AppendEndpointJson(out, Utf8FromSystemText(rec->Protocol), AsRecord(*rec));
    }
    out += first ? "]\n" : "\n]\n";
    return out;
}

std::string ExportHtml(const ExportTable &table, std::string_view takenAt)
{
    const std::vector<int> columns = ExportedColumns(table);
    std::string out =
        "<!DOCTYPE html>\n"
        "<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    AppendHtmlText(out, texts::ExportPageTitle);
    out += "</title>\n<style>\n"
           "body { font-family: Arial, sans-serif; font-size: 13px; margin: 16px; }\n"
           "table { border-collapse: collapse; }\n"
           "th, td { border: 1px solid #99b4d1; padding: 3px 6px; text-align: left; white-space: nowrap; }\n"
           "th { background: #ecf5f8; }\n"
           "</style>\n</head>\n<body>\n<h1>";
    AppendHtmlText(out, texts::ExportPageTitle);
    out += "</h1>\n<p>";
    AppendHtmlText(out, texts::ExportTakenAt);
    out += "<time>";
    AppendHtmlText(out, WellFormedUtf8(takenAt));
    out += "</time></p>\n<table>\n<thead>\n<tr>";
    for (const int column : columns) {
        out += "<th>";
        AppendHtmlText(out, GetColumnInfo(column).Caption);
        out += "</th>";
    }
    out += "</tr>\n</thead>\n<tbody>\n";
    for (const TMyRec *rec : table.Rows) {
        out += "<tr>";
        for (const int column : columns) {
            out += "<td>";
            std::string scratch;
            AppendHtmlText(out, ExportedText(CellText(*rec, column, scratch)));
            out += "</td>";
        }
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n</body>\n</html>\n";
    return out;
}

std::string ExportText(ExportFormat format, const ExportTable &table, std::string_view takenAt)
{
    switch (format) {
    case ExportFormat::Csv: return ExportCsv(table);
    case ExportFormat::Json: return ExportJson(table);
    case ExportFormat::Html: break;
    }
    return ExportHtml(table, takenAt);
}

std::string ExportTimeText(std::time_t when)
{
    // The GUI thread is the only one; localtime's shared buffer is safe here.
    const std::tm *local = std::localtime(&when);
    char text[32] = {};
    if (!local || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local) == 0)
        return {};
    return text;
}

std::string ExportFailedText(const std::string &path, const std::string &why)
{
    // Both marks are found in the fixed text, never in what replaces them.
    const std::string form = texts::ExportFailedMsg;
    const std::string file = Utf8FromSystemText(path);
    const std::string reason = Utf8FromSystemText(why);
    const size_t first = form.find("%1");
    const size_t second = form.find("%2");
    if (first == std::string::npos || second == std::string::npos || second < first)
        return form + file + reason;
    return form.substr(0, first) + file + form.substr(first + 2, second - first - 2) + reason + form.substr(second + 2);
}

}  // namespace quorvex
