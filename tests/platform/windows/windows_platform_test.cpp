#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <string>

#include "core/endpoint_text.h"
#include "core/text_forms.h"
#include "platform/platform.h"
#include "platform/windows/win_lookups.h"

using namespace quorvex;

namespace {

// The strings of version_info.rc in GBK, as the A functions give them under
// code page 936: "网络连接" and "测试工作室".
const std::string kDescriptionGbk = "\xCD\xF8\xC2\xE7\xC1\xAC\xBD\xD3";
const std::string kCompanyGbk = "\xB2\xE2\xCA\xD4\xB9\xA4\xD7\xF7\xCA\xD2";

std::string OwnPath()
{
    return CreatePlatform()->ExecutablePath();
}

std::string BaseName(const std::string &path)
{
    return path.substr(path.find_last_of("\\/") + 1);
}

uint16_t BoundPort(SOCKET s)
{
    sockaddr_in address{};
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

SOCKET BoundLoopbackSocket(int type)
{
    SOCKET s = socket(AF_INET, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address);
    return s;
}

// The loopback endpoint with this local port, state and (for a connection)
// remote port. The remote port matters: the host may reuse a local port for
// connections to other destinations.
const File_Rec *FindRec(const std::vector<File_Rec> &recs, uint16_t localPort, int32_t state,
                        const std::string &remotePort = {})
{
    for (const auto &rec : recs) {
        if (rec.LocalIp == "127.0.0.1" && rec.LocalPort == std::to_string(localPort) && rec.State == state &&
            (remotePort.empty() || rec.RemotePort == remotePort))
            return &rec;
    }
    return nullptr;
}

bool ChineseCodePage()
{
    return GetACP() == 936;
}

}  // namespace

TEST(WindowsSnapshot, ContainsOwnLoopbackSockets)
{
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    SOCKET listener = BoundLoopbackSocket(SOCK_STREAM);
    ASSERT_EQ(listen(listener, 1), 0);
    const uint16_t listenPort = BoundPort(listener);

    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    target.sin_port = htons(listenPort);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr *>(&target), sizeof target), 0);
    SOCKET accepted = accept(listener, nullptr, nullptr);
    ASSERT_NE(accepted, INVALID_SOCKET);
    char byte = 'x';
    ASSERT_EQ(send(client, &byte, 1, 0), 1);
    ASSERT_EQ(recv(accepted, &byte, 1, 0), 1);
    const uint16_t clientPort = BoundPort(client);

    SOCKET udp = BoundLoopbackSocket(SOCK_DGRAM);
    const uint16_t udpPort = BoundPort(udp);

    TcpUdpTables tables;
    CreatePlatform()->GetTcpUdpTable(tables, {});

    EXPECT_NE(FindRec(tables.TcpRecs, listenPort, 2), nullptr) << "listener on port " << listenPort;
    const File_Rec *outgoing = FindRec(tables.TcpRecs, clientPort, 5, std::to_string(listenPort));
    ASSERT_NE(outgoing, nullptr) << "connection from port " << clientPort;
    EXPECT_EQ(outgoing->RemoteIp, "127.0.0.1");
    EXPECT_NE(FindRec(tables.TcpRecs, listenPort, 5, std::to_string(clientPort)), nullptr) << "accepted end";

    // The connecting end is the one whose owner Wine reports reliably.
    EXPECT_EQ(outgoing->Pid, std::to_string(GetCurrentProcessId()));
    if (outgoing->Pid == std::to_string(GetCurrentProcessId())) {
        EXPECT_EQ(outgoing->ProcessName, BaseName(OwnPath()));
        EXPECT_EQ(outgoing->ProcessPath, OwnPath());
        EXPECT_EQ(outgoing->StartTime, win::ProcessCreationTime(GetCurrentProcessId()));
        EXPECT_NE(outgoing->StartTime, 0u);
        if (ChineseCodePage()) {
            EXPECT_EQ(outgoing->FileDescription, kDescriptionGbk);
            EXPECT_EQ(outgoing->CompanyName, kCompanyGbk);
        }
    }

    const File_Rec *datagram = FindRec(tables.UdpRecs, udpPort, 0);
    ASSERT_NE(datagram, nullptr) << "UDP socket on port " << udpPort;
    EXPECT_TRUE(datagram->RemoteIp.empty());
    EXPECT_TRUE(datagram->RemotePort.empty());
    for (const auto *recs : {&tables.TcpRecs, &tables.UdpRecs}) {
        for (const auto &rec : *recs)
            EXPECT_TRUE(rec.Mark.empty());
    }

    closesocket(udp);
    closesocket(accepted);
    closesocket(client);
    closesocket(listener);
    WSACleanup();
}

TEST(WindowsLookups, ProcessNameAndPathOfOwnProcess)
{
    const uint32_t self = GetCurrentProcessId();
    HANDLE snapshot = win::TakeProcessSnapshot();
    ASSERT_NE(snapshot, nullptr);
    EXPECT_EQ(win::GetProcessNameByPid(snapshot, self), BaseName(OwnPath()));
    EXPECT_EQ(win::GetProcessNameByPid(snapshot, 0xFFFFFFF0u), "");
    CloseHandle(snapshot);
    EXPECT_EQ(win::GetProcessNameByPid(nullptr, self), "");

    EXPECT_EQ(win::GetProcessPathByPid(self), OwnPath());
    EXPECT_EQ(win::GetProcessPathByPid(0xFFFFFFF0u), "");
}

TEST(WindowsLookups, VersionStringsUnderTheFirstTranslation)
{
    if (!ChineseCodePage())
        GTEST_SKIP() << "needs the ANSI code page 936 (run with LC_ALL=zh_CN.UTF-8 under Wine)";
    std::string company = "stale";
    EXPECT_EQ(win::GetFileVersionStrings(OwnPath(), company), kDescriptionGbk);
    EXPECT_EQ(company, kCompanyGbk);

    // No resource, no file, no path: both empty, and the old company is gone.
    char systemDir[256] = {};
    GetSystemDirectoryA(systemDir, 255);
    for (const std::string &path : {OwnPath() + ".missing", std::string(), std::string(systemDir)}) {
        company = "stale";
        EXPECT_EQ(win::GetFileVersionStrings(path, company), "") << path;
        EXPECT_EQ(company, "") << path;
    }
}

TEST(WindowsLookups, VersionStringRules)
{
    // Resource-only DLLs built beside the test program from probes/*.rc.
    const std::string exe = OwnPath();
    const std::string dir = exe.substr(0, exe.find_last_of('\\') + 1);
    struct Case {
        const char *file;
        const char *description;
        const char *company;
    };
    const Case cases[] = {
        {"later_translation.dll", "", ""},  // only the first translation is read
        {"company_only.dll", "", ""},       // no description: no company either
        {"empty_description.dll", "", "Some Company"},
    };
    for (const auto &c : cases) {
        std::string company = "stale";
        EXPECT_EQ(win::GetFileVersionStrings(dir + c.file, company), c.description) << c.file;
        EXPECT_EQ(company, c.company) << c.file;
    }
}

TEST(WindowsText, FixedTextsEnterRecordsInTheAnsiCodePage)
{
    if (!ChineseCodePage())
        GTEST_SKIP() << "needs the ANSI code page 936";
    CreatePlatform();  // installs the encoder
    EXPECT_EQ(SystemText("网络连接"), kDescriptionGbk);
    EXPECT_EQ(SystemText("LISTENING 80"), "LISTENING 80");
    EXPECT_EQ(SystemText(""), "");
    // And back, for exported files and case-blind searches.
    EXPECT_EQ(Utf8FromSystemText(kDescriptionGbk), "网络连接");
    EXPECT_EQ(Utf8FromSystemText("TCP"), "TCP");
}

// quorvex-list writes UTF-8: a GBK name is converted, not shown as U+FFFD
// with its bytes beside it.
TEST(WindowsText, ListOutputConvertsRecordsToUtf8)
{
    if (!ChineseCodePage())
        GTEST_SKIP() << "needs the ANSI code page 936";
    CreatePlatform();  // installs the decoder
    File_Rec rec;
    rec.ProcessName = kDescriptionGbk;
    rec.CompanyName = kCompanyGbk;
    std::string json;
    AppendEndpointJson(json, "UDP", WithUtf8Texts(rec));
    EXPECT_NE(json.find("\"processName\":\"网络连接\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"company\":\"测试工作室\""), std::string::npos) << json;
    EXPECT_EQ(json.find("Bytes"), std::string::npos) << json;
}

TEST(WindowsPrivilege, DebugPrivilegeAndUnknownNames)
{
    EXPECT_TRUE(win::EnableDebugPrivilege());
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    EXPECT_FALSE(win::SetPrivilege(token, "SeNoSuchPrivilege", true));
    CloseHandle(token);
}

TEST(WindowsPlatform, SystemDirectoryAndFileExistence)
{
    auto platform = CreatePlatform();
    const std::string sysDir = UpperAscii(platform->SystemDirectory());
    ASSERT_GE(sysDir.size(), 9u);
    EXPECT_EQ(sysDir.substr(sysDir.size() - 9), "\\SYSTEM32");

    const std::string exe = OwnPath();
    const std::string dir = exe.substr(0, exe.find_last_of('\\'));
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {exe, true},
        {dir, false},
        {exe + ".missing", false},
        {dir + "\\*.exe", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform->IsExistingFile(c.path), c.exists) << c.path;
}

// Started as a child by the termination test; does nothing on its own.
TEST(WindowsChild, DISABLED_WaitToBeEnded)
{
    Sleep(60000);
}

TEST(WindowsPlatform, TerminateChecksTheCreationTime)
{
    std::string command = "\"" + OwnPath() +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=WindowsChild.DISABLED_WaitToBeEnded";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &child));
    CloseHandle(child.hThread);
    const uint64_t started = win::ProcessCreationTime(child.dwProcessId);
    ASSERT_NE(started, 0u);

    auto platform = CreatePlatform();
    // Same PID, other start: a recycled PID is left alone.
    EXPECT_FALSE(platform->TerminateProcess(child.dwProcessId, started + 1));
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    EXPECT_TRUE(platform->TerminateProcess(child.dwProcessId, started));
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    if (WaitForSingleObject(child.hProcess, 0) != WAIT_OBJECT_0)
        ::TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hProcess);

    EXPECT_FALSE(platform->TerminateProcess(0xFFFFFFF0u, 0));
}

namespace {

bool UnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A socket of `type` bound to [::1]; its port in `port`.
SOCKET BoundLoopback6(int type, uint16_t &port)
{
    SOCKET s = socket(AF_INET6, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    int length = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || getsockname(s, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return INVALID_SOCKET;
    port = ntohs(address.sin6_port);
    return s;
}

const File_Rec *FindRec6(const std::vector<File_Rec> &recs, uint16_t localPort, const std::string &remotePort = {})
{
    for (const auto &rec : recs) {
        if (rec.LocalIp == "::1" && rec.LocalPort == std::to_string(localPort)
            && (remotePort.empty() || rec.RemotePort == remotePort))
            return &rec;
    }
    return nullptr;
}

}  // namespace

TEST(WindowsSnapshot, Ipv6LoopbackSocketsOnlyWhenAsked)
{
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    uint16_t listenPort = 0, clientPort = 0, udpPort = 0;
    SOCKET listener = BoundLoopback6(SOCK_STREAM, listenPort);
    if (listener == INVALID_SOCKET)
        GTEST_SKIP() << "no IPv6 loopback here";
    ASSERT_EQ(listen(listener, 1), 0);
    SOCKET client = BoundLoopback6(SOCK_STREAM, clientPort);
    sockaddr_in6 target{};
    target.sin6_family = AF_INET6;
    target.sin6_addr = in6addr_loopback;
    target.sin6_port = htons(listenPort);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr *>(&target), sizeof target), 0);
    SOCKET accepted = accept(listener, nullptr, nullptr);
    SOCKET udp = BoundLoopback6(SOCK_DGRAM, udpPort);

    auto platform = CreatePlatform();
    TcpUdpTables tables;
    platform->GetTcpUdpTable(tables, {});
    EXPECT_TRUE(tables.Tcp6Recs.empty() && tables.Udp6Recs.empty());
    platform->GetTcpUdpTable(tables, {true, true});
    const File_Rec *listening = FindRec6(tables.Tcp6Recs, listenPort, "0");
    const File_Rec *outgoing = FindRec6(tables.Tcp6Recs, clientPort, std::to_string(listenPort));
    ASSERT_NE(listening, nullptr) << "listener on [::1]:" << listenPort;
    ASSERT_NE(outgoing, nullptr) << "connection from [::1]:" << clientPort;
    EXPECT_EQ(listening->State, 2);
    EXPECT_EQ(listening->RemoteIp, "::");
    EXPECT_EQ(outgoing->State, 5);
    EXPECT_NE(FindRec6(tables.Udp6Recs, udpPort), nullptr) << "UDP on [::1]:" << udpPort;
    // Wine knows no owners of IPv6 sockets (PID 0) and has no per-connection
    // statistics (no counters, and no failure for it).
    EXPECT_TRUE(outgoing->Pid == std::to_string(GetCurrentProcessId()) || (UnderWine() && outgoing->Pid == "0"))
        << outgoing->Pid;
    if (UnderWine()) {
        EXPECT_FALSE(outgoing->Traffic.has_value());
    }
    for (SOCKET s : {udp, accepted, client, listener})
        closesocket(s);
    WSACleanup();
}

TEST(WindowsClose, Ipv6IsRefusedAndIpv4GoesToTheSystem)
{
    auto platform = CreatePlatform();
    EXPECT_EQ(platform->CloseConnection({true, "::1", "5000", "::1", "5001", {}}).Result,
              CloseResult::Ipv6NotSupported);

    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    SOCKET listener = BoundLoopbackSocket(SOCK_STREAM);
    ASSERT_EQ(listen(listener, 1), 0);
    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    target.sin_port = htons(BoundPort(listener));
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr *>(&target), sizeof target), 0);
    SOCKET accepted = accept(listener, nullptr, nullptr);
    const CloseOutcome outcome = platform->CloseConnection(
        {false, "127.0.0.1", std::to_string(BoundPort(client)), "127.0.0.1", std::to_string(BoundPort(listener)), {}});
    // Without administrator rights Windows refuses; Wine's SetTcpEntry says
    // yes and does nothing, so only Windows is held to the reset.
    if (outcome.Result == CloseResult::Closed && !UnderWine()) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(accepted, &readable);
        timeval wait{5, 0};
        ASSERT_EQ(select(0, &readable, nullptr, nullptr, &wait), 1);
        char byte;
        EXPECT_EQ(recv(accepted, &byte, 1, 0), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    } else {
        EXPECT_TRUE(outcome.Result == CloseResult::NotPermitted || outcome.Result == CloseResult::Closed)
            << static_cast<int>(outcome.Result) << " error " << outcome.Error;
    }
    for (SOCKET s : {accepted, client, listener})
        closesocket(s);
    WSACleanup();
}
