#pragma once
// What the tile and power menus offer: their rows as a pure function of the
// entry and the view, and where an entry's file lies.

#include <windows.h>

#include <string>
#include <vector>

#include "apps/InstalledApp.h"
#include "render/MacMenuItem.h"

// A path the file manager can show: a drive or UNC path that exists.
bool IsLaunchTargetReachable(const std::wstring& path);

// The path "open file location" shows for an entry; empty for none.
std::wstring EntryLocation(const InstalledApp& entry);

struct TileMenuInput {
    bool unhideMenu = false;  // the hidden view's menu
    size_t hiddenKeyCount = 0;
    bool canUninstall = false;
    std::wstring location;
};
std::vector<MacMenuItem> TileMenuRows(const InstalledApp& entry, const TileMenuInput& input);

std::vector<MacMenuItem> PowerMenuRows();

// The power menu's anchor in client pixels, 95 DIP left of the panel's centre
// and 6 DIP below the power button.
POINT PowerMenuAnchor(float panelWidth, float panelHeight, float scale);
