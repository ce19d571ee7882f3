#include "core/file_uri.h"

namespace quorvex {

namespace {

bool KeptAsIs(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
           || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::string FileUri(std::string_view path)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    uri.reserve(uri.size() + path.size() * 3);
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (KeptAsIs(c)) {
            uri += ch;
        } else {
            uri += '%';
            uri += Hex[c >> 4];
            uri += Hex[c & 0xF];
        }
    }
    return uri;
}

}  // namespace quorvex
