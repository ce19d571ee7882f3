#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/file_rec.h"

// Decoders for the byte layouts of the Windows IP helper tables, and the
// buffer protocol of the documented table calls. Plain bytes in, records out:
// nothing here calls Windows, so the decoders are tested on every build.
namespace quorvex {

// One row of a table: the record's table fields (State, addresses, ports and
// Pid as text) and the owner PID as a number for the process lookups.
struct TableRow {
    File_Rec Rec;
    uint32_t OwnerPid = 0;
};

// The row layouts. Every table starts with a 32-bit little-endian row count;
// the rows follow at offset 4.
enum class TableLayout {
    // 28-byte rows of the undocumented InternalGetTcpTable2: state, local
    // address, local port, remote address, remote port, owner PID, and an
    // offload state that is not read.
    Tcp28,
    // 24-byte MIB_TCPROW_OWNER_PID of GetExtendedTcpTable
    // (TCP_TABLE_OWNER_PID_ALL): the same first six fields.
    Tcp24,
    // 12-byte MIB_UDPROW_OWNER_PID, from InternalGetUdpTableWithOwnerPid and
    // from GetExtendedUdpTable (UDP_TABLE_OWNER_PID) alike: local address,
    // local port, owner PID.
    Udp12,
};

size_t RowSize(TableLayout layout);

// Decodes a table of `size` bytes. Rows that the count announces but that do
// not fit in the buffer are dropped, so a short or damaged table never reads
// past its end. UDP rows get State 0 and empty remote fields; Mark stays empty.
std::vector<TableRow> DecodeTable(const uint8_t *data, size_t size, TableLayout layout);

// The result codes of the documented table calls that the fetch loop tells apart.
inline constexpr uint32_t kNoError = 0;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;

// One call of a documented table function (GetExtendedTcpTable and its kin):
// fills `buffer` (may be null when *size is 0) and returns kNoError, or
// returns kErrorInsufficientBuffer with the size it needs in *size, or
// returns another error code.
using TableCall = std::function<uint32_t(void *buffer, uint32_t *size)>;

// The table as the call delivers it, trimmed to the size it reported. The
// first call asks for the size; while the table grows between the calls
// (ERROR_INSUFFICIENT_BUFFER again), the buffer is sized anew, at most
// `maxAttempts` calls in all. Any other failure, or running out of attempts,
// gives an empty buffer: a table of no rows.
std::vector<uint8_t> FetchTable(const TableCall &call, int maxAttempts = 8);

// The key of a version resource's string table from the first four bytes of
// its "\VarFileInfo\Translation" value (language ID then code page, each
// 16-bit little-endian): language and code page as eight upper-case hex
// digits, 04 08 B0 04 → "080404B0". Fewer than four bytes give empty text.
std::string TranslationKey(const uint8_t *value, size_t length);

}  // namespace quorvex
