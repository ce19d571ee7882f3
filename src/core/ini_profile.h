#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// Profile (INI) text, read and written the way the Windows profile functions
// treat such a file, but as pure text in, text out. Lines end in CR LF, LF
// or a bare CR; a line "[name]" opens a section; a line "key=value" (or a bare "key") is an
// entry of the section above it. Section and key names are trimmed of blanks
// and matched without regard to ASCII letter case. Lines before the first
// section belong to none. When a section or key occurs more than once, the
// first one in the file counts, for reading and writing alike: a later
// section of the same name is ignored, even for a key the first one lacks.

/// The value of `key` in `section`: trimmed of blanks, one pair of enclosing
/// quotes removed, cut to at most 2047 bytes. nullopt when the section or the
/// key is missing (a key without "=" has the empty value).
std::optional<std::string> ReadProfileString(std::string_view text, std::string_view section, std::string_view key);

/// `text` with "key=value" written into `section`, every other byte kept:
/// - an existing entry's line is replaced (its key spelled as the file spells
///   it, its line ending kept);
/// - a new key goes right after the section's last entry (or its header when
///   it has none), so blank lines and comments that close the section stay
///   in front of the next one;
/// - a missing section is appended at the end of the text.
/// New lines end the way the text's first line does (CR LF, LF or CR); a text
/// without any line ending uses `newFileEol`.
std::string WriteProfileString(std::string_view text, std::string_view section, std::string_view key,
                               std::string_view value, std::string_view newFileEol);

/// A profile value as a 32-bit integer: blanks, then an optional sign, then
/// decimal digits, or hexadecimal digits after "$", "0x" or "0X" (up to 32
/// bits, read as two's complement). nullopt for anything else: a word, an
/// empty text, trailing characters, a number beyond 32 bits.
std::optional<int32_t> ParseProfileInt(std::string_view value);

/// A stored switch: non-zero is on, zero is off, anything that is not an
/// integer (or a missing value) gives `defaultValue`.
bool ProfileBool(const std::optional<std::string> &value, bool defaultValue);

}  // namespace quorvex
