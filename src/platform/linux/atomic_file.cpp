#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvex {

namespace {

AtomicWriteFault g_fault;

bool Injected(AtomicWriteStep step)
{
    return g_fault && g_fault(step);
}

std::string DirectoryOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// A read-only file on Windows cannot be replaced even by an administrator. The
// nearest thing here is a file without any write permission bit: root would
// otherwise replace it, since access() grants root everything.
bool MayModify(const std::string &path, const struct stat &st)
{
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return access(path.c_str(), W_OK) == 0;
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

int CreateTemporary(const std::string &target, std::string &tempPath)
{
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = dir + "." + base + "." + std::to_string(getpid()) + "." + std::to_string(attempt) + ".tmp";
        // 0666 through the umask, like any new file; an existing file's mode
        // is copied over it below.
        const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void SyncDirectory(const std::string &dir)
{
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

}  // namespace

void SetAtomicWriteFault(AtomicWriteFault fault)
{
    g_fault = std::move(fault);
}

bool IsWritableDirectory(const std::string &dir)
{
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return MayModify(dir, st);
}

bool IsReplaceableFile(const std::string &path)
{
    struct stat st {};
    char resolved[PATH_MAX];
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !realpath(path.c_str(), resolved))
        return false;
    return MayModify(resolved, st) && IsWritableDirectory(DirectoryOf(resolved));
}

bool PathExists(const std::string &path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool MakeDirectories(const std::string &dir)
{
    if (dir.empty())
        return false;
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = DirectoryOf(dir);
    if (parent != dir && !MakeDirectories(parent))
        return false;
    return mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

namespace {

// WriteFileAtomically's steps; 0, or the errno of the step that failed.
int WriteAtomically(const std::string &path, std::string_view data)
{
    std::string target = path;
    struct stat st {};
    bool existed = false;
    if (lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            // Replace the link's target, not the link: a settings file kept
            // elsewhere through a link stays where it is.
            char resolved[PATH_MAX];
            if (!realpath(path.c_str(), resolved))
                return errno;  // a dangling link names no file to keep
            target = resolved;
            if (stat(target.c_str(), &st) != 0)
                return errno;
        }
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        if (!S_ISREG(st.st_mode) || !MayModify(target, st))
            return EACCES;
        existed = true;
    } else if (errno != ENOENT) {
        return errno;
    }
    const std::string dir = DirectoryOf(target);
    struct stat dirStat {};
    if (stat(dir.c_str(), &dirStat) != 0)
        return errno;
    if (!S_ISDIR(dirStat.st_mode))
        return ENOTDIR;
    if (!IsWritableDirectory(dir))
        return EACCES;

    std::string temp;
    const bool refuseCreate = Injected(AtomicWriteStep::CreateTemporary);
    const int fd = refuseCreate ? -1 : CreateTemporary(target, temp);
    if (fd < 0)
        return refuseCreate ? EIO : errno;
    int error = 0;
    if (Injected(AtomicWriteStep::Write))
        error = EIO;
    else if (!WriteAll(fd, data))
        error = errno;
    if (error == 0 && existed) {
        // The owner first: fchown may clear set-id bits that fchmod then
        // restores. Another user's file stays theirs where root writes it.
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not ours to give away; the file keeps our ownership.
        }
        if (fchmod(fd, st.st_mode & 07777) != 0)
            error = errno;
    }
    if (error == 0) {
        if (Injected(AtomicWriteStep::Flush))
            error = EIO;
        else if (fsync(fd) != 0)
            error = errno;
    }
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0) {
        if (Injected(AtomicWriteStep::Rename))
            error = EIO;
        else if (rename(temp.c_str(), target.c_str()) != 0)
            error = errno;
    }
    if (error != 0) {
        unlink(temp.c_str());
        return error;
    }
    SyncDirectory(DirectoryOf(target));
    return 0;
}

}  // namespace

bool WriteFileAtomically(const std::string &path, std::string_view data)
{
    return WriteAtomically(path, data) == 0;
}

bool WriteFileAtomically(const std::string &path, std::string_view data, std::string &why)
{
    const int error = WriteAtomically(path, data);
    if (error == 0)
        return true;
    why = std::strerror(error);
    return false;
}

}  // namespace quorvex
