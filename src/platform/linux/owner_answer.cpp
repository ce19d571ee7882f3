#include "platform/linux/owner_answer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <unordered_set>

namespace quorvex {

namespace {

constexpr std::string_view kHeader = "quorvex-owners 1 ";
constexpr std::string_view kHex = "0123456789abcdef";

bool NeedsEscape(unsigned char c)
{
    return c <= 0x20 || c == '\\' || c == 0x7f;
}

void AppendText(std::string &out, std::string_view text)
{
    if (text.empty() || text == "-") {
        out += text.empty() ? "-" : "\\x2d";
        return;
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += c;
        }
    }
}

void AppendNumber(std::string &out, uint64_t value)
{
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof(digits), value).ptr);
}

// Decimal digits only, no sign, no leading '+', within the type.
template <typename Number>
bool ReadNumber(std::string_view field, Number &value)
{
    if (field.empty())
        return false;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size() && field.front() != '-';
}

int HexDigit(char c)
{
    const size_t at = kHex.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

bool ReadText(std::string_view field, std::string &text)
{
    text.clear();
    if (field == "-")
        return true;
    if (field.empty())
        return false;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            text += field[i];
            continue;
        }
        if (i + 3 >= field.size() || field[i + 1] != 'x')
            return false;
        const int high = HexDigit(field[i + 2]);
        const int low = HexDigit(field[i + 3]);
        if (high < 0 || low < 0)
            return false;
        text += static_cast<char>(high * 16 + low);
        i += 3;
    }
    return true;
}

// Splits `line` at single spaces into exactly `count` fields.
bool SplitFields(std::string_view line, std::string_view *fields, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const size_t space = line.find(' ');
        const bool last = i + 1 == count;
        if (last != (space == std::string_view::npos))
            return false;
        fields[i] = line.substr(0, space);
        if (!last)
            line.remove_prefix(space + 1);
    }
    return true;
}

}  // namespace

std::string FormatOwnerAnswer(const OwnerTable &owners, bool allVisible)
{
    std::string out;
    out += kHeader;
    out += allVisible ? "all\n" : "some\n";
    std::vector<uint32_t> pids;
    for (const auto &[inode, pid] : owners.Sockets())
        pids.push_back(pid);
    std::sort(pids.begin(), pids.end());
    pids.erase(std::unique(pids.begin(), pids.end()), pids.end());
    for (const uint32_t pid : pids) {
        const ProcessInfo *process = owners.Process(pid);
        out += "p ";
        AppendNumber(out, pid);
        out += ' ';
        AppendNumber(out, process ? process->StartTime : 0);
        out += ' ';
        AppendText(out, process ? process->Name : std::string());
        out += ' ';
        AppendText(out, process ? process->Path : std::string());
        out += '\n';
    }
    for (const auto &[inode, pid] : owners.Sockets()) {
        out += "s ";
        AppendNumber(out, inode);
        out += ' ';
        AppendNumber(out, pid);
        out += '\n';
    }
    out += "end\n";
    return out;
}

bool ParseOwnerAnswer(std::string_view text, OwnerTable &owners, bool &allVisible)
{
    const size_t headerEnd = text.find('\n');
    if (headerEnd == std::string_view::npos)
        return false;
    const std::string_view header = text.substr(0, headerEnd);
    if (header == std::string(kHeader) + "all")
        allVisible = true;
    else if (header == std::string(kHeader) + "some")
        allVisible = false;
    else
        return false;
    text.remove_prefix(headerEnd + 1);

    std::unordered_set<uint32_t> processes;
    bool sockets = false;  // an "s" line was read: no "p" line may follow
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return false;  // a cut-off line
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        std::string_view fields[5];
        if (line == "end")
            return text.empty();
        if (line.starts_with("p ") && !sockets && SplitFields(line, fields, 5)) {
            uint32_t pid = 0;
            ProcessInfo info;
            if (!ReadNumber(fields[1], pid) || !ReadNumber(fields[2], info.StartTime) || !ReadText(fields[3], info.Name)
                || !ReadText(fields[4], info.Path) || !processes.insert(pid).second)
                return false;
            owners.SetProcess(pid, std::move(info));
        } else if (line.starts_with("s ") && SplitFields(line, fields, 3)) {
            uint64_t inode = 0;
            uint32_t pid = 0;
            if (!ReadNumber(fields[1], inode) || !ReadNumber(fields[2], pid) || !processes.contains(pid))
                return false;
            owners.AddSocket(inode, pid);
            sockets = true;
        } else {
            return false;
        }
    }
    return false;  // no "end"
}

}  // namespace quorvex
