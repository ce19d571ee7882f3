#include "core/ini_profile.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace quorvex {

namespace {

// GetPrivateProfileString fills a 2048-byte buffer, terminator included.
constexpr std::size_t MaxValueLength = 2047;
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 0x20);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 0x20);
        if (x != y)
            return false;
    }
    return true;
}

enum class LineKind { Blank, Comment, Header, Entry };

struct Line {
    std::size_t Begin = 0;    // first byte of the line
    std::size_t End = 0;      // end of its content, before CR LF, LF or CR
    std::size_t Next = 0;     // first byte of the following line
    LineKind Kind = LineKind::Blank;
    std::string_view Name;    // section name of a header, key of an entry
    std::string_view Value;   // value of an entry, trimmed
};

Line Classify(std::string_view text, std::size_t begin, std::size_t end, std::size_t next)
{
    Line line;
    line.Begin = begin;
    line.End = end;
    line.Next = next;
    std::string_view content = text.substr(begin, end - begin);
    if (begin == 0 && content.starts_with(Utf8Bom))
        content.remove_prefix(Utf8Bom.size());
    content = Trim(content);
    if (content.empty())
        return line;
    if (content.front() == ';' || content.front() == '#') {
        line.Kind = LineKind::Comment;
        return line;
    }
    if (content.front() == '[') {
        const std::size_t close = content.find(']');
        if (close != std::string_view::npos) {
            line.Kind = LineKind::Header;
            line.Name = Trim(content.substr(1, close - 1));
            return line;
        }
        // "[name" without its bracket opens nothing; it is an entry like any
        // other line, as it would be for the profile functions.
    }
    line.Kind = LineKind::Entry;
    const std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) {
        line.Name = content;
    } else {
        line.Name = Trim(content.substr(0, eq));
        line.Value = Trim(content.substr(eq + 1));
    }
    return line;
}

// Lines end in CR LF, LF or a bare CR, as the profile functions take them.
std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        std::size_t next = end;
        if (next < text.size())
            next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        lines.push_back(Classify(text, pos, end, next));
        pos = next;
    }
    return lines;
}

struct Lookup {
    int Entry = -1;          // line of the key, -1 when missing
    int Section = -1;        // header line of the first matching section
    int LastInSection = -1;  // last header or entry line of that section
};

// Only the first section of the name counts: its later namesakes are
// neither read nor written, whatever keys they hold.
Lookup Find(const std::vector<Line> &lines, std::string_view section, std::string_view key)
{
    Lookup found;
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const Line &line = lines[i];
        if (line.Kind == LineKind::Header) {
            if (inSection)
                break;
            inSection = EqualsIgnoreAsciiCase(line.Name, section);
            if (inSection) {
                found.Section = i;
                found.LastInSection = i;
            }
        } else if (line.Kind == LineKind::Entry && inSection) {
            found.LastInSection = i;
            if (found.Entry < 0 && EqualsIgnoreAsciiCase(line.Name, key))
                found.Entry = i;
        }
    }
    return found;
}

// The ending of the text's first line: a file keeps its style, CR-only too.
std::string_view LineEnding(std::string_view text, std::string_view fallback)
{
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos)
        return fallback;
    if (text[end] == '\n')
        return "\n";
    return (end + 1 < text.size() && text[end + 1] == '\n') ? std::string_view("\r\n") : std::string_view("\r");
}

}  // namespace

std::optional<std::string> ReadProfileString(std::string_view text, std::string_view section, std::string_view key)
{
    const std::vector<Line> lines = SplitLines(text);
    const Lookup found = Find(lines, section, key);
    if (found.Entry < 0)
        return std::nullopt;
    std::string_view value = lines[found.Entry].Value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > MaxValueLength)
        value = value.substr(0, MaxValueLength);
    return std::string(value);
}

std::string WriteProfileString(std::string_view text, std::string_view section, std::string_view key,
                               std::string_view value, std::string_view newFileEol)
{
    const std::vector<Line> lines = SplitLines(text);
    const Lookup found = Find(lines, section, key);
    const std::string_view eol = LineEnding(text, newFileEol);
    std::string result;
    result.reserve(text.size() + section.size() + key.size() + value.size() + 8);

    if (found.Entry >= 0) {
        const Line &line = lines[found.Entry];
        result.append(text.substr(0, line.Begin));
        result.append(line.Name).append("=").append(value);
        result.append(text.substr(line.End));
        return result;
    }
    if (found.Section >= 0) {
        const Line &after = lines[found.LastInSection];
        result.append(text.substr(0, after.Next));
        if (after.Next == after.End)  // the last line of the text, without an ending
            result.append(eol);
        result.append(key).append("=").append(value);
        // A CR right before a line that is empty and ends in LF would make
        // one CR LF of the two and swallow that line.
        const bool lfFollows = after.Next < text.size() && text[after.Next] == '\n';
        result.append(eol == "\r" && lfFollows ? std::string_view("\r\n") : eol);
        result.append(text.substr(after.Next));
        return result;
    }
    result.append(text);
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        result.append(eol);
    result.append("[").append(section).append("]").append(eol);
    result.append(key).append("=").append(value).append(eol);
    return result;
}

std::optional<int32_t> ParseProfileInt(std::string_view value)
{
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < value.size() && value[i] == '$') {
        hex = true;
        i += 1;
    } else if (i + 1 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == value.size())
        return std::nullopt;

    // Hexadecimal covers all 32 bits and wraps into the sign; decimal stops at
    // the signed range.
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t number = 0;
    for (; i < value.size(); ++i) {
        const char c = value[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        number = number * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (number > limit)
            return std::nullopt;
    }
    const uint32_t bits = static_cast<uint32_t>(number);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
}

bool ProfileBool(const std::optional<std::string> &value, bool defaultValue)
{
    if (!value)
        return defaultValue;
    const std::optional<int32_t> number = ParseProfileInt(*value);
    return number ? *number != 0 : defaultValue;
}

}  // namespace quorvex
