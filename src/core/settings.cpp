#include "core/settings.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "core/ini_profile.h"

namespace quorvex {

bool &SettingsValues::Value(int tag)
{
    switch (tag) {
    case TagShowLocal: return ShowLocal;
    case TagAutoRefresh: return AutoRefresh;
    case TagAlwaysTop: return AlwaysTop;
    case TagShowIPv6: return ShowIPv6;
    case TagShowTraffic: return ShowTraffic;
    case TagHighlightChanges: return HighlightChanges;
    default: return ShowInfo;
    }
}

const char *SettingKey(int tag)
{
    switch (tag) {
    case TagShowLocal:
        return "ShowLocal";
    case TagAutoRefresh:
        return "AutoRefresh";
    case TagAlwaysTop:
        return "AlwaysTop";
    case TagShowInfo:
        return "ShowInfo";
    case TagShowIPv6:
        return "ShowIPv6";
    case TagShowTraffic:
        return "ShowTraffic";
    case TagHighlightChanges:
        return "HighlightChanges";
    default:
        return nullptr;
    }
}

namespace {

bool InSystemFolder(const std::string &dir)
{
    for (const char *system : {"/usr/", "/bin/", "/sbin/", "/lib/", "/lib32/", "/lib64/", "/libx32/", "/opt/"}) {
        if (dir.starts_with(system))
            return true;
    }
    return false;
}

}  // namespace

SettingsPlace ChooseSettingsPlace(const SettingsPlaceFacts &facts)
{
    const std::string beside = facts.AppDir + SettingsFileName;
    bool useBeside;
    if (!facts.Owners) {
        useBeside = facts.FileBesideExists ? facts.FileBesideWritable : facts.AppDirWritable;
    } else if (facts.Owners->User == 0) {
        // Root may write anywhere, so writability tells nothing about whose
        // folder it is.
        useBeside = facts.Owners->AppDirOwner == 0 && !InSystemFolder(facts.AppDir)
                    && (facts.FileBesideExists ? facts.FileBesideWritable : facts.AppDirWritable);
    } else {
        useBeside = facts.FileBesideExists ? facts.FileBesideWritable
                                           : facts.AppDirWritable && facts.Owners->AppDirOwner == facts.Owners->User;
    }

    // Root fills no other user's configuration directory: a root-owned file
    // there would fail that user's later runs just the same.
    std::string home = facts.ConfigHome;
    if (facts.Owners && facts.Owners->User == 0 && facts.Owners->ConfigDirOwner != 0
        && !facts.AccountConfigHome.empty())
        home = facts.AccountConfigHome;
    if (useBeside || home.empty())
        return {beside, {}};
    if (home.back() != '/')
        home += '/';
    return {home + "OndriQuorvex/" + SettingsFileName, facts.FileBesideExists ? beside : std::string()};
}

SettingsStore::SettingsStore(std::string path, TextWriter writer, std::string newFileEol, std::string seedPath)
    : m_path(std::move(path)), m_writer(std::move(writer)), m_newFileEol(std::move(newFileEol)),
      m_seedPath(std::move(seedPath))
{
}

const std::string &SettingsStore::Path() const
{
    return m_path;
}

SettingsValues SettingsStore::Read() const
{
    SettingsValues values;
    std::string text;
    try {
        FileReadResult result = ReadTextFile(m_path, text);
        if (result == FileReadResult::Missing && !m_seedPath.empty())
            result = ReadTextFile(m_seedPath, text);
        if (result != FileReadResult::Ok)
            return values;
        for (int tag : SettingTags) {
            bool &value = values.Value(tag);
            value = ProfileBool(ReadProfileString(text, SettingsSection, SettingKey(tag)), value);
        }
    } catch (...) {
        return SettingsValues{};
    }
    return values;
}

void SettingsStore::SaveSetting(int tag, bool value)
{
    const char *key = SettingKey(tag);
    if (!key)
        return;
    bool written = false;
    try {
        std::string text;
        FileReadResult result = ReadTextFile(m_path, text);
        // A seed that cannot be read leaves nothing to carry over; the
        // user's own file starts empty then.
        if (result == FileReadResult::Missing && !m_seedPath.empty()
            && ReadTextFile(m_seedPath, text) != FileReadResult::Ok)
            text.clear();
        // A file that is there but cannot be read is not overwritten: its
        // other sections and keys would be lost.
        if (result != FileReadResult::Failed) {
            const std::string updated =
                WriteProfileString(text, SettingsSection, key, value ? "1" : "0", m_newFileEol);
            // What is read would not change: nothing to write, nothing to fail.
            if (updated == text)
                return;
            written = m_writer && m_writer(m_path, updated);
        }
    } catch (...) {
        written = false;
    }
    if (!written)
        throw std::runtime_error("Unable to write to " + m_path);
}

SettingsValues LoadSettings(const SettingsStore &store, const ApplySetting &applyBox)
{
    const SettingsValues read = store.Read();
    const SettingsValues initial;
    try {
        for (int tag : SettingTags) {
            const bool value = read.Value(tag);
            if (value == initial.Value(tag))
                continue;
            if (!applyBox || !applyBox(tag, value))
                break;
        }
    } catch (...) {
        // Dropped without a message: the remaining boxes keep their states.
    }
    return read;
}

}  // namespace quorvex
