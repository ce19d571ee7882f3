#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quorvex {

/// How a whole-file read ended. Missing: there is no such file. Failed: it
/// exists but could not be read to its end, or is not a regular file.
enum class FileReadResult { Ok, Missing, Failed };

/// The program's one reader of whole files: the settings file, the kernel's
/// socket and statistics files under /proc, the package database. Replaces
/// `text` with the file's bytes as they are (no newline translation). On
/// anything but Ok, `text` is empty. Never throws but for lack of memory.
FileReadResult ReadTextFile(const std::string &path, std::string &text);

/// Fills up to `size` bytes at `into` and returns how many it gave, 0 at
/// the end of the source, or -1 when reading failed. Interrupted reads are
/// the source's business to retry.
using ReadChunk = std::function<std::ptrdiff_t(char *into, std::size_t size)>;

/// The loop of ReadTextFile for sources it cannot open itself (a file
/// opened relative to a directory handle): reads until `read` gives 0,
/// straight into `text`, which keeps its capacity so that a caller reading
/// many small files reuses one buffer. False, with `text` empty, when a
/// read failed.
bool ReadToEnd(const ReadChunk &read, std::string &text);

}  // namespace quorvex
