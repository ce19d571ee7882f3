#include "core/image_list_ex.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace quorvex {
namespace {

// Stands in for the shell: a fixed path -> system index table, copies that
// can be told to fail, and a record of what was asked.
class FakeSource : public SystemImageSource {
public:
    std::map<std::string, int> Indexes;
    std::set<int> FailingCopies;
    std::vector<int> Copies;     // every copy attempt, in order
    std::vector<bool> Binds;     // every bind, small or not
    int Images = 0;

    int GetSystemIconIndex(const std::string &path) override
    {
        auto it = Indexes.find(path);
        return it == Indexes.end() ? -1 : it->second;
    }
    void BindSystemImageList(bool small) override { Binds.push_back(small); }
    int CopySystemIcon(int systemIndex) override
    {
        Copies.push_back(systemIndex);
        if (FailingCopies.count(systemIndex))
            return -1;
        return Images++;
    }
};

struct Request {
    std::string path;
    int expected;
};

struct Case {
    const char *name;
    std::vector<Request> requests;
    std::vector<int> copies;   // copy attempts expected
    std::vector<int> copied;   // CopiedIndexes expected
};

TEST(ImageListEx, IndexRules)
{
    const std::map<std::string, int> shell = {
        {"/usr/bin/a", 7}, {"/usr/bin/b", 3}, {"/usr/bin/a-twin", 7}, {"", 5}, {"/bad", 9}};
    const std::vector<Case> cases = {
        {"same path twice copies once", {{"/usr/bin/a", 0}, {"/usr/bin/a", 0}}, {7}, {7}},
        {"two paths with one key share a copy", {{"/usr/bin/a", 0}, {"/usr/bin/a-twin", 0}}, {7}, {7}},
        {"own indexes in order of first request",
         {{"/usr/bin/b", 0}, {"/usr/bin/a", 1}, {"/usr/bin/b", 0}, {"", 2}}, {3, 7, 5}, {3, 7, 5}},
        {"unknown path gives -1 and copies nothing", {{"/nowhere", -1}}, {}, {}},
        {"failed copy is retried and not recorded",
         {{"/bad", -1}, {"/usr/bin/a", 0}, {"/bad", -1}}, {9, 7, 9}, {7}},
    };
    for (const auto &c : cases) {
        FakeSource source;
        source.Indexes = shell;
        source.FailingCopies = {9};
        TImageListEx list(16, 16, source);
        for (const auto &r : c.requests)
            EXPECT_EQ(list.GetFileIconIndex(r.path), r.expected) << c.name << ": path '" << r.path << "'";
        EXPECT_EQ(source.Copies, c.copies) << c.name;
        EXPECT_EQ(list.CopiedIndexes(), c.copied) << c.name;
        EXPECT_EQ(list.LoadedCount(), 0) << c.name;
    }
}

TEST(ImageListEx, NegativeIndexCreatesNothing)
{
    FakeSource source;
    TImageListEx list(16, 16, source);
    EXPECT_EQ(list.AddSystemIcon(-1), -1);
    EXPECT_EQ(list.GetFileIconIndex("/unknown"), -1);
    EXPECT_FALSE(list.HasSystemList());
    EXPECT_TRUE(source.Binds.empty());
    EXPECT_TRUE(source.Copies.empty());
}

TEST(ImageListEx, WidthAloneChoosesTheSystemList)
{
    const struct {
        int width, height;
        bool small;
    } cases[] = {{16, 16, true}, {16, 32, true}, {32, 32, false}, {24, 16, false}};
    for (const auto &c : cases) {
        FakeSource source;
        TImageListEx list(c.width, c.height, source);
        list.AddSystemIcon(1);
        list.AddSystemIcon(2);
        ASSERT_EQ(source.Binds.size(), 1u) << c.width << "x" << c.height;
        EXPECT_EQ(source.Binds[0], c.small) << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace quorvex
