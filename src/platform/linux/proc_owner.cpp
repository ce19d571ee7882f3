#include "platform/linux/proc_owner.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/text_file.h"
#include "platform/linux/large_arrays.h"

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

// A PID or fd number: a directory name of decimal digits only.
bool ParseNumber(const char *name, uint32_t &number)
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
    number = static_cast<uint32_t>(value);
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
    const bool read = ReadToEnd(
        [fd](char *into, size_t size) -> std::ptrdiff_t {
            ssize_t got;
            do
                got = ::read(fd, into, size);
            while (got < 0 && errno == EINTR);
            return got;
        },
        text);
    ::close(fd);
    return read;
}

// One process of the scan, with its directories held open so that a PID
// reused midway cannot mix two processes' tables.
struct ScanProcess {
    uint32_t Pid = 0;
    int PidDirFd = -1;
    int FdDirFd = -1;
    std::vector<uint32_t> Fds;
    bool OwnsSocket = false;
};

// The numeric entries of an open /proc/PID/fd directory.
void ListFds(ScanProcess &process)
{
    alignas(8) char buffer[32768];
    for (;;) {
        const ssize_t got = ::getdents64(process.FdDirFd, buffer, sizeof(buffer));
        if (got <= 0)
            return;  // end, or the process is gone
        for (ssize_t offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + offset);
            uint32_t fd;
            if (ParseNumber(entry->d_name, fd))
                process.Fds.push_back(fd);
            offset += entry->d_reclen;
        }
    }
}

// Runs work(i) for every i below count on up to `threads` threads, each
// taking the next index as it becomes free. Fewer threads when the system
// has none to spare; the first error of any thread is rethrown after all
// have finished.
template <typename Work>
void ParallelFor(size_t count, unsigned threads, const Work &work)
{
    std::atomic<size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto run = [&]() {
        try {
            for (size_t i = next++; i < count; i = next++)
                work(i);
        } catch (...) {
            next = count;
            std::lock_guard<std::mutex> guard(failureLock);
            if (!failure)
                failure = std::current_exception();
        }
    };
    std::vector<std::jthread> helpers;
    try {
        for (unsigned t = 1; t < threads && t < count; ++t)
            helpers.emplace_back(run);
    } catch (const std::system_error &) {
    }
    run();
    helpers.clear();  // joins
    if (failure)
        std::rethrow_exception(failure);
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
    if (!haveStat) {
        // stat is readable for every live process, so this one ended during
        // the scan. Without its start time the end-process command could not
        // tell it from a later process given the same PID, so it keeps no
        // path (and with that cannot be ended from the list).
        info.Path.clear();
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
    m_owners.emplace_back(inode, pid);
    m_sorted = false;
}

void OwnerTable::Sort() const
{
    if (m_sorted)
        return;
    // By inode, then PID: the first entry of an inode holds its lowest PID.
    std::sort(m_owners.begin(), m_owners.end());
    m_owners.erase(std::unique(m_owners.begin(), m_owners.end(),
                               [](const auto &a, const auto &b) { return a.first == b.first; }),
                   m_owners.end());
    m_sorted = true;
}

size_t OwnerTable::SocketCount() const
{
    Sort();
    return m_owners.size();
}

void OwnerTable::SetProcess(uint32_t pid, ProcessInfo info)
{
    m_processes[pid] = std::move(info);
}

uint32_t OwnerTable::OwnerOf(uint64_t inode) const
{
    if (inode == 0)
        return 0;
    Sort();
    const auto it = std::lower_bound(m_owners.begin(), m_owners.end(), std::make_pair(inode, uint32_t{0}));
    return it != m_owners.end() && it->first == inode ? it->second : 0;
}

const ProcessInfo *OwnerTable::Process(uint32_t pid) const
{
    const auto it = m_processes.find(pid);
    return it == m_processes.end() ? nullptr : &it->second;
}

void OwnerTable::Scan(const std::string &procRoot, unsigned threads)
{
    if (threads == 0)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);

    std::vector<ScanProcess> processes;
    if (DIR *proc = ::opendir(procRoot.c_str())) {
        DirCloser closer(proc);
        const int procFd = ::dirfd(proc);
        while (const dirent *entry = ::readdir(proc)) {
            ScanProcess process;
            if (!ParseNumber(entry->d_name, process.Pid))
                continue;
            process.PidDirFd = ::openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (process.PidDirFd < 0)
                continue;
            // Fails for a process that is gone or belongs to another user.
            process.FdDirFd = ::openat(process.PidDirFd, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (process.FdDirFd < 0) {
                ::close(process.PidDirFd);
                continue;
            }
            processes.push_back(std::move(process));
        }
    }

    ParallelFor(processes.size(), threads, [&](size_t i) { ListFds(processes[i]); });

    // The fd links in chunks, so that one process with most of the sockets
    // is still shared among the threads.
    constexpr size_t kChunk = 1024;
    struct Chunk {
        size_t Process, Begin, End;
    };
    std::vector<Chunk> chunks;
    for (size_t p = 0; p < processes.size(); ++p) {
        for (size_t begin = 0; begin < processes[p].Fds.size(); begin += kChunk)
            chunks.push_back({p, begin, std::min(begin + kChunk, processes[p].Fds.size())});
    }
    // One slot per fd, written by whichever thread reads the fd; slots of
    // fds that are not sockets keep inode 0 and are dropped afterwards.
    std::vector<size_t> offsets(chunks.size() + 1, 0);
    for (size_t c = 0; c < chunks.size(); ++c)
        offsets[c + 1] = offsets[c] + (chunks[c].End - chunks[c].Begin);
    const size_t before = m_owners.size();
    if (before == 0)
        ReserveLarge(m_owners, offsets.back());
    m_owners.resize(before + offsets.back());
    std::vector<char> chunkHasSocket(chunks.size(), 0);
    ParallelFor(chunks.size(), threads, [&](size_t c) {
        const Chunk &chunk = chunks[c];
        const ScanProcess &process = processes[chunk.Process];
        auto *slot = m_owners.data() + before + offsets[c];
        char name[16], target[64];
        for (size_t k = chunk.Begin; k < chunk.End; ++k, ++slot) {
            *slot = {0, process.Pid};
            const auto end = std::to_chars(name, name + sizeof(name) - 1, process.Fds[k]).ptr;
            *end = '\0';
            // Socket links are short; anything longer is a path and not ours.
            const ssize_t got = ::readlinkat(process.FdDirFd, name, target, sizeof(target));
            if (got <= 0 || static_cast<size_t>(got) >= sizeof(target))
                continue;
            slot->first = ParseSocketLink(std::string_view(target, static_cast<size_t>(got)));
            if (slot->first != 0)
                chunkHasSocket[c] = 1;
        }
    });
    for (size_t c = 0; c < chunks.size(); ++c) {
        if (chunkHasSocket[c])
            processes[chunks[c].Process].OwnsSocket = true;
    }
    m_owners.erase(std::remove_if(m_owners.begin() + static_cast<ptrdiff_t>(before), m_owners.end(),
                                  [](const auto &entry) { return entry.first == 0; }),
                   m_owners.end());
    m_sorted = false;
    Sort();

    for (ScanProcess &process : processes) {
        if (process.OwnsSocket)
            m_processes[process.Pid] = ReadProcessInfo(process.PidDirFd);
        ::close(process.FdDirFd);
        ::close(process.PidDirFd);
    }
}

}  // namespace quorvex
