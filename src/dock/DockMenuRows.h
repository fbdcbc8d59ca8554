#pragma once
// The rows of the dock's three context menus: an application's, the recycle
// bin's and the dock's own (on the glass, the separator or beside the icons).
// The launchpad has none.

#include <cstdint>
#include <vector>

#include "dock/DockItem.h"
#include "render/MacMenuItem.h"

enum DockMenuCommand : int32_t {
    kDockMenuActivate = 1001,
    kDockMenuPinToggle = 1003,
    kDockMenuOpenLocation = 1004,
    kDockMenuClose = 1005,
    kDockMenuOpenBin = 1006,
    kDockMenuEmptyBin = 1007,
    kDockMenuAllApps = 1008,
    kDockMenuSettings = 1009,
    kDockMenuTaskbar = 1010,
    kDockMenuQuit = 1011,
};

std::vector<MacMenuItem> AppMenuRows(const DockItem& item);
std::vector<MacMenuItem> RecycleBinMenuRows();
// `taskbarHidden`: the taskbar hider hides the system taskbar right now.
std::vector<MacMenuItem> DockMenuRows(bool taskbarHidden);

// The menu for a right-click on `item`, or on no item at all when it is null.
std::vector<MacMenuItem> ContextMenuRowsFor(const DockItem* item, bool taskbarHidden);
