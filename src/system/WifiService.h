#pragma once
// Wi-Fi for the top bar's Wi-Fi popover and the control center: the first
// WLAN interface, its radio, its connection, the visible networks (one per
// SSID, sorted) and the Ethernet row; switching the radio; connecting to a
// network, writing a profile when it has no usable saved one. Synchronous,
// stateless, never throwing; failures read as false, empty or no networks.

#include <windows.h>
#include <wlanapi.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "system/EthernetStatus.h"
#include "system/WinRtRadios.h"

namespace vantreel {

// One visible network.
struct WifiNetwork {
    std::wstring ssid;         // never empty
    std::wstring profileName;  // a saved profile for it, empty when none
    uint32_t signal = 0;       // best signal quality of its entries, 0..100
    bool connected = false;
    bool secured = false;  // from the first entry of the SSID
    bool hasProfile = false;
};

struct WifiPanelState {
    bool adapterPresent = false;
    bool radioOn = false;
    // The radio was read from a radio service that did not answer: its last answer.
    bool radioStale = false;
    bool connected = false;
    std::wstring interfaceDescription;
    std::wstring connectedSsid;
    uint32_t connectedSignal = 0;
    bool ethernetConnected = false;
    std::wstring ethernetName;
    std::wstring ethernetSpeed;
    std::wstring ethernetIpv4;
    std::vector<WifiNetwork> networks;  // one per SSID, sorted by SortWifiNetworks
};

// What the Native Wi-Fi service answers, as plain records.
struct WlanInterfaceRecord {
    GUID guid{};
    std::wstring description;
    int state = 0;  // WLAN_INTERFACE_STATE
};

struct WlanConnectionRecord {
    int state = 0;  // WLAN_INTERFACE_STATE of the connection
    DOT11_SSID ssid{};
    uint32_t signalQuality = 0;
};

struct WlanAvailableNetworkRecord {
    DOT11_SSID ssid{};
    std::wstring profileName;
    uint32_t signalQuality = 0;
    bool securityEnabled = false;
    DWORD flags = 0;  // WLAN_AVAILABLE_NETWORK_CONNECTED, WLAN_AVAILABLE_NETWORK_HAS_PROFILE
};

// The Native Wi-Fi calls on one client handle, and the neighbouring services
// the Wi-Fi service consults, replaceable to record their answers. The real
// table frees every block the service returns before answering.
struct WlanApi {
    std::function<HANDLE()> open;  // null when the service cannot be opened
    std::function<void(HANDLE)> close;
    // Nothing when the enumeration fails or returns no list.
    std::function<std::optional<std::vector<WlanInterfaceRecord>>(HANDLE)> interfaces;
    // The PHYs' radio states; nothing when the query fails or returns nothing.
    std::function<std::optional<std::vector<WLAN_PHY_RADIO_STATE>>(HANDLE, const GUID&)> radioState;
    std::function<bool(HANDLE, const GUID&, const WLAN_PHY_RADIO_STATE&)> setRadioState;
    std::function<std::optional<WlanConnectionRecord>(HANDLE, const GUID&)> currentConnection;
    std::function<void(HANDLE, const GUID&)> scan;
    std::function<std::optional<std::vector<WlanAvailableNetworkRecord>>(HANDLE, const GUID&, DWORD flags)>
        availableNetworks;
    std::function<bool(HANDLE, const GUID&, const std::wstring& profileXml)> setProfile;  // overwriting
    std::function<bool(HANDLE, const GUID&, const std::wstring& profileName)> connect;
    // Neighbours: the Ethernet row and the Windows Runtime radio fallbacks
    // (which may throw std::system_error when their worker cannot start).
    std::function<EthernetStatus()> ethernet;
    std::function<RadioQueryResult()> queryWinRtRadio;
    std::function<bool(bool on)> setWinRtRadio;
};

// The real calls; one object for the process, never destroyed.
const WlanApi& SystemWlanApi();

// The radio, connection and visible networks of the first interface, with the
// Ethernet row; with `scan` and the radio on it also asks for a fresh scan.
WifiPanelState ScanWifiNetworks(bool scan);
WifiPanelState ScanWifiNetworks(const WlanApi& api, bool scan);

// Switches the first interface's radio, falling back to the Windows Runtime
// radio; true when the state was set.
bool SetWifiEnabled(bool on);
bool SetWifiEnabled(const WlanApi& api, bool on);

// Asks the service to connect; true when it accepted the request. A secured
// network with neither a password nor a saved profile is not tried.
bool ConnectWifiNetwork(const WifiNetwork& network, const std::wstring& password);
bool ConnectWifiNetwork(const WlanApi& api, const WifiNetwork& network, const std::wstring& password);

// One network per non-empty SSID: connected if any entry is, the first saved
// profile found, the best signal, security as first seen; sorted.
std::vector<WifiNetwork> MergeWifiNetworks(const std::vector<WlanAvailableNetworkRecord>& entries);

// Connected first, then those with a saved profile, then by signal (strongest
// first), then by SSID in code-unit order.
void SortWifiNetworks(std::vector<WifiNetwork>& networks);

}  // namespace vantreel
