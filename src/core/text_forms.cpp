#include "core/text_forms.h"

#include <charconv>

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
