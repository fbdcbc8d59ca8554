#pragma once
// The taskbar's tray items seen through UI Automation: their names and screen
// rectangles, fetched in one cache-building search.

#include <windows.h>

#include <vector>

#include "platform/UiAutomation.h"
#include "system/tray/TraySettingRecords.h"

// The automation object with short connection (400 ms) and transaction (2000 ms)
// time-outs where offered; null when UI Automation is not available. The caller
// owns the reference.
uia::IUIAutomation* CreateUiAutomation();

// Appends every "NotifyItemIcon" element below the window; false when the search
// itself could not be made.
bool CollectUiaNotifyItems(uia::IUIAutomation* automation, HWND window, std::vector<UiaNotifyItem>& items);
