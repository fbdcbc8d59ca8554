#pragma once
// Every system call the bar's drop-down panel makes, as one table of
// functions. The default constructor fills each with the real call; tests
// replace members to feed recorded answers and log what the panel asks for.

#include <windows.h>
#include <endpointvolume.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "system/AudioDevices.h"
#include "system/BluetoothDevices.h"
#include "system/Brightness.h"
#include "system/Hotspot.h"
#include "system/PowerSchemes.h"
#include "system/StatusSnapshot.h"
#include "system/WifiService.h"
#include "system/WinRtRadios.h"
#include "system/tray/TrayIconInfo.h"

struct PopoverServices {
    // ---- reads ----
    // A full collection with no previous snapshot and no input window.
    std::function<vantreel::SystemStatusSnapshot()> collectStatus;
    std::function<std::vector<vantreel::AudioDevice>()> audioOutputDevices;
    std::function<vantreel::WifiPanelState(bool scan)> scanWifi;
    std::function<vantreel::BluetoothState()> bluetoothDevices;
    std::function<vantreel::PowerModeInfo()> powerSchemeSummary;
    std::function<std::vector<vantreel::PowerScheme>()> powerSchemes;
    std::function<vantreel::HotspotStatusInfo()> hotspotStatus;
    std::function<bool()> keepAwakeFlag;
    std::function<bool()> desktopIconsVisible;
    std::function<vantreel::BrightnessInfo(HMONITOR)> displayBrightness;
    std::function<std::vector<TrayIconInfo>()> trayIcons;

    // ---- actions ----
    // The default output's volume control; null when there is none.
    std::function<Microsoft::WRL::ComPtr<IAudioEndpointVolume>()> endpointVolume;
    std::function<bool(float delta)> adjustVolumeBy;
    // Makes the device the default output for the console, multimedia and
    // communications roles; failures are ignored.
    std::function<void(const std::wstring& deviceId)> setDefaultEndpoint;
    std::function<bool(HMONITOR, int32_t percent)> setDisplayBrightness;
    std::function<bool(bool on)> setWifiEnabled;
    std::function<bool(const vantreel::WifiNetwork& network, const std::wstring& password)> connectWifi;
    // Disconnects the first WLAN interface; every failure is silent.
    std::function<void()> disconnectWifi;
    // Runs a nested loop; nothing when cancelled.
    std::function<std::optional<std::wstring>(HINSTANCE instance, HWND owner, const std::wstring& ssid, float scale)>
        promptWifiPassword;
    std::function<bool(vantreel::RadioKind kind, bool on)> setRadioState;
    std::function<bool(bool on)> setKeepAwake;
    std::function<DWORD(const GUID& scheme)> setActivePowerScheme;
    // Called on the switch's own thread; may throw.
    std::function<bool(bool on)> setHotspotEnabled;
    std::function<HWND()> findDesktopView;
    // The view's "show desktop icons" command, waiting at most 500 ms.
    std::function<void(HWND view)> toggleDesktopIcons;
    // ShellExecuteW "open" with SW_SHOWNORMAL; the result is ignored.
    std::function<void(const std::wstring& target)> shellOpen;
    std::function<bool()> lockWorkStation;
    // Broadcasts the monitors' power-off.
    std::function<void()> monitorPowerOff;
    std::function<uint32_t(uint16_t virtualKey)> sendWinKeyChord;
    std::function<void(const std::wstring& key)> forgetTrayIcon;
    std::function<void(const TrayIconInfo& icon)> closeTrayApp;
    std::function<void(const TrayIconInfo& icon)> activateTrayIcon;
    // The application behind a tray row still runs (TrayIconInfo::OwnerRunning).
    std::function<bool(const TrayIconInfo& icon)> trayAppRunning;
    std::function<std::vector<uint8_t>(const std::wstring& path, IWICImagingFactory* factory, int edge)> loadFileIcon;
    std::function<std::vector<uint8_t>(const std::vector<uint8_t>& pixels, int edge, bool dark)> makeTemplateIcon;

    // ---- threads and time ----
    // Runs the procedure on a new detached thread; false when none could start.
    std::function<bool(LPTHREAD_START_ROUTINE procedure, void* parameter)> startThread;
    // Runs the body on a new detached thread; throws std::system_error when none can start.
    std::function<void(std::function<void()> body)> startWorker;
    std::function<uint64_t()> tickCount;
    std::function<SYSTEMTIME()> localTime;
    std::function<HWND()> foregroundWindow;

    PopoverServices();
};
