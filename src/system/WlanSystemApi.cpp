// The real Native Wi-Fi calls behind the Wi-Fi service: each copies what the
// service returned into plain records and frees the service's block at once.

#include <winsock2.h>
#include <windows.h>
#include <wlanapi.h>

#include <cstring>

#include "system/WifiService.h"
#include "system/WlanClient.h"

namespace vantreel {
namespace {

std::optional<std::vector<WlanInterfaceRecord>> Interfaces(HANDLE client) {
    WLAN_INTERFACE_INFO_LIST* list = nullptr;
    if (WlanEnumInterfaces(client, nullptr, &list) != ERROR_SUCCESS || !list) {
        if (list) WlanFreeMemory(list);
        return std::nullopt;
    }
    std::vector<WlanInterfaceRecord> records;
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
        const WLAN_INTERFACE_INFO& info = list->InterfaceInfo[i];
        records.push_back({info.InterfaceGuid, info.strInterfaceDescription, static_cast<int>(info.isState)});
    }
    WlanFreeMemory(list);
    return records;
}

// A block returned by WlanQueryInterface, freed when it goes.
struct QueriedBlock {
    void* data = nullptr;
    DWORD size = 0;
    ~QueriedBlock() {
        if (data) WlanFreeMemory(data);
    }
};

std::optional<std::vector<WLAN_PHY_RADIO_STATE>> RadioState(HANDLE client, const GUID& interfaceGuid) {
    QueriedBlock block;
    if (WlanQueryInterface(client, &interfaceGuid, wlan_intf_opcode_radio_state, nullptr, &block.size, &block.data,
                           nullptr) != ERROR_SUCCESS ||
        !block.data || block.size < sizeof(DWORD))
        return std::nullopt;
    const auto* radio = static_cast<const WLAN_RADIO_STATE*>(block.data);
    DWORD count = radio->dwNumberOfPhys;
    if (count > WLAN_MAX_PHY_INDEX) count = WLAN_MAX_PHY_INDEX;
    // No PHY listed is no answer: the callers then take their fallbacks.
    if (count == 0) return std::nullopt;
    return std::vector<WLAN_PHY_RADIO_STATE>(radio->PhyRadioState, radio->PhyRadioState + count);
}

bool SetRadioState(HANDLE client, const GUID& interfaceGuid, const WLAN_PHY_RADIO_STATE& state) {
    WLAN_PHY_RADIO_STATE copy = state;
    return WlanSetInterface(client, &interfaceGuid, wlan_intf_opcode_radio_state, sizeof(copy), &copy, nullptr) ==
           ERROR_SUCCESS;
}

std::optional<WlanConnectionRecord> CurrentConnection(HANDLE client, const GUID& interfaceGuid) {
    QueriedBlock block;
    if (WlanQueryInterface(client, &interfaceGuid, wlan_intf_opcode_current_connection, nullptr, &block.size,
                           &block.data, nullptr) != ERROR_SUCCESS ||
        !block.data)
        return std::nullopt;
    const auto* connection = static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(block.data);
    WlanConnectionRecord record;
    record.state = connection->isState;
    record.ssid = connection->wlanAssociationAttributes.dot11Ssid;
    record.signalQuality = connection->wlanAssociationAttributes.wlanSignalQuality;
    return record;
}

void Scan(HANDLE client, const GUID& interfaceGuid) { WlanScan(client, &interfaceGuid, nullptr, nullptr, nullptr); }

std::optional<std::vector<WlanAvailableNetworkRecord>> AvailableNetworks(HANDLE client, const GUID& interfaceGuid,
                                                                         DWORD flags) {
    WLAN_AVAILABLE_NETWORK_LIST* list = nullptr;
    if (WlanGetAvailableNetworkList(client, &interfaceGuid, flags, nullptr, &list) != ERROR_SUCCESS || !list) {
        if (list) WlanFreeMemory(list);
        return std::nullopt;
    }
    std::vector<WlanAvailableNetworkRecord> records;
    records.reserve(list->dwNumberOfItems);
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
        const WLAN_AVAILABLE_NETWORK& entry = list->Network[i];
        WlanAvailableNetworkRecord record;
        record.ssid = entry.dot11Ssid;
        record.profileName.assign(entry.strProfileName,
                                  wcsnlen(entry.strProfileName, sizeof(entry.strProfileName) / sizeof(wchar_t)));
        record.signalQuality = entry.wlanSignalQuality;
        record.securityEnabled = entry.bSecurityEnabled != FALSE;
        record.flags = entry.dwFlags;
        records.push_back(std::move(record));
    }
    WlanFreeMemory(list);
    return records;
}

bool SetProfile(HANDLE client, const GUID& interfaceGuid, const std::wstring& xml) {
    DWORD reason = 0;
    return WlanSetProfile(client, &interfaceGuid, 0, xml.c_str(), nullptr, TRUE, nullptr, &reason) == ERROR_SUCCESS;
}

bool Connect(HANDLE client, const GUID& interfaceGuid, const std::wstring& profile) {
    WLAN_CONNECTION_PARAMETERS parameters{};
    parameters.wlanConnectionMode = wlan_connection_mode_profile;
    parameters.strProfile = profile.c_str();
    parameters.pDot11Ssid = nullptr;
    parameters.pDesiredBssidList = nullptr;
    parameters.dot11BssType = dot11_BSS_type_infrastructure;
    parameters.dwFlags = 0;
    return WlanConnect(client, &interfaceGuid, &parameters, nullptr) == ERROR_SUCCESS;
}

EthernetStatus ReadEthernet() {
    EthernetStatus status;
    QueryEthernetStatus(status.connected, status.name, status.speed, status.ipv4);
    return status;
}

WlanApi MakeSystemWlanApi() {
    WlanApi api;
    api.open = OpenWlanClient;
    api.close = CloseWlanClient;
    api.interfaces = Interfaces;
    api.radioState = RadioState;
    api.setRadioState = SetRadioState;
    api.currentConnection = CurrentConnection;
    api.scan = Scan;
    api.availableNetworks = AvailableNetworks;
    api.setProfile = SetProfile;
    api.connect = Connect;
    api.ethernet = ReadEthernet;
    api.queryWinRtRadio = [] { return QueryWinRtRadioState(RadioKind::WiFi); };
    api.setWinRtRadio = [](bool on) { return SetWinRtRadioState(RadioKind::WiFi, on); };
    return api;
}

}  // namespace

const WlanApi& SystemWlanApi() {
    static const WlanApi* api = new WlanApi(MakeSystemWlanApi());
    return *api;
}

}  // namespace vantreel
