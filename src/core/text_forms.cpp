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
}  // namespace

void SetSystemTextDecoder(SystemTextDecoder decoder)
{
    g_decoder = decoder;
}

std::string Utf8FromSystemText(std::string_view systemText)
{
    return g_decoder ? g_decoder(systemText) : std::string(systemText);
}

void SetSystemTextEncoder(SystemTextEncoder encoder)
{
    g_encoder = encoder;
}

std::string SystemText(std::string_view utf8)
{
    return g_encoder ? g_encoder(utf8) : std::string(utf8);
}

}  // namespace quorvex
