#include "config/ControlCenterTileTable.h"

#include <array>

namespace {

using T = ControlCenterTile;

constexpr std::array<ControlCenterTileEntry, kControlCenterTileCount> kTiles = {{
    {T::Wifi, L"wifi", L"Wi-Fi"},
    {T::Bluetooth, L"bluetooth", L"蓝牙"},
    {T::Snip, L"snip", L"屏幕截图"},
    {T::Lock, L"lock", L"锁定屏幕"},
    {T::KeepAwake, L"keep_awake", L"保持亮屏"},
    {T::PowerMode, L"power_mode", L"电源模式"},
    {T::Hotspot, L"hotspot", L"移动热点"},
    {T::Project, L"project", L"投屏切换"},
    {T::ScreenOff, L"screen_off", L"立即熄屏"},
    {T::ThemeMode, L"theme_mode", L"深浅模式"},
    {T::DesktopIcons, L"desktop_icons", L"桌面图标"},
}};

}  // namespace

std::span<const ControlCenterTileEntry, kControlCenterTileCount> ControlCenterTileTable() { return kTiles; }

ControlCenterTile ControlCenterTileFor(std::wstring_view key) {
    for (const ControlCenterTileEntry& entry : kTiles) {
        if (entry.key == key) return entry.tile;
    }
    return ControlCenterTile::Unknown;
}

std::wstring_view ControlCenterTileTitle(ControlCenterTile tile) {
    for (const ControlCenterTileEntry& entry : kTiles) {
        if (entry.tile == tile) return entry.title;
    }
    return {};
}
