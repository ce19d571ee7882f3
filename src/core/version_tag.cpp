#include "core/version_tag.h"

namespace quorvex {

std::string ReplaceVersionTag(const std::string &text, const std::string &version) noexcept
{
    try {
        std::string result;
        result.reserve(text.size());
        size_t i = 0;
        while (i < text.size()) {
            const bool tag = i + 3 <= text.size() && text[i] == '$' && (text[i + 1] == 'V' || text[i + 1] == 'v')
                             && text[i + 2] == '$';
            if (tag) {
                result += version;
                i += 3;
            } else {
                result += text[i++];
            }
        }
        return result;
    } catch (...) {
        // Only allocation can fail here; the caption then keeps its tag.
    }
    try {
        return text;
    } catch (...) {
        return {};
    }
}

}  // namespace quorvex
