// quorvex-list: prints one snapshot of the machine's IPv4 TCP and UDP
// endpoints, taken the same way as the window takes it.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "core/endpoint_text.h"
#include "platform/platform.h"
#include "platform/process_limits.h"

namespace {

const char kUsage[] =
    "Usage: quorvex-list [--json] [--help]\n"
    "\n"
    "Prints every IPv4 TCP and UDP endpoint of this machine with its owning\n"
    "process: TCP endpoints first, then UDP, in the kernel's order.\n"
    "\n"
    "Default: one endpoint per line, tab-separated: protocol, state number\n"
    "(0 on UDP), local IP, local port, remote IP, remote port, PID, process\n"
    "name, path, description, company. A backslash, tab, newline or carriage\n"
    "return inside a field is written as \\\\, \\t, \\n or \\r.\n"
    "\n"
    "  --json   a JSON array of objects with the keys protocol, state,\n"
    "           localIp, localPort, remoteIp, remotePort, pid (a string),\n"
    "           processName, processPath, description, company. Bytes that\n"
    "           are not well-formed UTF-8 are written as \\u0080..\\u00FF with\n"
    "           the byte's value; real characters in that range always appear\n"
    "           as UTF-8, so such an escape always means one raw byte.\n"
    "  --help   prints this text.\n";

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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--help") == 0) {
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
        platform->GetTcpUdpTable(tables);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quorvex-list: %s\n", error.what());
        return 1;
    }

    BufferedWriter writer;
    bool ok = true;
    bool first = true;
    if (json)
        writer.Buffer() += '[';
    const std::pair<const char *, const std::vector<quorvex::File_Rec> *> groups[] = {
        {"TCP", &tables.TcpRecs},
        {"UDP", &tables.UdpRecs},
    };
    for (const auto &[protocol, records] : groups) {
        for (const quorvex::File_Rec &rec : *records) {
            if (json) {
                writer.Buffer() += first ? "\n" : ",\n";
                quorvex::AppendEndpointJson(writer.Buffer(), protocol, rec);
            } else {
                quorvex::AppendEndpointLine(writer.Buffer(), protocol, rec);
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
