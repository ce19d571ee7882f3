#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorvex {

// The fields of /proc/PID/stat that the snapshot uses.
struct ProcStatFields {
    std::string Comm;        // field 2, without its parentheses; may hold ')', spaces, any byte
    uint64_t StartTime = 0;  // field 22, clock ticks after boot
};

// Parses /proc/PID/stat. The command name is everything between the first
// '(' and the last ')'; the numeric fields are counted after that last ')'.
bool ParseProcStat(std::string_view text, ProcStatFields &out);

// The inode of an fd link target "socket:[N]"; 0 for any other target.
uint64_t ParseSocketLink(std::string_view target);

// The last component of an executable's path.
std::string BaseName(std::string_view path);

struct ProcessInfo {
    std::string Name;        // executable's file name, else the kernel's command name
    std::string Path;        // target of /proc/PID/exe; empty when it cannot be read
    uint64_t StartTime = 0;  // 0 when unknown
};

// True when this process may read every process's fd table: it runs as
// root, or has both CAP_SYS_PTRACE (to look into other users' processes)
// and CAP_DAC_READ_SEARCH (to pass their /proc/PID/fd permissions) in its
// effective set.
bool HasOwnerCapabilities();

// Who owns which socket, taken in one pass over /proc: inode -> PID from the
// fd tables, and name, path and start time of every process that owns a
// socket. A socket shared by several processes goes to the lowest PID.
class OwnerTable {
public:
    // Reads procRoot/*/fd and the owners' exe and stat. Processes that vanish
    // or whose fd table cannot be read are skipped quietly. The processes are
    // read by up to `threads` threads, each process opened, read and closed
    // before the thread takes the next: the scan holds a few descriptors per
    // thread, whatever the number of processes.
    void Scan(const std::string &procRoot = "/proc", unsigned threads = 0);

    void AddSocket(uint64_t inode, uint32_t pid);
    void SetProcess(uint32_t pid, ProcessInfo info);

    // 0 when no process was found for the socket.
    uint32_t OwnerOf(uint64_t inode) const;
    // Null for a PID that the scan did not see as an owner.
    const ProcessInfo *Process(uint32_t pid) const;

    size_t SocketCount() const;
    // Every socket with its owner, by inode, one entry per inode.
    const std::vector<std::pair<uint64_t, uint32_t>> &Sockets() const;

private:
    void Sort() const;

    // (inode, PID), sorted by inode with one entry per inode once m_sorted.
    mutable std::vector<std::pair<uint64_t, uint32_t>> m_owners;
    mutable bool m_sorted = true;
    std::unordered_map<uint32_t, ProcessInfo> m_processes;
};

}  // namespace quorvex
