#include <gtest/gtest.h>

#include <windows.h>
#include <wlanapi.h>

#include <chrono>
#include <string>
#include <system_error>
#include <vector>

#include "platform/MissingFlags.h"
#include "support/TestSupport.h"
#include "system/EthernetStatus.h"
#include "system/WifiService.h"
#include "system/WlanProfile.h"

using vantreel::ConnectWifiNetwork;
using vantreel::RadioQueryResult;
using vantreel::ScanWifiNetworks;
using vantreel::SetWifiEnabled;
using vantreel::WifiNetwork;
using vantreel::WlanApi;
using vantreel::WlanAvailableNetworkRecord;
using vantreel::WlanConnectionRecord;
using vantreel::WlanInterfaceRecord;

namespace {

const GUID kInterface = {0x1c2d3e4f, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
HANDLE const kClient = reinterpret_cast<HANDLE>(0x5150);

DOT11_SSID Ssid(const std::string& bytes) {
    DOT11_SSID ssid{};
    ssid.uSSIDLength = static_cast<ULONG>(bytes.size());
    memcpy(ssid.ucSSID, bytes.data(), bytes.size() < 32 ? bytes.size() : 32);
    return ssid;
}

DOT11_SSID Ssid(const std::wstring& text) { return Ssid(testing_support::ToUtf8(text)); }

WlanAvailableNetworkRecord Entry(const std::wstring& ssid, const std::wstring& profile, uint32_t signal,
                                 bool secured, DWORD flags = 0) {
    WlanAvailableNetworkRecord entry;
    entry.ssid = Ssid(ssid);
    entry.profileName = profile;
    entry.signalQuality = signal;
    entry.securityEnabled = secured;
    entry.flags = flags | (profile.empty() ? 0 : WLAN_AVAILABLE_NETWORK_HAS_PROFILE);
    return entry;
}

WLAN_PHY_RADIO_STATE Phy(DWORD index, DOT11_RADIO_STATE software, DOT11_RADIO_STATE hardware) {
    return {index, software, hardware};
}

std::wstring ReadGolden(const char* name) {
    std::string source = std::string(VANTREEL_TESTS_DIR "/system/golden/") + name;
    std::wstring path(source.begin(), source.end());
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
    return testing_support::FromUtf8(std::string(bytes.begin(), bytes.end()));
}

// One machine's Native Wi-Fi service, answering from recorded values and
// logging what was asked of it.
struct RecordedWlan {
    bool opens = true;
    std::optional<std::vector<WlanInterfaceRecord>> interfaces =
        std::vector<WlanInterfaceRecord>{{kInterface, L"Intel(R) Wi-Fi 6 AX201", wlan_interface_state_disconnected}};
    std::optional<std::vector<WLAN_PHY_RADIO_STATE>> phys =
        std::vector<WLAN_PHY_RADIO_STATE>{Phy(0, dot11_radio_state_on, dot11_radio_state_on)};
    std::vector<bool> setAnswers{true, true};  // one per radio-state set, in order
    std::optional<WlanConnectionRecord> connection;
    std::optional<std::vector<WlanAvailableNetworkRecord>> available = std::vector<WlanAvailableNetworkRecord>{};
    bool profileAccepted = true;
    bool connectAccepted = true;
    RadioQueryResult winRt;
    bool winRtThrows = false;
    bool winRtSwitch = false;
    vantreel::EthernetStatus ethernet{true, L"以太网", L"1 Gbps", L"192.168.1.20"};

    int opened = 0, closed = 0, scans = 0, winRtQueries = 0, winRtSwitches = 0;
    DWORD availableFlags = 0;
    std::vector<WLAN_PHY_RADIO_STATE> sets;
    std::vector<std::wstring> profiles, connects;

    WlanApi Api() {
        WlanApi api;
        api.open = [this] {
            if (!opens) return HANDLE(nullptr);
            ++opened;
            return kClient;
        };
        api.close = [this](HANDLE client) {
            EXPECT_EQ(client, kClient);
            ++closed;
        };
        api.interfaces = [this](HANDLE) { return interfaces; };
        api.radioState = [this](HANDLE, const GUID& guid) {
            EXPECT_TRUE(IsEqualGUID(guid, kInterface));
            return phys;
        };
        api.setRadioState = [this](HANDLE, const GUID&, const WLAN_PHY_RADIO_STATE& state) {
            sets.push_back(state);
            return sets.size() <= setAnswers.size() && setAnswers[sets.size() - 1];
        };
        api.currentConnection = [this](HANDLE, const GUID&) { return connection; };
        api.scan = [this](HANDLE, const GUID&) { ++scans; };
        api.availableNetworks = [this](HANDLE, const GUID&, DWORD flags) {
            availableFlags = flags;
            return available;
        };
        api.setProfile = [this](HANDLE, const GUID&, const std::wstring& xml) {
            profiles.push_back(xml);
            return profileAccepted;
        };
        api.connect = [this](HANDLE, const GUID&, const std::wstring& profile) {
            connects.push_back(profile);
            return connectAccepted;
        };
        api.ethernet = [this] { return ethernet; };
        api.queryWinRtRadio = [this] {
            ++winRtQueries;
            if (winRtThrows) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return winRt;
        };
        api.setWinRtRadio = [this](bool) {
            ++winRtSwitches;
            if (winRtThrows) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return winRtSwitch;
        };
        return api;
    }
};

std::vector<std::wstring> Ssids(const std::vector<WifiNetwork>& networks) {
    std::vector<std::wstring> ssids;
    for (const WifiNetwork& network : networks) ssids.push_back(network.ssid);
    return ssids;
}

}  // namespace

TEST(WifiScan, MergesEntriesOfOneSsidAndDropsHiddenOnes) {
    RecordedWlan wlan;
    wlan.available = std::vector<WlanAvailableNetworkRecord>{
        Entry(L"Net", L"", 80, true), Entry(L"", L"", 99, true), Entry(L"Net", L"Net", 40, false),
        Entry(L"Cafe", L"", 30, false, WLAN_AVAILABLE_NETWORK_CONNECTED), Entry(L"Cafe", L"", 60, true)};
    const auto state = ScanWifiNetworks(wlan.Api(), false);
    EXPECT_EQ(wlan.availableFlags, static_cast<DWORD>(WLAN_AVAILABLE_NETWORK_INCLUDE_ALL_MANUAL_HIDDEN_PROFILES));
    ASSERT_EQ(state.networks.size(), 2u);
    const WifiNetwork& cafe = state.networks[0];  // connected first
    EXPECT_EQ(cafe.ssid, L"Cafe");
    EXPECT_TRUE(cafe.connected);
    EXPECT_FALSE(cafe.secured) << "security as first seen";
    EXPECT_EQ(cafe.signal, 60u);
    const WifiNetwork& net = state.networks[1];
    EXPECT_EQ(net.ssid, L"Net");
    EXPECT_EQ(net.profileName, L"Net");
    EXPECT_EQ(net.signal, 80u);
    EXPECT_FALSE(net.connected);
    EXPECT_TRUE(net.secured);
    EXPECT_TRUE(net.hasProfile);
    EXPECT_EQ(wlan.opened, 1);
    EXPECT_EQ(wlan.closed, 1);
}

TEST(WifiScan, SortsConnectedThenSavedThenSignalThenCodeUnits) {
    std::vector<WifiNetwork> networks = {
        {L"Cafe", L"", 90, false, false, false},  {L"attic", L"", 90, false, false, false},
        {L"Home", L"Home", 40, false, true, true}, {L"Office", L"", 10, true, true, false},
        {L"Zed", L"", 90, false, false, false},
    };
    vantreel::SortWifiNetworks(networks);
    EXPECT_EQ(Ssids(networks), (std::vector<std::wstring>{L"Office", L"Home", L"Cafe", L"Zed", L"attic"}));
}

TEST(WifiScan, RadioStateFromThePhysThenTheRuntimeRadioThenTheInterface) {
    RecordedWlan wlan;
    wlan.phys = std::vector<WLAN_PHY_RADIO_STATE>{Phy(0, dot11_radio_state_on, dot11_radio_state_off),
                                                  Phy(1, dot11_radio_state_on, dot11_radio_state_on)};
    EXPECT_TRUE(ScanWifiNetworks(wlan.Api(), false).radioOn);
    wlan.phys = std::vector<WLAN_PHY_RADIO_STATE>{Phy(0, dot11_radio_state_on, dot11_radio_state_off),
                                                  Phy(1, dot11_radio_state_off, dot11_radio_state_on)};
    EXPECT_FALSE(ScanWifiNetworks(wlan.Api(), false).radioOn);
    EXPECT_EQ(wlan.winRtQueries, 0);

    // A failed query asks the Windows Runtime radio, which knows best when found.
    wlan.phys.reset();
    wlan.winRt = {true, false};
    auto state = ScanWifiNetworks(wlan.Api(), false);
    EXPECT_FALSE(state.radioOn);
    EXPECT_TRUE(state.adapterPresent);
    EXPECT_EQ(wlan.winRtQueries, 1);
    wlan.winRt = {true, true};
    EXPECT_TRUE(ScanWifiNetworks(wlan.Api(), false).radioOn);

    // Without one, any interface state but not-ready reads as on.
    wlan.winRt = {};
    EXPECT_TRUE(ScanWifiNetworks(wlan.Api(), false).radioOn);
    (*wlan.interfaces)[0].state = wlan_interface_state_not_ready;
    EXPECT_FALSE(ScanWifiNetworks(wlan.Api(), false).radioOn);

    // A radio worker that cannot start reads as no radio found.
    wlan.winRtThrows = true;
    (*wlan.interfaces)[0].state = wlan_interface_state_disconnected;
    EXPECT_TRUE(ScanWifiNetworks(wlan.Api(), false).radioOn);
}

TEST(WifiScan, AsksForAScanOnlyWhenToldAndTheRadioIsOn) {
    RecordedWlan wlan;
    wlan.available = std::vector<WlanAvailableNetworkRecord>{Entry(L"Net", L"", 80, true)};
    ScanWifiNetworks(wlan.Api(), false);
    EXPECT_EQ(wlan.scans, 0);
    ScanWifiNetworks(wlan.Api(), true);
    EXPECT_EQ(wlan.scans, 1);

    wlan.phys = std::vector<WLAN_PHY_RADIO_STATE>{Phy(0, dot11_radio_state_off, dot11_radio_state_on)};
    wlan.availableFlags = 0;
    const auto off = ScanWifiNetworks(wlan.Api(), true);
    EXPECT_EQ(wlan.scans, 1);
    EXPECT_TRUE(off.networks.empty()) << "no list while the radio is off";
    EXPECT_EQ(wlan.availableFlags, 0u);
}

TEST(WifiScan, ConnectionAndEthernetRow) {
    RecordedWlan wlan;
    (*wlan.interfaces)[0].state = wlan_interface_state_connected;
    wlan.connection = WlanConnectionRecord{wlan_interface_state_connected, Ssid(L"家里的网"), 73};
    auto state = ScanWifiNetworks(wlan.Api(), false);
    EXPECT_TRUE(state.connected);
    EXPECT_EQ(state.connectedSsid, L"家里的网");
    EXPECT_EQ(state.connectedSignal, 73u);
    EXPECT_EQ(state.interfaceDescription, L"Intel(R) Wi-Fi 6 AX201");
    EXPECT_TRUE(state.ethernetConnected);
    EXPECT_EQ(state.ethernetName, L"以太网");
    EXPECT_EQ(state.ethernetSpeed, L"1 Gbps");
    EXPECT_EQ(state.ethernetIpv4, L"192.168.1.20");

    wlan.connection->state = wlan_interface_state_associating;
    state = ScanWifiNetworks(wlan.Api(), false);
    EXPECT_FALSE(state.connected);
    EXPECT_TRUE(state.connectedSsid.empty());

    // No interface: the Ethernet row alone.
    wlan.interfaces = std::vector<WlanInterfaceRecord>{};
    state = ScanWifiNetworks(wlan.Api(), false);
    EXPECT_FALSE(state.adapterPresent);
    EXPECT_FALSE(state.radioOn);
    EXPECT_TRUE(state.ethernetConnected);
    EXPECT_EQ(wlan.opened, wlan.closed);
}

TEST(WifiSwitch, EveryPhyIsSetAndOneAcceptingIsEnough) {
    RecordedWlan wlan;
    wlan.phys = std::vector<WLAN_PHY_RADIO_STATE>{Phy(3, dot11_radio_state_off, dot11_radio_state_on),
                                                  Phy(5, dot11_radio_state_off, dot11_radio_state_off)};
    wlan.setAnswers = {false, true};
    EXPECT_TRUE(SetWifiEnabled(wlan.Api(), true));
    ASSERT_EQ(wlan.sets.size(), 2u);
    EXPECT_EQ(wlan.sets[0].dwPhyIndex, 3u);
    EXPECT_EQ(wlan.sets[0].dot11SoftwareRadioState, dot11_radio_state_on);
    EXPECT_EQ(wlan.sets[0].dot11HardwareRadioState, dot11_radio_state_on);
    EXPECT_EQ(wlan.sets[1].dwPhyIndex, 5u);
    EXPECT_EQ(wlan.sets[1].dot11HardwareRadioState, dot11_radio_state_off);
    EXPECT_EQ(wlan.winRtSwitches, 0);

    // All refusing: the Windows Runtime radio decides.
    wlan.sets.clear();
    wlan.setAnswers = {false, false};
    wlan.winRtSwitch = true;
    EXPECT_TRUE(SetWifiEnabled(wlan.Api(), false));
    EXPECT_EQ(wlan.sets[0].dot11SoftwareRadioState, dot11_radio_state_off);
    wlan.winRtSwitch = false;
    EXPECT_FALSE(SetWifiEnabled(wlan.Api(), false));
    EXPECT_EQ(wlan.winRtSwitches, 2);

    // A failed query sets PHY 0 once, hardware state unknown.
    wlan.sets.clear();
    wlan.phys.reset();
    wlan.setAnswers = {true};
    EXPECT_TRUE(SetWifiEnabled(wlan.Api(), true));
    ASSERT_EQ(wlan.sets.size(), 1u);
    EXPECT_EQ(wlan.sets[0].dwPhyIndex, 0u);
    EXPECT_EQ(wlan.sets[0].dot11HardwareRadioState, dot11_radio_state_unknown);

    // No service, and a radio worker that cannot start: false, nothing thrown.
    wlan.opens = false;
    wlan.winRtThrows = true;
    EXPECT_FALSE(SetWifiEnabled(wlan.Api(), true));
    EXPECT_EQ(wlan.opened, wlan.closed);
}

TEST(WifiConnect, SavedProfilesPasswordsAndRefusedDocuments) {
    // A saved profile and no password: connect with it, write nothing.
    RecordedWlan wlan;
    WifiNetwork home{L"Home", L"Home profile", 70, false, true, true};
    EXPECT_TRUE(ConnectWifiNetwork(wlan.Api(), home, L""));
    EXPECT_TRUE(wlan.profiles.empty());
    EXPECT_EQ(wlan.connects, std::vector<std::wstring>{L"Home profile"});

    // A password always writes, and the new profile is named after the SSID.
    wlan.connects.clear();
    EXPECT_TRUE(ConnectWifiNetwork(wlan.Api(), home, L"new secret"));
    ASSERT_EQ(wlan.profiles.size(), 1u);
    EXPECT_NE(wlan.profiles[0].find(L"<keyMaterial>new secret</keyMaterial>"), std::wstring::npos);
    EXPECT_EQ(wlan.connects, std::vector<std::wstring>{L"Home"});

    // A refused document still connects with the saved profile.
    wlan.connects.clear();
    wlan.profileAccepted = false;
    EXPECT_TRUE(ConnectWifiNetwork(wlan.Api(), home, L"bad"));
    EXPECT_EQ(wlan.connects, std::vector<std::wstring>{L"Home profile"});
    // ... and without one nothing is asked.
    wlan.connects.clear();
    EXPECT_FALSE(ConnectWifiNetwork(wlan.Api(), {L"Cafe", L"", 50, false, true, false}, L"bad"));
    EXPECT_TRUE(wlan.connects.empty());

    // The service's refusal is the answer.
    wlan.profileAccepted = true;
    wlan.connectAccepted = false;
    EXPECT_FALSE(ConnectWifiNetwork(wlan.Api(), home, L""));
    EXPECT_EQ(wlan.opened, wlan.closed);
}

TEST(WifiConnect, SsidsLongerThan32BytesAreNotWritten) {
    RecordedWlan wlan;
    const std::wstring ten = L"一二三四五六七八九十";
    WifiNetwork network{ten + L"甲", L"", 60, false, true, false};  // 33 bytes of UTF-8
    EXPECT_FALSE(ConnectWifiNetwork(wlan.Api(), network, L"password"));
    EXPECT_TRUE(wlan.profiles.empty());
    EXPECT_TRUE(wlan.connects.empty());

    network.ssid = ten;  // 30 bytes
    EXPECT_TRUE(ConnectWifiNetwork(wlan.Api(), network, L"password"));
    ASSERT_EQ(wlan.profiles.size(), 1u);
    EXPECT_NE(wlan.profiles[0].find(L"<hex>E4B880E4BA8CE4B889E59B9BE4BA94E585ADE4B883E585ABE4B99DE58D81</hex>"),
              std::wstring::npos);
    EXPECT_EQ(wlan.connects, std::vector<std::wstring>{ten});
}

TEST(WifiConnect, ASecuredNetworkWithoutKeyOrSavedProfileIsNotTried) {
    RecordedWlan wlan;
    EXPECT_FALSE(ConnectWifiNetwork(wlan.Api(), {L"Office", L"", 60, false, true, false}, L""));
    EXPECT_TRUE(wlan.profiles.empty());
    EXPECT_TRUE(wlan.connects.empty());

    // An open network still gets the open profile.
    EXPECT_TRUE(ConnectWifiNetwork(wlan.Api(), {L"Lobby", L"", 60, false, false, false}, L""));
    ASSERT_EQ(wlan.profiles.size(), 1u);
    EXPECT_NE(wlan.profiles[0].find(L"<authentication>open</authentication>"), std::wstring::npos);
    EXPECT_EQ(wlan.connects, std::vector<std::wstring>{L"Lobby"});

    EXPECT_FALSE(ConnectWifiNetwork(wlan.Api(), {L"", L"x", 60, false, false, true}, L""));
    EXPECT_EQ(wlan.opened, wlan.closed);
}

TEST(WlanProfile, DocumentsMatchTheGoldenFiles) {
    const std::wstring ssid = L"Tom's \"5G\" & <lab>";
    const auto secured = vantreel::BuildWlanProfileXml(ssid, L"p&ss<>\"'", true);
    ASSERT_TRUE(secured.has_value());
    EXPECT_EQ(*secured, ReadGolden("wlan-secured.xml"));
    const auto open = vantreel::BuildWlanProfileXml(ssid, L"p&ss<>\"'", false);
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(*open, ReadGolden("wlan-open.xml"));
    EXPECT_EQ(*vantreel::BuildWlanProfileXml(ssid, L"", true), *open) << "no key, no pass phrase";
    EXPECT_NE(vantreel::BuildWlanProfileXml(ssid, std::wstring(64, L'A'), true)->find(L">networkKey<"), std::wstring::npos);
    EXPECT_FALSE(vantreel::BuildWlanProfileXml(L"", L"", false).has_value());
}

TEST(WlanProfile, SsidBytesToText) {
    DOT11_SSID ssid = Ssid(std::string(40, 'a'));
    ssid.uSSIDLength = 40;
    EXPECT_EQ(vantreel::SsidToWide(ssid), std::wstring(32, L'a'));
    EXPECT_EQ(vantreel::SsidToWide(Ssid(std::string("ab\xFF" "c"))), L"ab\xFFFD" L"c");
    EXPECT_EQ(vantreel::SsidToWide(Ssid(std::string())), L"");

    const uint8_t bytes[33] = {0x00, 0x9F, 0xFA};
    EXPECT_EQ(vantreel::HexEncode(bytes, 3), L"009FFA");
    EXPECT_EQ(vantreel::HexEncode(bytes, 33).size(), 64u);
}

TEST(WifiOnThisMachine, NoAdapterAndTheEthernetRow) {
    const auto state = ScanWifiNetworks(true);
    EXPECT_FALSE(state.adapterPresent);
    EXPECT_FALSE(state.radioOn);
    EXPECT_TRUE(state.networks.empty());
    bool connected = false;
    std::wstring name, speed, ipv4;
    vantreel::QueryEthernetStatus(connected, name, speed, ipv4);
    EXPECT_EQ(state.ethernetConnected, connected);
    EXPECT_EQ(state.ethernetName, name);
    EXPECT_EQ(state.ethernetSpeed, speed);
    EXPECT_EQ(state.ethernetIpv4, ipv4);

    EXPECT_FALSE(ConnectWifiNetwork({L"Lobby", L"", 60, false, false, false}, L""));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SetWifiEnabled(true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}
