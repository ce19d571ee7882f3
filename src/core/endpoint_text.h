#pragma once

#include <string>
#include <string_view>

#include "core/file_rec.h"

namespace quorvex {

// Text forms of one snapshot endpoint for the console companion. Both may
// reach a terminal, so neither lets a control character through.

// The line that names the columns of AppendEndpointLine, by the keys of the
// JSON form: protocol, state, localIp, ..., company, tab-separated; with
// `traffic` followed by bytesSent and bytesReceived.
void AppendEndpointHeader(std::string &out, bool traffic = false);

// One line: protocol, state, local IP and port, remote IP and port, PID,
// process name, path, description, company, separated by tabs, ending in
// '\n'. Inside a text a backslash, tab, newline or carriage return is
// written as \\, \t, \n, \r, and every other control character (0x00 to
// 0x1F, 0x7F) as \x and two lower-case hex digits, such as \x1b: every
// endpoint stays one line of eleven fields, and no escape sequence reaches
// the terminal. Every other byte passes unchanged. With `traffic` two more
// fields follow: the bytes sent and received in decimal, empty where the
// record has no counters.
void AppendEndpointLine(std::string &out, std::string_view protocol, const File_Rec &rec, bool traffic = false);

// One JSON object with the keys protocol, state (number), stateName (the
// state's name, such as "LISTEN"; null where the number has none, as UDP's
// 0), localIp, localPort (number), remoteIp, remotePort (number; null where
// the record has none, as on UDP), pid (number), processName, processPath,
// description, company. A text that is not well-formed UTF-8 is written as
// AppendJsonString writes it, followed by a second key, its own with
// "Bytes" appended (processNameBytes), holding the text's exact bytes as
// lower-case hex; that key is there only for such texts. With `traffic` the
// keys bytesSent and bytesReceived follow, numbers, or null where the record
// has no counters.
void AppendEndpointJson(std::string &out, std::string_view protocol, const File_Rec &rec, bool traffic = false);

// The record with its texts (process name, path, description, company) in
// UTF-8, converted from the system's encoding (Utf8FromSystemText): on
// Windows the ANSI code page, elsewhere unchanged. Both text forms write
// records converted so.
File_Rec WithUtf8Texts(const File_Rec &rec);

// A JSON string literal of 8-bit text, itself well-formed UTF-8.
// Well-formed UTF-8 passes unchanged except for the escapes JSON requires;
// control characters (0x00 to 0x1F, 0x7F) are written as \n, \r, \t or
// \u00XX. Each byte that is not part of a well-formed UTF-8 sequence is
// replaced by U+FFFD. Returns false when such a replacement was made: the
// literal then no longer gives the text back.
bool AppendJsonString(std::string &out, std::string_view text);

}  // namespace quorvex
