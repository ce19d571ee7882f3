#include "platform/linux/dpkg_index.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "platform/linux/proc_net.h"

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

uint64_t PathHash(std::string_view path)
{
    return std::hash<std::string_view>{}(path);
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

DpkgIndex::DpkgIndex(std::string adminDir) : m_adminDir(std::move(adminDir)) {}

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
    if (m_built && !(ReadStamp() == m_stamp))
        m_built = false;
}

void DpkgIndex::Build()
{
    m_stamp = ReadStamp();
    m_built = true;
    m_paths.clear();
    m_listNames.clear();
    m_packages.clear();
    m_answers.clear();

    std::string text;
    std::unordered_map<std::string, PackageInfo> status;
    if (ReadWholeFile(m_adminDir + "/status", text))
        status = ParseDpkgStatus(text);

    const std::string infoDir = m_adminDir + "/info";
    DIR *dir = ::opendir(infoDir.c_str());
    if (!dir)
        return;
    std::vector<std::string> lists;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() > 5 && name.substr(name.size() - 5) == ".list")
            lists.emplace_back(name.substr(0, name.size() - 5));
    }
    ::closedir(dir);
    std::sort(lists.begin(), lists.end());

    for (const std::string &list : lists) {
        if (!ReadWholeFile(infoDir + "/" + list + ".list", text))
            continue;
        const auto package = static_cast<uint32_t>(m_listNames.size());
        m_listNames.push_back(list);
        auto found = status.find(list);
        if (found == status.end())
            found = status.find(list.substr(0, list.find(':')));
        m_packages.push_back(found == status.end() ? PackageInfo{} : found->second);
        std::string_view rest = text;
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            const std::string_view line = rest.substr(0, end);
            if (!line.empty())
                m_paths.emplace_back(PathHash(line), package);
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 1);
        }
    }
    std::sort(m_paths.begin(), m_paths.end());
    m_paths.shrink_to_fit();
}

bool DpkgIndex::Owns(uint32_t package, const std::string &path) const
{
    std::string text;
    if (!ReadWholeFile(m_adminDir + "/info/" + m_listNames[package] + ".list", text))
        return false;
    const std::string needle = path + "\n";
    size_t at = text.find(needle);
    while (at != std::string::npos) {
        if (at == 0 || text[at - 1] == '\n')
            return true;
        at = text.find(needle, at + 1);
    }
    // The last line may lack its newline.
    return text.size() >= path.size() && text.compare(text.size() - path.size(), path.size(), path) == 0
        && (text.size() == path.size() || text[text.size() - path.size() - 1] == '\n');
}

int DpkgIndex::FindPackage(const std::string &path)
{
    const auto cached = m_answers.find(path);
    if (cached != m_answers.end())
        return cached->second;
    int answer = -1;
    std::vector<std::string> candidates{path};
    for (std::string &alias : MergedUsrAliases(path))
        candidates.push_back(std::move(alias));
    for (const std::string &candidate : candidates) {
        const uint64_t hash = PathHash(candidate);
        auto it = std::lower_bound(m_paths.begin(), m_paths.end(), std::make_pair(hash, uint32_t{0}));
        for (; it != m_paths.end() && it->first == hash && answer < 0; ++it) {
            if (Owns(it->second, candidate))
                answer = static_cast<int>(it->second);
        }
        if (answer >= 0)
            break;
    }
    m_answers.emplace(path, answer);
    return answer;
}

bool DpkgIndex::Lookup(const std::string &path, std::string &description, std::string &company)
{
    description.clear();
    company.clear();
    if (path.empty())
        return false;
    if (!m_built)
        Build();
    // A binary replaced by an upgrade while it runs shows as "path (deleted)".
    constexpr std::string_view deleted = " (deleted)";
    std::string file = path;
    if (file.size() > deleted.size() && std::string_view(file).substr(file.size() - deleted.size()) == deleted)
        file.resize(file.size() - deleted.size());
    const int package = FindPackage(file);
    if (package < 0)
        return false;
    description = m_packages[static_cast<size_t>(package)].Summary;
    company = m_packages[static_cast<size_t>(package)].MaintainerName;
    return true;
}

}  // namespace quorvex
