// quorvex-list: prints one snapshot of the machine's IPv4 TCP and UDP
// endpoints (and on request the IPv6 ones and the byte counters), taken the
// same way as the window takes it.

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "core/endpoint_text.h"
#include "platform/console_output.h"
#include "platform/platform.h"
#include "platform/process_limits.h"

namespace {

const char kUsage[] =
    "Usage: quorvex-list [--json] [-H|--no-header] [-6|--ipv6] [--traffic] [-h|--help]\n"
    "\n"
    "Prints every IPv4 TCP and UDP endpoint of this machine with its owning\n"
    "process: TCP endpoints first, then UDP, in the kernel's order; with\n"
    "--ipv6 the IPv6 ones follow, TCPv6 then UDPv6.\n"
    "\n"
    "Default: a header line naming the columns, then one endpoint per line,\n"
    "tab-separated: protocol, state number (0 on UDP), local IP, local port,\n"
    "remote IP, remote port, PID, process name, path, description, company.\n"
    "Inside a field a backslash, tab, newline or carriage return is written\n"
    "as \\\\, \\t, \\n or \\r, and any other control character (0x00-0x1F,\n"
    "0x7F) as \\x and two hex digits, such as \\x1b. Other bytes pass as they\n"
    "are. On Windows the texts are converted from the ANSI code page to\n"
    "UTF-8, and a console shows UTF-8 while the program runs.\n"
    "\n"
    "  -H, --no-header  leaves out the header line of the tab-separated form.\n"
    "  -6, --ipv6       also lists the sockets that serve IPv6 only, with the\n"
    "                   protocols TCPv6 and UDPv6 and RFC 5952 addresses (a\n"
    "                   link-local one followed by % and its interface).\n"
    "                   Sockets that carry IPv4 (v4-mapped, dual-stack) are\n"
    "                   IPv4 endpoints either way.\n"
    "  --traffic        adds the bytes each TCP connection has sent and\n"
    "                   received: two more fields, bytesSent and\n"
    "                   bytesReceived (in JSON numbers, null where a socket\n"
    "                   has none, as UDP).\n"
    "  --json           a JSON array of objects (UTF-8) with the keys:\n"
    "                   protocol, state (number), stateName (such as \"LISTEN\";\n"
    "                   null on UDP), localIp, localPort (number), remoteIp,\n"
    "                   remotePort (number; null on UDP), pid (number; 0 when\n"
    "                   the owner is unknown), processName, processPath,\n"
    "                   description, company. A text that is not valid UTF-8\n"
    "                   has each offending byte replaced by U+FFFD and is\n"
    "                   followed by a second key, its name plus \"Bytes\" (such\n"
    "                   as processNameBytes), giving the exact bytes in hex;\n"
    "                   that key is present only for such texts.\n"
    "  -h, --help       prints this text.\n";

// Collects output and hands it to stdout in large blocks.
class BufferedWriter {
public:
    std::string &Buffer() { return m_buffer; }
    bool FlushIfFull()
    {
        return m_buffer.size() < kBlock || Flush();
    }
    bool Flush()
    {
        const bool ok = std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout) == m_buffer.size();
        m_buffer.clear();
        return ok;
    }

private:
    static constexpr size_t kBlock = 1 << 16;
    std::string m_buffer;
};

}  // namespace

int main(int argc, char **argv)
{
    quorvex::RaiseOpenFileLimit();
    bool json = false;
    bool header = true;
    quorvex::SnapshotOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--json") {
            json = true;
        } else if (argument == "-H" || argument == "--no-header") {
            header = false;
        } else if (argument == "-6" || argument == "--ipv6") {
            options.Ipv6 = true;
        } else if (argument == "--traffic") {
            options.Traffic = true;
        } else if (argument == "-h" || argument == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "quorvex-list: unknown argument '%s'\n\n%s", argv[i], kUsage);
            return 2;
        }
    }

    quorvex::TcpUdpTables tables;
    try {
        auto platform = quorvex::CreatePlatform();
        platform->GetTcpUdpTable(tables, options);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quorvex-list: %s\n", error.what());
        return 1;
    }

    quorvex::UseUtf8Console();
    BufferedWriter writer;
    bool ok = true;
    bool first = true;
    if (json)
        writer.Buffer() += '[';
    else if (header)
        quorvex::AppendEndpointHeader(writer.Buffer(), options.Traffic);
    for (const quorvex::RecordGroup &group : quorvex::RecordGroups) {
        for (const quorvex::File_Rec &rec : tables.*group.Recs) {
            if (json) {
                writer.Buffer() += first ? "\n" : ",\n";
                quorvex::AppendEndpointJson(writer.Buffer(), group.Protocol, quorvex::WithUtf8Texts(rec),
                                            options.Traffic);
            } else {
                quorvex::AppendEndpointLine(writer.Buffer(), group.Protocol, quorvex::WithUtf8Texts(rec),
                                            options.Traffic);
            }
            first = false;
            ok = writer.FlushIfFull() && ok;
        }
    }
    if (json)
        writer.Buffer() += first ? "]\n" : "\n]\n";
    ok = writer.Flush() && ok;
    if (std::fflush(stdout) != 0 || !ok) {
        std::fprintf(stderr, "quorvex-list: cannot write the output\n");
        return 1;
    }
    return 0;
}
