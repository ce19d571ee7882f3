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

/// Copies a snapshot record into a row: the remote pair, the state text and
/// the counters only for "TCP" and "TCPv6"; a row without a path is
/// described by `pathless`. A new row has no rate.
void FillRow(TMyRec &rec, const File_Rec &source, const std::string &protocol, const std::string &remark,
             PathlessOwners pathless = PathlessOwners::SystemOrIdle);

/// A kept TCP row takes the counters of the record it claimed at a refresh
/// `elapsedMs` after the snapshot its counters came from (0 or less:
/// unknown). Its rate is the growth of both counters together per second;
/// none when the row had no counters, the record has none, the time is
/// unknown or a counter went back (the system reset it). True when the row's
/// counters or rate changed.
bool TakeTraffic(TMyRec &rec, const File_Rec &source, int64_t elapsedMs);

/// A TCP connection from 127.0.0.1 to 127.0.0.1, or a TCPv6 one from ::1 to
/// ::1, while local connections are not shown. Only these exact texts count.
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
