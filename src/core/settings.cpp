#include "core/settings.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "core/ini_profile.h"

namespace quorvex {

namespace {

bool ValueOf(const SettingsValues &values, int tag)
{
    switch (tag) {
    case TagShowLocal:
        return values.ShowLocal;
    case TagAutoRefresh:
        return values.AutoRefresh;
    case TagAlwaysTop:
        return values.AlwaysTop;
    default:
        return values.ShowInfo;
    }
}

}  // namespace

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
    default:
        return nullptr;
    }
}

std::string ChooseSettingsPath(const std::string &appDir, bool appDirWritable, bool fileBesideExists,
                               const std::string &configHome)
{
    if (appDirWritable || fileBesideExists || configHome.empty())
        return appDir + SettingsFileName;
    std::string dir = configHome;
    if (dir.back() != '/')
        dir += '/';
    return dir + "OndriQuorvex/" + SettingsFileName;
}

SettingsStore::SettingsStore(std::string path, TextWriter writer, std::string newFileEol)
    : m_path(std::move(path)), m_writer(std::move(writer)), m_newFileEol(std::move(newFileEol))
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
        if (ReadTextFile(m_path, text) != FileReadResult::Ok)
            return values;
        values.ShowLocal = ProfileBool(ReadProfileString(text, SettingsSection, "ShowLocal"), values.ShowLocal);
        values.AutoRefresh = ProfileBool(ReadProfileString(text, SettingsSection, "AutoRefresh"), values.AutoRefresh);
        values.AlwaysTop = ProfileBool(ReadProfileString(text, SettingsSection, "AlwaysTop"), values.AlwaysTop);
        values.ShowInfo = ProfileBool(ReadProfileString(text, SettingsSection, "ShowInfo"), values.ShowInfo);
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
        // A file that is there but cannot be read is not overwritten: its
        // other sections and keys would be lost.
        if (ReadTextFile(m_path, text) != FileReadResult::Failed) {
            const std::string updated =
                WriteProfileString(text, SettingsSection, key, value ? "1" : "0", m_newFileEol);
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
        for (int tag : {TagShowLocal, TagAutoRefresh, TagAlwaysTop, TagShowInfo}) {
            const bool value = ValueOf(read, tag);
            if (value == ValueOf(initial, tag))
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
