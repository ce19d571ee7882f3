#include "platform/windows/win_lookups.h"

#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "core/win_tables.h"

namespace quorvex::win {

namespace {

// --- Tool help, bound by name in the already loaded kernel32.dll -----------

static_assert(sizeof(PROCESSENTRY32::szExeFile[0]) == 1, "the 8-bit process entry, Process32First/Next");

using CreateSnapshotFn = HANDLE(WINAPI *)(DWORD flags, DWORD pid);
using ProcessWalkFn = BOOL(WINAPI *)(HANDLE snapshot, PROCESSENTRY32 *entry);

struct ToolHelpBinding {
    HMODULE module = nullptr;
    CreateSnapshotFn createSnapshot = nullptr;
    ProcessWalkFn first = nullptr;  // "Process32First" is the 8-bit variant
    ProcessWalkFn next = nullptr;
};

ToolHelpBinding &ToolHelp()
{
    static ToolHelpBinding binding;
    if (binding.module == nullptr) {
        // Found, never loaded: kernel32 is in every process already.
        binding.module = GetModuleHandleA("kernel32.dll");
        if (binding.module != nullptr) {
            binding.createSnapshot =
                BindEntryPoint<CreateSnapshotFn>(binding.module, "CreateToolhelp32Snapshot");
            binding.first = BindEntryPoint<ProcessWalkFn>(binding.module, "Process32First");
            binding.next = BindEntryPoint<ProcessWalkFn>(binding.module, "Process32Next");
        }
    }
    return binding;
}

BOOL ProcessFirst(HANDLE snapshot, PROCESSENTRY32 *entry)
{
    const ToolHelpBinding &b = ToolHelp();
    return b.first != nullptr ? b.first(snapshot, entry) : FALSE;
}

BOOL ProcessNext(HANDLE snapshot, PROCESSENTRY32 *entry)
{
    const ToolHelpBinding &b = ToolHelp();
    return b.next != nullptr ? b.next(snapshot, entry) : FALSE;
}

// --- Process status, PSAPI.dll loaded by name on first use -----------------

using EnumProcessModulesFn = BOOL(WINAPI *)(HANDLE process, HMODULE *modules, DWORD size, DWORD *needed);
using GetModuleFileNameExFn = DWORD(WINAPI *)(HANDLE process, HMODULE module, char *name, DWORD size);

struct PsapiBinding {
    HMODULE library = nullptr;
    EnumProcessModulesFn enumProcessModules = nullptr;
    GetModuleFileNameExFn getModuleFileNameEx = nullptr;
};

PsapiBinding &Psapi()
{
    static PsapiBinding binding;
    if (binding.library == nullptr) {
        HMODULE library = LoadLibraryA("PSAPI.dll");
        // Handles below 32 are the error codes of the 16-bit loader's heritage.
        if (reinterpret_cast<uintptr_t>(library) >= 32) {
            binding.library = library;  // kept loaded for the rest of the run
            binding.enumProcessModules =
                BindEntryPoint<EnumProcessModulesFn>(library, "EnumProcessModules");
            binding.getModuleFileNameEx =
                BindEntryPoint<GetModuleFileNameExFn>(library, "GetModuleFileNameExA");
        }
    }
    return binding;
}

struct HandleCloser {
    HANDLE handle;
    ~HandleCloser()
    {
        if (handle != nullptr)
            CloseHandle(handle);
    }
};

}  // namespace

HANDLE TakeProcessSnapshot()
{
    const ToolHelpBinding &b = ToolHelp();
    if (b.createSnapshot == nullptr)
        return nullptr;
    HANDLE snapshot = b.createSnapshot(TH32CS_SNAPPROCESS, 0);
    return snapshot == INVALID_HANDLE_VALUE ? nullptr : snapshot;
}

std::string GetProcessNameByPid(HANDLE snapshot, uint32_t pid)
{
    if (snapshot == nullptr)
        return {};
    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL got = ProcessFirst(snapshot, &entry); got; got = ProcessNext(snapshot, &entry)) {
        if (entry.th32ProcessID == pid)
            return std::string(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
    }
    return {};
}

std::string GetProcessPathByPid(uint32_t pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr)
        return {};
    HandleCloser closer{process};
    const PsapiBinding &psapi = Psapi();
    if (psapi.enumProcessModules == nullptr || psapi.getModuleFileNameEx == nullptr)
        return {};
    // Room for one module handle: the first module is the executable.
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!psapi.enumProcessModules(process, &module, sizeof module, &needed))
        return {};
    char name[1025] = {};
    if (psapi.getModuleFileNameEx(process, module, name, sizeof name) == 0)
        return {};
    name[sizeof name - 1] = '\0';
    return name;
}

std::string GetFileVersionStrings(const std::string &path, std::string &companyName)
{
    companyName.clear();
    if (path.empty())
        return {};
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    if (size == 0)
        return {};
    std::vector<char> buffer(size, 0);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, buffer.data()))
        return {};

    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length) || value == nullptr)
        return {};
    const std::string key = TranslationKey(static_cast<const uint8_t *>(value), length);
    if (key.empty())
        return {};

    const std::string block = "\\StringFileInfo\\" + key + "\\";
    value = nullptr;
    if (!VerQueryValueA(buffer.data(), (block + "FileDescription").c_str(), &value, &length) || value == nullptr)
        return {};
    std::string description(static_cast<const char *>(value));
    value = nullptr;
    if (VerQueryValueA(buffer.data(), (block + "CompanyName").c_str(), &value, &length) && value != nullptr)
        companyName = static_cast<const char *>(value);
    return description;
}

uint64_t ProcessCreationTime(uint32_t pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr)
        return 0;
    HandleCloser closer{process};
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!GetProcessTimes(process, &creation, &exit, &kernel, &user))
        return 0;
    return static_cast<uint64_t>(creation.dwHighDateTime) << 32 | creation.dwLowDateTime;
}

bool SetPrivilege(HANDLE token, const char *privilegeName, bool enable)
{
    LUID luid{};
    if (!LookupPrivilegeValueA(nullptr, privilegeName, &luid))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    DWORD returned = 0;
    // The call's own result is not the answer: it succeeds with
    // ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege.
    SetLastError(ERROR_SUCCESS);
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, &returned);
    return GetLastError() == ERROR_SUCCESS;
}

bool EnableDebugPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return false;
    const bool enabled = SetPrivilege(token, "SeDebugPrivilege", true);
    CloseHandle(token);
    return enabled;
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int length = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wide <= 0)
        return std::string(utf8);
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, utf16.data(), wide);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string(utf8);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    if (ansi.empty())
        return {};
    const int length = static_cast<int>(ansi.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (wide <= 0)
        return std::string(ansi);
    std::wstring utf16(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, utf16.data(), wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string(ansi);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

}  // namespace quorvex::win
