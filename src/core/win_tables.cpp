#include "core/win_tables.h"

#include <cstring>

#include "core/text_forms.h"

namespace quorvex {

namespace {

uint32_t ReadLe32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void WriteLe32(uint8_t *p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string ScopeText(uint32_t scope)
{
    return scope != 0 ? std::to_string(scope) : std::string();
}

}  // namespace

size_t RowSize(TableLayout layout)
{
    switch (layout) {
    case TableLayout::Tcp28:
        return 28;
    case TableLayout::Tcp24:
        return 24;
    case TableLayout::Udp12:
        return 12;
    case TableLayout::Tcp6_56:
        return 56;
    case TableLayout::Udp6_28:
        return 28;
    }
    return 0;
}

std::vector<TableRow> DecodeTable(const uint8_t *data, size_t size, TableLayout layout)
{
    std::vector<TableRow> rows;
    if (data == nullptr || size < 4)
        return rows;
    const size_t stride = RowSize(layout);
    const size_t count = ReadLe32(data);
    const size_t fitting = (size - 4) / stride;
    const size_t n = count < fitting ? count : fitting;
    rows.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t *row = data + 4 + stride * i;
        if ((layout == TableLayout::Tcp6_56 || layout == TableLayout::Udp6_28) && IsV4MappedIpv6(row))
            continue;
        TableRow &out = rows.emplace_back();
        if (layout == TableLayout::Tcp6_56) {
            // ucLocalAddr, dwLocalScopeId, dwLocalPort, ucRemoteAddr,
            // dwRemoteScopeId, dwRemotePort, dwState, dwOwningPid.
            out.LocalScope = ReadLe32(row + 16);
            out.RemoteScope = ReadLe32(row + 40);
            out.Rec.LocalIp = FormatIpv6(row + 0, ScopeText(out.LocalScope));
            out.Rec.LocalPort = FormatPort(row + 20);
            out.Rec.RemoteIp = FormatIpv6(row + 24, ScopeText(out.RemoteScope));
            out.Rec.RemotePort = FormatPort(row + 44);
            out.Rec.State = static_cast<int32_t>(ReadLe32(row + 48));
            out.OwnerPid = ReadLe32(row + 52);
            std::memcpy(out.LocalAddr, row + 0, 16);
            std::memcpy(out.LocalPort, row + 20, 4);
            std::memcpy(out.RemoteAddr, row + 24, 16);
            std::memcpy(out.RemotePort, row + 44, 4);
        } else if (layout == TableLayout::Udp6_28) {
            // ucLocalAddr, dwLocalScopeId, dwLocalPort, dwOwningPid.
            out.LocalScope = ReadLe32(row + 16);
            out.Rec.LocalIp = FormatIpv6(row + 0, ScopeText(out.LocalScope));
            out.Rec.LocalPort = FormatPort(row + 20);
            out.OwnerPid = ReadLe32(row + 24);
            std::memcpy(out.LocalAddr, row + 0, 16);
            std::memcpy(out.LocalPort, row + 20, 4);
        } else if (layout == TableLayout::Udp12) {
            // MIB_UDPROW_OWNER_PID: dwLocalAddr, dwLocalPort, dwOwningPid.
            out.Rec.LocalIp = FormatIpv4(row + 0);
            out.Rec.LocalPort = FormatPort(row + 4);
            out.OwnerPid = ReadLe32(row + 8);
            std::memcpy(out.LocalAddr, row + 0, 4);
            std::memcpy(out.LocalPort, row + 4, 4);
        } else {
            // dwState, dwLocalAddr, dwLocalPort, dwRemoteAddr, dwRemotePort,
            // dwOwningPid (and, in the 28-byte row, dwOffloadState).
            out.Rec.State = static_cast<int32_t>(ReadLe32(row + 0));
            out.Rec.LocalIp = FormatIpv4(row + 4);
            out.Rec.LocalPort = FormatPort(row + 8);
            out.Rec.RemoteIp = FormatIpv4(row + 12);
            out.Rec.RemotePort = FormatPort(row + 16);
            out.OwnerPid = ReadLe32(row + 20);
            std::memcpy(out.LocalAddr, row + 4, 4);
            std::memcpy(out.LocalPort, row + 8, 4);
            std::memcpy(out.RemoteAddr, row + 12, 4);
            std::memcpy(out.RemotePort, row + 16, 4);
        }
        out.Rec.Pid = FormatUnsigned(out.OwnerPid);
    }
    return rows;
}

std::vector<uint8_t> FetchTable(const TableCall &call, int maxAttempts)
{
    std::vector<uint8_t> buffer;
    uint32_t size = 0;
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        buffer.resize(size);
        uint32_t reported = size;
        const uint32_t result = call(buffer.empty() ? nullptr : buffer.data(), &reported);
        if (result == kNoError) {
            // A table that claims more than the buffer holds is cut to the
            // buffer; the decoder then drops the rows that do not fit.
            if (reported < buffer.size())
                buffer.resize(reported);
            return buffer;
        }
        if (result != kErrorInsufficientBuffer || reported <= size)
            return {};
        // Rows may appear between this call and the next: leave room for a few.
        size = reported + reported / 8 + 64;
    }
    return {};
}

bool EncodeDeleteTcbRow(const std::string &localIp, const std::string &localPort, const std::string &remoteIp,
                        const std::string &remotePort, uint8_t row[20])
{
    constexpr uint32_t kDeleteTcb = 12;
    uint16_t local = 0, remote = 0;
    std::memset(row, 0, 20);
    if (!ParseIpv4(localIp, row + 4) || !ParsePort(localPort, local) || !ParseIpv4(remoteIp, row + 12)
        || !ParsePort(remotePort, remote))
        return false;
    WriteLe32(row + 0, kDeleteTcb);
    row[8] = static_cast<uint8_t>(local >> 8);
    row[9] = static_cast<uint8_t>(local & 0xff);
    row[16] = static_cast<uint8_t>(remote >> 8);
    row[17] = static_cast<uint8_t>(remote & 0xff);
    return true;
}

CloseResult DeleteTcbResult(uint32_t code)
{
    switch (code) {
    case 0: return CloseResult::Closed;
    case 5:
    case 65:
    case 317: return CloseResult::NotPermitted;
    case 2:
    case 1168: return CloseResult::Gone;
    default: return CloseResult::Failed;
    }
}

std::string TranslationKey(const uint8_t *value, size_t length)
{
    if (value == nullptr || length < 4)
        return {};
    static const char digits[] = "0123456789ABCDEF";
    const uint8_t order[4] = {value[1], value[0], value[3], value[2]};
    std::string key;
    key.reserve(8);
    for (uint8_t b : order) {
        key += digits[b >> 4];
        key += digits[b & 0x0F];
    }
    return key;
}

}  // namespace quorvex
