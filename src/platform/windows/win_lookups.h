#pragma once

#include <cstdint>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The per-process lookups of the Windows snapshot, and the privilege switch.
// Every lookup reports failure as empty text (or 0) and never throws. All of
// them are meant for one thread (the GUI thread): the run-time bindings below
// are set up on first use without a lock.
namespace quorvex::win {

// An entry point found by GetProcAddress, as its real type (nullptr when the
// module lacks it). The detour through void (*)() is the sanctioned cast
// between unrelated function pointer types.
template <typename Fn>
Fn BindEntryPoint(HMODULE module, const char *name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Tool help (CreateToolhelp32Snapshot, Process32First, Process32Next) is
// reached through the already loaded kernel32.dll by name; while the module
// cannot be found, every use tries again and gives "no snapshot".
// A process snapshot handle, or nullptr when none could be taken.
HANDLE TakeProcessSnapshot();

// Executable file name (szExeFile) of the first entry of `snapshot` whose
// process ID is `pid`; a name that fills all 260 characters without a NUL is
// kept whole. Empty when there is no such entry or no snapshot.
std::string GetProcessNameByPid(HANDLE snapshot, uint32_t pid);

// Full path of the main module of process `pid`, through PSAPI.dll
// (EnumProcessModules, then GetModuleFileNameExA), which is loaded by name on
// first use and tried again on every call while it cannot be loaded. Empty
// when the process cannot be opened or the module query fails.
std::string GetProcessPathByPid(uint32_t pid);

// The FileDescription of the version resource of `path`, under the first
// translation only; `companyName` gets its CompanyName, which is looked up
// only when a FileDescription was found. Both empty when the file has no
// resource, no translation (or one shorter than 4 bytes) or no description.
std::string GetFileVersionStrings(const std::string &path, std::string &companyName);

// The process's creation time (FILETIME as one 64-bit number), 0 when the
// process cannot be opened. Tells a recycled PID from the listed process.
uint64_t ProcessCreationTime(uint32_t pid);

// Enables (or disables) the named privilege in `token`. True exactly when the
// last-error value after AdjustTokenPrivileges is 0: a privilege that the
// token does not hold gives ERROR_NOT_ALL_ASSIGNED and thus false, although
// the call itself succeeds. False when the name is unknown.
bool SetPrivilege(HANDLE token, const char *privilegeName, bool enable);

// SeDebugPrivilege for the own process, so that other users' processes can
// be opened for their paths. False when the own token cannot be opened.
bool EnableDebugPrivilege();

// UTF-8 → UTF-16 → the ANSI code page, the form of every text the A
// functions hand out. Characters the code page lacks become its default
// character.
std::string Utf8ToAnsi(std::string_view utf8);

// The ANSI code page → UTF-16 → UTF-8: every text the A functions hand out
// becomes well-formed UTF-8 (a byte the code page does not define becomes
// the character the system maps it to).
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace quorvex::win
