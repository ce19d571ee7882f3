#include "platform/linux/linux_snapshot.h"

#include <net/if.h>
#include <netinet/in.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "core/text_file.h"
#include "core/text_forms.h"
#include "platform/linux/large_arrays.h"
#include "platform/linux/owner_helper.h"
#include "platform/linux/proc_net.h"
#include "platform/linux/sock_diag.h"

namespace quorvex {

void AppendRecords(const std::vector<KernelSocket> &sockets, bool tcp, bool defaultV6Only, const OwnerTable &owners,
                   const VersionSource &versionSource, std::unordered_map<uint32_t, VersionStrings> &versions,
                   std::vector<File_Rec> &out, const RecordOptions &extra)
{
    const auto scopeOf = [&](const KernelSocket &socket) {
        if (socket.Interface == 0)
            return std::string();
        return extra.InterfaceName ? extra.InterfaceName(socket.Interface) : std::to_string(socket.Interface);
    };
    for (const KernelSocket &socket : sockets) {
        uint8_t local[4], remote[4];
        const bool ipv4 = Ipv4View(socket, defaultV6Only, local, remote);
        if (!ipv4 && (!extra.Ipv6Out || socket.Family != AF_INET6))
            continue;
        File_Rec &rec = ipv4 ? out.emplace_back() : extra.Ipv6Out->emplace_back();
        const uint8_t localPort[2] = {static_cast<uint8_t>(socket.LocalPort >> 8),
                                      static_cast<uint8_t>(socket.LocalPort & 0xff)};
        // The scope is asked for only where an address needs one.
        const bool scoped = !ipv4 && (IsLinkLocalIpv6(socket.Local) || (tcp && IsLinkLocalIpv6(socket.Remote)));
        const std::string scope = scoped ? scopeOf(socket) : std::string();
        rec.LocalIp = ipv4 ? FormatIpv4(local) : FormatIpv6(socket.Local, scope);
        rec.LocalPort = FormatPort(localPort);
        if (tcp) {
            const uint8_t remotePort[2] = {static_cast<uint8_t>(socket.RemotePort >> 8),
                                           static_cast<uint8_t>(socket.RemotePort & 0xff)};
            rec.State = MapTcpState(socket.State);
            rec.RemoteIp = ipv4 ? FormatIpv4(remote) : FormatIpv6(socket.Remote, scope);
            rec.RemotePort = FormatPort(remotePort);
            if (extra.Counters && socket.HasCounters)
                rec.Traffic = TrafficCounters{socket.BytesSent, socket.BytesReceived};
        }
        rec.Socket = SocketRef{socket.Cookie, socket.Interface};
        const uint32_t pid = owners.OwnerOf(socket.Inode);
        rec.Pid = FormatUnsigned(pid);
        const ProcessInfo *process = pid != 0 ? owners.Process(pid) : nullptr;
        if (!process)
            continue;
        rec.ProcessName = process->Name;
        rec.ProcessPath = process->Path;
        rec.StartTime = process->StartTime;
        auto cached = versions.find(pid);
        if (cached == versions.end()) {
            VersionStrings strings;
            if (!process->Path.empty() && versionSource)
                strings = versionSource(process->Path);
            cached = versions.emplace(pid, std::move(strings)).first;
        }
        rec.FileDescription = cached->second.Description;
        rec.CompanyName = cached->second.Company;
    }
}

LinuxSnapshot::LinuxSnapshot(SnapshotSources sources) : m_sources(std::move(sources)) {}

bool LinuxSnapshot::SeesEveryOwner()
{
    DecideOwnerWay();
    return m_seesEveryOwner;
}

void LinuxSnapshot::DecideOwnerWay()
{
    if (m_ownerWay != OwnerWay::Undecided)
        return;
    m_ownerWay = OwnerWay::OwnScan;
    m_seesEveryOwner = HasOwnerCapabilities();
    if (m_seesEveryOwner || m_sources.ProcRoot != "/proc")
        return;
    // A helper we may run but that lacks its capabilities (installed
    // without the package's set-up) sees no more than we do, and our own
    // scan is the quicker of the two.
    const std::string helper = FirstRunnableHelper(m_sources.OwnerHelpers);
    OwnerTable trial;
    bool allVisible = false;
    if (!helper.empty() && ReadOwnersThroughHelper(helper, trial, allVisible) && allVisible) {
        m_ownerWay = OwnerWay::Helper;
        m_helper = helper;
        m_seesEveryOwner = true;
    }
}

void LinuxSnapshot::ScanOwners(OwnerTable &owners)
{
    bool allVisible = false;
    if (m_ownerWay == OwnerWay::Helper && ReadOwnersThroughHelper(m_helper, owners, allVisible))
        return;
    owners.Scan(m_sources.ProcRoot);
}

namespace {

// Errors that say the system was short of something at that moment, not
// that the table is missing: worth a second try.
bool IsTransient(int error)
{
    switch (error) {
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
    case EAGAIN:
    case EINTR:
        return true;
    default:
        return false;
    }
}

}  // namespace

LinuxSnapshot::TableRead LinuxSnapshot::ReadTableOnce(uint8_t family, uint8_t protocol, const char *procFile,
                                                      std::vector<KernelSocket> &out, int &error, bool tcpInfo)
{
    error = 0;
    if (m_sources.UseNetlink && DumpSockets(family, protocol, out, error, tcpInfo))
        return TableRead::Read;
    // No sock_diag for this table (udp_diag is a module that may be missing),
    // or the dump failed: /proc/net has the same table.
    const int dumpError = error;
    const std::string path = m_sources.ProcRoot + "/net/" + procFile;
    if (ReadProcNetTable(path, family, out))
        return TableRead::Read;
    error = errno;
    out.clear();
    // A kernel without IPv6 has neither the file nor a diag handler for it.
    // Finding that out takes no descriptor, so a process out of them cannot
    // take an unreadable table for a missing one.
    struct stat st;
    if (!IsTransient(dumpError) && ::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return TableRead::Missing;
    if (error == 0)
        error = dumpError != 0 ? dumpError : EIO;
    return TableRead::Failed;
}

bool LinuxSnapshot::ReadTable(uint8_t family, uint8_t protocol, const char *procFile, std::vector<KernelSocket> &out,
                              bool tcpInfo)
{
    int error = 0;
    TableRead result = ReadTableOnce(family, protocol, procFile, out, error, tcpInfo);
    // Once more before giving up: a table given as empty would make the
    // list drop every row of it and add them again at the next refresh.
    if (result == TableRead::Failed)
        result = ReadTableOnce(family, protocol, procFile, out, error, tcpInfo);
    if (result == TableRead::Failed)
        throw std::runtime_error(std::string("Cannot read the kernel's ") + procFile
                                 + " socket table: " + std::generic_category().message(error));
    return result == TableRead::Read;
}

void LinuxSnapshot::Take(TcpUdpTables &tables, const SnapshotOptions &options)
{
    struct Table {
        uint8_t Family;
        uint8_t Protocol;
        const char *ProcFile;
        std::vector<KernelSocket> Sockets;
        bool Empty = false;  // the kernel counts no socket in it
        bool Read = false;
    };
    Table sources[4] = {
        {AF_INET, IPPROTO_TCP, "tcp", {}},
        {AF_INET6, IPPROTO_TCP, "tcp6", {}},
        {AF_INET, IPPROTO_UDP, "udp", {}},
        {AF_INET6, IPPROTO_UDP, "udp6", {}},
    };
    // Room for each table at once, from the kernel's socket counts. A table
    // that the counts show empty is not read: dumping it would still walk
    // the kernel's whole connection hash. Sockets in TIME_WAIT are counted
    // for both families together.
    std::string sockstat, sockstat6;
    ReadTextFile(m_sources.ProcRoot + "/net/sockstat", sockstat);
    ReadTextFile(m_sources.ProcRoot + "/net/sockstat6", sockstat6);
    const std::optional<uint64_t> timeWait = SockstatValue(sockstat, "TCP", "tw");
    const std::optional<uint64_t> counts[4] = {
        SockstatValue(sockstat, "TCP", "inuse"),
        SockstatValue(sockstat6, "TCP6", "inuse"),
        SockstatValue(sockstat, "UDP", "inuse"),
        SockstatValue(sockstat6, "UDP6", "inuse"),
    };
    for (int i = 0; i < 4; ++i) {
        const bool tcp = i < 2;
        const bool known = counts[i] && (!tcp || timeWait);
        const uint64_t estimate = known ? *counts[i] + (tcp ? *timeWait : 0) : 0;
        sources[i].Empty = known && estimate == 0;
        ReserveLarge(sources[i].Sockets, estimate + estimate / 8 + 64);
    }

    // The kernel's tables are dumped while the fd tables are scanned: the two
    // are most of a snapshot's work and do not depend on each other. A socket
    // opened during those milliseconds may show without its owner until the
    // next snapshot, as one closed during them may show without one.
    DecideOwnerWay();
    auto readTables = [&]() {
        for (Table &table : sources)
            table.Read = table.Empty || ReadTable(table.Family, table.Protocol, table.ProcFile, table.Sockets,
                                                  options.Traffic && table.Protocol == IPPROTO_TCP);
    };
    std::exception_ptr readFailure;
    OwnerTable owners;
    {
        std::jthread reader;
        try {
            reader = std::jthread([&]() {
                try {
                    readTables();
                } catch (...) {
                    readFailure = std::current_exception();
                }
            });
        } catch (const std::system_error &) {
            readTables();  // no thread to spare
        }
        ScanOwners(owners);
    }
    if (readFailure)
        std::rethrow_exception(readFailure);
    const int64_t takenAtMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    if (std::none_of(std::begin(sources), std::end(sources), [](const Table &t) { return t.Read; }))
        throw std::runtime_error("Cannot read the kernel's socket tables");

    // The kernel reports IPV6_V6ONLY only for listening and unconnected
    // sockets, and /proc/net not at all; elsewhere new sockets start with the
    // system default.
    const bool defaultV6Only = ReadDefaultV6Only(m_sources.ProcRoot + "/sys/net/ipv6/bindv6only");

    m_dpkg.CheckForChanges();
    // The owners of this snapshot's endpoints are looked up in the package
    // database together; owners of Unix sockets alone are not asked about.
    std::vector<uint32_t> endpointOwners;
    for (const Table &table : sources) {
        for (const KernelSocket &socket : table.Sockets)
            endpointOwners.push_back(owners.OwnerOf(socket.Inode));
    }
    std::sort(endpointOwners.begin(), endpointOwners.end());
    endpointOwners.erase(std::unique(endpointOwners.begin(), endpointOwners.end()), endpointOwners.end());
    std::vector<std::string> paths;
    for (uint32_t pid : endpointOwners) {
        if (const ProcessInfo *process = owners.Process(pid))
            paths.push_back(process->Path);
    }
    m_dpkg.Resolve(paths);
    const VersionSource versionSource = [this](const std::string &path) {
        VersionStrings strings;
        m_dpkg.Lookup(path, strings.Description, strings.Company);
        return strings;
    };
    std::unordered_map<uint32_t, VersionStrings> versions;

    // Link-local addresses name their interface; there are few of them, so
    // each name is asked for once per snapshot.
    std::unordered_map<uint32_t, std::string> interfaceNames;
    RecordOptions extra;
    extra.Counters = options.Traffic;
    extra.InterfaceName = [&interfaceNames](uint32_t index) {
        auto known = interfaceNames.find(index);
        if (known == interfaceNames.end()) {
            char name[IF_NAMESIZE] = {};
            known = interfaceNames
                        .emplace(index, ::if_indextoname(index, name) ? std::string(name) : std::to_string(index))
                        .first;
        }
        return known->second;
    };

    TcpUdpTables result;
    ReserveLarge(result.TcpRecs, sources[0].Sockets.size() + sources[1].Sockets.size());
    ReserveLarge(result.UdpRecs, sources[2].Sockets.size() + sources[3].Sockets.size());
    for (int i = 0; i < 4; ++i) {
        const bool tcp = i < 2;
        extra.Ipv6Out = options.Ipv6 ? (tcp ? &result.Tcp6Recs : &result.Udp6Recs) : nullptr;
        AppendRecords(sources[i].Sockets, tcp, defaultV6Only, owners, versionSource, versions,
                      tcp ? result.TcpRecs : result.UdpRecs, extra);
    }
    result.TakenAtMs = takenAtMs;
    tables = std::move(result);
}

}  // namespace quorvex
