#include "wingui/win_text.h"

#include <windows.h>

namespace quorvex::win {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string FromWide(UINT codePage, std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view utf8)
{
    return ToWide(CP_UTF8, utf8);
}

std::wstring WideFromAnsi(std::string_view ansi)
{
    return ToWide(CP_ACP, ansi);
}

std::string AnsiFromWide(std::wstring_view wide)
{
    return FromWide(CP_ACP, wide);
}

std::string Utf8FromWide(std::wstring_view wide)
{
    return FromWide(CP_UTF8, wide);
}


}  // namespace quorvex::win
