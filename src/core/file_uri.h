#pragma once

#include <string>
#include <string_view>

namespace quorvex {

/// The file:// URI of the absolute POSIX path `path`, built from its bytes:
/// every byte outside the unreserved set (letters, digits, "-._~") and "/" is
/// written as %XX, so a name that is not UTF-8 reaches the receiver as the
/// very same file. Called by the Linux desktop shell for the file manager
/// and the default handler; a relative path is the caller's to resolve.
std::string FileUri(std::string_view path);

}  // namespace quorvex
