#pragma once

#include <string>
#include <unordered_set>

#include "core/file_rec.h"
#include "core/my_rec.h"

namespace quorvex {

// Row rules shared by the first fill and the refresh.

/// What a row says in its description when its owner's path is unknown.
/// Windows: such an owner is the "System" process or PID 0, the idle
/// process, and the row describes which. Linux has no idle process there:
/// no path only means the owner is not ours to see, and the description
/// stays empty.
enum class PathlessOwners { SystemOrIdle, Unknown };

/// Copies a snapshot record into a row: the remote pair and the state text
/// only for "TCP"; a row without a path is described by `pathless`.
void FillRow(TMyRec &rec, const File_Rec &source, const std::string &protocol, const std::string &remark,
             PathlessOwners pathless = PathlessOwners::SystemOrIdle);

/// A TCP connection from 127.0.0.1 to 127.0.0.1 while local connections are
/// not shown.
bool IsHiddenLoopback(const TMyRec &rec, bool showLocal);

/// The programs noted during one fill or refresh: distinct process names of
/// rows that have a path, byte-wise and case-sensitive; an empty name is a
/// program of its own.
class ProgramList {
public:
    void NoteProgram(const TMyRec &rec);
    int Count() const;

private:
    std::unordered_set<std::string> m_names;
};

}  // namespace quorvex
