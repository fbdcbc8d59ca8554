#include "topbar/ControlCenterTiles.h"

#include "topbar/PopoverTexts.h"

namespace {

struct TileKey {
    const wchar_t* key;
    ControlCenterTile tile;
};

constexpr TileKey kTileKeys[] = {
    {L"wifi", ControlCenterTile::Wifi},
    {L"bluetooth", ControlCenterTile::Bluetooth},
    {L"snip", ControlCenterTile::Snip},
    {L"lock", ControlCenterTile::Lock},
    {L"keep_awake", ControlCenterTile::KeepAwake},
    {L"power_mode", ControlCenterTile::PowerMode},
    {L"hotspot", ControlCenterTile::Hotspot},
    {L"project", ControlCenterTile::Project},
    {L"screen_off", ControlCenterTile::ScreenOff},
    {L"theme_mode", ControlCenterTile::ThemeMode},
    {L"desktop_icons", ControlCenterTile::DesktopIcons},
};

const wchar_t* OnOff(bool on) { return on ? L"已开启" : L"已关闭"; }

ControlCenterTileFace HotspotFace(const ControlCenterTileState& s) {
    ControlCenterTileFace face{L"移动热点", L"", false};
    if (s.hotspotSwitching) {
        face.status = s.hotspotTarget ? L"正在开启..." : L"正在关闭...";
        face.active = s.hotspotTarget;
        return face;
    }
    face.active = s.hotspotOn;
    if (!s.hotspotAvailable)
        face.status = L"不可用";
    else if (!s.hotspotOn)
        face.status = L"已关闭";
    else if (s.hotspotClients == 0)
        face.status = L"已开启";
    else
        face.status = L"已连接 " + std::to_wstring(s.hotspotClients) + L" 台";
    return face;
}

}  // namespace

ControlCenterTile ControlCenterTileFor(std::wstring_view key) {
    for (const TileKey& k : kTileKeys) {
        if (key == k.key) return k.tile;
    }
    return ControlCenterTile::Unknown;
}

namespace {

ControlCenterTileFace FaceOf(ControlCenterTile tile, const ControlCenterTileState& s) {
    switch (tile) {
        case ControlCenterTile::Wifi:
            return {L"Wi-Fi", s.wifiConnected ? s.wifiSsid : std::wstring(OnOff(s.wifiRadioOn)), s.wifiRadioOn};
        case ControlCenterTile::Bluetooth:
            return {L"蓝牙", s.bluetoothPresent ? OnOff(s.bluetoothOn) : L"不可用",
                    s.bluetoothPresent && s.bluetoothOn};
        case ControlCenterTile::Snip:
            return {L"屏幕截图", L"区域截屏", false};
        case ControlCenterTile::Lock:
            return {L"锁定屏幕", L"立即锁屏", false};
        case ControlCenterTile::KeepAwake:
            return {L"保持亮屏", s.keepAwake ? L"防休眠中" : L"已关闭", s.keepAwake};
        case ControlCenterTile::PowerMode:
            return {L"电源模式", s.powerSchemeName.empty() ? std::wstring(L"平衡") : s.powerSchemeName,
                    s.highPerformance};
        case ControlCenterTile::Hotspot:
            return HotspotFace(s);
        case ControlCenterTile::Project:
            return {L"投屏切换", L"多屏显示", false};
        case ControlCenterTile::ScreenOff:
            return {L"立即熄屏", L"关闭屏幕", false};
        case ControlCenterTile::ThemeMode:
            return {L"深浅模式", s.darkGlass ? L"深色外观" : L"浅色外观", s.darkGlass};
        case ControlCenterTile::DesktopIcons:
            return {L"桌面图标", s.desktopIconsVisible ? L"已显示" : L"已隐藏", s.desktopIconsVisible};
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
    ControlCenterTileFace face = FaceOf(tile, s);
    if (ControlCenterTileStateUnknown(tile, s)) {
        face.status = kPopoverBeingRead;
        face.active = false;
    }
    return face;
}
