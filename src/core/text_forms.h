#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex {

// Dotted quad of four address bytes in their stored (network) order.
std::string FormatIpv4(const uint8_t bytes[4]);

// RFC 5952 text of an IPv6 address of 16 bytes in network order: groups in
// lower-case hex without leading zeros, the longest run of two or more zero
// groups (the first of equally long runs) written as "::". Always the plain
// hex form, also for addresses with an IPv4 tail. `scope` (an interface name
// or index) follows a "%" when the address is link-local and it is not empty.
std::string FormatIpv6(const uint8_t bytes[16], std::string_view scope = {});

// fe80::/10: the address means something only together with its interface.
bool IsLinkLocalIpv6(const uint8_t bytes[16]);

// ::ffff:a.b.c.d, an IPv4 address in IPv6 form.
bool IsV4MappedIpv6(const uint8_t bytes[16]);

// The four bytes of a dotted quad as FormatIpv4 writes it; false for
// anything else.
bool ParseIpv4(std::string_view text, uint8_t bytes[4]);

// A decimal port 0 to 65535 as FormatPort writes it; false for anything else.
bool ParsePort(std::string_view text, uint16_t &port);

// "address:port", the address in brackets when it is an IPv6 one.
std::string EndpointText(std::string_view address, std::string_view port);

// A byte count in 1024-based units: "0 B" to "1023 B", then one decimal in
// KB, MB and GB ("1.5 KB", "20.0 MB"); GB is the largest unit.
std::string FormatByteCount(uint64_t bytes);

// The same with "/s" appended: "1.5 KB/s".
std::string FormatByteRate(uint64_t bytesPerSecond);

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

// The way back, for texts that leave the program as UTF-8 (exported files,
// message boxes, quorvex-list's output) or are compared without regard to
// case: a record's text or an error message in the system's encoding as
// UTF-8. The identity unless a platform installs a decoder at start
// (Windows: from the ANSI code page). What comes back may still hold
// bytes that are not UTF-8 (Linux names are the kernel's bytes).
using SystemTextDecoder = std::string (*)(std::string_view text);
void SetSystemTextDecoder(SystemTextDecoder decoder);
std::string Utf8FromSystemText(std::string_view text);

// Length of the well-formed UTF-8 sequence at the start of `text` (RFC 3629:
// no overlong forms, no surrogates, nothing above U+10FFFF); 0 if there is
// none, also for an empty text.
size_t Utf8SequenceLength(std::string_view text);

// `text` with every byte that is not part of a well-formed UTF-8 sequence
// replaced by U+FFFD.
std::string WellFormedUtf8(std::string_view text);

}  // namespace quorvex
