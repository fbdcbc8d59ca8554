#pragma once
// Everything the top bar's status glyphs, clock and input-mode letter show,
// in one value record, and its collection: a fast mode that renews only the
// clock and the input-mode letter of a previous snapshot, and a full mode
// that also asks the audio, network, radio and power services.
//
// Collection never throws and keeps no state; a source that is missing or
// fails leaves its fields as its step describes. The calling thread must have
// COM initialised.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "system/WinRtRadios.h"

struct IAudioEndpointVolume;

namespace vantreel {

struct SystemStatusSnapshot {
    float volume = 0.5f;  // master volume of the default output, 0..1
    bool muted = false;
    bool volumeAvailable = false;
    bool internet = false;
    bool wifiConnected = false;
    uint32_t wifiSignalQuality = 0;  // 0..100
    bool ethernetConnected = false;
    bool bluetoothPresent = false;
    bool bluetoothOn = false;
    // The radio service did not answer: the two above are its last answer (or
    // the classic radio's, or none), not what holds now; drawn as unknown.
    bool bluetoothStale = false;
    bool hasBattery = false;
    bool acOnline = false;
    uint32_t batteryPercent = 100;
    int32_t batteryLifeSeconds = -1;  // -1: unknown, on mains power or without a battery
    std::wstring clockText;
    std::wstring inputIndicator = L"中";

    // Volumes compare as whole percent; every other field exactly.
    bool operator==(const SystemStatusSnapshot& other) const;
};

// What the default output's volume control answered.
struct VolumeReading {
    bool endpoint = false;       // a default output with a volume control exists
    std::optional<float> level;  // the master volume scalar, when it could be read
    std::optional<bool> muted;   // the mute state, when it could be read
};

// The first WLAN interface: its state, and its current connection's state and
// signal quality when that query succeeded.
struct WlanReading {
    int interfaceState = 0;  // WLAN_INTERFACE_STATE
    bool connectionRead = false;
    int connectionState = 0;
    uint32_t signalQuality = 0;
};

// Reads the level and mute state of a volume control; null reads as no output.
VolumeReading ReadEndpointVolume(IAudioEndpointVolume* endpoint);

// The system services a collection reads, replaceable to record their answers.
struct StatusSources {
    std::function<SYSTEMTIME()> localTime;
    std::function<std::wstring(HWND)> inputIndicator;
    std::function<VolumeReading()> volume;
    // The Network List Manager's NLM_CONNECTIVITY mask; nothing on failure.
    std::function<std::optional<uint32_t>()> connectivity;
    std::function<bool()> ethernetConnected;
    // Nothing when the WLAN service or the interface list fails or is empty.
    std::function<std::optional<WlanReading>()> wlan;
    // May throw std::system_error when its worker cannot start.
    std::function<RadioQueryResult()> winRtBluetooth;
    std::function<bool()> classicBluetoothRadio;
    std::function<std::optional<SYSTEM_POWER_STATUS>()> powerStatus;
};

// The real services; one object for the whole process, never destroyed.
const StatusSources& SystemStatusSources();

// Full, or fast with a previous snapshot (which is copied and then gets only
// a new clock and input indicator). `inputTarget` is the window whose input
// method the indicator describes; null means the foreground window.
SystemStatusSnapshot CollectSystemStatus(bool full, const SystemStatusSnapshot* previous, HWND inputTarget);
SystemStatusSnapshot CollectSystemStatus(const StatusSources& sources, bool full, const SystemStatusSnapshot* previous,
                                         HWND inputTarget);

// "12月9日 周三  07:05": month and day without leading zeros, the weekday
// character, two spaces, the time in 24 hours.
std::wstring FormatClockText(const SYSTEMTIME& time);

}  // namespace vantreel
