#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/settings.h"

using namespace quorvex;
namespace fs = std::filesystem;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("quorvex-settings-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
        m_path = (m_dir / "Quorvex.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Put(const std::string &text)
    {
        std::ofstream(m_path, std::ios::binary) << text;
    }
    std::string Get() const
    {
        std::string text;
        ReadTextFile(m_path, text);
        return text;
    }
    SettingsStore Store()
    {
        return SettingsStore(m_path, [this](const std::string &path, const std::string &text) {
            ++m_writes;
            if (m_readOnly)
                return false;
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << text;
            return static_cast<bool>(out);
        });
    }

    fs::path m_dir;
    std::string m_path;
    bool m_readOnly = false;
    int m_writes = 0;
};

// What the controller's box handlers do: SaveSetting with the box's tag.
struct Boxes {
    SettingsStore &store;
    std::vector<std::pair<int, bool>> applied;
    bool operator()(int tag, bool value)
    {
        applied.emplace_back(tag, value);
        store.SaveSetting(tag, value);
        return true;
    }
};

struct LoadCase {
    const char *name;
    const char *file;  // nullptr: no file
    SettingsValues read;
    std::vector<std::pair<int, bool>> applied;
    int writes;  // only where the text changes: "0x0" becomes "0", "1" stays
};

TEST_F(SettingsTest, LoadAppliesOnlyNonDefaultsAndWritesThemBack)
{
    const LoadCase cases[] = {
        {"no file", nullptr, {true, false, true, false}, {}, 0},
        {"AutoRefresh=1", "[Set]\nAutoRefresh=1\n", {true, true, true, false}, {{TagAutoRefresh, true}}, 0},
        {"0x0", "[Set]\nShowLocal=0x0\n", {false, false, true, false}, {{TagShowLocal, false}}, 1},
        {"blank before 0", "[Set]\nShowLocal=\" 0\"\n", {false, false, true, false}, {{TagShowLocal, false}}, 1},
        {"word", "[Set]\nShowLocal=off\n", {true, false, true, false}, {}, 0},
        {"empty value", "[Set]\nShowLocal=\n", {true, false, true, false}, {}, 0},
        {"AlwaysTop=7", "[Set]\nAlwaysTop=7\n", {true, false, true, false}, {}, 0},
        {"only defaults", "[Set]\nShowLocal=1\nAutoRefresh=0\nAlwaysTop=1\nShowInfo=0\n", {true, false, true, false}, {}, 0},
        {"all four, applied in tag order", "[set]\nshowinfo=1\nalwaystop=0\nautorefresh=$1\nshowlocal=0\n",
         {false, true, false, true},
         {{TagShowLocal, false}, {TagAutoRefresh, true}, {TagAlwaysTop, false}, {TagShowInfo, true}},
         1},
        {"beyond 32 bits is the default", "[Set]\nAlwaysTop=4294967296\n", {true, false, true, false}, {}, 0},
        {"view options after the boxes", "[Set]\nHighlightChanges=1\nShowIPv6=1\nShowInfo=1\n",
         {true, false, true, true, true, false, true},
         {{TagShowInfo, true}, {TagShowIPv6, true}, {TagHighlightChanges, true}},
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(m_path);
        if (c.file)
            Put(c.file);
        m_writes = 0;
        SettingsStore store = Store();
        Boxes boxes{store, {}};
        const SettingsValues read = LoadSettings(store, std::ref(boxes));
        for (int tag : SettingTags)
            EXPECT_EQ(read.Value(tag), c.read.Value(tag)) << SettingKey(tag);
        EXPECT_EQ(boxes.applied, c.applied);
        EXPECT_EQ(m_writes, c.writes);
        if (!c.file) {
            EXPECT_FALSE(fs::exists(m_path)) << "no file may be created";
        } else if (c.writes == 0) {
            EXPECT_EQ(Get(), c.file) << "a file that already says so stays untouched";
        }
    }
}

TEST_F(SettingsTest, AutoRefreshOneIsWrittenBackInPlace)
{
    Put("; mine\n[Set]\nAutoRefresh=1\n[Other]\nk=v\n");
    SettingsStore store = Store();
    Boxes boxes{store, {}};
    LoadSettings(store, std::ref(boxes));
    EXPECT_EQ(Get(), "; mine\n[Set]\nAutoRefresh=1\n[Other]\nk=v\n");
}

TEST_F(SettingsTest, ReadOnlyFileAtStartAppliesEveryValueItHolds)
{
    Put("[Set]\nShowLocal=0\nAutoRefresh=1\nShowInfo=1\n");
    m_readOnly = true;
    SettingsStore store = Store();
    Boxes boxes{store, {}};
    LoadSettings(store, std::ref(boxes));
    EXPECT_EQ(boxes.applied,
              (std::vector<std::pair<int, bool>>{{TagShowLocal, false}, {TagAutoRefresh, true}, {TagShowInfo, true}}));
    EXPECT_EQ(m_writes, 0);
}

TEST_F(SettingsTest, ApplyStopsWhenTheHandlerReportsFailure)
{
    Put("[Set]\nShowLocal=0\nAutoRefresh=1\n");
    int calls = 0;
    LoadSettings(Store(), [&](int, bool) { return ++calls > 1; });
    EXPECT_EQ(calls, 1);
}

TEST_F(SettingsTest, ReadOnlyFileOnAClickRaisesWithTheFullPath)
{
    Put("[Set]\nShowLocal=0\n");
    m_readOnly = true;
    SettingsStore store = Store();
    try {
        store.SaveSetting(TagAlwaysTop, false);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + m_path);
    }
    EXPECT_EQ(Get(), "[Set]\nShowLocal=0\n");
}

TEST_F(SettingsTest, TogglingTwiceWritesOneThenZeroAndNothingElse)
{
    Put("[Set]\nShowLocal=0\n\n[Other]\nAutoRefresh=5\n");
    SettingsStore store = Store();
    store.SaveSetting(TagAutoRefresh, true);
    EXPECT_EQ(Get(), "[Set]\nShowLocal=0\nAutoRefresh=1\n\n[Other]\nAutoRefresh=5\n");
    store.SaveSetting(TagAutoRefresh, false);
    EXPECT_EQ(Get(), "[Set]\nShowLocal=0\nAutoRefresh=0\n\n[Other]\nAutoRefresh=5\n");
    EXPECT_FALSE(store.Read().AutoRefresh);
    EXPECT_FALSE(store.Read().ShowLocal);
}

TEST_F(SettingsTest, FirstWriteCreatesTheFile)
{
    SettingsStore crlf(
        m_path,
        [](const std::string &path, const std::string &text) {
            std::ofstream(path, std::ios::binary) << text;
            return true;
        },
        "\r\n");
    crlf.SaveSetting(TagShowInfo, true);
    EXPECT_EQ(Get(), "[Set]\r\nShowInfo=1\r\n");
}

TEST_F(SettingsTest, OtherTagsWriteNothing)
{
    SettingsStore store = Store();
    for (int tag : {0, 8, -1, 100})
        EXPECT_NO_THROW(store.SaveSetting(tag, true));
    EXPECT_EQ(m_writes, 0);
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(SettingsTest, UnreadableFileGivesDefaultsAndIsNotOverwritten)
{
    fs::create_directory(m_path);  // something that exists but cannot be read as text
    SettingsStore store = Store();
    EXPECT_TRUE(store.Read().ShowLocal);
    EXPECT_THROW(store.SaveSetting(TagShowLocal, false), std::runtime_error);
    EXPECT_EQ(m_writes, 0);
}

TEST_F(SettingsTest, UsersOwnFileStartsFromTheFileBesideTheExecutable)
{
    const std::string own = (m_dir / "own.ini").string();
    Put("; shipped\n[Set]\nAutoRefresh=1\nShowInfo=1\n");
    SettingsStore store(own, [this](const std::string &path, const std::string &text) {
        ++m_writes;
        std::ofstream(path, std::ios::binary) << text;
        return true;
    }, "\n", m_path);
    EXPECT_TRUE(store.Read().AutoRefresh);
    store.SaveSetting(TagAutoRefresh, true);  // what the seed says already
    EXPECT_EQ(m_writes, 0);
    EXPECT_FALSE(fs::exists(own));

    store.SaveSetting(TagShowLocal, false);
    std::string text;
    ReadTextFile(own, text);
    EXPECT_EQ(text, "; shipped\n[Set]\nAutoRefresh=1\nShowInfo=1\nShowLocal=0\n");
    EXPECT_EQ(Get(), "; shipped\n[Set]\nAutoRefresh=1\nShowInfo=1\n") << "the seed is never written";

    Put("[Set]\nShowInfo=0\n");  // from now on the user's own file counts
    EXPECT_TRUE(store.Read().ShowInfo);
}

TEST(ChooseSettingsPlace, BesideTheExecutableOnlyWhereTheUserMayKeepIt)
{
    const std::string home = "/home/u/.config";
    const std::string own = "/home/u/.config/OndriQuorvex/Quorvex.ini";
    const std::string rootOwn = "/root/.config/OndriQuorvex/Quorvex.ini";
    struct Case {
        const char *name;
        const char *appDir;
        bool exists, fileWritable, dirWritable;
        std::optional<SettingsOwners> owners;  // {user, app dir owner, config dir owner}
        std::string path;
        bool seeded;
    } cases[] = {
        {"user's own folder, no file yet", "/home/u/q/", false, false, true, SettingsOwners{1000, 1000, 1000},
         "/home/u/q/Quorvex.ini", false},
        {"user's file, writable", "/srv/q/", true, true, false, SettingsOwners{1000, 0, 1000}, "/srv/q/Quorvex.ini",
         false},
        {"root's file left by sudo", "/usr/local/bin/", true, false, false, SettingsOwners{1000, 0, 1000}, own, true},
        {"writable folder that is not the user's", "/tmp/q/", false, false, true, SettingsOwners{1000, 0, 1000}, own,
         false},
        {"read-only folder", "/opt/q/", false, false, false, SettingsOwners{1000, 0, 0}, own, false},
        {"root in a system folder", "/usr/local/bin/", false, false, true, SettingsOwners{0, 0, 0}, own, false},
        {"root in /opt", "/opt/q/", true, true, true, SettingsOwners{0, 0, 0}, own, true},
        {"root in a user's folder", "/home/u/q/", true, true, true, SettingsOwners{0, 1000, 0}, own, true},
        {"root in its own folder", "/srv/q/", false, false, true, SettingsOwners{0, 0, 0}, "/srv/q/Quorvex.ini",
         false},
        {"root with the caller's configuration (sudo -E)", "/usr/bin/", false, false, true,
         SettingsOwners{0, 0, 1000}, rootOwn, false},
        {"Windows: writable folder", "/c/q/", false, false, true, std::nullopt, "/c/q/Quorvex.ini", false},
        {"Windows: read-only file", "/c/q/", true, false, true, std::nullopt, own, true},
    };
    for (const auto &c : cases) {
        SettingsPlaceFacts facts;
        facts.AppDir = c.appDir;
        facts.ConfigHome = home;
        facts.AccountConfigHome = "/root/.config";
        facts.FileBesideExists = c.exists;
        facts.FileBesideWritable = c.fileWritable;
        facts.AppDirWritable = c.dirWritable;
        facts.Owners = c.owners;
        const SettingsPlace place = ChooseSettingsPlace(facts);
        EXPECT_EQ(place.Path, c.path) << c.name;
        EXPECT_EQ(place.SeedPath, c.seeded ? std::string(c.appDir) + "Quorvex.ini" : "") << c.name;
    }
    SettingsPlaceFacts nowhere;  // no configuration directory: beside, whatever its fate
    nowhere.AppDir = "/opt/q/";
    EXPECT_EQ(ChooseSettingsPlace(nowhere).Path, "/opt/q/Quorvex.ini");
}

}  // namespace
