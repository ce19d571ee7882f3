#pragma once

#include <string>

namespace quorvex {

/// `text` with every "$V$" replaced by `version`. The tag is matched without
/// regard to letter case and the search resumes after each replaced tag, so
/// a version that itself holds the tag is inserted once and left alone. Never
/// fails: on any error the text comes back unchanged.
std::string ReplaceVersionTag(const std::string &text, const std::string &version) noexcept;

}  // namespace quorvex
