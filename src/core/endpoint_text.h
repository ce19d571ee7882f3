#pragma once

#include <string>
#include <string_view>

#include "core/file_rec.h"

namespace quorvex {

// Text forms of one snapshot endpoint for the console companion.

// One line: protocol, state, local IP and port, remote IP and port, PID,
// process name, path, description, company, separated by tabs, ending in
// '\n'. So that every endpoint stays one line of eleven fields, a backslash,
// tab, newline or carriage return inside a text is written as \\, \t, \n, \r;
// every other byte passes unchanged.
void AppendEndpointLine(std::string &out, std::string_view protocol, const File_Rec &rec);

// One JSON object with the keys protocol, state (number), localIp,
// localPort, remoteIp, remotePort, pid (string, byte for byte the record's
// text), processName, processPath, description, company.
void AppendEndpointJson(std::string &out, std::string_view protocol, const File_Rec &rec);

// A JSON string literal of 8-bit text. Well-formed UTF-8 passes unchanged
// (except the escapes JSON requires); each byte that is not part of
// well-formed UTF-8 is written as \u0080..\u00FF with the byte's value. As
// real characters U+0080..U+00FF always appear as UTF-8, never escaped, those
// escapes stand for raw bytes only, and the text can be restored exactly.
void AppendJsonString(std::string &out, std::string_view text);

}  // namespace quorvex
