#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/file_rec.h"
#include "core/platform_port.h"

// Decoders for the byte layouts of the Windows IP helper tables, and the
// buffer protocol of the documented table calls. Plain bytes in, records out:
// nothing here calls Windows, so the decoders are tested on every build.
namespace quorvex {

// One row of a table: the record's table fields (State, addresses, ports and
// Pid as text) and the owner PID as a number for the process lookups.
struct TableRow {
    File_Rec Rec;
    uint32_t OwnerPid = 0;
    // The row's ends as the table stores them, for the calls that take a row
    // back (the per-connection statistics): an IPv4 address in the first 4
    // bytes, ports in the first two bytes of their field, scope IDs of IPv6.
    uint8_t LocalAddr[16] = {};
    uint8_t RemoteAddr[16] = {};
    uint8_t LocalPort[4] = {};
    uint8_t RemotePort[4] = {};
    uint32_t LocalScope = 0;
    uint32_t RemoteScope = 0;
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
    // 56-byte MIB_TCP6ROW_OWNER_PID of GetExtendedTcpTable for AF_INET6:
    // local address (16 bytes), local scope ID, local port, remote address,
    // remote scope ID, remote port, state, owner PID.
    Tcp6_56,
    // 28-byte MIB_UDP6ROW_OWNER_PID of GetExtendedUdpTable for AF_INET6:
    // local address, local scope ID, local port, owner PID.
    Udp6_28,
};

size_t RowSize(TableLayout layout);

// Decodes a table of `size` bytes. Rows that the count announces but that do
// not fit in the buffer are dropped, so a short or damaged table never reads
// past its end. UDP rows get State 0 and empty remote fields; Mark stays empty.
// IPv6 addresses are written in RFC 5952 form, a link-local one followed by
// "%" and its scope ID; an IPv6 row whose local address is v4-mapped is left
// out (the socket carries IPv4 and is an IPv4 row).
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

// The 20-byte MIB_TCPROW that SetTcpEntry takes to delete a connection's
// TCB: state 12 (MIB_TCP_STATE_DELETE_TCB), local address, local port,
// remote address, remote port, the ports in network order in the first two
// bytes of their fields. False when an address is not a dotted quad or a
// port not a port: only IPv4 connections can be deleted this way.
bool EncodeDeleteTcbRow(const std::string &localIp, const std::string &localPort, const std::string &remoteIp,
                        const std::string &remotePort, uint8_t row[20]);

// What SetTcpEntry's result code says about closing the connection:
// NO_ERROR closed it; ERROR_ACCESS_DENIED (5), ERROR_NETWORK_ACCESS_DENIED
// (65) and the 317 Windows gives a process without administrator rights
// mean not permitted; ERROR_NOT_FOUND (1168) and ERROR_FILE_NOT_FOUND (2)
// mean the connection is gone; everything else failed.
CloseResult DeleteTcbResult(uint32_t code);

// The key of a version resource's string table from the first four bytes of
// its "\VarFileInfo\Translation" value (language ID then code page, each
// 16-bit little-endian): language and code page as eight upper-case hex
// digits, 04 08 B0 04 → "080404B0". Fewer than four bytes give empty text.
std::string TranslationKey(const uint8_t *value, size_t length);

}  // namespace quorvex
