#include "core/win_tables.h"

#include "core/text_forms.h"

namespace quorvex {

namespace {

uint32_t ReadLe32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
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
    rows.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t *row = data + 4 + stride * i;
        TableRow &out = rows[i];
        if (layout == TableLayout::Udp12) {
            // MIB_UDPROW_OWNER_PID: dwLocalAddr, dwLocalPort, dwOwningPid.
            out.Rec.LocalIp = FormatIpv4(row + 0);
            out.Rec.LocalPort = FormatPort(row + 4);
            out.OwnerPid = ReadLe32(row + 8);
        } else {
            // dwState, dwLocalAddr, dwLocalPort, dwRemoteAddr, dwRemotePort,
            // dwOwningPid (and, in the 28-byte row, dwOffloadState).
            out.Rec.State = static_cast<int32_t>(ReadLe32(row + 0));
            out.Rec.LocalIp = FormatIpv4(row + 4);
            out.Rec.LocalPort = FormatPort(row + 8);
            out.Rec.RemoteIp = FormatIpv4(row + 12);
            out.Rec.RemotePort = FormatPort(row + 16);
            out.OwnerPid = ReadLe32(row + 20);
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
