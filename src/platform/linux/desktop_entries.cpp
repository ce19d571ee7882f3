#include "platform/linux/desktop_entries.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text_file.h"

namespace quorvex {

namespace {

std::string Trim(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return std::string(s.substr(first, last - first + 1));
}

std::string Unescape(std::string_view value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += value[i]; break;
        }
    }
    return out;
}

// Splits an Exec value into words: blanks separate, double quotes group, and
// inside quotes a backslash keeps the next character.
std::vector<std::string> ExecWords(std::string_view exec)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"')
                quoted = false;
            else if (c == '\\' && i + 1 < exec.size())
                word += exec[++i];
            else
                word += c;
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// Launchers that start anything: an entry that runs `sh -c ...` says nothing
// about the shell's own icon.
bool IsGenericLauncher(const std::string &program)
{
    static const std::set<std::string> launchers = {"sh", "bash", "dash", "zsh", "ksh", "env", "sudo",
                                                    "pkexec", "flatpak", "snap", "xdg-open"};
    const auto slash = program.rfind('/');
    return launchers.count(slash == std::string::npos ? program : program.substr(slash + 1)) > 0;
}

bool EndsWith(const std::string &s, std::string_view suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Every *.desktop file below `dir` with its desktop-file ID (the path below
// `dir` with '/' turned into '-'), in name order for a repeatable result.
void CollectDesktopFiles(const std::string &dir, const std::string &idPrefix,
                         std::vector<std::pair<std::string, std::string>> &out, int depth = 0)
{
    if (depth > 8)
        return;
    DIR *d = opendir(dir.c_str());
    if (!d)
        return;
    std::vector<std::string> names;
    while (dirent *e = readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const auto &name : names) {
        const std::string full = dir + "/" + name;
        struct stat st {};
        if (stat(full.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            CollectDesktopFiles(full, idPrefix + name + "-", out, depth + 1);
        else if (S_ISREG(st.st_mode) && EndsWith(name, ".desktop"))
            out.emplace_back(idPrefix + name, full);
    }
}

std::string ResolveProgram(const std::string &program, const std::vector<std::string> &path)
{
    if (program.empty())
        return {};
    if (program.find('/') != std::string::npos)
        return CanonicalPath(program);
    for (const auto &dir : path) {
        const std::string candidate = dir + "/" + program;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return CanonicalPath(candidate);
    }
    return {};
}

std::vector<std::string> SplitColon(const char *value)
{
    std::vector<std::string> parts;
    std::stringstream ss(value ? value : "");
    std::string part;
    while (std::getline(ss, part, ':'))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

}  // namespace

DesktopEntry ParseDesktopEntry(std::string_view text)
{
    DesktopEntry entry;
    bool inMainGroup = false;
    size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = Trim(std::string_view(line).substr(0, eq));
        const std::string value = Unescape(Trim(std::string_view(line).substr(eq + 1)));
        if (key == "Type")
            entry.Type = value;
        else if (key == "Exec")
            entry.Exec = value;
        else if (key == "TryExec")
            entry.TryExec = value;
        else if (key == "Icon")
            entry.Icon = value;
        else if (key == "Hidden")
            entry.Hidden = value == "true";
    }
    return entry;
}

std::string ExecProgram(std::string_view exec)
{
    const auto words = ExecWords(exec);
    size_t i = 0;
    if (i < words.size() && (words[i] == "env" || EndsWith(words[i], "/env"))) {
        ++i;
        while (i < words.size() && (words[i].find('=') != std::string::npos || words[i].rfind('-', 0) == 0)) {
            // -u and -C take the next word as their argument.
            if ((words[i] == "-u" || words[i] == "-C") && i + 1 < words.size())
                ++i;
            ++i;
        }
    }
    return i < words.size() ? words[i] : std::string();
}

std::string CanonicalPath(const std::string &path)
{
    char resolved[PATH_MAX];
    if (path.empty() || !realpath(path.c_str(), resolved))
        return {};
    return resolved;
}

std::vector<std::string> DesktopEntryIndex::ApplicationDirs()
{
    std::vector<std::string> dirs;
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome)
        dirs.push_back(std::string(dataHome) + "/applications");
    else if (const char *home = std::getenv("HOME"); home && *home)
        dirs.push_back(std::string(home) + "/.local/share/applications");
    const char *dataDirs = std::getenv("XDG_DATA_DIRS");
    auto parts = SplitColon(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
    for (const auto &p : parts)
        dirs.push_back(p + "/applications");
    return dirs;
}

std::vector<std::string> DesktopEntryIndex::SearchPath()
{
    return SplitColon(std::getenv("PATH"));
}

void DesktopEntryIndex::Add(const std::string &program, const std::string &icon)
{
    if (IsGenericLauncher(program))
        return;
    const std::string resolved = ResolveProgram(program, m_path);
    if (!resolved.empty())
        m_icons.emplace(resolved, icon);  // an earlier entry keeps its claim
}

void DesktopEntryIndex::Build(const std::vector<std::string> &dirs, const std::vector<std::string> &path)
{
    m_dirs = dirs;
    m_path = path;
    m_icons.clear();
    m_signature = Signature();
    std::set<std::string> seenIds;
    for (const auto &dir : dirs) {
        std::vector<std::pair<std::string, std::string>> files;
        CollectDesktopFiles(dir, "", files);
        for (const auto &[id, file] : files) {
            // A desktop-file ID found in a more important folder hides the others.
            if (!seenIds.insert(id).second)
                continue;
            std::string text;
            ReadTextFile(file, text);  // an unreadable file is an empty entry
            const DesktopEntry entry = ParseDesktopEntry(text);
            if (entry.Hidden || entry.Icon.empty() || (!entry.Type.empty() && entry.Type != "Application"))
                continue;
            if (!entry.TryExec.empty())
                Add(entry.TryExec, entry.Icon);
            Add(ExecProgram(entry.Exec), entry.Icon);
        }
    }
}

std::string DesktopEntryIndex::Signature() const
{
    std::string sig;
    for (const auto &dir : m_dirs) {
        struct stat st {};
        if (stat(dir.c_str(), &st) == 0)
            sig += std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
        sig += ';';
    }
    return sig;
}

bool DesktopEntryIndex::RebuildIfChanged(int64_t nowMs, int64_t intervalMs)
{
    if (m_checked && nowMs - m_lastCheck < intervalMs)
        return false;
    m_checked = true;
    m_lastCheck = nowMs;
    if (Signature() == m_signature)
        return false;
    Build(m_dirs, m_path);
    return true;
}

std::string DesktopEntryIndex::IconFor(const std::string &path) const
{
    if (m_icons.empty())
        return {};
    auto it = m_icons.find(path);
    if (it == m_icons.end()) {
        const std::string canonical = CanonicalPath(path);
        if (canonical.empty() || canonical == path)
            return {};
        it = m_icons.find(canonical);
        if (it == m_icons.end())
            return {};
    }
    return it->second;
}

}  // namespace quorvex
