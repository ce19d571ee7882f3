#include <cstdio>

#include "platform/platform.h"

int main()
{
    auto platform = quorvex::CreatePlatform();
    quorvex::TcpUdpTables tables;
    platform->GetTcpUdpTable(tables);
    std::printf("%zu TCP, %zu UDP\n", tables.TcpRecs.size(), tables.UdpRecs.size());
    return 0;
}
