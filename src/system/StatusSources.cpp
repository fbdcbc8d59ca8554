// The real services behind the status snapshot.

#include <winsock2.h>
#include <windows.h>
#include <bluetoothapis.h>
#include <netlistmgr.h>
#include <wlanapi.h>
#include <wrl/client.h>

#include "platform/UniqueHandle.h"
#include "system/DefaultEndpointVolume.h"
#include "system/EthernetStatus.h"
#include "system/InputMethods.h"
#include "system/StatusSnapshot.h"
#include "system/WlanClient.h"

using Microsoft::WRL::ComPtr;

namespace vantreel {
namespace {

VolumeReading ReadDefaultVolume() { return ReadEndpointVolume(GetDefaultEndpointVolume().Get()); }

std::optional<uint32_t> ReadConnectivity() {
    ComPtr<INetworkListManager> manager;
    if (FAILED(CoCreateInstance(__uuidof(NetworkListManager), nullptr, CLSCTX_ALL, __uuidof(INetworkListManager),
                                reinterpret_cast<void**>(manager.GetAddressOf()))) ||
        !manager)
        return std::nullopt;
    NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
    if (FAILED(manager->GetConnectivity(&connectivity))) return std::nullopt;
    return static_cast<uint32_t>(connectivity);
}

bool ReadEthernetConnected() {
    bool connected = false;
    std::wstring name, speed, ipv4;
    QueryEthernetStatus(connected, name, speed, ipv4);
    return connected;
}

std::optional<WlanReading> ReadWlan() {
    const WlanClient owner;
    if (!owner) return std::nullopt;
    HANDLE client = owner.get();
    std::optional<WlanReading> reading;
    WLAN_INTERFACE_INFO_LIST* interfaces = nullptr;
    if (WlanEnumInterfaces(client, nullptr, &interfaces) == ERROR_SUCCESS && interfaces &&
        interfaces->dwNumberOfItems > 0) {
        // Only the first interface counts.
        const WLAN_INTERFACE_INFO& first = interfaces->InterfaceInfo[0];
        reading = WlanReading{};
        reading->interfaceState = first.isState;
        if (first.isState == wlan_interface_state_connected) {
            DWORD size = 0;
            void* data = nullptr;
            if (WlanQueryInterface(client, &first.InterfaceGuid, wlan_intf_opcode_current_connection, nullptr, &size,
                                   &data, nullptr) == ERROR_SUCCESS &&
                data) {
                const auto* connection = static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(data);
                reading->connectionRead = true;
                reading->connectionState = connection->isState;
                reading->signalQuality = connection->wlanAssociationAttributes.wlanSignalQuality;
            }
            if (data) WlanFreeMemory(data);
        }
    }
    if (interfaces) WlanFreeMemory(interfaces);
    return reading;
}

bool HasClassicBluetoothRadio() {
    BLUETOOTH_FIND_RADIO_PARAMS params{};
    params.dwSize = sizeof(params);
    HANDLE radio = nullptr;
    HBLUETOOTH_RADIO_FIND find = BluetoothFindFirstRadio(&params, &radio);
    if (!find) return false;
    const platform::UniqueHandle found(radio);  // only that there is one matters
    BluetoothFindRadioClose(find);
    return true;
}

std::optional<SYSTEM_POWER_STATUS> ReadPowerStatus() {
    SYSTEM_POWER_STATUS power{};
    if (!GetSystemPowerStatus(&power)) return std::nullopt;
    return power;
}

StatusSources MakeSystemStatusSources() {
    StatusSources sources;
    sources.localTime = [] {
        SYSTEMTIME time{};
        GetLocalTime(&time);
        return time;
    };
    sources.inputIndicator = [](HWND target) { return GetInputModeIndicator(target); };
    sources.volume = ReadDefaultVolume;
    sources.connectivity = ReadConnectivity;
    sources.ethernetConnected = ReadEthernetConnected;
    sources.wlan = ReadWlan;
    sources.winRtBluetooth = [] { return QueryWinRtRadioState(RadioKind::Bluetooth); };
    sources.classicBluetoothRadio = HasClassicBluetoothRadio;
    sources.powerStatus = ReadPowerStatus;
    return sources;
}

}  // namespace

VolumeReading ReadEndpointVolume(IAudioEndpointVolume* endpoint) {
    VolumeReading reading;
    if (!endpoint) return reading;
    reading.endpoint = true;
    float level = 0.0f;
    if (SUCCEEDED(endpoint->GetMasterVolumeLevelScalar(&level))) reading.level = level;
    BOOL muted = FALSE;
    if (SUCCEEDED(endpoint->GetMute(&muted))) reading.muted = muted != FALSE;
    return reading;
}

const StatusSources& SystemStatusSources() {
    // Never destroyed: the bar's status worker may still collect while the
    // process ends.
    static const StatusSources* sources = new StatusSources(MakeSystemStatusSources());
    return *sources;
}

}  // namespace vantreel
