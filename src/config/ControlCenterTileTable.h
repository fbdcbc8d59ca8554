#pragma once
// The control center's tiles: each one's key as the configuration stores it
// and its title as the settings window and the control center show it, in
// the order the settings window lists them. The one table of both.

#include <cstdint>
#include <span>
#include <string_view>

enum class ControlCenterTile : int32_t {
    Unknown = 0,
    Wifi,
    Bluetooth,
    Snip,
    Lock,
    KeepAwake,
    PowerMode,
    Hotspot,
    Project,
    ScreenOff,
    ThemeMode,
    DesktopIcons,
};

struct ControlCenterTileEntry {
    ControlCenterTile tile;
    std::wstring_view key;
    std::wstring_view title;
};

inline constexpr int kControlCenterTileCount = 11;
std::span<const ControlCenterTileEntry, kControlCenterTileCount> ControlCenterTileTable();

// Keys are compared exactly (the configuration stores them in lower case);
// Unknown for any other text.
ControlCenterTile ControlCenterTileFor(std::wstring_view key);

// Empty for Unknown.
std::wstring_view ControlCenterTileTitle(ControlCenterTile tile);
