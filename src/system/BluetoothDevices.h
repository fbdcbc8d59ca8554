#pragma once
// The Bluetooth popover's and control center's view of Bluetooth: whether a
// radio exists and is on (the Windows Runtime radio, else a classic radio,
// which counts as on) and the paired or connected devices, connected ones
// first. Reads only; switching is the Windows Runtime radio switch. Never
// throws.

#include <windows.h>
#include <bluetoothapis.h>

#include <functional>
#include <string>
#include <vector>

#include "system/WinRtRadios.h"

namespace vantreel {

struct BluetoothDevice {
    std::wstring name;  // never empty
    bool connected = false;
    bool remembered = false;  // paired
};

struct BluetoothState {
    bool radioPresent = false;
    bool radioOn = false;
    std::vector<BluetoothDevice> devices;  // sorted by SortBluetoothDevices
    // The radio service did not answer: the two flags are its last answer.
    bool radioStale = false;
};

// The records handed to bthprops, in the sizes its interface fixes.
static_assert(sizeof(BLUETOOTH_DEVICE_SEARCH_PARAMS) == 40, "device search record");
static_assert(sizeof(BLUETOOTH_DEVICE_INFO) == 560, "device information record");

// The bthprops calls, and the Windows Runtime radio query (which may throw
// std::system_error when its worker cannot start), replaceable to record
// their answers.
struct BluetoothApi {
    std::function<RadioQueryResult()> queryWinRtRadio;
    std::function<HBLUETOOTH_RADIO_FIND(BLUETOOTH_FIND_RADIO_PARAMS*, HANDLE* radio)> findFirstRadio;
    std::function<BOOL(HBLUETOOTH_RADIO_FIND)> findRadioClose;
    std::function<BOOL(HANDLE)> closeHandle;
    std::function<HBLUETOOTH_DEVICE_FIND(BLUETOOTH_DEVICE_SEARCH_PARAMS*, BLUETOOTH_DEVICE_INFO*)> findFirstDevice;
    std::function<BOOL(HBLUETOOTH_DEVICE_FIND, BLUETOOTH_DEVICE_INFO*)> findNextDevice;
    std::function<BOOL(HBLUETOOTH_DEVICE_FIND)> findDeviceClose;
};

// The real calls; one object for the process, never destroyed.
const BluetoothApi& SystemBluetoothApi();

BluetoothState ListBluetoothDevices();
BluetoothState ListBluetoothDevices(const BluetoothApi& api);

// Connected before unconnected, then by name in code-unit order.
void SortBluetoothDevices(std::vector<BluetoothDevice>& devices);

}  // namespace vantreel
