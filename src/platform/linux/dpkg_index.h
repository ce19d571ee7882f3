#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <unordered_map>
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
// /var/lib/dpkg/status. The index holds the answer for every path asked so
// far; the paths of one snapshot that it does not know yet are found
// together, in one pass over the .list files. All answers are dropped when
// the database changes (the mtimes of status and of the info directory).
// Holding answers instead of every listed path (over 100,000 on a desktop)
// keeps the index small and the first snapshot quick.
class DpkgIndex {
public:
    explicit DpkgIndex(std::string adminDir = "/var/lib/dpkg");

    // Drops every answer when the database changed since they were found. Two stats.
    void CheckForChanges();

    // Finds the owners of those of `paths` that have no answer yet.
    void Resolve(const std::vector<std::string> &paths);

    // The summary and maintainer name of the package owning `path`; false,
    // with both empty, when no package owns it. Resolves the path if needed.
    bool Lookup(const std::string &path, std::string &description, std::string &company);

    size_t AnswerCount() const { return m_answers.size(); }

private:
    struct Stamp {
        timespec Status{};
        timespec Info{};
        bool operator==(const Stamp &other) const;
    };

    Stamp ReadStamp() const;
    const PackageInfo &Package(const std::string &listName);

    std::string m_adminDir;
    Stamp m_stamp;
    std::unordered_map<std::string, std::string> m_answers;  // path -> .list name of its owner, or ""
    bool m_statusRead = false;
    std::unordered_map<std::string, PackageInfo> m_status;
};

}  // namespace quorvex
