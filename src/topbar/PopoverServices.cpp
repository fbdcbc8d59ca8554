#include "topbar/PopoverServices.h"

#include <powrprof.h>
#include <shellapi.h>
#include <wlanapi.h>

#include <system_error>

#include "apps/ShortcutChain.h"
#include "platform/DetachedThread.h"
#include "system/DefaultAudioOutput.h"
#include "system/DefaultEndpointVolume.h"
#include "system/DesktopIcons.h"
#include "system/InputMethods.h"
#include "system/KeepAwake.h"
#include "system/tray/TrayClose.h"
#include "system/tray/TrayFileIcon.h"
#include "system/tray/TrayIconPixels.h"
#include "system/tray/TrayMonitor.h"
#include "system/WlanClient.h"
#include "topbar/WifiPasswordDialog.h"

namespace {

// The desktop view's command that shows or hides its icons.
constexpr WPARAM kToggleDesktopIconsCommand = 0x7402;

void DisconnectFirstWlanInterface() {
    const vantreel::WlanClient owner;
    if (!owner) return;
    HANDLE client = owner.get();
    WLAN_INTERFACE_INFO_LIST* list = nullptr;
    if (WlanEnumInterfaces(client, nullptr, &list) == ERROR_SUCCESS && list && list->dwNumberOfItems > 0) {
        WlanDisconnect(client, &list->InterfaceInfo[0].InterfaceGuid, nullptr);
    }
    if (list) WlanFreeMemory(list);
}

}  // namespace

PopoverServices::PopoverServices()
    : collectStatus([] { return vantreel::CollectSystemStatus(true, nullptr, nullptr); }),
      audioOutputDevices([] { return vantreel::EnumerateAudioOutputDevices(); }),
      scanWifi([](bool scan) { return vantreel::ScanWifiNetworks(scan); }),
      bluetoothDevices([] { return vantreel::ListBluetoothDevices(); }),
      powerSchemeSummary([] { return vantreel::GetActivePowerSchemeSummary(); }),
      powerSchemes([] { return vantreel::EnumeratePowerSchemes(); }),
      hotspotStatus([] { return vantreel::QueryHotspotStatus(); }),
      keepAwakeFlag([] { return KeepAwakeFlag.load(); }),
      desktopIconsVisible([] { return vantreel::AreDesktopIconsVisible(); }),
      displayBrightness([](HMONITOR monitor) { return vantreel::GetDisplayBrightness(monitor); }),
      trayIcons([] { return GetTrayIconsSnapshot(); }),
      endpointVolume([] { return vantreel::GetDefaultEndpointVolume(); }),
      adjustVolumeBy([](float delta) { return vantreel::AdjustVolumeBy(delta); }),
      setDefaultEndpoint([](const std::wstring& id) { vantreel::SetDefaultAudioOutput(id); }),
      setDisplayBrightness(
          [](HMONITOR monitor, int32_t percent) { return vantreel::SetDisplayBrightness(monitor, percent); }),
      setWifiEnabled([](bool on) { return vantreel::SetWifiEnabled(on); }),
      connectWifi([](const vantreel::WifiNetwork& network, const std::wstring& password) {
          return vantreel::ConnectWifiNetwork(network, password);
      }),
      disconnectWifi([] { DisconnectFirstWlanInterface(); }),
      promptWifiPassword([](HINSTANCE instance, HWND owner, const std::wstring& ssid, float scale) {
          return PromptWifiPassword(instance, owner, ssid, scale);
      }),
      setRadioState([](vantreel::RadioKind kind, bool on) { return vantreel::SetWinRtRadioState(kind, on); }),
      setKeepAwake([](bool on) { return vantreel::SetKeepAwake(on); }),
      setActivePowerScheme([](const GUID& scheme) { return PowerSetActiveScheme(nullptr, &scheme); }),
      setHotspotEnabled([](bool on) { return vantreel::SetHotspotEnabled(on); }),
      findDesktopView([] { return vantreel::FindDesktopDefView(); }),
      toggleDesktopIcons([](HWND view) {
          DWORD_PTR result = 0;
          SendMessageTimeoutW(view, WM_COMMAND, kToggleDesktopIconsCommand, 0, SMTO_ABORTIFHUNG, 500, &result);
      }),
      shellOpen([](const std::wstring& target) {
          if (!ShortcutChainIsSafe(target)) return;
          ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      }),
      lockWorkStation([] { return LockWorkStation() != FALSE; }),
      monitorPowerOff([] { PostMessageW(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, 2); }),
      sendWinKeyChord([](uint16_t key) { return vantreel::SendWinKeyChord(key); }),
      forgetTrayIcon([](const std::wstring& key) { ForgetTrayIcon(key); }),
      closeTrayApp([](const TrayIconInfo& icon) { TrayCloseAsync(icon); }),
      activateTrayIcon([](const TrayIconInfo& icon) { icon.Activate(); }),
      trayAppRunning([](const TrayIconInfo& icon) { return icon.OwnerRunning(); }),
      loadFileIcon([](const std::wstring& path, IWICImagingFactory* factory, int edge) {
          return LoadFileIcon(path, factory, edge);
      }),
      makeTemplateIcon(
          [](const std::vector<uint8_t>& pixels, int edge, bool dark) { return MakeTemplateIcon(pixels, edge, dark); }),
      startThread([](LPTHREAD_START_ROUTINE procedure, void* parameter) {
          try {
              platform::StartDetachedThread([procedure, parameter] { procedure(parameter); });
              return true;
          } catch (const std::system_error&) {
              return false;
          }
      }),
      startWorker([](std::function<void()> body) { platform::StartDetachedThread(std::move(body)); }),
      tickCount([] { return static_cast<uint64_t>(GetTickCount64()); }),
      localTime([] {
          SYSTEMTIME now = {};
          GetLocalTime(&now);
          return now;
      }),
      foregroundWindow([] { return GetForegroundWindow(); }) {}
