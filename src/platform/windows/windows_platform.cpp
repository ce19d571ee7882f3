#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <tcpestats.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/text_forms.h"
#include "core/win_tables.h"
#include "platform/platform.h"
#include "platform/windows/win_lookups.h"

namespace quorvex {

namespace {

// The undocumented IP helper calls: they allocate the table in `heap` and
// hand it back through `table`. The meaning of the flags argument is the
// system's; 2 is what the table layouts below were taken with.
using InternalTableFn = DWORD(WINAPI *)(void **table, HANDLE heap, DWORD flags);
constexpr DWORD kInternalTableFlags = 2;

InternalTableFn BindIpHelper(const char *name)
{
    HMODULE library = GetModuleHandleA("iphlpapi.dll");
    if (library == nullptr)
        library = LoadLibraryA("iphlpapi.dll");
    return library != nullptr ? win::BindEntryPoint<InternalTableFn>(library, name) : nullptr;
}

// Rows of one table through the undocumented entry point `fn`. Its result
// code is not examined: no table back means no rows. The table is bounded by
// its heap block, so a count that overstates the rows reads nothing beyond it.
std::vector<TableRow> ReadInternalTable(InternalTableFn fn, TableLayout layout)
{
    HANDLE heap = GetProcessHeap();
    void *table = nullptr;
    fn(&table, heap, kInternalTableFlags);
    if (table == nullptr)
        return {};
    SIZE_T size = HeapSize(heap, 0, table);
    if (size == static_cast<SIZE_T>(-1)) {
        const uint32_t count = *static_cast<const uint32_t *>(table);
        size = 4 + static_cast<SIZE_T>(count) * RowSize(layout);
    }
    auto rows = DecodeTable(static_cast<const uint8_t *>(table), size, layout);
    HeapFree(heap, 0, table);
    return rows;
}

std::vector<TableRow> ReadTcpRows()
{
    static const InternalTableFn internal = BindIpHelper("InternalGetTcpTable2");
    if (internal != nullptr)
        return ReadInternalTable(internal, TableLayout::Tcp28);
    // Where the undocumented call is missing (Wine, some Windows releases),
    // the documented one gives the same rows without the last field.
    const auto bytes = FetchTable([](void *buffer, uint32_t *size) -> uint32_t {
        DWORD dwSize = *size;
        const DWORD result = GetExtendedTcpTable(buffer, &dwSize, FALSE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0);
        *size = dwSize;
        return result;
    });
    return DecodeTable(bytes.data(), bytes.size(), TableLayout::Tcp24);
}

std::vector<TableRow> ReadUdpRows()
{
    static const InternalTableFn internal = BindIpHelper("InternalGetUdpTableWithOwnerPid");
    if (internal != nullptr)
        return ReadInternalTable(internal, TableLayout::Udp12);
    const auto bytes = FetchTable([](void *buffer, uint32_t *size) -> uint32_t {
        DWORD dwSize = *size;
        const DWORD result = GetExtendedUdpTable(buffer, &dwSize, FALSE, AF_INET, UDP_TABLE_OWNER_PID, 0);
        *size = dwSize;
        return result;
    });
    return DecodeTable(bytes.data(), bytes.size(), TableLayout::Udp12);
}

// The IPv6 tables, through the documented calls only.
std::vector<TableRow> ReadTcp6Rows()
{
    const auto bytes = FetchTable([](void *buffer, uint32_t *size) -> uint32_t {
        DWORD dwSize = *size;
        const DWORD result = GetExtendedTcpTable(buffer, &dwSize, FALSE, AF_INET6, TCP_TABLE_OWNER_PID_ALL, 0);
        *size = dwSize;
        return result;
    });
    return DecodeTable(bytes.data(), bytes.size(), TableLayout::Tcp6_56);
}

std::vector<TableRow> ReadUdp6Rows()
{
    const auto bytes = FetchTable([](void *buffer, uint32_t *size) -> uint32_t {
        DWORD dwSize = *size;
        const DWORD result = GetExtendedUdpTable(buffer, &dwSize, FALSE, AF_INET6, UDP_TABLE_OWNER_PID, 0);
        *size = dwSize;
        return result;
    });
    return DecodeTable(bytes.data(), bytes.size(), TableLayout::Udp6_28);
}

// The per-connection statistics (TcpConnectionEstatsData): the bytes a
// connection sent and received since their collection was switched on for
// it. Collection is off until someone with administrator rights switches it
// on, connection by connection; it is asked for at the first sight of a
// connection, so its counters show from the next snapshot on. The calls are
// bound by name: some systems (Wine among them) lack them. No counters where
// they cannot be had.
class ConnectionStatistics {
public:
    ConnectionStatistics()
    {
        HMODULE library = GetModuleHandleA("iphlpapi.dll");
        if (library == nullptr)
            return;
        m_get = win::BindEntryPoint<Get4Fn>(library, "GetPerTcpConnectionEStats");
        m_set = win::BindEntryPoint<Set4Fn>(library, "SetPerTcpConnectionEStats");
        m_get6 = win::BindEntryPoint<Get6Fn>(library, "GetPerTcp6ConnectionEStats");
        m_set6 = win::BindEntryPoint<Set6Fn>(library, "SetPerTcp6ConnectionEStats");
    }

    std::optional<TrafficCounters> Read(const TableRow &row, bool ipv6) const
    {
        TCP_ESTATS_DATA_RW_v0 rw{};
        TCP_ESTATS_DATA_ROD_v0 rod{};
        ULONG result = ERROR_NOT_SUPPORTED;
        if (ipv6) {
            MIB_TCP6ROW native = Native6(row);
            if (m_get6 == nullptr)
                return std::nullopt;
            result = m_get6(&native, TcpConnectionEstatsData, reinterpret_cast<PUCHAR>(&rw), 0, sizeof(rw), nullptr, 0,
                            0, reinterpret_cast<PUCHAR>(&rod), 0, sizeof(rod));
            if (result == NO_ERROR && !rw.EnableCollection && m_set6 != nullptr) {
                rw.EnableCollection = TRUE;
                m_set6(&native, TcpConnectionEstatsData, reinterpret_cast<PUCHAR>(&rw), 0, sizeof(rw), 0);
                return std::nullopt;
            }
        } else {
            MIB_TCPROW native = Native4(row);
            if (m_get == nullptr)
                return std::nullopt;
            result = m_get(&native, TcpConnectionEstatsData, reinterpret_cast<PUCHAR>(&rw), 0, sizeof(rw), nullptr, 0,
                           0, reinterpret_cast<PUCHAR>(&rod), 0, sizeof(rod));
            if (result == NO_ERROR && !rw.EnableCollection && m_set != nullptr) {
                rw.EnableCollection = TRUE;
                m_set(&native, TcpConnectionEstatsData, reinterpret_cast<PUCHAR>(&rw), 0, sizeof(rw), 0);
                return std::nullopt;
            }
        }
        if (result != NO_ERROR || !rw.EnableCollection)
            return std::nullopt;
        return TrafficCounters{rod.DataBytesOut, rod.DataBytesIn};
    }

private:
    using Get4Fn = ULONG(WINAPI *)(PMIB_TCPROW, TCP_ESTATS_TYPE, PUCHAR, ULONG, ULONG, PUCHAR, ULONG, ULONG, PUCHAR,
                                   ULONG, ULONG);
    using Set4Fn = ULONG(WINAPI *)(PMIB_TCPROW, TCP_ESTATS_TYPE, PUCHAR, ULONG, ULONG, ULONG);
    using Get6Fn = ULONG(WINAPI *)(PMIB_TCP6ROW, TCP_ESTATS_TYPE, PUCHAR, ULONG, ULONG, PUCHAR, ULONG, ULONG, PUCHAR,
                                   ULONG, ULONG);
    using Set6Fn = ULONG(WINAPI *)(PMIB_TCP6ROW, TCP_ESTATS_TYPE, PUCHAR, ULONG, ULONG, ULONG);

    static DWORD PortField(const uint8_t bytes[4])
    {
        DWORD value = 0;
        std::memcpy(&value, bytes, 4);
        return value;
    }

    static MIB_TCPROW Native4(const TableRow &row)
    {
        MIB_TCPROW native{};
        native.dwState = static_cast<DWORD>(row.Rec.State);
        std::memcpy(&native.dwLocalAddr, row.LocalAddr, 4);
        native.dwLocalPort = PortField(row.LocalPort);
        std::memcpy(&native.dwRemoteAddr, row.RemoteAddr, 4);
        native.dwRemotePort = PortField(row.RemotePort);
        return native;
    }

    static MIB_TCP6ROW Native6(const TableRow &row)
    {
        MIB_TCP6ROW native{};
        native.State = static_cast<MIB_TCP_STATE>(row.Rec.State);
        std::memcpy(&native.LocalAddr, row.LocalAddr, 16);
        native.dwLocalScopeId = row.LocalScope;
        native.dwLocalPort = PortField(row.LocalPort);
        std::memcpy(&native.RemoteAddr, row.RemoteAddr, 16);
        native.dwRemoteScopeId = row.RemoteScope;
        native.dwRemotePort = PortField(row.RemotePort);
        return native;
    }

    Get4Fn m_get = nullptr;
    Set4Fn m_set = nullptr;
    Get6Fn m_get6 = nullptr;
    Set6Fn m_set6 = nullptr;
};

constexpr DWORD kListen = 2;  // MIB_TCP_STATE_LISTEN

// The owner facts of one PID. Within one snapshot every endpoint of a PID
// gets the same answers, so each PID is looked up once per snapshot; nothing
// is kept from one snapshot to the next.
struct OwnerInfo {
    std::string Name;
    std::string Path;
    std::string Description;
    std::string Company;
    uint64_t StartTime = 0;
};

class OwnerLookups {
public:
    explicit OwnerLookups(HANDLE processSnapshot) : m_snapshot(processSnapshot) {}

    void Fill(File_Rec &rec, uint32_t pid)
    {
        auto found = m_known.find(pid);
        if (found == m_known.end()) {
            OwnerInfo info;
            info.Name = win::GetProcessNameByPid(m_snapshot, pid);
            info.Path = win::GetProcessPathByPid(pid);
            info.Description = win::GetFileVersionStrings(info.Path, info.Company);
            info.StartTime = win::ProcessCreationTime(pid);
            found = m_known.emplace(pid, std::move(info)).first;
        }
        const OwnerInfo &info = found->second;
        rec.ProcessName = info.Name;
        rec.ProcessPath = info.Path;
        rec.FileDescription = info.Description;
        rec.CompanyName = info.Company;
        rec.StartTime = info.StartTime;
        rec.Mark.clear();
    }

private:
    HANDLE m_snapshot;
    std::unordered_map<uint32_t, OwnerInfo> m_known;
};

struct HandleCloser {
    HANDLE handle;
    ~HandleCloser()
    {
        if (handle != nullptr)
            CloseHandle(handle);
    }
};

class WindowsPlatform : public Platform {
public:
    void GetTcpUdpTable(TcpUdpTables &tables, const SnapshotOptions &options) override
    {
        // The process list is taken once, before either table: an endpoint
        // whose process started later gets an empty name.
        HANDLE processSnapshot = win::TakeProcessSnapshot();
        HandleCloser closer{processSnapshot};
        OwnerLookups owners(processSnapshot);

        TcpUdpTables result;
        const auto take = [&](std::vector<TableRow> rows, std::vector<File_Rec> &out, bool tcp, bool ipv6) {
            out.reserve(rows.size());
            for (auto &row : rows) {
                owners.Fill(row.Rec, row.OwnerPid);
                if (tcp && options.Traffic && static_cast<DWORD>(row.Rec.State) != kListen)
                    row.Rec.Traffic = m_statistics.Read(row, ipv6);
                out.push_back(std::move(row.Rec));
            }
        };
        take(ReadTcpRows(), result.TcpRecs, true, false);
        take(ReadUdpRows(), result.UdpRecs, false, false);
        if (options.Ipv6) {
            take(ReadTcp6Rows(), result.Tcp6Recs, true, true);
            take(ReadUdp6Rows(), result.Udp6Recs, false, true);
        }
        result.TakenAtMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        tables = std::move(result);
    }

    // SetTcpEntry deletes the TCB of an IPv4 connection; Windows has no
    // such call for IPv6.
    CloseOutcome CloseConnection(const TcpConnection &connection) override
    {
        if (connection.Ipv6)
            return {CloseResult::Ipv6NotSupported, 0};
        uint8_t bytes[20];
        if (!EncodeDeleteTcbRow(connection.LocalIp, connection.LocalPort, connection.RemoteIp, connection.RemotePort,
                                bytes))
            return {CloseResult::Failed, ERROR_INVALID_PARAMETER};
        MIB_TCPROW row;
        static_assert(sizeof(row) == sizeof(bytes));
        std::memcpy(&row, bytes, sizeof(row));
        const DWORD code = SetTcpEntry(&row);
        return {DeleteTcbResult(code), static_cast<int>(code)};
    }

    bool EnableDebugPrivilege() override { return win::EnableDebugPrivilege(); }

    std::string SystemDirectory() override
    {
        char buffer[256] = {};
        if (GetSystemDirectoryA(buffer, 255) == 0)
            return {};
        buffer[255] = '\0';
        return buffer;
    }

    std::string ExecutablePath() override
    {
        // Grows past MAX_PATH for long paths; a full buffer means truncated.
        std::vector<char> buffer(MAX_PATH);
        for (;;) {
            const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (length == 0)
                return {};
            if (length < buffer.size())
                return std::string(buffer.data(), length);
            if (buffer.size() >= 32768)
                return {};
            buffer.resize(buffer.size() * 2);
        }
    }

    bool TerminateProcess(uint32_t pid, uint64_t startTime) override
    {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (process == nullptr)
            return false;
        HandleCloser closer{process};
        if (startTime != 0) {
            // The PID may have been given to another process since the
            // snapshot: that one is not ours to end.
            FILETIME creation{}, exit{}, kernel{}, user{};
            if (!GetProcessTimes(process, &creation, &exit, &kernel, &user))
                return false;
            const uint64_t created = static_cast<uint64_t>(creation.dwHighDateTime) << 32 | creation.dwLowDateTime;
            if (created != startTime)
                return false;
        }
        ::TerminateProcess(process, 0);
        return true;
    }

    bool IsExistingFile(const std::string &path) override
    {
        // Wildcards would make FindFirstFileA answer for some other file.
        if (path.empty() || path.find_first_of("*?") != std::string::npos)
            return false;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(path.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return false;
        FindClose(find);
        return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

private:
    ConnectionStatistics m_statistics;
};

std::string EncodeForSystem(std::string_view utf8)
{
    return win::Utf8ToAnsi(utf8);
}

std::string DecodeFromSystem(std::string_view ansi)
{
    return win::AnsiToUtf8(ansi);
}

}  // namespace

std::unique_ptr<Platform> CreatePlatform()
{
    // Records hold ANSI code page text, as the A functions give it; fixed
    // texts written in UTF-8 are converted on their way into a record, and
    // record texts on their way out as UTF-8 (messages, exported files,
    // quorvex-list, case-blind searches).
    SetSystemTextEncoder(&EncodeForSystem);
    SetSystemTextDecoder(&DecodeFromSystem);
    return std::make_unique<WindowsPlatform>();
}

}  // namespace quorvex
