#include "platform/linux/proc_owner.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
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

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;

private:
    int m_fd;
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

// The numeric entries of an open /proc/PID/fd directory.
void ListFds(int fdDirFd, std::vector<uint32_t> &fds)
{
    alignas(8) char buffer[32768];
    for (;;) {
        const ssize_t got = ::getdents64(fdDirFd, buffer, sizeof(buffer));
        if (got <= 0)
            return;  // end, or the process is gone
        for (ssize_t offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + offset);
            uint32_t fd;
            if (ParseNumber(entry->d_name, fd))
                fds.push_back(fd);
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

// What one process adds to the table.
struct ScanProcess {
    uint32_t Pid = 0;
    std::vector<uint64_t> Inodes;  // one per fd that is a socket
    ProcessInfo Info;              // read when Inodes is not empty
    std::vector<uint32_t> Fds;     // of a large process, between its listing and the reading of its links
    bool Large = false;
};

// A process with more fds than this is read after the others, its fd links
// shared among all threads in chunks: one process may hold most of the
// machine's sockets. The chunks are small, so that the threads run out of
// work at nearly the same time at the end of each such process.
constexpr size_t kLargeProcess = 1024;
constexpr size_t kChunk = 256;

// Reads the links of `fds` in the open /proc/PID/fd and keeps the socket
// inodes among them, in fd order. Most of a snapshot's cost on a machine
// with tens of thousands of sockets: one readlink per fd.
void ReadSocketLinks(int fdDirFd, const std::vector<uint32_t> &fds, unsigned threads, std::vector<uint64_t> &inodes)
{
    const auto readChunk = [&](size_t begin, size_t end, std::vector<uint64_t> &found) {
        char name[16], target[64];
        for (size_t k = begin; k < end; ++k) {
            *std::to_chars(name, name + sizeof(name) - 1, fds[k]).ptr = '\0';
            // Socket links are short; anything longer is a path and not ours.
            const ssize_t got = ::readlinkat(fdDirFd, name, target, sizeof(target));
            if (got <= 0 || static_cast<size_t>(got) >= sizeof(target))
                continue;
            if (const uint64_t inode = ParseSocketLink(std::string_view(target, static_cast<size_t>(got))))
                found.push_back(inode);
        }
    };
    const size_t chunks = (fds.size() + kChunk - 1) / kChunk;
    if (threads <= 1 || fds.size() <= kLargeProcess) {
        readChunk(0, fds.size(), inodes);
        return;
    }
    std::vector<std::vector<uint64_t>> found(chunks);
    ParallelFor(chunks, threads,
                [&](size_t c) { readChunk(c * kChunk, std::min(fds.size(), (c + 1) * kChunk), found[c]); });
    for (const std::vector<uint64_t> &part : found)
        inodes.insert(inodes.end(), part.begin(), part.end());
}

// Opens /proc/PID and its fd table, reads what the owner table needs and
// closes both again. The links and the process's own files are read through
// one opening of /proc/PID, so that a PID reused midway cannot mix two
// processes. A process that is gone, or whose fd table is not ours to read,
// adds nothing. A process of more than `largeFrom` fds is only listed and
// marked Large; called again, it reads the links of that list.
void ScanOne(int procFd, ScanProcess &process, unsigned threads, size_t largeFrom)
{
    char name[16];
    *std::to_chars(name, name + sizeof(name) - 1, process.Pid).ptr = '\0';
    const int pidDirFd = ::openat(procFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (pidDirFd < 0)
        return;
    FdCloser closePidDir(pidDirFd);
    // Fails for a process that is gone or belongs to another user.
    const int fdDirFd = ::openat(pidDirFd, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDirFd < 0)
        return;
    FdCloser closeFdDir(fdDirFd);
    std::vector<uint32_t> fds;
    if (process.Large) {
        fds.swap(process.Fds);
    } else {
        ListFds(fdDirFd, fds);
        if (fds.size() > largeFrom) {
            process.Large = true;
            process.Fds = std::move(fds);
            return;
        }
    }
    ReadSocketLinks(fdDirFd, fds, threads, process.Inodes);
    if (!process.Inodes.empty())
        process.Info = ReadProcessInfo(pidDirFd);
}

}  // namespace

bool HasOwnerCapabilities()
{
    if (::geteuid() == 0)
        return true;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    const auto effective = [&data](int capability) {
        return (data[capability / 32].effective & (1u << (capability % 32))) != 0;
    };
    return effective(CAP_SYS_PTRACE) && effective(CAP_DAC_READ_SEARCH);
}

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

const std::vector<std::pair<uint64_t, uint32_t>> &OwnerTable::Sockets() const
{
    Sort();
    return m_owners;
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

    DIR *proc = ::opendir(procRoot.c_str());
    if (!proc)
        return;
    DirCloser closer(proc);
    std::vector<ScanProcess> processes;
    while (const dirent *entry = ::readdir(proc)) {
        ScanProcess process;
        if (ParseNumber(entry->d_name, process.Pid))
            processes.push_back(std::move(process));
    }
    const int procFd = ::dirfd(proc);

    // Every process on its own: its directories are opened, read and closed
    // again before the thread takes the next one, so the scan holds a few
    // descriptors per thread however many processes there are. The links of
    // a large process are put off until the others are done and then read
    // by all threads together.
    const size_t largeFrom = threads > 1 ? kLargeProcess : SIZE_MAX;
    ParallelFor(processes.size(), threads, [&](size_t i) { ScanOne(procFd, processes[i], 1, largeFrom); });
    for (ScanProcess &process : processes) {
        if (process.Large)
            ScanOne(procFd, process, threads, SIZE_MAX);
    }

    size_t count = 0;
    for (const ScanProcess &process : processes)
        count += process.Inodes.size();
    if (m_owners.empty())
        ReserveLarge(m_owners, count);
    else
        m_owners.reserve(m_owners.size() + count);
    for (ScanProcess &process : processes) {
        if (process.Inodes.empty())
            continue;
        for (uint64_t inode : process.Inodes)
            m_owners.emplace_back(inode, process.Pid);
        m_processes[process.Pid] = std::move(process.Info);
    }
    m_sorted = false;
    Sort();
}

}  // namespace quorvex
