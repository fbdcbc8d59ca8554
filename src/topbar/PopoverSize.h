#pragma once
// The panel's size in DIP for each kind of content, without the shadow margin,
// from the counts and switches that shape it. Pure, so the popover and its
// tests agree on every panel's size.

#include <cstddef>

#include "topbar/PopoverKind.h"

struct PopoverSize {
    float width = 0.0f;
    float height = 0.0f;
};

// What the size of a panel depends on; each kind reads only its own fields.
struct PopoverContentCounts {
    size_t audioDevices = 0;      // sound
    bool ethernetRow = false;     // Wi-Fi: the Ethernet card shows
    bool statusLine = false;      // Wi-Fi: a transient status text shows
    bool wifiRadioOn = false;     // Wi-Fi: network rows rather than the "off" block
    size_t wifiNetworks = 0;      // Wi-Fi
    size_t bluetoothDevices = 0;  // Bluetooth
    size_t controlCenterTiles = 0;
    bool ccShowBrightness = false;
    bool ccShowVolume = false;
    bool showLunarCalendar = false;  // calendar
    size_t trayApps = 0;             // tray apps
};

PopoverSize PopoverPanelSize(PopoverKind kind, const PopoverContentCounts& counts);

// The control center's height: tile rows of 56 with 8 between, the slider
// modules below, or the hint line when there is nothing at all.
float ControlCenterHeight(size_t tiles, bool showBrightness, bool showVolume);
