#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/dpkg_index.h"

using namespace quorvex;
namespace fs = std::filesystem;

TEST(DpkgIndex, MaintainerNames)
{
    const std::pair<const char *, const char *> cases[] = {
        {"Matthias Klose <doko@debian.org>", "Matthias Klose"},
        {"\"Quux, Team\" <quux@example.org>", "\"Quux, Team\""},
        {"Nobody Special", "Nobody Special"},
        {"  Spaced Out   <a@b>  ", "Spaced Out"},
        {"<only@mail>", ""},
        {"", ""},
    };
    for (const auto &[field, name] : cases)
        EXPECT_EQ(MaintainerName(field), name) << field;
}

TEST(DpkgIndex, MergedUsrAliases)
{
    EXPECT_EQ(MergedUsrAliases("/usr/bin/bash"), std::vector<std::string>{"/bin/bash"});
    EXPECT_EQ(MergedUsrAliases("/bin/bash"), std::vector<std::string>{"/usr/bin/bash"});
    EXPECT_EQ(MergedUsrAliases("/usr/lib64/ld.so"), std::vector<std::string>{"/lib64/ld.so"});
    EXPECT_TRUE(MergedUsrAliases("/usr/libexec/x").empty());
    EXPECT_TRUE(MergedUsrAliases("/usr/local/bin/x").empty());
    EXPECT_TRUE(MergedUsrAliases("/opt/bin/x").empty());
    EXPECT_TRUE(MergedUsrAliases("/usrbin/x").empty());
}

TEST(DpkgIndex, LooksUpOwningPackages)
{
    DpkgIndex index(std::string(QUORVEX_TEST_DATA) + "/dpkg");
    const struct {
        const char *path;
        bool owned;
        const char *description, *company;
    } cases[] = {
        {"/usr/bin/bash", true, "GNU Bourne Again SHell", "Matthias Klose"},  // listed as /bin/bash
        {"/bin/bash", true, "GNU Bourne Again SHell", "Matthias Klose"},
        {"/usr/bin/bash (deleted)", true, "GNU Bourne Again SHell", "Matthias Klose"},
        {"/usr/lib/x86_64-linux-gnu/libquux.so.1", true, "quux runtime library (64-bit)", "\"Quux, Team\""},
        {"/usr/lib/i386-linux-gnu/libquux.so.1", true, "quux runtime library (32-bit)", "\"Quux, Team\""},
        {"/usr/sbin/netdaemon", true, "a daemon with spaces around its summary", "Nobody Special"},  // no final newline
        {"/opt/orphan/bin/orphan", true, "", ""},  // a .list without a status stanza
        {"/usr/sbin/decoy", false, "", ""},        // only in an md5sums file
        {"/usr/sbin/netdaemo", false, "", ""},
        {"/usr/bin/bas", false, "", ""},
        {"/nonexistent", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto &c : cases) {
        std::string description = "stale", company = "stale";
        EXPECT_EQ(index.Lookup(c.path, description, company), c.owned) << c.path;
        EXPECT_EQ(description, c.description) << c.path;
        EXPECT_EQ(company, c.company) << c.path;
    }
}

TEST(DpkgIndex, RebuildsWhenTheDatabaseChanges)
{
    char pattern[] = "/tmp/quorvex-dpkg-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    fs::create_directories(root / "info");
    std::ofstream(root / "status") << "Package: tool\nMaintainer: First <a@b>\nDescription: first tool\n";
    std::ofstream(root / "info" / "tool.list") << "/usr/bin/tool\n";

    DpkgIndex index(root.string());
    std::string description, company;
    EXPECT_TRUE(index.Lookup("/usr/bin/tool", description, company));
    EXPECT_FALSE(index.Lookup("/usr/bin/other", description, company));

    // dpkg installs a package: a new .list (the directory changes) and a new status.
    std::ofstream(root / "status") << "Package: tool\nMaintainer: First <a@b>\nDescription: first tool\n\n"
                                      "Package: other\nMaintainer: Second <c@d>\nDescription: other tool\n";
    std::ofstream(root / "info" / "other.list") << "/usr/bin/other\n";
    const auto later = fs::last_write_time(root / "status") + std::chrono::seconds(2);
    fs::last_write_time(root / "status", later);
    fs::last_write_time(root / "info", later);

    EXPECT_FALSE(index.Lookup("/usr/bin/other", description, company));  // not checked yet
    index.CheckForChanges();
    EXPECT_TRUE(index.Lookup("/usr/bin/other", description, company));
    EXPECT_EQ(description, "other tool");
    EXPECT_EQ(company, "Second");
    fs::remove_all(root);
}

TEST(DpkgIndex, ReadsLargeListsAcrossBufferBoundaries)
{
    char pattern[] = "/tmp/quorvex-dpkg-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    fs::create_directories(root / "info");
    std::ofstream(root / "status") << "Package: big\nMaintainer: Big <b@b>\nDescription: big package\n";
    // Lines of every length around the reader's buffer, a line longer than
    // the buffer whose tail looks like a wanted path, and the wanted paths
    // scattered so that some straddle a buffer boundary.
    std::string list;
    std::vector<std::string> paths = {"/usr/bin/hidden", "/usr/bin/last", "/usr/bin/missing"};
    for (int i = 0; list.size() < 300000; ++i) {
        list += "/usr/share/big/file-" + std::to_string(i) + std::string(static_cast<size_t>(i % 97), 'x') + "\n";
        if (i % 150 == 0) {
            paths.push_back("/usr/bin/big-" + std::to_string(i));
            list += paths.back() + "\n";
        }
    }
    list += std::string(70000, 'y') + "/usr/bin/hidden\n";
    list += "/usr/bin/last";  // no final newline
    std::ofstream(root / "info" / "big.list") << list;

    DpkgIndex index(root.string());
    index.Resolve(paths);
    std::string description, company;
    for (const std::string &path : paths) {
        const bool expected = path != "/usr/bin/hidden" && path != "/usr/bin/missing";
        EXPECT_EQ(index.Lookup(path, description, company), expected) << path;
    }
    EXPECT_EQ(index.AnswerCount(), paths.size());
    fs::remove_all(root);
}
