#include "platform/linux/proc_owner.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvex {

namespace {

class DirCloser {
public:
    explicit DirCloser(DIR *dir) : m_dir(dir) {}
    ~DirCloser()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    DirCloser(const DirCloser &) = delete;
    DirCloser &operator=(const DirCloser &) = delete;

private:
    DIR *m_dir;
};

bool ParsePid(const char *name, uint32_t &pid)
{
    uint64_t value = 0;
    if (*name == '\0')
        return false;
    for (const char *c = name; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(*c - '0');
        if (value > 0xffffffffu)
            return false;
    }
    pid = static_cast<uint32_t>(value);
    return true;
}

bool ReadLinkAt(int dirFd, const char *name, std::string &target)
{
    char buffer[4096];
    const ssize_t got = ::readlinkat(dirFd, name, buffer, sizeof(buffer));
    if (got < 0 || static_cast<size_t>(got) >= sizeof(buffer))
        return false;
    target.assign(buffer, static_cast<size_t>(got));
    return true;
}

bool ReadFileAt(int dirFd, const char *name, std::string &text)
{
    const int fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[4096];
    text.clear();
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ::close(fd);
            return got == 0;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
}

// Adds every socket of one process's fd table; true when it owns any.
bool ScanFdTable(int pidDirFd, uint32_t pid, OwnerTable &table)
{
    const int fdDirFd = ::openat(pidDirFd, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDirFd < 0)
        return false;  // gone, or another user's process
    DIR *fdDir = ::fdopendir(fdDirFd);
    if (!fdDir) {
        ::close(fdDirFd);
        return false;
    }
    DirCloser closer(fdDir);
    bool any = false;
    char target[64];
    while (const dirent *entry = ::readdir(fdDir)) {
        if (entry->d_name[0] == '.')
            continue;
        // Socket links are short; anything longer is a path and not ours.
        const ssize_t got = ::readlinkat(fdDirFd, entry->d_name, target, sizeof(target));
        if (got <= 0 || static_cast<size_t>(got) >= sizeof(target))
            continue;
        const uint64_t inode = ParseSocketLink(std::string_view(target, static_cast<size_t>(got)));
        if (inode != 0) {
            table.AddSocket(inode, pid);
            any = true;
        }
    }
    return any;
}

ProcessInfo ReadProcessInfo(int pidDirFd)
{
    ProcessInfo info;
    ReadLinkAt(pidDirFd, "exe", info.Path);
    std::string text;
    ProcStatFields stat;
    const bool haveStat = ReadFileAt(pidDirFd, "stat", text) && ParseProcStat(text, stat);
    if (haveStat)
        info.StartTime = stat.StartTime;
    if (!info.Path.empty()) {
        info.Name = BaseName(info.Path);
    } else if (haveStat) {
        // stat's field 2 is the same text as /proc/PID/comm.
        info.Name = stat.Comm;
    } else if (ReadFileAt(pidDirFd, "comm", text)) {
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        info.Name = text;
    }
    return info;
}

}  // namespace

bool ParseProcStat(std::string_view text, ProcStatFields &out)
{
    // pid (comm) state ppid pgrp session tty_nr tpgid flags minflt cminflt
    // majflt cmajflt utime stime cutime cstime priority nice num_threads
    // itrealvalue starttime ...
    const size_t open = text.find('(');
    const size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return false;
    out.Comm.assign(text.substr(open + 1, close - open - 1));
    out.StartTime = 0;
    std::string_view rest = text.substr(close + 1);
    int field = 2;
    while (!rest.empty()) {
        const size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        rest.remove_prefix(start);
        const size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view token = rest.substr(0, end);
        ++field;
        if (field == 22) {
            uint64_t value = 0;
            for (char c : token) {
                if (c < '0' || c > '9')
                    return false;
                value = value * 10 + static_cast<unsigned>(c - '0');
            }
            out.StartTime = value;
            return true;
        }
        rest.remove_prefix(end);
    }
    return true;  // an older or cut-off stat: the name alone
}

uint64_t ParseSocketLink(std::string_view target)
{
    constexpr std::string_view prefix = "socket:[";
    if (target.size() < prefix.size() + 2 || target.substr(0, prefix.size()) != prefix || target.back() != ']')
        return 0;
    uint64_t inode = 0;
    for (char c : target.substr(prefix.size(), target.size() - prefix.size() - 1)) {
        if (c < '0' || c > '9')
            return 0;
        inode = inode * 10 + static_cast<unsigned>(c - '0');
    }
    return inode;
}

std::string BaseName(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void OwnerTable::AddSocket(uint64_t inode, uint32_t pid)
{
    auto [it, inserted] = m_owners.emplace(inode, pid);
    if (!inserted && pid < it->second)
        it->second = pid;
}

void OwnerTable::SetProcess(uint32_t pid, ProcessInfo info)
{
    m_processes[pid] = std::move(info);
}

uint32_t OwnerTable::OwnerOf(uint64_t inode) const
{
    if (inode == 0)
        return 0;
    const auto it = m_owners.find(inode);
    return it == m_owners.end() ? 0 : it->second;
}

const ProcessInfo *OwnerTable::Process(uint32_t pid) const
{
    const auto it = m_processes.find(pid);
    return it == m_processes.end() ? nullptr : &it->second;
}

void OwnerTable::Scan(const std::string &procRoot)
{
    DIR *proc = ::opendir(procRoot.c_str());
    if (!proc)
        return;
    DirCloser closer(proc);
    const int procFd = ::dirfd(proc);
    while (const dirent *entry = ::readdir(proc)) {
        uint32_t pid;
        if (!ParsePid(entry->d_name, pid))
            continue;
        const int pidDirFd = ::openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (pidDirFd < 0)
            continue;
        if (ScanFdTable(pidDirFd, pid, *this))
            m_processes[pid] = ReadProcessInfo(pidDirFd);
        ::close(pidDirFd);
    }
}

}  // namespace quorvex
