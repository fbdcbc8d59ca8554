#include <gtest/gtest.h>

#include <windows.h>
#include <bluetoothapis.h>

#include <chrono>
#include <string>
#include <system_error>
#include <vector>

#include "system/BluetoothDevices.h"

using vantreel::BluetoothApi;
using vantreel::BluetoothDevice;
using vantreel::ListBluetoothDevices;
using vantreel::RadioQueryResult;

namespace {

struct DeviceSpec {
    std::wstring name;
    bool connected = false;
    bool remembered = true;
};

HBLUETOOTH_RADIO_FIND const kRadioFind = reinterpret_cast<HBLUETOOTH_RADIO_FIND>(0x71);
HANDLE const kRadio = reinterpret_cast<HANDLE>(0x72);
HBLUETOOTH_DEVICE_FIND const kDeviceFind = reinterpret_cast<HBLUETOOTH_DEVICE_FIND>(0x73);

// One machine's bthprops and Windows Runtime radio, answering from recorded
// values and logging what was asked.
struct RecordedBluetooth {
    RadioQueryResult winRt;
    bool winRtThrows = false;
    bool classicRadio = false;
    std::vector<DeviceSpec> devices;

    DWORD radioParamsSize = 0;
    BLUETOOTH_DEVICE_SEARCH_PARAMS search{};
    int deviceSearches = 0, radioClosed = 0, handlesClosed = 0, searchesClosed = 0;
    size_t next = 0;

    void Fill(BLUETOOTH_DEVICE_INFO* info) {
        EXPECT_EQ(info->dwSize, sizeof(BLUETOOTH_DEVICE_INFO));
        const DeviceSpec& spec = devices[next++];
        memset(info->szName, 0, sizeof(info->szName));
        wcsncpy(info->szName, spec.name.c_str(), BLUETOOTH_MAX_NAME_SIZE - 1);
        info->fConnected = spec.connected;
        info->fRemembered = spec.remembered;
    }

    BluetoothApi Api() {
        BluetoothApi api;
        api.queryWinRtRadio = [this] {
            if (winRtThrows) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return winRt;
        };
        api.findFirstRadio = [this](BLUETOOTH_FIND_RADIO_PARAMS* params, HANDLE* radio) {
            radioParamsSize = params->dwSize;
            if (!classicRadio) return HBLUETOOTH_RADIO_FIND(nullptr);
            *radio = kRadio;
            return kRadioFind;
        };
        api.findRadioClose = [this](HBLUETOOTH_RADIO_FIND find) {
            EXPECT_EQ(find, kRadioFind);
            ++radioClosed;
            return TRUE;
        };
        api.closeHandle = [this](HANDLE handle) {
            EXPECT_EQ(handle, kRadio);
            ++handlesClosed;
            return TRUE;
        };
        api.findFirstDevice = [this](BLUETOOTH_DEVICE_SEARCH_PARAMS* params, BLUETOOTH_DEVICE_INFO* info) {
            ++deviceSearches;
            search = *params;
            next = 0;
            if (devices.empty()) return HBLUETOOTH_DEVICE_FIND(nullptr);
            Fill(info);
            return kDeviceFind;
        };
        api.findNextDevice = [this](HBLUETOOTH_DEVICE_FIND find, BLUETOOTH_DEVICE_INFO* info) {
            EXPECT_EQ(find, kDeviceFind);
            if (next >= devices.size()) return FALSE;
            Fill(info);
            return TRUE;
        };
        api.findDeviceClose = [this](HBLUETOOTH_DEVICE_FIND find) {
            EXPECT_EQ(find, kDeviceFind);
            ++searchesClosed;
            return TRUE;
        };
        return api;
    }
};

std::vector<std::wstring> Names(const std::vector<BluetoothDevice>& devices) {
    std::vector<std::wstring> names;
    for (const BluetoothDevice& device : devices) names.push_back(device.name);
    return names;
}

}  // namespace

TEST(BluetoothDevices, AnOffRuntimeRadioStillListsRememberedDevices) {
    RecordedBluetooth bluetooth;
    bluetooth.winRt = {true, false};
    bluetooth.devices = {{L"mouse"}, {L"Keyboard", true}, {L""}, {L"Headset", false, false}, {L"Buds", true}};
    const auto state = ListBluetoothDevices(bluetooth.Api());
    EXPECT_TRUE(state.radioPresent);
    EXPECT_FALSE(state.radioOn);
    EXPECT_EQ(Names(state.devices), (std::vector<std::wstring>{L"Buds", L"Keyboard", L"Headset", L"mouse"}));
    EXPECT_TRUE(state.devices[0].connected);
    EXPECT_TRUE(state.devices[0].remembered);
    EXPECT_FALSE(state.devices[2].connected);
    EXPECT_FALSE(state.devices[2].remembered);
    EXPECT_EQ(bluetooth.radioParamsSize, 0u) << "no classic search when the runtime radio was found";
    EXPECT_EQ(bluetooth.searchesClosed, 1);

    // The search record, field by field.
    const BLUETOOTH_DEVICE_SEARCH_PARAMS& search = bluetooth.search;
    EXPECT_EQ(search.dwSize, 40u);
    EXPECT_TRUE(search.fReturnAuthenticated);
    EXPECT_TRUE(search.fReturnRemembered);
    EXPECT_FALSE(search.fReturnUnknown);
    EXPECT_TRUE(search.fReturnConnected);
    EXPECT_FALSE(search.fIssueInquiry);
    EXPECT_EQ(search.cTimeoutMultiplier, 0);
    EXPECT_EQ(search.hRadio, nullptr);
}

TEST(BluetoothDevices, AClassicRadioCountsAsOn) {
    RecordedBluetooth bluetooth;
    bluetooth.classicRadio = true;
    const auto state = ListBluetoothDevices(bluetooth.Api());
    EXPECT_TRUE(state.radioPresent);
    EXPECT_TRUE(state.radioOn);
    EXPECT_TRUE(state.devices.empty());
    EXPECT_EQ(bluetooth.radioParamsSize, 4u);
    EXPECT_EQ(bluetooth.handlesClosed, 1);
    EXPECT_EQ(bluetooth.radioClosed, 1);
    EXPECT_EQ(bluetooth.deviceSearches, 1);
    EXPECT_EQ(bluetooth.searchesClosed, 0) << "nothing found, nothing to close";
}

TEST(BluetoothDevices, NoRadioSearchesNoDevices) {
    RecordedBluetooth bluetooth;
    bluetooth.devices = {{L"Buds", true}};
    auto state = ListBluetoothDevices(bluetooth.Api());
    EXPECT_FALSE(state.radioPresent);
    EXPECT_FALSE(state.radioOn);
    EXPECT_TRUE(state.devices.empty());
    EXPECT_EQ(bluetooth.deviceSearches, 0);

    // A radio worker that cannot start reads as no runtime radio.
    bluetooth.winRtThrows = true;
    bluetooth.classicRadio = true;
    state = ListBluetoothDevices(bluetooth.Api());
    EXPECT_TRUE(state.radioOn);
    EXPECT_EQ(state.devices.size(), 1u);
}

TEST(BluetoothOnThisMachine, NoRadio) {
    const auto start = std::chrono::steady_clock::now();
    const auto state = ListBluetoothDevices();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_FALSE(state.radioPresent);
    EXPECT_FALSE(state.radioOn);
    EXPECT_TRUE(state.devices.empty());
}
