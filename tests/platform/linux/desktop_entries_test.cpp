#include "platform/linux/desktop_entries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace quorvex {
namespace {

TEST(DesktopEntries, ExecProgram)
{
    const struct {
        const char *exec;
        const char *program;
    } cases[] = {
        {"/usr/bin/gedit %U", "/usr/bin/gedit"},
        {"firefox-esr -new-window", "firefox-esr"},
        {"\"/opt/My App/run\" --x", "/opt/My App/run"},
        {"\"/opt/q\\\"uote\"", "/opt/q\"uote"},
        {"env LANG=C FOO=1 prog --a", "prog"},
        {"/usr/bin/env -u X prog", "prog"},
        {"  spaced  ", "spaced"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExecProgram(c.exec), c.program) << c.exec;
}

TEST(DesktopEntries, ParseReadsOnlyTheMainGroup)
{
    const auto e = ParseDesktopEntry(
        "# comment\n[Desktop Entry]\nType=Application\nIcon[de]=nein\nIcon=good\n"
        "Exec=/a\\sb\r\nHidden=false\n[Desktop Action new]\nExec=/other\nIcon=bad\n");
    EXPECT_EQ(e.Type, "Application");
    EXPECT_EQ(e.Icon, "good");
    EXPECT_EQ(e.Exec, "/a b");
    EXPECT_FALSE(e.Hidden);
}

class DesktopIndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("quorvex-desktop-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "lib/app");
        fs::create_directories(root / "home/applications");
        fs::create_directories(root / "share/applications/sub");
        root = fs::canonical(root);
        for (const char *exe : {"bin/bypath", "bin/byname", "lib/app/real", "bin/with space", "bin/envprog",
                                "bin/shadowed", "bin/tryexec", "bin/notinpath"})
            Exe(root / exe);
        fs::create_symlink(root / "lib/app/real", root / "bin/app");
        fs::create_directories(root / "nopath");
        fs::rename(root / "bin/notinpath", root / "nopath/notinpath");

        Entry("home/applications/shadow.desktop", "Exec=shadowed\nIcon=first\n");
        Entry("share/applications/shadow.desktop", "Exec=shadowed\nIcon=second\n");
        Entry("share/applications/a.desktop", "Exec=" + (root / "bin/bypath").string() + " %U\nIcon=by-path\n");
        Entry("share/applications/b.desktop", "Exec=byname --flag\nIcon=by-name\n");
        Entry("share/applications/c.desktop", "Exec=app\nIcon=linked\n");
        Entry("share/applications/sub/d.desktop",
              "Exec=\"" + (root / "bin/with space").string() + "\" %f\nIcon=quoted\n");
        Entry("share/applications/e.desktop", "Exec=env A=1 envprog\nIcon=via-env\n");
        Entry("share/applications/f.desktop", "Exec=sh -c \"byname\"\nIcon=shell\n");
        Entry("share/applications/g.desktop", "TryExec=tryexec\nExec=sh -c tryexec\nIcon=from-tryexec\n");
        Entry("share/applications/h.desktop", "Exec=notinpath\nIcon=lost\n");
        Entry("share/applications/i.desktop", "Hidden=true\nExec=bypath\nIcon=hidden\n");
        Entry("share/applications/j.desktop", "Type=Link\nExec=byname\nIcon=link\n");
    }
    void TearDown() override { fs::remove_all(root); }

    void Exe(const fs::path &p)
    {
        std::ofstream(p) << "#!/bin/sh\n";
        fs::permissions(p, fs::perms::owner_all);
    }
    void Entry(const std::string &rel, const std::string &body)
    {
        std::ofstream(root / rel) << "[Desktop Entry]\nType=Application\n" << body;
    }
    void Build()
    {
        index.Build({(root / "home/applications").string(), (root / "share/applications").string()},
                    {(root / "nothere").string(), (root / "bin").string()});
    }

    fs::path root;
    DesktopEntryIndex index;
};

TEST_F(DesktopIndexTest, FindsIconsByExecutable)
{
    Build();
    const struct {
        const char *exe;
        const char *icon;
    } cases[] = {
        {"bin/bypath", "by-path"},
        {"bin/byname", "by-name"},        // a bare name found in PATH, not the sh -c entry
        {"lib/app/real", "linked"},       // entry names a link; /proc gives the target
        {"bin/app", "linked"},            // and asking by the link resolves too
        {"bin/with space", "quoted"},     // subfolder entry, quoted path
        {"bin/envprog", "via-env"},
        {"bin/shadowed", "first"},        // same desktop-file ID: the user's folder wins
        {"bin/tryexec", "from-tryexec"},
        {"nopath/notinpath", ""},         // bare name not in PATH
        {"bin/nothing", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(index.IconFor((root / c.exe).string()), c.icon) << c.exe;
    EXPECT_EQ(index.IconFor("/bin/sh"), "");
}

TEST_F(DesktopIndexTest, RebuildsWhenAFolderChanges)
{
    Build();
    EXPECT_FALSE(index.RebuildIfChanged(1000));
    Exe(root / "bin/late");
    Entry("share/applications/late.desktop", "Exec=late\nIcon=late-icon\n");
    EXPECT_FALSE(index.RebuildIfChanged(2000));  // checked less than the interval ago
    EXPECT_TRUE(index.RebuildIfChanged(7000));
    EXPECT_EQ(index.IconFor((root / "bin/late").string()), "late-icon");
}

TEST(DesktopEntries, ApplicationDirsFollowXdg)
{
    ::setenv("XDG_DATA_HOME", "/h", 1);
    ::setenv("XDG_DATA_DIRS", "/d1::/d2", 1);
    EXPECT_EQ(DesktopEntryIndex::ApplicationDirs(),
              (std::vector<std::string>{"/h/applications", "/d1/applications", "/d2/applications"}));
    ::unsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(DesktopEntryIndex::ApplicationDirs(),
              (std::vector<std::string>{"/h/applications", "/usr/local/share/applications",
                                        "/usr/share/applications"}));
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace quorvex
