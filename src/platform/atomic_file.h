#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quorvex {

/// Replaces the file at `path` with `data` as a whole: a temporary file in
/// the same directory is written, flushed to the disk and renamed over the
/// old one, which keeps its permissions (and, where allowed, its owner). A
/// symbolic link is followed and its target replaced. Returns false, with the
/// old file untouched and no temporary left behind, when the file or its
/// directory is read-only (no write permission bit, or no access for us),
/// the disk is full, or any step fails. Never throws.
bool WriteFileAtomically(const std::string &path, std::string_view data);
/// The same; on failure `why` holds the system's words for the reason, such
/// as "Permission denied" (a read-only file or directory counts as that).
bool WriteFileAtomically(const std::string &path, std::string_view data, std::string &why);

/// True when the program may create and replace files in `dir`, by the same
/// rule WriteFileAtomically applies.
bool IsWritableDirectory(const std::string &dir);

/// True when `path` names an existing file that WriteFileAtomically may
/// replace (a link's target, by the same rules).
bool IsReplaceableFile(const std::string &path);

/// True when anything (file, directory, link) exists at `path`.
bool PathExists(const std::string &path);

/// Creates `dir` and its missing parents (new ones private to the user).
bool MakeDirectories(const std::string &dir);

/// For tests: the steps of WriteFileAtomically at which a failure can be
/// injected. A fault function that returns true for a step makes that step
/// fail as if the OS had refused it. An empty function removes the hook.
enum class AtomicWriteStep { CreateTemporary, Write, Flush, Rename };
using AtomicWriteFault = std::function<bool(AtomicWriteStep)>;
void SetAtomicWriteFault(AtomicWriteFault fault);

}  // namespace quorvex
