#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/text_file.h"

using namespace quorvex;
namespace fs = std::filesystem;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("quorvex-textfile-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Put(const std::string &name, const std::string &bytes)
    {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path m_dir;
};

}  // namespace

TEST_F(TextFileTest, ReadsWholeFilesByteForByte)
{
    // Past the first chunk, with line ends and zero bytes that no layer may
    // translate or stop at.
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += "line " + std::to_string(i) + std::string("\r\n\0", 3);
    for (const std::string &bytes : {std::string(), std::string("[Set]\nShowLocal=1\n"), big}) {
        std::string text = "left over";
        EXPECT_EQ(ReadTextFile(Put("f", bytes), text), FileReadResult::Ok) << bytes.size();
        EXPECT_EQ(text, bytes);
    }
}

TEST_F(TextFileTest, MissingAndUnreadableFilesLeaveNoText)
{
    std::string text = "left over";
    EXPECT_EQ(ReadTextFile((m_dir / "none").string(), text), FileReadResult::Missing);
    EXPECT_EQ(text, "");
    text = "left over";
    EXPECT_EQ(ReadTextFile(m_dir.string(), text), FileReadResult::Failed);
    EXPECT_EQ(text, "");
}

TEST(ReadToEnd, AFailedReadLosesWhatCameBefore)
{
    int calls = 0;
    std::string text;
    const bool read = ReadToEnd(
        [&](char *into, std::size_t) -> std::ptrdiff_t {
            if (++calls == 1) {
                into[0] = 'x';
                return 1;
            }
            return -1;
        },
        text);
    EXPECT_FALSE(read);
    EXPECT_EQ(text, "");
}
