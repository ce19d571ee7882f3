#pragma once

#include <string>
#include <string_view>

// Text between the program and the wide (W) functions of Windows. The
// program's own fixed texts are UTF-8; record texts, paths and everything
// else the A functions gave are in the ANSI code page.
namespace quorvex::win {

std::wstring WideFromUtf8(std::string_view utf8);
std::wstring WideFromAnsi(std::string_view ansi);
/// Characters the ANSI code page lacks become its default character.
std::string AnsiFromWide(std::wstring_view wide);
std::string Utf8FromWide(std::wstring_view wide);


}  // namespace quorvex::win
