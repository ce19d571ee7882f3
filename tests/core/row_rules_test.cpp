#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/connection_list.h"
#include "core/fixed_texts.h"

using namespace quorvex;

namespace {

File_Rec Source(const std::string &name, const std::string &path)
{
    return File_Rec{.State = 5,
                    .LocalIp = "10.0.0.1",
                    .LocalPort = "22",
                    .RemoteIp = "10.0.0.2",
                    .RemotePort = "50000",
                    .Pid = "7",
                    .ProcessName = name,
                    .ProcessPath = path,
                    .FileDescription = "file desc",
                    .CompanyName = "maker",
                    .Mark = {},
                    .StartTime = 99, .Traffic = {}, .Socket = {}};
}

}  // namespace

TEST(FillRow, CopiesFieldsByProtocol)
{
    TMyRec tcp;
    FillRow(tcp, Source("sshd", "/usr/sbin/sshd"), "TCP", "add");
    EXPECT_EQ(tcp.Protocol, "TCP");
    EXPECT_EQ(tcp.StateText, "已建立");
    EXPECT_EQ(tcp.RemoteIp, "10.0.0.2");
    EXPECT_EQ(tcp.RemotePort, "50000");
    EXPECT_EQ(tcp.Remark, "add");
    EXPECT_EQ(tcp.StartTime, 99u);

    TMyRec udp;
    FillRow(udp, Source("sshd", "/usr/sbin/sshd"), "UDP", "");
    EXPECT_EQ(udp.Protocol, "UDP");
    EXPECT_EQ(udp.StateText, "");  // UDP rows never show a state or remote end
    EXPECT_EQ(udp.RemoteIp, "");
    EXPECT_EQ(udp.RemotePort, "");
    EXPECT_EQ(udp.LocalIp, "10.0.0.1");
    EXPECT_EQ(udp.LocalPort, "22");
    EXPECT_EQ(udp.Pid, "7");
    EXPECT_EQ(udp.CompanyName, "maker");
}

TEST(FillRow, DescriptionFromFileOrFixedText)
{
    using enum PathlessOwners;
    struct Case {
        std::string name, path, description;
        PathlessOwners pathless;
        const char *expected;
    };
    const std::vector<Case> cases = {
        {"System", "", "x", SystemOrIdle, texts::SystemProcessDesc},
        {"system", "", "x", SystemOrIdle, texts::IdleProcessDesc},  // exact letter case only
        {"Idle", "", "x", SystemOrIdle, texts::IdleProcessDesc},
        {"", "", "x", SystemOrIdle, texts::IdleProcessDesc},
        {"System", "/sys", "file desc", SystemOrIdle, "file desc"},
        {"app", "/app", "", SystemOrIdle, ""},  // a path without version information
        // Where an owner without a path is only not ours to see, nothing is
        // said of it, whatever its name.
        {"System", "", "x", Unknown, ""},
        {"", "", "x", Unknown, ""},
        {"app", "/app", "file desc", Unknown, "file desc"},
    };
    for (const auto &c : cases) {
        File_Rec src = Source(c.name, c.path);
        src.FileDescription = c.description;
        TMyRec rec;
        FillRow(rec, src, "TCP", "", c.pathless);
        EXPECT_EQ(rec.Description, c.expected)
            << "name '" << c.name << "' path '" << c.path << "' unknown " << (c.pathless == Unknown);
    }
}

TEST(IsHiddenLoopback, OnlyTcpBetweenExactly127001Ends)
{
    struct Case {
        const char *protocol, *local, *remote;
        bool hiddenWithoutShowLocal;
    };
    const std::vector<Case> cases = {
        {"TCP", "127.0.0.1", "127.0.0.1", true},
        {"TCP", "127.0.0.1", "0.0.0.0", false},   // a loopback listener
        {"TCP", "127.0.0.1", "10.0.0.1", false},
        {"TCP", "127.0.0.2", "127.0.0.2", false},
        {"TCP", "127.0.0.1", "127.0.0.01", false},
        {"UDP", "127.0.0.1", "127.0.0.1", false},
        {"TCPv6", "::1", "::1", true},
        {"TCPv6", "::1", "::", false},  // a loopback listener
        {"TCPv6", "::1", "127.0.0.1", false},
        {"TCP", "::1", "::1", false},
        {"UDPv6", "::1", "::1", false},
    };
    for (const auto &c : cases) {
        TMyRec r;
        r.Protocol = c.protocol;
        r.LocalIp = c.local;
        r.RemoteIp = c.remote;
        EXPECT_EQ(IsHiddenLoopback(r, false), c.hiddenWithoutShowLocal) << c.protocol << " " << c.local << " " << c.remote;
        EXPECT_FALSE(IsHiddenLoopback(r, true)) << c.protocol << " " << c.local << " " << c.remote;
    }
}

TEST(TakeTraffic, RateIsTheGrowthOfBothCountersPerSecond)
{
    const std::optional<TrafficCounters> none;
    struct Case {
        const char *what;
        std::optional<TrafficCounters> before, now;
        int64_t elapsedMs;
        std::optional<uint64_t> rate;
    };
    const std::vector<Case> cases = {
        {"both grew", TrafficCounters{1000, 500}, TrafficCounters{3000, 1500}, 2000, 1500},
        {"rounded to the nearest byte", TrafficCounters{0, 0}, TrafficCounters{1, 0}, 3000, 0},
        {"nothing moved", TrafficCounters{7, 7}, TrafficCounters{7, 7}, 10000, 0},
        {"no counters before", none, TrafficCounters{10, 10}, 1000, std::nullopt},
        {"none now", TrafficCounters{10, 10}, none, 1000, std::nullopt},
        {"time unknown", TrafficCounters{0, 0}, TrafficCounters{10, 10}, 0, std::nullopt},
        {"a counter went back", TrafficCounters{100, 100}, TrafficCounters{50, 200}, 1000, std::nullopt},
    };
    for (const auto &c : cases) {
        TMyRec row;
        row.Traffic = c.before;
        row.Rate = 12345;
        File_Rec rec;
        rec.Traffic = c.now;
        EXPECT_TRUE(TakeTraffic(row, rec, c.elapsedMs)) << c.what;  // the old rate is gone either way
        EXPECT_EQ(row.Traffic, c.now) << c.what;
        EXPECT_EQ(row.Rate, c.rate) << c.what;
    }
}

TEST(ProgramList, CountsDistinctNamesOfRowsWithAPath)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> rows;  // name, path
        int programs;
    };
    const std::vector<Case> cases = {
        {{}, 0},
        {{{"a", "/a"}, {"a", "/other/a"}}, 1},
        {{{"svchost.exe", "/s"}, {"SVCHOST.EXE", "/s"}}, 2},  // letter case counts
        {{{"abc.exe", "/x"}, {"abc", "/y"}}, 2},              // a leading part is another name
        {{{"sshd", "/x"}, {"ssh", "/y"}}, 2},
        {{{"a", ""}, {"b", ""}}, 0},                           // no path, no program
        {{{"a", "/a"}, {"", "/e"}}, 2},                        // an empty name is a program too
        {{{"", "/e"}, {"", "/f"}, {"a", "/a"}}, 2},
        {{{"@$!a", "/a"}, {"a", "/b"}}, 2},
    };
    for (const auto &c : cases) {
        ProgramList list;
        std::string names;
        for (const auto &[name, path] : c.rows) {
            TMyRec r;
            r.ProcessName = name;
            r.ProcessPath = path;
            list.NoteProgram(r);
            names += "'" + name + "' ";
        }
        EXPECT_EQ(list.Count(), c.programs) << names;
    }
}
