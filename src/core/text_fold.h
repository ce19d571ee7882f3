#pragma once

#include <string>
#include <string_view>

namespace quorvex {

// Letter case folding for searches "without regard to case", on UTF-8 text.
// Each character is mapped on its own to its small letter (simple one-to-one
// folding): the ASCII letters, the Latin-1 and Latin Extended-A letters, the
// Greek and the basic Cyrillic alphabets, and the full-width Latin letters
// that Chinese input methods produce. Multi-character foldings (German sharp
// s to "ss") and language rules (Turkish dotted and dotless i) are not made;
// Chinese has no letter case. Bytes that are not well-formed UTF-8 pass
// unchanged, so text from any source can be folded.
std::string FoldCase(std::string_view utf8);
// The same, appended to `out`.
void AppendFoldCase(std::string &out, std::string_view utf8);

// The small letter of one code point under the folding above.
char32_t FoldCodePoint(char32_t c);

}  // namespace quorvex
