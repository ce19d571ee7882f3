#include "core/text_forms.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace quorvex {

std::string FormatIpv4(const uint8_t bytes[4])
{
    std::string text;
    text.reserve(15);
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            text += '.';
        text += std::to_string(bytes[i]);
    }
    return text;
}

std::string FormatPort(const uint8_t bytes[2])
{
    return std::to_string(static_cast<unsigned>(bytes[0]) * 256u + bytes[1]);
}

std::string FormatIpv6(const uint8_t bytes[16], std::string_view scope)
{
    uint16_t groups[8];
    for (int i = 0; i < 8; ++i)
        groups[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    // The longest run of zero groups; a single zero group stays "0".
    int bestStart = -1;
    int bestLength = 1;
    for (int i = 0; i < 8;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        int end = i;
        while (end < 8 && groups[end] == 0)
            ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(40 + scope.size());
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (i > 0 && i != bestStart + bestLength)
            text += ':';
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const int digit = groups[i] >> shift & 0xf;
            if (digit != 0 || started || shift == 0) {
                text += digits[digit];
                started = true;
            }
        }
    }
    if (!scope.empty() && IsLinkLocalIpv6(bytes)) {
        text += '%';
        text += scope;
    }
    return text;
}

bool IsLinkLocalIpv6(const uint8_t bytes[16])
{
    return bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80;
}

bool IsV4MappedIpv6(const uint8_t bytes[16])
{
    for (int i = 0; i < 10; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return bytes[10] == 0xff && bytes[11] == 0xff;
}

bool ParseIpv4(std::string_view text, uint8_t bytes[4])
{
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != '.')
                return false;
            ++at;
        }
        unsigned value = 0;
        const char *first = text.data() + at;
        const char *last = text.data() + std::min(text.size(), at + 3);
        const auto [end, error] = std::from_chars(first, last, value);
        if (error != std::errc() || end == first || value > 255 || (end - first > 1 && *first == '0'))
            return false;
        bytes[i] = static_cast<uint8_t>(value);
        at += static_cast<size_t>(end - first);
    }
    return at == text.size();
}

bool ParsePort(std::string_view text, uint16_t &port)
{
    unsigned value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value > 65535 || (text.size() > 1 && text[0] == '0'))
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

std::string EndpointText(std::string_view address, std::string_view port)
{
    std::string text;
    if (address.find(':') != std::string_view::npos) {
        text += '[';
        text += address;
        text += ']';
    } else {
        text += address;
    }
    text += ':';
    text += port;
    return text;
}

std::string FormatByteCount(uint64_t bytes)
{
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    static const char *const units[] = {"KB", "MB", "GB"};
    // Integer arithmetic: the text must not follow the C library's locale,
    // which a GUI toolkit may have set to one with a decimal comma.
    uint64_t unit = 1024;
    size_t u = 0;
    for (;;) {
        uint64_t whole = bytes / unit;
        const uint64_t tenths = ((bytes % unit) * 10 + unit / 2) / unit;
        const uint64_t roundedTenths = tenths == 10 ? 0 : tenths;
        if (tenths == 10)
            ++whole;
        if (whole >= 1024 && u + 1 < std::size(units)) {
            unit *= 1024;
            ++u;
            continue;
        }
        return std::to_string(whole) + "." + std::to_string(roundedTenths) + " " + units[u];
    }
}

std::string FormatByteRate(uint64_t bytesPerSecond)
{
    return FormatByteCount(bytesPerSecond) + "/s";
}

std::string FormatUnsigned(uint32_t value)
{
    return std::to_string(value);
}

std::string UpperAscii(std::string_view text)
{
    std::string result(text);
    for (char &c : result) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    }
    return result;
}

namespace {
SystemTextEncoder g_encoder = nullptr;
SystemTextDecoder g_decoder = nullptr;
}

void SetSystemTextEncoder(SystemTextEncoder encoder)
{
    g_encoder = encoder;
}

std::string SystemText(std::string_view utf8)
{
    return g_encoder ? g_encoder(utf8) : std::string(utf8);
}

void SetSystemTextDecoder(SystemTextDecoder decoder)
{
    g_decoder = decoder;
}

std::string Utf8FromSystemText(std::string_view text)
{
    return g_decoder ? g_decoder(text) : std::string(text);
}

size_t Utf8SequenceLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80)
        return 1;
    size_t length;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

std::string WellFormedUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

}  // namespace quorvex
