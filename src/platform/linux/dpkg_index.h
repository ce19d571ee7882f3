#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorvex {

// What the Debian package database says about one package.
struct PackageInfo {
    std::string Summary;         // first line of Description
    std::string MaintainerName;  // Maintainer without the <e-mail>
};

// "Name <mail@host>" -> "Name"; a field without an address is kept, trimmed.
std::string MaintainerName(std::string_view field);

// Reads dpkg's status file: one stanza per package, keyed both "name" and
// "name:arch" (the form that multi-arch packages' .list files are named in).
std::unordered_map<std::string, PackageInfo> ParseDpkgStatus(std::string_view text);

// The other spellings under which dpkg may have recorded `path` on a system
// whose /bin, /sbin and /lib are links into /usr ("/usr/bin/x" <-> "/bin/x").
std::vector<std::string> MergedUsrAliases(std::string_view path);

// Which package owns an installed file, from /var/lib/dpkg/info/*.list and
// /var/lib/dpkg/status. Built on first use, rebuilt when the database has
// changed (the mtimes of status and of the info directory). To stay small it
// keeps a 64-bit hash per listed path and confirms a hit against that
// package's .list file before answering.
class DpkgIndex {
public:
    explicit DpkgIndex(std::string adminDir = "/var/lib/dpkg");

    // Drops the index when the database changed since it was built. Cheap: two stats.
    void CheckForChanges();

    // The summary and maintainer name of the package owning `path`; false,
    // with both empty, when no package owns it.
    bool Lookup(const std::string &path, std::string &description, std::string &company);

    size_t PathCount() const { return m_paths.size(); }

private:
    struct Stamp {
        timespec Status{};
        timespec Info{};
        bool operator==(const Stamp &other) const;
    };

    Stamp ReadStamp() const;
    void Build();
    bool Owns(uint32_t package, const std::string &path) const;
    int FindPackage(const std::string &path);

    std::string m_adminDir;
    bool m_built = false;
    Stamp m_stamp;
    std::vector<std::pair<uint64_t, uint32_t>> m_paths;  // hash of a path, package; sorted
    std::vector<std::string> m_listNames;                // package as its .list file names it
    std::vector<PackageInfo> m_packages;                 // same index as m_listNames
    std::unordered_map<std::string, int> m_answers;      // path -> package or -1, confirmed
};

}  // namespace quorvex
