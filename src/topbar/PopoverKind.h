#pragma once
// Which content the bar's drop-down panel shows.

#include <cstdint>

// 0 none, 1 sound, 2 Wi-Fi, 3 Bluetooth, 4 battery, 5 control center,
// 6 calendar, 7 tray apps.
enum class PopoverKind : int32_t {
    None = 0,
    Sound = 1,
    Wifi = 2,
    Bluetooth = 3,
    Battery = 4,
    ControlCenter = 5,
    Calendar = 6,
    TrayApps = 7,
};
