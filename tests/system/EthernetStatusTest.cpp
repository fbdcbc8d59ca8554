#include <gtest/gtest.h>

#include <ws2tcpip.h>

#include <cstring>
#include <regex>

#include "system/EthernetStatus.h"

using vantreel::ChooseEthernetAdapter;
using vantreel::EthernetAdapterRecord;

namespace {

EthernetAdapterRecord UpEthernet(const wchar_t* description, const wchar_t* friendlyName = nullptr,
                                 uint64_t speed = 1000000000, std::vector<std::wstring> ipv4 = {L"10.0.0.2"}) {
    EthernetAdapterRecord record;
    record.ifType = IF_TYPE_ETHERNET_CSMACD;
    record.operStatus = IfOperStatusUp;
    if (description) record.description = description;
    if (friendlyName) record.friendlyName = friendlyName;
    record.transmitLinkSpeed = speed;
    record.ipv4Addresses = std::move(ipv4);
    return record;
}

}  // namespace

TEST(EthernetStatusTest, VirtualTunnelAndBluetoothAdaptersAreSkipped) {
    const auto status = ChooseEthernetAdapter({
        UpEthernet(L"Hyper-V Virtual Ethernet Adapter", L"vEthernet (Default Switch)"),
        UpEthernet(L"TAP-Windows Adapter V9", L"OpenVPN"),
        UpEthernet(L"Bluetooth Device (Personal Area Network)", L"蓝牙网络连接"),
        UpEthernet(L"Realtek Metapath GbE", L"Metapath"),  // "tap" inside a word
        UpEthernet(L"Intel(R) Ethernet Connection I219-V", L"以太网", 1000000000, {L"192.168.1.20"}),
    });
    EXPECT_TRUE(status.connected);
    EXPECT_EQ(status.name, L"以太网");
    EXPECT_EQ(status.ipv4, L"192.168.1.20");
}

TEST(EthernetStatusTest, OnlyUpEthernetAdaptersCountAndTheFirstWins) {
    auto loopback = UpEthernet(L"Software Loopback Interface 1");
    loopback.ifType = IF_TYPE_SOFTWARE_LOOPBACK;
    auto down = UpEthernet(L"Intel Ethernet", L"Down one");
    down.operStatus = IfOperStatusDown;
    auto wifi = UpEthernet(L"Intel Wi-Fi 6", L"WLAN");
    wifi.ifType = IF_TYPE_IEEE80211;
    const auto status = ChooseEthernetAdapter(
        {loopback, down, wifi, UpEthernet(L"Realtek PCIe GbE", L"First"), UpEthernet(L"Intel I210", L"Second")});
    EXPECT_TRUE(status.connected);
    EXPECT_EQ(status.name, L"First");

    const auto none = ChooseEthernetAdapter({loopback, down, wifi});
    EXPECT_FALSE(none.connected);
    EXPECT_EQ(none.name, L"");
}

TEST(EthernetStatusTest, LinkSpeedReadsInWholeUnits) {
    const std::pair<uint64_t, const wchar_t*> cases[] = {
        {100000000, L"100 Mbps"}, {1000000000, L"1 Gbps"}, {2500000000, L"2 Gbps"}, {500000, L""}, {1000000, L"1 Mbps"},
    };
    for (const auto& [speed, text] : cases) {
        const auto status = ChooseEthernetAdapter({UpEthernet(L"Intel I225-V", L"以太网", speed)});
        EXPECT_EQ(status.speed, text) << speed;
    }
}

TEST(EthernetStatusTest, NameFallsBackToDescriptionThenDefault) {
    EXPECT_EQ(ChooseEthernetAdapter({UpEthernet(L"Intel I225-V")}).name, L"Intel I225-V");
    EXPECT_EQ(ChooseEthernetAdapter({UpEthernet(L"Intel I225-V", L"")}).name, L"Intel I225-V");
    EXPECT_EQ(ChooseEthernetAdapter({UpEthernet(nullptr)}).name, L"以太网");

    const auto noAddress = ChooseEthernetAdapter({UpEthernet(L"Intel I225-V", L"以太网", 1000000000, {})});
    EXPECT_TRUE(noAddress.connected);
    EXPECT_EQ(noAddress.ipv4, L"");
}

TEST(EthernetStatusTest, BufferGrowsOnceThenGivesUp) {
    // First answer: too small. Second: one adapter laid out in the grown buffer.
    int calls = 0;
    auto growOnce = [&](ULONG family, ULONG flags, IP_ADAPTER_ADDRESSES* buffer, ULONG* size) -> ULONG {
        EXPECT_EQ(family, static_cast<ULONG>(AF_INET));
        EXPECT_EQ(flags, 0x0Eu);
        if (++calls == 1) {
            EXPECT_EQ(*size, 16384u);
            *size = 20000;
            return ERROR_BUFFER_OVERFLOW;
        }
        EXPECT_EQ(*size, 20000u);
        auto* bytes = reinterpret_cast<unsigned char*>(buffer);
        auto* adapter = buffer;
        adapter->Length = sizeof(IP_ADAPTER_ADDRESSES);
        adapter->IfType = IF_TYPE_ETHERNET_CSMACD;
        adapter->OperStatus = IfOperStatusUp;
        adapter->TransmitLinkSpeed = 2500000000ull;
        auto* description = reinterpret_cast<wchar_t*>(bytes + 4096);
        wcscpy(description, L"Intel(R) Ethernet Controller I225-V");
        adapter->Description = description;
        auto* unicast = reinterpret_cast<IP_ADAPTER_UNICAST_ADDRESS*>(bytes + 8192);
        auto* ipv6 = reinterpret_cast<IP_ADAPTER_UNICAST_ADDRESS*>(bytes + 9216);
        auto* v6 = reinterpret_cast<SOCKADDR_IN6*>(bytes + 10240);
        auto* v4 = reinterpret_cast<SOCKADDR_IN*>(bytes + 11264);
        v6->sin6_family = AF_INET6;
        v4->sin_family = AF_INET;
        InetPtonW(AF_INET, L"192.168.7.42", &v4->sin_addr);
        ipv6->Address.lpSockaddr = reinterpret_cast<SOCKADDR*>(v6);
        ipv6->Next = unicast;
        unicast->Address.lpSockaddr = reinterpret_cast<SOCKADDR*>(v4);
        adapter->FirstUnicastAddress = ipv6;
        return NO_ERROR;
    };
    bool connected = false;
    std::wstring name, speed, ipv4;
    vantreel::QueryEthernetStatus(growOnce, connected, name, speed, ipv4);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(connected);
    EXPECT_EQ(name, L"Intel(R) Ethernet Controller I225-V");
    EXPECT_EQ(speed, L"2 Gbps");
    EXPECT_EQ(ipv4, L"192.168.7.42");

    // A second overflow finds nothing, and the earlier values are cleared.
    auto alwaysTooSmall = [](ULONG, ULONG, IP_ADAPTER_ADDRESSES*, ULONG* size) -> ULONG {
        *size += 1024;
        return ERROR_BUFFER_OVERFLOW;
    };
    vantreel::QueryEthernetStatus(alwaysTooSmall, connected, name, speed, ipv4);
    EXPECT_FALSE(connected);
    EXPECT_EQ(name + speed + ipv4, L"");
}

TEST(EthernetStatusTest, RealAdaptersNameAnUpWiredAdapter) {
    std::vector<EthernetAdapterRecord> adapters;
    ASSERT_TRUE(vantreel::ReadAdapterRecords(vantreel::SystemAdapterAddresses(), adapters));
    bool connected = true;
    std::wstring name = L"x", speed = L"x", ipv4 = L"x";
    vantreel::QueryEthernetStatus(connected, name, speed, ipv4);
    if (!connected) {
        EXPECT_EQ(name + speed + ipv4, L"");
        return;
    }
    bool named = false;
    for (const auto& adapter : adapters) {
        if (adapter.ifType == IF_TYPE_ETHERNET_CSMACD && adapter.operStatus == IfOperStatusUp &&
            (adapter.friendlyName == name || adapter.description == name))
            named = true;
    }
    EXPECT_TRUE(named) << std::string(name.begin(), name.end());
    EXPECT_TRUE(std::regex_match(ipv4, std::wregex(LR"((\d{1,3}\.){3}\d{1,3})")) || ipv4.empty());
}
