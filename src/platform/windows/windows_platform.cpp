#include <winsock2.h>
#include <iphlpapi.h>

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
    void GetTcpUdpTable(TcpUdpTables &tables) override
    {
        // The process list is taken once, before either table: an endpoint
        // whose process started later gets an empty name.
        HANDLE processSnapshot = win::TakeProcessSnapshot();
        HandleCloser closer{processSnapshot};
        OwnerLookups owners(processSnapshot);

        TcpUdpTables result;
        auto tcp = ReadTcpRows();
        result.TcpRecs.reserve(tcp.size());
        for (auto &row : tcp) {
            owners.Fill(row.Rec, row.OwnerPid);
            result.TcpRecs.push_back(std::move(row.Rec));
        }
        auto udp = ReadUdpRows();
        result.UdpRecs.reserve(udp.size());
        for (auto &row : udp) {
            owners.Fill(row.Rec, row.OwnerPid);
            result.UdpRecs.push_back(std::move(row.Rec));
        }
        tables = std::move(result);
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
    // record texts on their way out as UTF-8.
    SetSystemTextEncoder(&EncodeForSystem);
    SetSystemTextDecoder(&DecodeFromSystem);
    return std::make_unique<WindowsPlatform>();
}

}  // namespace quorvex
