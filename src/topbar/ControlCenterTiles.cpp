#include "topbar/ControlCenterTiles.h"

#include "topbar/PopoverTexts.h"

namespace {

const wchar_t* OnOff(bool on) { return on ? L"已开启" : L"已关闭"; }

// The status text and the lit circle; the title is the table's.
struct Status {
    std::wstring text;
    bool active = false;
};

Status HotspotStatus(const ControlCenterTileState& s) {
    if (s.hotspotSwitching) return {s.hotspotTarget ? L"正在开启..." : L"正在关闭...", s.hotspotTarget};
    if (!s.hotspotAvailable) return {L"不可用", s.hotspotOn};
    if (!s.hotspotOn) return {L"已关闭", false};
    if (s.hotspotClients == 0) return {L"已开启", true};
    return {L"已连接 " + std::to_wstring(s.hotspotClients) + L" 台", true};
}

Status StatusOf(ControlCenterTile tile, const ControlCenterTileState& s) {
    switch (tile) {
        case ControlCenterTile::Wifi:
            return {s.wifiConnected ? s.wifiSsid : std::wstring(OnOff(s.wifiRadioOn)), s.wifiRadioOn};
        case ControlCenterTile::Bluetooth:
            return {s.bluetoothPresent ? OnOff(s.bluetoothOn) : L"不可用", s.bluetoothPresent && s.bluetoothOn};
        case ControlCenterTile::Snip:
            return {L"区域截屏", false};
        case ControlCenterTile::Lock:
            return {L"立即锁屏", false};
        case ControlCenterTile::KeepAwake:
            return {s.keepAwake ? L"防休眠中" : L"已关闭", s.keepAwake};
        case ControlCenterTile::PowerMode:
            return {s.powerSchemeName.empty() ? std::wstring(L"平衡") : s.powerSchemeName, s.highPerformance};
        case ControlCenterTile::Hotspot:
            return HotspotStatus(s);
        case ControlCenterTile::Project:
            return {L"多屏显示", false};
        case ControlCenterTile::ScreenOff:
            return {L"关闭屏幕", false};
        case ControlCenterTile::ThemeMode:
            return {s.darkGlass ? L"深色外观" : L"浅色外观", s.darkGlass};
        case ControlCenterTile::DesktopIcons:
            return {s.desktopIconsVisible ? L"已显示" : L"已隐藏", s.desktopIconsVisible};
        case ControlCenterTile::Unknown:
            break;
    }
    return {};
}

}  // namespace

bool ControlCenterTileShowsReadState(ControlCenterTile tile) {
    switch (tile) {
        case ControlCenterTile::Wifi:
        case ControlCenterTile::Bluetooth:
        case ControlCenterTile::KeepAwake:
        case ControlCenterTile::PowerMode:
        case ControlCenterTile::Hotspot:
        case ControlCenterTile::DesktopIcons:
            return true;
        default:
            return false;
    }
}

bool ControlCenterTileStateUnknown(ControlCenterTile tile, const ControlCenterTileState& s) {
    if (s.reading && ControlCenterTileShowsReadState(tile)) return true;
    switch (tile) {
        case ControlCenterTile::Wifi:
            return s.wifiStale;
        case ControlCenterTile::Bluetooth:
            return s.bluetoothStale;
        case ControlCenterTile::Hotspot:
            // A switch under way shows where it goes, whatever was read before.
            return s.hotspotStale && !s.hotspotSwitching;
        default:
            return false;
    }
}

ControlCenterTileFace ControlCenterTileFaceFor(std::wstring_view key, const ControlCenterTileState& s) {
    const ControlCenterTile tile = ControlCenterTileFor(key);
    Status status = StatusOf(tile, s);
    ControlCenterTileFace face{std::wstring(ControlCenterTileTitle(tile)), std::move(status.text), status.active};
    if (ControlCenterTileStateUnknown(tile, s)) {
        face.status = kPopoverBeingRead;
        face.active = false;
    }
    return face;
}
