#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex {

// Dotted quad of four address bytes in their stored (network) order.
std::string FormatIpv4(const uint8_t bytes[4]);

// Port from the first two bytes of a port field, big-endian; the rest of the
// field is not read.
std::string FormatPort(const uint8_t bytes[2]);

// A 32-bit value as unsigned decimal, never with a sign.
std::string FormatUnsigned(uint32_t value);

// Upper-cases the ASCII letters a to z only, byte by byte; every other byte
// (including the bytes of multi-byte characters) is left as it is.
std::string UpperAscii(std::string_view text);

// Texts that are written in UTF-8 in the source go through this on their way
// into a record, so that records stay in the system's encoding. The identity
// unless a platform installs an encoder at start (Windows: the ANSI code page).
using SystemTextEncoder = std::string (*)(std::string_view utf8);
void SetSystemTextEncoder(SystemTextEncoder encoder);
std::string SystemText(std::string_view utf8);

// The way back, for texts that leave the program as UTF-8 (message boxes,
// quorvex-list's output): record texts and error messages in the system's
// encoding. The identity unless a platform installs a decoder at start
// (Windows: from the ANSI code page).
using SystemTextDecoder = std::string (*)(std::string_view systemText);
void SetSystemTextDecoder(SystemTextDecoder decoder);
std::string Utf8FromSystemText(std::string_view systemText);

}  // namespace quorvex
