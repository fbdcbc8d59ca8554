#include "system/StatusSnapshot.h"

#include <wlanapi.h>

#include <algorithm>
#include <system_error>

namespace vantreel {
namespace {

// NLM_CONNECTIVITY: local network or internet over IPv4 or IPv6. The
// subnet-only bits do not count.
constexpr uint32_t kConnectedMask = 0x20 | 0x40 | 0x200 | 0x400;
constexpr BYTE kNoSystemBattery = 0x80;

void ReadVolume(const StatusSources& sources, SystemStatusSnapshot& status) {
    const VolumeReading reading = sources.volume();
    if (!reading.endpoint) {
        status.volumeAvailable = false;
        return;
    }
    if (reading.level) {
        status.volume = std::clamp(*reading.level, 0.0f, 1.0f);
        status.volumeAvailable = true;
    }
    if (reading.muted) status.muted = *reading.muted;
}

void ReadWifi(const StatusSources& sources, SystemStatusSnapshot& status) {
    status.wifiConnected = false;
    status.wifiSignalQuality = 0;
    const std::optional<WlanReading> reading = sources.wlan();
    if (!reading || reading->interfaceState != wlan_interface_state_connected || !reading->connectionRead ||
        reading->connectionState != wlan_interface_state_connected)
        return;
    status.wifiConnected = true;
    status.wifiSignalQuality = reading->signalQuality;
}

void ReadBluetooth(const StatusSources& sources, SystemStatusSnapshot& status) {
    RadioQueryResult radio;
    try {
        radio = sources.winRtBluetooth();
    } catch (const std::system_error&) {
        // No worker could be started: as a query that timed out with nothing known.
        radio = RadioQueryResult{};
        radio.stale = true;
    }
    status.bluetoothStale = radio.stale;
    if (radio.found) {
        status.bluetoothPresent = true;
        status.bluetoothOn = radio.on;
        return;
    }
    // A classic radio counts as present and on.
    const bool classic = sources.classicBluetoothRadio();
    status.bluetoothPresent = classic;
    status.bluetoothOn = classic;
}

void ReadBattery(const StatusSources& sources, SystemStatusSnapshot& status) {
    const std::optional<SYSTEM_POWER_STATUS> power = sources.powerStatus();
    if (!power || (power->BatteryFlag & kNoSystemBattery) || power->BatteryLifePercent > 100) {
        status.hasBattery = false;
        status.acOnline = false;
        status.batteryPercent = 100;
        status.batteryLifeSeconds = -1;
        return;
    }
    status.hasBattery = true;
    status.acOnline = power->ACLineStatus == 1;
    status.batteryPercent = power->BatteryLifePercent;
    status.batteryLifeSeconds = (power->BatteryLifeTime == static_cast<DWORD>(-1) || status.acOnline)
                                    ? -1
                                    : static_cast<int32_t>(power->BatteryLifeTime);
}

}  // namespace

std::wstring FormatClockText(const SYSTEMTIME& time) {
    static constexpr const wchar_t* kWeekdays[] = {L"日", L"一", L"二", L"三", L"四", L"五", L"六"};
    const wchar_t* weekday = kWeekdays[time.wDayOfWeek <= 6 ? time.wDayOfWeek : 0];
    wchar_t text[64] = {};
    _snwprintf(text, 63, L"%u月%u日 周%s  %02u:%02u", static_cast<unsigned>(time.wMonth),
               static_cast<unsigned>(time.wDay), weekday, static_cast<unsigned>(time.wHour),
               static_cast<unsigned>(time.wMinute));
    return text;
}

SystemStatusSnapshot CollectSystemStatus(const StatusSources& sources, bool full, const SystemStatusSnapshot* previous,
                                         HWND inputTarget) {
    SystemStatusSnapshot status;
    if (previous) status = *previous;
    status.clockText = FormatClockText(sources.localTime());
    status.inputIndicator = sources.inputIndicator(inputTarget);
    if (!full && previous) return status;

    ReadVolume(sources, status);
    const std::optional<uint32_t> connectivity = sources.connectivity();
    status.internet = connectivity && (*connectivity & kConnectedMask) != 0;
    status.ethernetConnected = sources.ethernetConnected();
    ReadWifi(sources, status);
    ReadBluetooth(sources, status);
    ReadBattery(sources, status);
    return status;
}

SystemStatusSnapshot CollectSystemStatus(bool full, const SystemStatusSnapshot* previous, HWND inputTarget) {
    return CollectSystemStatus(SystemStatusSources(), full, previous, inputTarget);
}

}  // namespace vantreel
