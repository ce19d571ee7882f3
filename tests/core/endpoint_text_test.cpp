#include <gtest/gtest.h>

#include <random>

#include "core/endpoint_text.h"

using namespace quorvex;

namespace {

std::string Json(std::string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

// Literal UTF-8 check: decode each sequence and reject overlong forms,
// surrogates and code points above U+10FFFF.
bool IsUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<uint8_t>(text[i]);
        size_t length;
        uint32_t cp;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

// Reads a JSON literal back into bytes (only \u00XX escapes occur).
std::string Unjson(std::string_view literal)
{
    std::string bytes;
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        if (literal[i] != '\\') {
            bytes += literal[i];
            continue;
        }
        const char e = literal[++i];
        switch (e) {
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        case 'u':
            bytes += static_cast<char>(std::stoi(std::string(literal.substr(i + 1, 4)), nullptr, 16));
            i += 4;
            break;
        default: bytes += e;
        }
    }
    return bytes;
}

}  // namespace

TEST(EndpointText, JsonStrings)
{
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"", R"("")"},
        {"plain /usr/bin/x", R"("plain /usr/bin/x")"},
        {"q\"b\\s/", R"("q\"b\\s/")"},
        {"\t\n\r\x01\x1f\x7f", R"("\t\n\r\u0001\u001F\u007F")"},
        {"网络 é", "\"网络 é\""},
        {"\xC3", "\"" + fffd + "\""},                           // cut-off sequence
        {"\xC3(", "\"" + fffd + "(\""},                         // lead without continuation
        {"\xC0\x80", "\"" + fffd + fffd + "\""},                // overlong NUL
        {"\xE0\x9F\xBF", "\"" + fffd + fffd + fffd + "\""},     // overlong three-byte
        {"\xED\xA0\x80", "\"" + fffd + fffd + fffd + "\""},     // surrogate
        {"\xF4\x90\x80\x80", "\"" + fffd + fffd + fffd + fffd + "\""},  // above U+10FFFF
        {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},           // U+1F600 passes
    };
    for (const auto &[text, literal] : cases)
        EXPECT_EQ(Json(text), literal) << text;
}

TEST(EndpointText, JsonStringsAreUtf8AndExactWhenTheTextIs)
{
    std::mt19937 random(20261209);
    const std::string pieces[] = {"a", "é", "网", "\xF0\x9F\x98\x80", "\"", "\\", "\n", "\x01", "\x7f"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) {
            if (random() % 3 == 0) {
                text += static_cast<char>(random() % 256);
            } else {
                text += pieces[random() % std::size(pieces)];
            }
        }
        std::string literal;
        const bool exact = AppendJsonString(literal, text);
        ASSERT_TRUE(IsUtf8(literal)) << literal;
        ASSERT_EQ(exact, IsUtf8(text)) << literal;
        if (exact) {
            ASSERT_EQ(Unjson(literal), text) << literal;
        }
        for (char c : literal)
            ASSERT_FALSE(static_cast<uint8_t>(c) < 0x20 || c == 0x7f) << literal;
    }
}

TEST(EndpointText, LinesAndObjects)
{
    const File_Rec rec{.State = 5,
                       .LocalIp = "127.0.0.1",
                       .LocalPort = "80",
                       .RemoteIp = "10.0.0.2",
                       .RemotePort = "65535",
                       .Pid = "4294967295",
                       .ProcessName = "a\tb\\c\nd\x1b[31m\x7f",
                       .ProcessPath = "/usr/bin/a\xff",
                       .FileDescription = "GNU tool",
                       .CompanyName = "\xC3\xBF",  // the letter ÿ, not the byte FF
                       .Mark = "ok",  // never printed
                       .StartTime = 7, .Traffic = {}, .Socket = {}};

    std::string line;
    AppendEndpointLine(line, "TCP", rec);
    EXPECT_EQ(line, "TCP\t5\t127.0.0.1\t80\t10.0.0.2\t65535\t4294967295\ta\\tb\\\\c\\nd\\x1b[31m\\x7f\t/usr/bin/a\xff"
                    "\tGNU tool\t\xC3\xBF\n");
    std::string object;
    AppendEndpointJson(object, "TCP", rec);
    EXPECT_EQ(object, "{\"protocol\":\"TCP\",\"state\":5,\"stateName\":\"ESTABLISHED\",\"localIp\":\"127.0.0.1\","
                      "\"localPort\":80,\"remoteIp\":\"10.0.0.2\",\"remotePort\":65535,\"pid\":4294967295,"
                      "\"processName\":\"a\\tb\\\\c\\nd\\u001B[31m\\u007F\",\"processPath\":\"/usr/bin/a\xEF\xBF\xBD\","
                      "\"processPathBytes\":\"2f7573722f62696e2f61ff\",\"description\":\"GNU tool\","
                      "\"company\":\"\xC3\xBF\"}");

    const File_Rec udp{.State = 0,
                       .LocalIp = "0.0.0.0",
                       .LocalPort = "53",
                       .RemoteIp = "",
                       .RemotePort = "",
                       .Pid = "0",
                       .ProcessName = "",
                       .ProcessPath = "",
                       .FileDescription = "",
                       .CompanyName = "",
                       .Mark = "",
                       .StartTime = 0, .Traffic = {}, .Socket = {}};
    object.clear();
    AppendEndpointJson(object, "UDP", udp);
    EXPECT_EQ(object, R"({"protocol":"UDP","state":0,"stateName":null,"localIp":"0.0.0.0","localPort":53,)"
                      R"("remoteIp":"","remotePort":null,"pid":0,"processName":"","processPath":"",)"
                      R"("description":"","company":""})");
    std::string empty;
    AppendEndpointLine(empty, "UDP", udp);
    EXPECT_EQ(empty, "UDP\t0\t0.0.0.0\t53\t\t\t0\t\t\t\t\n");
}

TEST(EndpointText, TrafficFieldsOnlyWhenAsked)
{
    File_Rec tcp;
    tcp.State = 5;
    tcp.Traffic = TrafficCounters{5001, 0};
    File_Rec udp;
    std::string header;
    AppendEndpointHeader(header, true);
    EXPECT_EQ(header.substr(header.rfind("\tcompany")), "\tcompany\tbytesSent\tbytesReceived\n");
    std::string lines;
    AppendEndpointLine(lines, "TCPv6", tcp, true);
    AppendEndpointLine(lines, "UDPv6", udp, true);
    AppendEndpointLine(lines, "TCP", tcp);
    EXPECT_EQ(lines, "TCPv6\t5\t\t\t\t\t\t\t\t\t\t5001\t0\nUDPv6\t0\t\t\t\t\t\t\t\t\t\t\t\nTCP\t5\t\t\t\t\t\t\t\t\t\n");
    std::string json;
    AppendEndpointJson(json, "TCP", tcp, true);
    EXPECT_NE(json.find(R"("company":"","bytesSent":5001,"bytesReceived":0})"), std::string::npos) << json;
    json.clear();
    AppendEndpointJson(json, "UDP", udp, true);
    EXPECT_NE(json.find(R"("bytesSent":null,"bytesReceived":null})"), std::string::npos) << json;
}
