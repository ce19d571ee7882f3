#include "platform/linux/dpkg_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <bitset>

#include "core/text_file.h"

namespace quorvex {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string MaintainerName(std::string_view field)
{
    const size_t mail = field.find('<');
    return std::string(Trim(mail == std::string_view::npos ? field : field.substr(0, mail)));
}

std::unordered_map<std::string, PackageInfo> ParseDpkgStatus(std::string_view text)
{
    std::unordered_map<std::string, PackageInfo> packages;
    std::string name, arch;
    PackageInfo info;
    auto finish = [&]() {
        if (!name.empty()) {
            if (!arch.empty())
                packages[name + ":" + arch] = info;
            // The first stanza of a name wins the bare key.
            packages.emplace(name, info);
        }
        name.clear();
        arch.clear();
        info = PackageInfo{};
    };
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty()) {
            finish();
            continue;
        }
        if (line.front() == ' ' || line.front() == '\t')
            continue;  // continuation of a multi-line field
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, colon);
        const std::string_view value = Trim(line.substr(colon + 1));
        if (key == "Package")
            name.assign(value);
        else if (key == "Architecture")
            arch.assign(value);
        else if (key == "Maintainer")
            info.MaintainerName = MaintainerName(value);
        else if (key == "Description")
            info.Summary.assign(value);
    }
    finish();
    return packages;
}

std::vector<std::string> MergedUsrAliases(std::string_view path)
{
    static const std::string_view merged[] = {"/bin/", "/sbin/", "/lib/", "/lib32/", "/lib64/", "/libx32/"};
    std::vector<std::string> aliases;
    for (std::string_view dir : merged) {
        if (StartsWith(path, dir))
            aliases.push_back("/usr" + std::string(path));
        else if (StartsWith(path, "/usr") && StartsWith(path.substr(4), dir))
            aliases.emplace_back(path.substr(4));
    }
    return aliases;
}

DpkgIndex::DpkgIndex(std::string adminDir) : m_adminDir(std::move(adminDir))
{
    m_stamp = ReadStamp();
}

bool DpkgIndex::Stamp::operator==(const Stamp &other) const
{
    return Status.tv_sec == other.Status.tv_sec && Status.tv_nsec == other.Status.tv_nsec
        && Info.tv_sec == other.Info.tv_sec && Info.tv_nsec == other.Info.tv_nsec;
}

DpkgIndex::Stamp DpkgIndex::ReadStamp() const
{
    Stamp stamp;
    struct stat st;
    if (::stat((m_adminDir + "/status").c_str(), &st) == 0)
        stamp.Status = st.st_mtim;
    // dpkg replaces .list files by renaming, which touches the directory.
    if (::stat((m_adminDir + "/info").c_str(), &st) == 0)
        stamp.Info = st.st_mtim;
    return stamp;
}

void DpkgIndex::CheckForChanges()
{
    const Stamp now = ReadStamp();
    if (now == m_stamp)
        return;
    m_stamp = now;
    m_answers.clear();
    m_status.clear();
    m_statusRead = false;
}

void DpkgIndex::Resolve(const std::vector<std::string> &paths)
{
    // Every spelling of every unknown path; a listed line must equal one of
    // them. Lines are first sifted by length, which rules out most of them
    // without comparing any bytes.
    struct Wanted {
        std::string Path;
        std::string ExactOwner, AliasOwner;
    };
    std::vector<Wanted> wanted;
    for (const std::string &path : paths) {
        if (!path.empty() && !m_answers.count(path)
            && std::none_of(wanted.begin(), wanted.end(), [&](const Wanted &w) { return w.Path == path; }))
            wanted.push_back({path, {}, {}});
    }
    if (wanted.empty())
        return;

    constexpr size_t kMaxLength = 4096;
    struct Spelling {
        std::string Text;
        size_t Index;
        bool Exact;
    };
    std::vector<Spelling> texts;
    for (size_t i = 0; i < wanted.size(); ++i) {
        // A binary replaced by an upgrade while it runs shows as "path (deleted)".
        constexpr std::string_view deleted = " (deleted)";
        std::string file = wanted[i].Path;
        if (file.size() > deleted.size() && std::string_view(file).substr(file.size() - deleted.size()) == deleted)
            file.resize(file.size() - deleted.size());
        for (std::string &alias : MergedUsrAliases(file))
            texts.push_back({std::move(alias), i, false});
        texts.push_back({std::move(file), i, true});
    }
    std::bitset<kMaxLength + 1> lengths;
    std::unordered_multimap<std::string_view, const Spelling *> spellings;
    for (const Spelling &spelling : texts) {
        if (spelling.Text.size() <= kMaxLength) {
            lengths.set(spelling.Text.size());
            spellings.emplace(spelling.Text, &spelling);
        }
    }

    std::vector<std::string> lists;
    const std::string infoDir = m_adminDir + "/info";
    if (DIR *dir = ::opendir(infoDir.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.size() > 5 && name.substr(name.size() - 5) == ".list")
                lists.emplace_back(name.substr(0, name.size() - 5));
        }
        ::closedir(dir);
    }
    // In name order, so that a file listed by two packages always goes to the same one.
    std::sort(lists.begin(), lists.end());

    // Each file goes through one small buffer: some .list files run to
    // megabytes, and holding them whole costs more than reading them.
    std::vector<char> buffer(64 * 1024);
    for (const std::string &list : lists) {
        const int fd = ::open((infoDir + "/" + list + ".list").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        size_t held = 0;        // bytes of an unfinished line at the buffer's start
        bool skipping = false;  // inside a line too long to be wanted
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data() + held, buffer.size() - held);
            if (got < 0 && errno == EINTR)
                continue;
            const bool end = got <= 0;
            const size_t filled = held + (end ? 0 : static_cast<size_t>(got));
            std::string_view rest(buffer.data(), filled);
            while (!rest.empty()) {
                const size_t newline = rest.find('\n');
                if (newline == std::string_view::npos && !end)
                    break;
                const std::string_view line = rest.substr(0, newline);
                rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
                if (skipping) {
                    skipping = false;
                    continue;
                }
                if (line.size() > kMaxLength || !lengths.test(line.size()))
                    continue;
                const auto [first, last] = spellings.equal_range(line);
                for (auto it = first; it != last; ++it) {
                    Wanted &w = wanted[it->second->Index];
                    std::string &owner = it->second->Exact ? w.ExactOwner : w.AliasOwner;
                    if (owner.empty())
                        owner = list;
                }
            }
            if (end)
                break;
            held = rest.size();
            if (held == buffer.size()) {  // one line fills the buffer: not a wanted one
                held = 0;
                skipping = true;
            }
            std::memmove(buffer.data(), rest.data(), held);
        }
        ::close(fd);
    }
    for (Wanted &w : wanted)
        m_answers[w.Path] = !w.ExactOwner.empty() ? std::move(w.ExactOwner) : std::move(w.AliasOwner);
}

const PackageInfo &DpkgIndex::Package(const std::string &listName)
{
    if (!m_statusRead) {
        m_statusRead = true;
        std::string text;
        if (ReadTextFile(m_adminDir + "/status", text) == FileReadResult::Ok)
            m_status = ParseDpkgStatus(text);
    }
    // "name:arch.list" for multi-arch packages, "name.list" otherwise.
    auto found = m_status.find(listName);
    if (found == m_status.end())
        found = m_status.find(listName.substr(0, listName.find(':')));
    static const PackageInfo none;
    return found == m_status.end() ? none : found->second;
}

bool DpkgIndex::Lookup(const std::string &path, std::string &description, std::string &company)
{
    description.clear();
    company.clear();
    if (path.empty())
        return false;
    auto answer = m_answers.find(path);
    if (answer == m_answers.end()) {
        Resolve({path});
        answer = m_answers.find(path);
    }
    if (answer->second.empty())
        return false;
    const PackageInfo &info = Package(answer->second);
    description = info.Summary;
    company = info.MaintainerName;
    return true;
}

}  // namespace quorvex
