#include "platform/atomic_file.h"

#include <string>

#include <windows.h>

namespace quorvex {

namespace {

AtomicWriteFault g_fault;

bool Injected(AtomicWriteStep step)
{
    return g_fault && g_fault(step);
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::size_t LastSeparator(const std::string &path)
{
    return path.find_last_of("\\/");
}

// A file behind a symbolic link or junction: the path of what it points to,
// so that the link stays and its target is replaced. Empty when the target
// cannot be opened (a dangling link names no file to keep).
std::string FinalPath(const std::string &path)
{
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    char buffer[MAX_PATH * 2];
    const DWORD n = GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= sizeof buffer)
        return {};
    std::string result(buffer, n);
    // "\\?\C:\..." for a drive path; "\\?\UNC\server\share" for a network one.
    if (result.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + result.substr(8);
    if (result.rfind("\\\\?\\", 0) == 0)
        return result.substr(4);
    return result;
}

bool WriteAll(HANDLE h, std::string_view data)
{
    while (!data.empty()) {
        const DWORD chunk = data.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(data.size());
        DWORD written = 0;
        if (!WriteFile(h, data.data(), chunk, &written, nullptr) || written == 0)
            return false;
        data.remove_prefix(written);
    }
    return true;
}

HANDLE CreateTemporary(const std::string &target, std::string &tempPath)
{
    const std::size_t sep = LastSeparator(target);
    const std::string dir = sep == std::string::npos ? std::string() : target.substr(0, sep + 1);
    const std::string base = sep == std::string::npos ? target : target.substr(sep + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = dir + "~" + base + "." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(attempt)
                   + ".tmp";
        HANDLE h = CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return h;
    }
    return INVALID_HANDLE_VALUE;
}

// Puts the flushed temporary in the old file's place. ReplaceFile keeps the
// old file's attributes, security and creation time; where the volume cannot
// do that, a plain replacing rename still never leaves a half-written file.
bool PutInPlace(const std::string &temp, const std::string &target, bool existed)
{
    if (existed && ReplaceFileA(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                nullptr))
        return true;
    // After a failed ReplaceFile without a backup name the old file is still
    // there under its own name, and the temporary too.
    return MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

void SetAtomicWriteFault(AtomicWriteFault fault)
{
    g_fault = std::move(fault);
}

bool IsWritableDirectory(const std::string &dir)
{
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // The read-only attribute means nothing for a folder, and the access
    // rules are the security descriptor's: only trying tells.
    std::string probe = dir;
    if (!probe.empty() && !IsSeparator(probe.back()))
        probe += '\\';
    probe += "~quorvex." + std::to_string(GetCurrentProcessId()) + ".probe";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

bool IsReplaceableFile(const std::string &path)
{
    std::string target = path;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        target = FinalPath(path);
        attributes = target.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(target.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return false;
    const std::size_t sep = LastSeparator(target);
    return IsWritableDirectory(sep == std::string::npos ? std::string(".") : target.substr(0, sep + 1));
}

bool PathExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectories(const std::string &dir)
{
    std::string path = dir;
    while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t sep = LastSeparator(path);
    if (sep != std::string::npos && sep > 0) {
        const std::string parent = path.substr(0, sep);
        // "C:" and "\\server" are not made; a missing drive fails below.
        const bool isRoot = (parent.size() == 2 && parent[1] == ':') || parent == "\\" || parent == "\\\\";
        if (!isRoot && !MakeDirectories(parent))
            return false;
    }
    return CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

namespace {

// The failed call's error, never 0 (a short write can leave none).
DWORD FailureCode()
{
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_WRITE_FAULT;
}

// WriteFileAtomically's steps; 0, or the system error code of the step that
// failed.
DWORD WriteAtomically(const std::string &path, std::string_view data)
{
    std::string target = path;
    DWORD attributes = GetFileAttributesA(path.c_str());
    bool existed = false;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            target = FinalPath(path);
            if (target.empty())
                return ERROR_FILE_NOT_FOUND;
            attributes = GetFileAttributesA(target.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return FailureCode();
        }
        // A read-only file is not replaced, as the profile functions would
        // not write it either.
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
            return ERROR_ACCESS_DENIED;
        existed = true;
    } else {
        const DWORD error = FailureCode();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return error;
    }

    std::string temp;
    const bool refuseCreate = Injected(AtomicWriteStep::CreateTemporary);
    HANDLE h = refuseCreate ? INVALID_HANDLE_VALUE : CreateTemporary(target, temp);
    if (h == INVALID_HANDLE_VALUE)
        return refuseCreate ? ERROR_WRITE_FAULT : FailureCode();
    DWORD error = 0;
    if (Injected(AtomicWriteStep::Write))
        error = ERROR_WRITE_FAULT;
    else if (!WriteAll(h, data))
        error = FailureCode();
    if (error == 0) {
        if (Injected(AtomicWriteStep::Flush))
            error = ERROR_WRITE_FAULT;
        else if (FlushFileBuffers(h) == 0)
            error = FailureCode();
    }
    if (CloseHandle(h) == 0 && error == 0)
        error = FailureCode();
    if (error == 0 && existed) {
        // ReplaceFile should carry these over, but not every implementation
        // does, and the rename fallback never does.
        const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                                         | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (kept != 0)
            SetFileAttributesA(temp.c_str(), kept);
    }
    if (error == 0) {
        if (Injected(AtomicWriteStep::Rename))
            error = ERROR_WRITE_FAULT;
        else if (!PutInPlace(temp, target, existed))
            error = FailureCode();
    }
    if (error != 0) {
        DeleteFileA(temp.c_str());
        return error;
    }
    return 0;
}

// The system's words for an error code, in the ANSI code page, without the
// line end the system adds.
std::string ErrorText(DWORD error)
{
    char *buffer = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<char *>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer ? std::string(buffer, n) : std::string();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}

}  // namespace

bool WriteFileAtomically(const std::string &path, std::string_view data)
{
    return WriteAtomically(path, data) == 0;
}

bool WriteFileAtomically(const std::string &path, std::string_view data, std::string &why)
{
    const DWORD error = WriteAtomically(path, data);
    if (error == 0)
        return true;
    why = ErrorText(error);
    return false;
}

}  // namespace quorvex
