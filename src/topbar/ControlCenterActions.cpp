// What a click on a control-center tile does.

#include <memory>

#include "topbar/ControlCenterTiles.h"
#include "platform/ExceptionGuard.h"
#include "topbar/TopBarPopover.h"

namespace {

constexpr UINT kWifiTileStatusMs = 1200;
constexpr UINT kScreenOffDelayMs = 220;
constexpr UINT kHotspotRereadMs = 1800;

// What the hotspot thread owns: the state to switch to and the switch.
struct HotspotRequest {
    bool target = false;
    std::function<bool(bool)> setHotspotEnabled;
};

}  // namespace

DWORD WINAPI TopBarPopover::HotspotThreadProc(void* parameter) {
    std::unique_ptr<HotspotRequest> request(static_cast<HotspotRequest*>(parameter));
    // An exception leaving a thread procedure ends the process; the result
    // is read again by the popover's timer anyway.
    try {
        if (request && request->setHotspotEnabled) request->setHotspotEnabled(request->target);
    } catch (...) {
        platform::LogCaughtException(L"TopBarPopover::HotspotThreadProc");
    }
    return 0;
}

void TopBarPopover::StartHotspotSwitch() {
    auto request = std::make_unique<HotspotRequest>();
    request->target = hotspotTarget;
    request->setHotspotEnabled = services.setHotspotEnabled;
    bool started = false;
    try {
        started = services.startThread(&TopBarPopover::HotspotThreadProc, request.get());
    } catch (...) {
        platform::LogCaughtException(L"TopBarPopover::StartHotspotSwitch");
        started = false;
    }
    if (started) {
        request.release();  // the thread frees it
        SetTimer(window, kHotspotTimer, kHotspotRereadMs, nullptr);
        return;
    }
    // Nothing is switching: the tile must not claim otherwise until Hide.
    hotspotSwitching = false;
    Redraw();
}

void TopBarPopover::RunTileAction(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= config.controlCenterTiles.size()) return;
    const std::wstring key = config.controlCenterTiles[index];
    const ControlCenterTile tile = ControlCenterTileFor(key);
    // Drawn as being read, the tile shows no state of the machine to act on.
    if (ControlCenterTileStateUnknown(tile, TileState())) return;
    ++localEdits;
    switch (tile) {
        case ControlCenterTile::Wifi:
            services.setWifiEnabled(!wifi.radioOn);
            RefreshData(false);
            Redraw();
            SetTimer(window, kWifiTimer, kWifiTileStatusMs, nullptr);
            if (callbacks.onStatusChanged) callbacks.onStatusChanged();
            return;
        case ControlCenterTile::Bluetooth:
            services.setRadioState(vantreel::RadioKind::Bluetooth, !bluetooth.radioOn);
            RefreshData(false);
            Redraw();
            if (callbacks.onStatusChanged) callbacks.onStatusChanged();
            return;
        case ControlCenterTile::Snip:
            Hide();
            services.shellOpen(L"ms-screenclip:");
            return;
        case ControlCenterTile::Lock:
            Hide();
            services.lockWorkStation();
            return;
        case ControlCenterTile::KeepAwake:
            services.setKeepAwake(!keepAwake);
            keepAwake = services.keepAwakeFlag();
            Redraw();
            return;
        case ControlCenterTile::PowerMode: {
            const std::vector<vantreel::PowerScheme> schemes = services.powerSchemes();
            if (schemes.size() >= 2) {
                size_t active = 0;
                for (size_t i = 0; i < schemes.size(); ++i) {
                    if (schemes[i].active) {
                        active = i;
                        break;
                    }
                }
                services.setActivePowerScheme(schemes[(active + 1) % schemes.size()].guid);
            }
            powerMode = services.powerSchemeSummary();
            Redraw();
            return;
        }
        case ControlCenterTile::Hotspot:
            if (!hotspot.available || hotspotSwitching) return;
            hotspotSwitching = true;
            hotspotTarget = !hotspot.on;
            Redraw();
            StartHotspotSwitch();
            return;
        case ControlCenterTile::Project:
            Hide();
            services.shellOpen(L"DisplaySwitch.exe");
            return;
        case ControlCenterTile::ScreenOff:
            Hide();
            if (window) SetTimer(window, kScreenOffTimer, kScreenOffDelayMs, nullptr);
            return;
        case ControlCenterTile::ThemeMode:
            if (callbacks.onThemeChange) callbacks.onThemeChange(glass.dark ? kGlassThemeLight : kGlassThemeDark);
            return;
        case ControlCenterTile::DesktopIcons:
            if (HWND view = services.findDesktopView()) services.toggleDesktopIcons(view);
            desktopIconsVisible = services.desktopIconsVisible();
            Redraw();
            return;
        case ControlCenterTile::Unknown:
            return;
    }
}
