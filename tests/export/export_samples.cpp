// Writes the list's three export forms of a few awkward rows into a folder,
// with what a reader must find in them (expected.txt), for
// read_exports.py to read back with real parsers.
//
// expected.txt, line by line, every text as the hex of its UTF-8 bytes:
//   "captions" and the column captions, space-separated;
//   "row" and the cells of one row, space-separated (a cell with no text
//   is "-");
//   "json" and key=value pairs of one row's object, where a value is
//   hex of a text, "#n" a number, or "null".

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/columns.h"
#include "core/list_export.h"
#include "core/tcp_state.h"

using namespace quorvex;

namespace {

std::string Hex(const std::string &text)
{
    if (text.empty())
        return "-";
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : text) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TMyRec Row(const char *protocol, int32_t state, const char *localIp, const char *localPort, const char *remoteIp,
           const char *remotePort, const char *pid, const char *name, const char *path, const char *description,
           const char *company)
{
    TMyRec r;
    r.Protocol = protocol;
    r.StateText = r.Protocol == "TCP" ? GetTcpStateName(state) : "";
    r.LocalIp = localIp;
    r.LocalPort = localPort;
    r.RemoteIp = remoteIp;
    r.RemotePort = remotePort;
    r.Pid = pid;
    r.ProcessName = name;
    r.ProcessPath = path;
    r.Description = description;
    r.CompanyName = company;
    r.Remark = "add";
    return r;
}

bool Write(const std::string &path, const std::string &data)
{
    std::ofstream out(path, std::ios::binary);
    out << data;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: export_samples <folder>\n", stderr);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const std::vector<TMyRec> rows = {
        Row("TCP", 5, "10.0.0.2", "80", "1.2.3.4", "5000", "10", "a,b \"quoted\"", "/opt/x y/<b>&'i'",
            "line one\nline two\r\n", "中文公司"),
        Row("UDP", 0, "0.0.0.0", "53", "", "", "11", "naïve", "", "", ""),
        Row("TCP", 13, "127.0.0.1", "8080", "127.0.0.1", "9", "12", "bad\xff name", "/usr/bin/bad",
            "\x1b[31mred</td><script>alert(1)</script>", "=SUM(A1)"),
    };
    ExportTable table;
    table.Columns = VisibleColumns(true, true);
    for (const TMyRec &r : rows)
        table.Rows.push_back(&r);
    const std::string takenAt = "2024-05-01 13:45:07";

    std::string expected = "captions";
    std::vector<int> columns;
    for (const int c : table.Columns) {
        if (c == ColManage)
            continue;
        columns.push_back(c);
        expected += ' ';
        expected += Hex(GetColumnInfo(c).Caption);
    }
    expected += "\ntaken ";
    expected += Hex(takenAt);
    expected += '\n';
    for (const TMyRec &r : rows) {
        expected += "row";
        for (const int c : columns) {
            std::string text = VTSGetText(&r, c);
            if (text.find('\xff') != std::string::npos)
                text.replace(text.find('\xff'), 1, "\xEF\xBF\xBD");
            expected += ' ';
            expected += Hex(text);
        }
        expected += '\n';
    }
    for (const TMyRec &r : rows) {
        const bool tcp = r.Protocol == "TCP";
        const auto number = [](const std::string &text) {
            return text.empty() ? std::string("null") : std::string("#").append(text);
        };
        expected += "json protocol=" + Hex(r.Protocol) + " state=#" + std::to_string(TcpStateFromName(r.StateText)) +
                    " localIp=" + Hex(r.LocalIp) + " localPort=" + number(r.LocalPort) + " remoteIp=" +
                    Hex(r.RemoteIp) + " remotePort=" + (tcp ? number(r.RemotePort) : "null") + " pid=" +
                    number(r.Pid) + " processPath=" + Hex(r.ProcessPath) + " description=" + Hex(r.Description) +
                    " company=" + Hex(r.CompanyName);
        if (r.ProcessName.find('\xff') == std::string::npos)
            expected += " processName=" + Hex(r.ProcessName);
        else
            expected += " processNameBytes=" + Hex(r.ProcessName);
        expected += "\n";
    }

    const bool ok = Write(dir + "list.csv", ExportCsv(table)) && Write(dir + "list.json", ExportJson(table)) &&
                    Write(dir + "list.html", ExportHtml(table, takenAt)) && Write(dir + "expected.txt", expected);
    return ok ? 0 : 1;
}
