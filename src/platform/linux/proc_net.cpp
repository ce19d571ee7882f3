#include "platform/linux/proc_net.h"

#include <netinet/in.h>

#include <cstring>

#include "core/text_file.h"

namespace quorvex {

namespace {

std::string_view NextToken(std::string_view &rest)
{
    size_t start = 0;
    while (start < rest.size() && (rest[start] == ' ' || rest[start] == '\t'))
        ++start;
    size_t end = start;
    while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t')
        ++end;
    std::string_view token = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return token;
}

bool ParseHex(std::string_view text, uint64_t &value)
{
    if (text.empty() || text.size() > 16)
        return false;
    value = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return false;
        value = value * 16 + digit;
    }
    return true;
}

bool ParseDecimal(std::string_view text, uint64_t &value)
{
    if (text.empty() || text.size() > 20)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

// "ADDR:PORT". The kernel prints the address as 32-bit words, each the
// stored (network-order) word read as a host integer and written with %08X;
// reading each word back the same way and storing it in host order restores
// the stored bytes on any byte order. The port is host order, %04X.
bool ParseEndpoint(std::string_view text, size_t words, uint8_t address[16], uint16_t &port)
{
    const size_t colon = text.find(':');
    if (colon != words * 8 || text.size() - colon - 1 != 4)
        return false;
    for (size_t i = 0; i < words; ++i) {
        uint64_t word;
        if (!ParseHex(text.substr(i * 8, 8), word))
            return false;
        const uint32_t stored = static_cast<uint32_t>(word);
        std::memcpy(address + i * 4, &stored, 4);
    }
    uint64_t value;
    if (!ParseHex(text.substr(colon + 1), value))
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

bool ParseProcNetLine(std::string_view line, uint8_t family, KernelSocket &out)
{
    // sl  local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode ...
    const size_t words = family == AF_INET6 ? 4 : 1;
    std::string_view rest = line;
    const std::string_view slot = NextToken(rest);
    if (slot.empty() || slot.back() != ':')
        return false;
    KernelSocket socket;
    socket.Family = family;
    if (!ParseEndpoint(NextToken(rest), words, socket.Local, socket.LocalPort))
        return false;
    if (!ParseEndpoint(NextToken(rest), words, socket.Remote, socket.RemotePort))
        return false;
    uint64_t state;
    if (!ParseHex(NextToken(rest), state) || state > 0xff)
        return false;
    socket.State = static_cast<uint8_t>(state);
    for (int skipped = 0; skipped < 4; ++skipped) {  // queues, timer, retransmits, uid
        if (NextToken(rest).empty())
            return false;
    }
    if (NextToken(rest).empty())  // timeout
        return false;
    if (!ParseDecimal(NextToken(rest), socket.Inode))
        return false;
    out = socket;
    return true;
}

void ParseProcNetTable(std::string_view text, uint8_t family, std::vector<KernelSocket> &out)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        KernelSocket socket;
        if (ParseProcNetLine(line, family, socket))
            out.push_back(socket);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

std::optional<uint64_t> SockstatValue(std::string_view text, std::string_view protocol, std::string_view field)
{
    // "TCP: inuse 5 orphan 0 tw 2 alloc 7 mem 1"
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (NextToken(line) != std::string(protocol) + ":")
            continue;
        for (std::string_view name = NextToken(line); !name.empty(); name = NextToken(line)) {
            const std::string_view value = NextToken(line);
            uint64_t number;
            if (name == field && ParseDecimal(value, number))
                return number;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

bool ReadProcNetTable(const std::string &path, uint8_t family, std::vector<KernelSocket> &out)
{
    std::string text;
    if (ReadTextFile(path, text) != FileReadResult::Ok)
        return false;
    ParseProcNetTable(text, family, out);
    return true;
}

bool ReadDefaultV6Only(const std::string &path)
{
    std::string text;
    return ReadTextFile(path, text) == FileReadResult::Ok && !text.empty() && text[0] == '1';
}

}  // namespace quorvex
