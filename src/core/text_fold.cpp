#include "core/text_fold.h"

#include <cstdint>

#include "core/text_forms.h"

namespace quorvex {

namespace {

char32_t Decode(std::string_view sequence)
{
    const auto byte = [&](size_t i) { return static_cast<char32_t>(static_cast<uint8_t>(sequence[i])); };
    switch (sequence.size()) {
    case 1: return byte(0);
    case 2: return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    case 3: return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    default: return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    }
}

void Encode(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool Between(char32_t c, char32_t first, char32_t last)
{
    return c >= first && c <= last;
}

}  // namespace

char32_t FoldCodePoint(char32_t c)
{
    if (Between(c, 'A', 'Z'))
        return c + 0x20;
    if (c < 0xC0)
        return c;
    // Latin-1: the capitals À to Þ, but for the multiplication sign.
    if (Between(c, 0xC0, 0xDE) && c != 0xD7)
        return c + 0x20;
    // Latin Extended-A: capital and small letter side by side, the capital
    // first; the pairs start on an even code point up to U+0137, on an odd
    // one from U+0139 to U+0148, on an even one again from U+014A.
    if (Between(c, 0x100, 0x12F) || Between(c, 0x132, 0x137) || Between(c, 0x14A, 0x177))
        return c % 2 == 0 ? c + 1 : c;
    if (Between(c, 0x139, 0x148) || Between(c, 0x179, 0x17E))
        return c % 2 == 1 ? c + 1 : c;
    if (c == 0x178)
        return 0xFF;  // Ÿ
    if (c == 0x17F)
        return 's';  // long s
    // Greek: the capitals (U+03A2 is unassigned), and final sigma as sigma.
    if (Between(c, 0x391, 0x3AB) && c != 0x3A2)
        return c + 0x20;
    if (c == 0x3C2)
        return 0x3C3;
    if (c == 0x386)
        return 0x3AC;
    if (Between(c, 0x388, 0x38A))
        return c + 0x25;
    if (c == 0x38C)
        return 0x3CC;
    if (Between(c, 0x38E, 0x38F))
        return c + 0x3F;
    // Cyrillic: Ѐ to Џ, then А to Я.
    if (Between(c, 0x400, 0x40F))
        return c + 0x50;
    if (Between(c, 0x410, 0x42F))
        return c + 0x20;
    // Full-width Ａ to Ｚ.
    if (Between(c, 0xFF21, 0xFF3A))
        return c + 0x20;
    return c;
}

std::string FoldCase(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    AppendFoldCase(out, utf8);
    return out;
}

void AppendFoldCase(std::string &out, std::string_view utf8)
{
    while (!utf8.empty()) {
        const auto lead = static_cast<uint8_t>(utf8[0]);
        if (lead < 0x80) {
            out += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + 0x20 : lead);
            utf8.remove_prefix(1);
            continue;
        }
        const size_t length = Utf8SequenceLength(utf8);
        if (length == 0) {
            out += static_cast<char>(lead);
            utf8.remove_prefix(1);
            continue;
        }
        const char32_t c = Decode(utf8.substr(0, length));
        const char32_t folded = FoldCodePoint(c);
        if (folded == c)
            out.append(utf8.substr(0, length));
        else
            Encode(out, folded);
        utf8.remove_prefix(length);
    }
}

}  // namespace quorvex
