#pragma once
// What a new configuration changes for the dock's windows, so each one is
// re-applied only when something it shows differs.

#include "config/DockConfig.h"

struct DockConfigChanges {
    bool glass = false;         // theme or glass opacity
    bool iconStyle = false;     // mac or system icons
    bool transparency = false;  // the launcher's transparency
    bool topBar = false;        // anything the top bar shows (its tray collapse is its own)
    bool taskbar = false;       // hide the system taskbar
};

DockConfigChanges CompareDockConfigs(const DockConfig& live, const DockConfig& incoming);
