#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/ini_profile.h"

using namespace quorvex;

namespace {

struct IntCase {
    const char *text;
    std::optional<int32_t> expected;
};

TEST(ParseProfileInt, DecimalHexAndRejects)
{
    const IntCase cases[] = {
        {"0", 0},
        {"1", 1},
        {"7", 7},
        {"-1", -1},
        {"+5", 5},
        {" 0", 0},
        {"\t 12", 12},
        {"0x0", 0},
        {"0X1F", 31},
        {"$10", 16},
        {"$ff", 255},
        {"-$1", -1},
        {"0xFFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"00000000000000000000001", 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"0x100000000", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"yes", std::nullopt},
        {"true", std::nullopt},
        {"1 ", std::nullopt},
        {"12a", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"0x1g", std::nullopt},
        {"1e3", std::nullopt},
        {"- 1", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseProfileInt(c.text), c.expected) << "value \"" << c.text << "\"";
}

TEST(ProfileBool, DefaultForMissingOrNonInteger)
{
    EXPECT_TRUE(ProfileBool(std::nullopt, true));
    EXPECT_FALSE(ProfileBool(std::string("word"), false));
    EXPECT_TRUE(ProfileBool(std::string(""), true));
    EXPECT_TRUE(ProfileBool(std::string("7"), false));
    EXPECT_FALSE(ProfileBool(std::string("0x0"), true));
}

struct ReadCase {
    const char *name;
    std::string text;
    const char *key;
    std::optional<std::string> expected;
};

TEST(ReadProfileString, Cases)
{
    const ReadCase cases[] = {
        {"plain", "[Set]\nShowLocal=0\n", "ShowLocal", "0"},
        {"case-insensitive names", "[sET]\nshowLOCAL=0\n", "ShowLocal", "0"},
        {"blanks around names and value", "  [ Set ]  \n  ShowLocal  =  0x0  \n", "ShowLocal", "0x0"},
        {"CRLF", "[Set]\r\nShowLocal=1\r\n", "ShowLocal", "1"},
        {"no trailing newline", "[Set]\nShowLocal=1", "ShowLocal", "1"},
        {"quotes removed", "[Set]\nShowLocal=\" 0\"\n", "ShowLocal", " 0"},
        {"bare key is empty", "[Set]\nShowLocal\n", "ShowLocal", ""},
        {"empty value", "[Set]\nShowLocal=\n", "ShowLocal", ""},
        {"first of two keys", "[Set]\nShowLocal=1\nShowLocal=0\n", "ShowLocal", "1"},
        {"only the first of two sections", "[Set]\nA=1\n[Set]\nShowLocal=0\n", "ShowLocal", std::nullopt},
        {"bare CR ends a line", "[Set]\rShowLocal=0\r", "ShowLocal", "0"},
        {"mixed endings", "[X]\r\nShowLocal=1\r[Set]\nShowLocal=2\r", "ShowLocal", "2"},
        {"key in another section", "[Other]\nShowLocal=0\n[Set]\n", "ShowLocal", std::nullopt},
        {"key before any section", "ShowLocal=0\n[Set]\n", "ShowLocal", std::nullopt},
        {"commented out", "[Set]\n;ShowLocal=0\n", "ShowLocal", std::nullopt},
        {"unclosed header opens nothing", "[Other]\n[Set\nShowLocal=0\n", "ShowLocal", std::nullopt},
        {"byte order mark", "\xEF\xBB\xBF[Set]\nShowLocal=0\n", "ShowLocal", "0"},
        {"missing file text", "", "ShowLocal", std::nullopt},
        {"value with equals", "[Set]\nShowLocal=a=b\n", "ShowLocal", "a=b"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadProfileString(c.text, "Set", c.key), c.expected) << c.name;
    EXPECT_EQ(ReadProfileString("[section1]\rname1=val1\r", "section1", "name1"), "val1");
}

TEST(ReadProfileString, ValueCutAt2047Bytes)
{
    const std::string text = "[Set]\nShowLocal=" + std::string(2046, '0') + "12\n";
    const auto value = ReadProfileString(text, "Set", "ShowLocal");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), 2047u);
    EXPECT_EQ(ParseProfileInt(*value), 1);  // the final "2" fell off
}

struct WriteCase {
    const char *name;
    std::string before;
    const char *key;
    const char *value;
    std::string after;
};

TEST(WriteProfileString, Cases)
{
    const WriteCase cases[] = {
        {"new file", "", "ShowLocal", "0", "[Set]\nShowLocal=0\n"},
        {"replace keeps everything else",
         "; settings\n[Other]\nx = 1\n\n[Set]\nA=1\n  showlocal = 5 \nB=2\n",
         "ShowLocal", "1",
         "; settings\n[Other]\nx = 1\n\n[Set]\nA=1\nshowlocal=1\nB=2\n"},
        {"new key ends its section, not the file",
         "[Set]\nA=1\n\n; about Other\n[Other]\nB=2\n", "ShowInfo", "1",
         "[Set]\nA=1\nShowInfo=1\n\n; about Other\n[Other]\nB=2\n"},
        {"new key in an empty section", "[Set]\n\n[Other]\n", "AlwaysTop", "0",
         "[Set]\nAlwaysTop=0\n\n[Other]\n"},
        {"key order is the order of first writes", "[Set]\nAutoRefresh=1\n", "ShowLocal", "0",
         "[Set]\nAutoRefresh=1\nShowLocal=0\n"},
        {"missing section appended", "[Other]\nB=2\n", "ShowLocal", "0",
         "[Other]\nB=2\n[Set]\nShowLocal=0\n"},
        {"missing section after a last line without newline", "[Other]\nB=2", "ShowLocal", "0",
         "[Other]\nB=2\n[Set]\nShowLocal=0\n"},
        {"CRLF kept on insert", "[Set]\r\nA=1\r\n", "ShowLocal", "0", "[Set]\r\nA=1\r\nShowLocal=0\r\n"},
        {"CRLF kept on replace", "[Set]\r\nShowLocal=1\r\n[X]\r\n", "ShowLocal", "0",
         "[Set]\r\nShowLocal=0\r\n[X]\r\n"},
        {"CRLF for an appended section", "[X]\r\n", "ShowLocal", "0", "[X]\r\n[Set]\r\nShowLocal=0\r\n"},
        {"insert after a last line without newline", "[Set]\nA=1", "ShowLocal", "0", "[Set]\nA=1\nShowLocal=0\n"},
        {"replace a last line without newline", "[Set]\r\nShowLocal=1", "ShowLocal", "0",
         "[Set]\r\nShowLocal=0"},
        {"case-insensitive section and key", "[SET]\nSHOWLOCAL=0\n", "ShowLocal", "1", "[SET]\nSHOWLOCAL=1\n"},
        {"first of duplicate sections", "[Set]\nA=1\n[X]\n[set]\nB=1\n", "ShowLocal", "1",
         "[Set]\nA=1\nShowLocal=1\n[X]\n[set]\nB=1\n"},
        {"a later duplicate section's key is not the one written", "[Set]\nA=1\n[set]\nShowLocal=0\n",
         "ShowLocal", "1", "[Set]\nA=1\nShowLocal=1\n[set]\nShowLocal=0\n"},
        {"CR-only file stays CR-only", "[Set]\rA=1\r[X]\r", "ShowLocal", "0", "[Set]\rA=1\rShowLocal=0\r[X]\r"},
        {"CR-only replace", "[Set]\rShowLocal=1\r", "ShowLocal", "0", "[Set]\rShowLocal=0\r"},
        {"CR-only append", "[X]\r", "ShowLocal", "0", "[X]\r[Set]\rShowLocal=0\r"},
        {"CR insert before an LF blank line keeps it", "[Set]\rA=1\n\n[X]\n", "ShowLocal", "0",
         "[Set]\rA=1\nShowLocal=0\r\n\n[X]\n"},
        {"bare key gets its value", "[Set]\nShowLocal\n", "ShowLocal", "1", "[Set]\nShowLocal=1\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[Set]\n", "ShowLocal", "1", "\xEF\xBB\xBF[Set]\nShowLocal=1\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WriteProfileString(c.before, "Set", c.key, c.value, "\n"), c.after) << c.name;
}

TEST(WriteProfileString, NewFileLineEnding)
{
    EXPECT_EQ(WriteProfileString("", "Set", "A", "1", "\r\n"), "[Set]\r\nA=1\r\n");
    EXPECT_EQ(WriteProfileString("; no newline", "Set", "A", "1", "\r\n"), "; no newline\r\n[Set]\r\nA=1\r\n");
}

// Lines with their endings (CR LF, LF or a bare CR).
std::vector<std::string> LinesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = std::min(text.find_first_of("\r\n", pos), text.size());
        if (next < text.size())
            next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        lines.push_back(text.substr(pos, next - pos));
        pos = next;
    }
    return lines;
}

bool EndsWithEol(const std::string &line, std::string &body, std::string &eol)
{
    for (const char *e : {"\r\n", "\n", "\r"}) {
        const std::string end = e;
        if (line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0) {
            body = line.substr(0, line.size() - end.size());
            eol = end;
            return true;
        }
    }
    body = line;
    eol.clear();
    return false;
}

bool SameIgnoringCase(std::string a, std::string b)
{
    for (auto *s : {&a, &b})
        for (char &c : *s)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 0x20);
    return a == b;
}

// The write changed nothing but the key's own line: it replaced one line (its
// ending kept), or inserted "key=value" (after giving a last line without an
// ending one), or appended the section with the key.
::testing::AssertionResult OnlyKeyLineChanged(const std::string &before, const std::string &after,
                                              const std::string &key, const std::string &value)
{
    const auto o = LinesOf(before);
    const auto n = LinesOf(after);
    std::size_t p = 0;
    while (p < o.size() && p < n.size() && o[p] == n[p])
        ++p;
    std::size_t s = 0;
    while (s < o.size() - p && s < n.size() - p && o[o.size() - 1 - s] == n[n.size() - 1 - s])
        ++s;
    std::vector<std::string> ro(o.begin() + p, o.end() - s), rn(n.begin() + p, n.end() - s);
    std::string body, eol;

    if (ro.empty() && rn.empty())  // the line already said so
        return ::testing::AssertionSuccess();
    if (ro.size() == 1 && rn.size() == 1) {
        std::string oldBody, oldEol;
        EndsWithEol(ro[0], oldBody, oldEol);
        EndsWithEol(rn[0], body, eol);
        const std::size_t eq = body.find('=');
        if (eol == oldEol && eq != std::string::npos && body.substr(eq + 1) == value &&
            SameIgnoringCase(body.substr(0, eq), key))
            return ::testing::AssertionSuccess();
    }
    // A last line that lacked its ending gets one in front of the insertion.
    std::size_t first = 0;
    if (ro.size() == 1 && s == 0 && p + 1 == o.size() && !rn.empty()) {
        const std::string &last = ro[0];
        const std::string added = rn[0].substr(std::min(last.size(), rn[0].size()));
        if (last.back() == '\n' || last.back() == '\r' || rn[0].compare(0, last.size(), last) != 0
            || (added != "\n" && added != "\r\n" && added != "\r"))
            return ::testing::AssertionFailure() << "changed line " << p;
        ro.clear();
        first = 1;
    }
    if (ro.empty()) {
        const std::vector<std::string> added(rn.begin() + first, rn.end());
        if (added.size() == 1 && EndsWithEol(added[0], body, eol) && body == key + "=" + value)
            return ::testing::AssertionSuccess();
        if (added.size() == 2 && s == 0 && EndsWithEol(added[0], body, eol) && body == "[Set]" &&
            EndsWithEol(added[1], body, eol) && body == key + "=" + value)
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "unexpected change at line " << p << ": " << ro.size()
                                         << " old line(s) became " << rn.size();
}

// Random and mutated profiles: writing one key never breaks anything else.
TEST(WriteProfileString, RandomProfilesChangeOnlyTheKeyLine)
{
    const std::vector<std::string> fragments = {
        "[Set]", "[set]", " [ SET ] ", "[Other]", "[Set", "]", "[]", "ShowLocal=0", " showlocal = 1 ",
        "SHOWLOCAL", "AutoRefresh=$1", "AlwaysTop=7", "ShowInfo=", "; comment", "#ShowInfo=1", "", " ",
        "=", "a=b", "ShowLocal=\"1\"", "\xEF\xBB\xBF", "\r", "\xB2\xE2\xCA\xD4",
    };
    const std::vector<std::string> eols = {"\n", "\r\n", "\r", ""};
    const char *keys[] = {"ShowLocal", "AutoRefresh", "AlwaysTop", "ShowInfo"};
    const char *otherKeys[] = {"a", "ShowLocal", "AutoRefresh", "AlwaysTop", "ShowInfo"};
    std::mt19937 rng(20261209);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };

    for (int round = 0; round < 5000; ++round) {
        std::string text;
        const std::size_t lines = pick(12);
        for (std::size_t i = 0; i < lines; ++i)
            text += fragments[pick(fragments.size())] + eols[pick(eols.size())];
        // Some rounds throw in raw bytes at random places.
        for (std::size_t flips = round % 3 == 0 ? pick(6) : 0; flips > 0; --flips) {
            const char byte = static_cast<char>(rng() & 0xFF);
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(pick(text.size() + 1)), byte);
        }
        const std::string key = keys[pick(4)];
        const std::string value = rng() % 2 ? "1" : "0";
        const std::string eol = rng() % 2 ? "\n" : "\r\n";

        const std::string written = WriteProfileString(text, "Set", key, value, eol);
        SCOPED_TRACE(::testing::Message() << "round " << round << " key " << key << " text \"" << text << "\"");
        EXPECT_EQ(ReadProfileString(written, "Set", key), value);
        EXPECT_TRUE(OnlyKeyLineChanged(text, written, key, value));
        for (const char *other : otherKeys) {
            if (other != key) {
                EXPECT_EQ(ReadProfileString(written, "Set", other), ReadProfileString(text, "Set", other)) << other;
            }
            EXPECT_EQ(ReadProfileString(written, "Other", other), ReadProfileString(text, "Other", other)) << other;
        }
        EXPECT_EQ(WriteProfileString(written, "Set", key, value, eol), written) << "second write differs";
    }
}

}  // namespace
