#include "system/BluetoothDevices.h"

#include <algorithm>
#include <cwchar>
#include <system_error>

namespace vantreel {
namespace {

// The radio is searched for with the record's size field of the interface's
// first version.
constexpr DWORD kFindRadioParamsSize = 4;

bool HasClassicRadio(const BluetoothApi& api) {
    BLUETOOTH_FIND_RADIO_PARAMS params{};
    params.dwSize = kFindRadioParamsSize;
    HANDLE radio = nullptr;
    HBLUETOOTH_RADIO_FIND find = api.findFirstRadio(&params, &radio);
    if (!find) return false;
    if (radio) api.closeHandle(radio);
    api.findRadioClose(find);
    return true;
}

std::vector<BluetoothDevice> SearchDevices(const BluetoothApi& api) {
    BLUETOOTH_DEVICE_SEARCH_PARAMS search{};
    search.dwSize = sizeof(search);
    search.fReturnAuthenticated = TRUE;
    search.fReturnRemembered = TRUE;
    search.fReturnUnknown = FALSE;
    search.fReturnConnected = TRUE;
    search.fIssueInquiry = FALSE;
    search.cTimeoutMultiplier = 0;
    search.hRadio = nullptr;  // every radio
    BLUETOOTH_DEVICE_INFO info{};
    info.dwSize = sizeof(info);

    std::vector<BluetoothDevice> devices;
    HBLUETOOTH_DEVICE_FIND find = api.findFirstDevice(&search, &info);
    if (!find) return devices;
    do {
        const size_t length = wcsnlen(info.szName, BLUETOOTH_MAX_NAME_SIZE);
        if (length > 0)
            devices.push_back({std::wstring(info.szName, length), info.fConnected != FALSE, info.fRemembered != FALSE});
    } while (api.findNextDevice(find, &info));
    api.findDeviceClose(find);
    return devices;
}

BluetoothApi MakeSystemBluetoothApi() {
    BluetoothApi api;
    api.queryWinRtRadio = [] { return QueryWinRtRadioState(RadioKind::Bluetooth); };
    api.findFirstRadio = [](BLUETOOTH_FIND_RADIO_PARAMS* params, HANDLE* radio) {
        return BluetoothFindFirstRadio(params, radio);
    };
    api.findRadioClose = [](HBLUETOOTH_RADIO_FIND find) { return BluetoothFindRadioClose(find); };
    api.closeHandle = [](HANDLE handle) { return CloseHandle(handle); };
    api.findFirstDevice = [](BLUETOOTH_DEVICE_SEARCH_PARAMS* params, BLUETOOTH_DEVICE_INFO* info) {
        return BluetoothFindFirstDevice(params, info);
    };
    api.findNextDevice = [](HBLUETOOTH_DEVICE_FIND find, BLUETOOTH_DEVICE_INFO* info) {
        return BluetoothFindNextDevice(find, info);
    };
    api.findDeviceClose = [](HBLUETOOTH_DEVICE_FIND find) { return BluetoothFindDeviceClose(find); };
    return api;
}

}  // namespace

void SortBluetoothDevices(std::vector<BluetoothDevice>& devices) {
    std::sort(devices.begin(), devices.end(), [](const BluetoothDevice& a, const BluetoothDevice& b) {
        if (a.connected != b.connected) return a.connected;
        return a.name < b.name;
    });
}

const BluetoothApi& SystemBluetoothApi() {
    static const BluetoothApi* api = new BluetoothApi(MakeSystemBluetoothApi());
    return *api;
}

BluetoothState ListBluetoothDevices() { return ListBluetoothDevices(SystemBluetoothApi()); }

BluetoothState ListBluetoothDevices(const BluetoothApi& api) {
    BluetoothState state;
    const RadioQueryResult radio = QueryRadioOrStale(api.queryWinRtRadio);
    state.radioStale = radio.stale;
    if (radio.found) {
        state.radioPresent = true;
        state.radioOn = radio.on;
    } else if (HasClassicRadio(api)) {
        state.radioPresent = true;
        state.radioOn = true;  // a classic radio that is present counts as on
    } else {
        return state;
    }
    state.devices = SearchDevices(api);
    SortBluetoothDevices(state.devices);
    return state;
}

}  // namespace vantreel
