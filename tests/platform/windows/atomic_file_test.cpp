#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <windows.h>

#include "core/settings.h"
#include "platform/atomic_file.h"
#include "platform/settings_file.h"

using namespace quorvex;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        m_dir = std::string(temp) + "quorvex-atomic-" + std::to_string(GetCurrentProcessId()) + "-"
                + std::to_string(GetTickCount64());
        ASSERT_TRUE(MakeDirectories(m_dir + "\\"));
        m_path = m_dir + "\\Quorvex.ini";
    }
    void TearDown() override
    {
        SetAtomicWriteFault({});
        RemoveTree(m_dir);
    }
    static void RemoveTree(const std::string &dir)
    {
        WIN32_FIND_DATAA entry;
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &entry);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = entry.cFileName;
                if (name == "." || name == "..")
                    continue;
                const std::string path = dir + "\\" + name;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(h, &entry));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }
    void Put(const std::string &text, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
    {
        std::ofstream(m_path, std::ios::binary) << text;
        SetFileAttributesA(m_path.c_str(), attributes);
    }
    static std::string Get(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    int FilesInDir() const
    {
        int n = 0;
        WIN32_FIND_DATAA entry;
        HANDLE h = FindFirstFileA((m_dir + "\\*").c_str(), &entry);
        if (h == INVALID_HANDLE_VALUE)
            return -1;
        do {
            const std::string name = entry.cFileName;
            n += name != "." && name != "..";
        } while (FindNextFileA(h, &entry));
        FindClose(h);
        return n;
    }

    std::string m_dir;
    std::string m_path;
};

TEST_F(AtomicFileTest, ReplacesTheWholeFileAndKeepsItsAttributes)
{
    Put("old text that is longer than the new one\r\n", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(WriteFileAtomically(m_path, "new\r\n"));
    EXPECT_EQ(Get(m_path), "new\r\n");
    EXPECT_NE(GetFileAttributesA(m_path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(FilesInDir(), 1) << "no temporary left behind";
}

TEST_F(AtomicFileTest, AFailureAtAnyStepLeavesTheOldFileIntact)
{
    Put("[Set]\r\nShowLocal=0\r\n");
    for (auto step : {AtomicWriteStep::CreateTemporary, AtomicWriteStep::Write, AtomicWriteStep::Flush,
                      AtomicWriteStep::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        SetAtomicWriteFault([step](AtomicWriteStep s) { return s == step; });
        EXPECT_FALSE(WriteFileAtomically(m_path, "half"));
        EXPECT_EQ(Get(m_path), "[Set]\r\nShowLocal=0\r\n");
        EXPECT_EQ(FilesInDir(), 1);
    }
}

TEST_F(AtomicFileTest, AFailureSaysWhy)
{
    Put("[Set]\r\n", FILE_ATTRIBUTE_READONLY);
    std::string why;
    EXPECT_FALSE(WriteFileAtomically(m_path, "x", why));
    EXPECT_FALSE(why.empty());
    EXPECT_NE(why.back(), '\n');
    why.clear();
    EXPECT_FALSE(WriteFileAtomically(m_dir + "\\missing\\list.csv", "x", why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(WriteFileAtomically(m_dir + "\\list.csv", "x", why));
}

TEST_F(AtomicFileTest, ReadOnlyFileFailsTheSettingCleanly)
{
    Put("[Set]\r\n", FILE_ATTRIBUTE_READONLY);
    SettingsStore store(m_path, WriteSettingsFile, "\r\n");
    try {
        store.SaveSetting(TagShowInfo, true);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + m_path);
    }
    EXPECT_EQ(Get(m_path), "[Set]\r\n");
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(AtomicFileTest, SettingsFileIsCreatedWithItsDirectories)
{
    const std::string nested = m_dir + "\\OndriQuorvex\\sub\\Quorvex.ini";
    SettingsStore store(nested, WriteSettingsFile, "\r\n");
    store.SaveSetting(TagAlwaysTop, false);
    EXPECT_EQ(Get(nested), "[Set]\r\nAlwaysTop=0\r\n");
    EXPECT_FALSE(store.Read().AlwaysTop);
}

TEST_F(AtomicFileTest, WritableDirectoryKeepsTheFileBesideTheExecutable)
{
    EXPECT_TRUE(IsWritableDirectory(m_dir));
    EXPECT_FALSE(IsWritableDirectory(m_dir + "\\missing"));
    EXPECT_EQ(SettingsFilePlace(m_dir + "\\").Path, m_path);
    EXPECT_EQ(FilesInDir(), 0) << "the writability probe leaves nothing behind";

    // A read-only file beside the executable: the user's own file takes over,
    // starting from its values.
    Put("[Set]\r\n", FILE_ATTRIBUTE_READONLY);
    const SettingsPlace place = SettingsFilePlace(m_dir + "\\");
    EXPECT_EQ(place.Path, UserConfigDirectory() + "\\OndriQuorvex\\Quorvex.ini");
    EXPECT_EQ(place.SeedPath, m_path);
}

}  // namespace
