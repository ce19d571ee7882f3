#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "core/settings.h"
#include "platform/atomic_file.h"
#include "platform/settings_file.h"

using namespace quorvex;
namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/quorvex-atomic-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_path = m_dir + "/Quorvex.ini";
    }
    void TearDown() override
    {
        SetAtomicWriteFault({});
        chmod(m_dir.c_str(), 0700);
        fs::remove_all(m_dir);
    }
    void Put(const std::string &text, mode_t mode = 0644)
    {
        std::ofstream(m_path, std::ios::binary) << text;
        chmod(m_path.c_str(), mode);
    }
    static std::string Get(const std::string &path)
    {
        std::string text;
        ReadTextFile(path, text);
        return text;
    }
    int FilesInDir() const
    {
        int n = 0;
        for ([[maybe_unused]] const auto &entry : fs::directory_iterator(m_dir))
            ++n;
        return n;
    }
    static mode_t ModeOf(const std::string &path)
    {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mode & 07777;
    }

    std::string m_dir;
    std::string m_path;
};

TEST_F(AtomicFileTest, ReplacesTheWholeFileAndKeepsItsMode)
{
    Put("old text that is longer than the new one\n", 0640);
    ASSERT_TRUE(WriteFileAtomically(m_path, "new\n"));
    EXPECT_EQ(Get(m_path), "new\n");
    EXPECT_EQ(ModeOf(m_path), 0640u);
    EXPECT_EQ(FilesInDir(), 1) << "no temporary left behind";
}

TEST_F(AtomicFileTest, CreatesAMissingFile)
{
    ASSERT_TRUE(WriteFileAtomically(m_path, "[Set]\n"));
    EXPECT_EQ(Get(m_path), "[Set]\n");
}

TEST_F(AtomicFileTest, AFailureAtAnyStepLeavesTheOldFileIntact)
{
    for (AtomicWriteStep step : {AtomicWriteStep::CreateTemporary, AtomicWriteStep::Write, AtomicWriteStep::Flush,
                                 AtomicWriteStep::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        Put("[Set]\nShowLocal=0\n", 0600);
        SetAtomicWriteFault([step](AtomicWriteStep at) { return at == step; });
        EXPECT_FALSE(WriteFileAtomically(m_path, "[Set]\nShowLocal=1\n"));
        EXPECT_EQ(Get(m_path), "[Set]\nShowLocal=0\n");
        EXPECT_EQ(FilesInDir(), 1) << "no temporary left behind";
    }
}

TEST_F(AtomicFileTest, ReadOnlyFileOrDirectoryFailsCleanly)
{
    Put("[Set]\n", 0444);
    EXPECT_FALSE(IsReplaceableFile(m_path));
    EXPECT_FALSE(WriteFileAtomically(m_path, "x"));
    EXPECT_EQ(Get(m_path), "[Set]\n");

    chmod(m_path.c_str(), 0644);
    EXPECT_TRUE(IsReplaceableFile(m_path));
    chmod(m_dir.c_str(), 0555);
    EXPECT_FALSE(IsReplaceableFile(m_path));
    EXPECT_FALSE(WriteFileAtomically(m_path, "x"));
    EXPECT_FALSE(WriteFileAtomically(m_dir + "/new.ini", "x"));
    EXPECT_EQ(Get(m_path), "[Set]\n");
    EXPECT_FALSE(IsWritableDirectory(m_dir));
}

TEST_F(AtomicFileTest, AFailureSaysWhy)
{
    const std::pair<std::string, const char *> cases[] = {
        {m_dir + "/missing/list.csv", "No such file or directory"},
        {m_path + "/list.csv", "Not a directory"},
        {m_dir, "Is a directory"},
    };
    Put("[Set]\n");
    for (const auto &[path, reason] : cases) {
        std::string why;
        EXPECT_FALSE(WriteFileAtomically(path, "x", why)) << path;
        EXPECT_EQ(why, reason) << path;
    }
    chmod(m_dir.c_str(), 0555);
    std::string why;
    EXPECT_FALSE(WriteFileAtomically(m_dir + "/new.csv", "x", why));
    EXPECT_EQ(why, "Permission denied");
}

TEST_F(AtomicFileTest, ALinkKeepsPointingAtTheReplacedFile)
{
    const std::string real = m_dir + "/real.ini";
    std::ofstream(real) << "old";
    ASSERT_EQ(symlink("real.ini", m_path.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(m_path, "new"));
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(Get(real), "new");
}

TEST_F(AtomicFileTest, ReadOnlySettingsFileRaisesOnAClick)
{
    Put("[Set]\nShowLocal=0\n", 0444);
    SettingsStore store(m_path, WriteSettingsFile);
    try {
        store.SaveSetting(TagShowLocal, true);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + m_path);
    }
    EXPECT_FALSE(store.Read().ShowLocal);
}

TEST_F(AtomicFileTest, SettingsGoToTheUsersOwnFileWhenTheOneBesideCannotBeWritten)
{
    const std::string appDir = m_dir + "/bin/";
    const std::string config = m_dir + "/config";
    fs::create_directories(appDir);
    const char *oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    EXPECT_EQ(SettingsFilePlace(appDir).Path, appDir + "Quorvex.ini") << "our own folder: portable use";

    // A file without write permission, as a run under another account leaves.
    std::ofstream(appDir + "Quorvex.ini") << "[Set]\nShowInfo=1\n";
    chmod((appDir + "Quorvex.ini").c_str(), 0444);
    const SettingsPlace place = SettingsFilePlace(appDir);
    EXPECT_EQ(place.Path, config + "/OndriQuorvex/Quorvex.ini");
    EXPECT_EQ(place.SeedPath, appDir + "Quorvex.ini");
    SettingsStore store(place.Path, WriteSettingsFile, "\n", place.SeedPath);
    store.SaveSetting(TagAutoRefresh, true);  // creates the directory
    EXPECT_EQ(Get(place.Path), "[Set]\nShowInfo=1\nAutoRefresh=1\n");

    if (oldXdg)
        setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
