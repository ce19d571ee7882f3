#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
};

TEST_F(SettingsTest, LoadAppliesOnlyNonDefaultsAndWritesThemBack)
{
    const LoadCase cases[] = {
        {"no file", nullptr, {true, false, true, false}, {}},
        {"AutoRefresh=1", "[Set]\nAutoRefresh=1\n", {true, true, true, false}, {{TagAutoRefresh, true}}},
        {"0x0", "[Set]\nShowLocal=0x0\n", {false, false, true, false}, {{TagShowLocal, false}}},
        {"blank before 0", "[Set]\nShowLocal=\" 0\"\n", {false, false, true, false}, {{TagShowLocal, false}}},
        {"word", "[Set]\nShowLocal=off\n", {true, false, true, false}, {}},
        {"empty value", "[Set]\nShowLocal=\n", {true, false, true, false}, {}},
        {"AlwaysTop=7", "[Set]\nAlwaysTop=7\n", {true, false, true, false}, {}},
        {"only defaults", "[Set]\nShowLocal=1\nAutoRefresh=0\nAlwaysTop=1\nShowInfo=0\n", {true, false, true, false}, {}},
        {"all four, applied in tag order", "[set]\nshowinfo=1\nalwaystop=0\nautorefresh=$1\nshowlocal=0\n",
         {false, true, false, true},
         {{TagShowLocal, false}, {TagAutoRefresh, true}, {TagAlwaysTop, false}, {TagShowInfo, true}}},
        {"beyond 32 bits is the default", "[Set]\nAlwaysTop=4294967296\n", {true, false, true, false}, {}},
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
        EXPECT_EQ(read.ShowLocal, c.read.ShowLocal);
        EXPECT_EQ(read.AutoRefresh, c.read.AutoRefresh);
        EXPECT_EQ(read.AlwaysTop, c.read.AlwaysTop);
        EXPECT_EQ(read.ShowInfo, c.read.ShowInfo);
        EXPECT_EQ(boxes.applied, c.applied);
        EXPECT_EQ(m_writes, static_cast<int>(c.applied.size()));
        if (!c.file) {
            EXPECT_FALSE(fs::exists(m_path)) << "no file may be created";
        } else if (c.applied.empty()) {
            EXPECT_EQ(Get(), c.file) << "a file of defaults stays untouched";
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

TEST_F(SettingsTest, ReadOnlyFileAtStartStopsAtTheFirstBox)
{
    Put("[Set]\nShowLocal=0\nAutoRefresh=1\nShowInfo=1\n");
    m_readOnly = true;
    SettingsStore store = Store();
    Boxes boxes{store, {}};
    const SettingsValues read = LoadSettings(store, std::ref(boxes));
    // The first box's handler failed; the later boxes were never changed.
    EXPECT_EQ(boxes.applied, (std::vector<std::pair<int, bool>>{{TagShowLocal, false}}));
    EXPECT_TRUE(read.AutoRefresh);
    EXPECT_TRUE(read.ShowInfo);
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
    for (int tag : {0, 5, -1, 100})
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

TEST(ChooseSettingsPath, BesideTheExecutableUnlessInstalled)
{
    struct Case {
        bool writable, exists;
        const char *configHome, *expected;
    } cases[] = {
        {true, false, "/home/u/.config", "/opt/q/Quorvex.ini"},
        {false, true, "/home/u/.config", "/opt/q/Quorvex.ini"},
        {false, false, "/home/u/.config", "/home/u/.config/OndriQuorvex/Quorvex.ini"},
        {false, false, "/home/u/.config/", "/home/u/.config/OndriQuorvex/Quorvex.ini"},
        {false, false, "", "/opt/q/Quorvex.ini"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ChooseSettingsPath("/opt/q/", c.writable, c.exists, c.configHome), c.expected)
            << c.writable << c.exists << c.configHome;
}

}  // namespace
