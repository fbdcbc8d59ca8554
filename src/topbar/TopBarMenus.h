#pragma once
// The bar's menus on plain values: their command ids, the rows each menu shows
// for a given state, and where menus and popovers open under an item. Nothing
// here opens a window or calls the system.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/MacMenuItem.h"

enum TopBarCommand : int32_t {
    kBarAbout = 3001,
    kBarSettings = 3003,
    kBarQuit = 3011,

    kBarMinimize = 3101,
    kBarMaximizeOrRestore = 3102,
    kBarToggleTopmost = 3103,
    kBarOpenLocation = 3104,
    kBarCloseWindow = 3105,

    kBarSnapLeft = 3301,
    kBarSnapRight = 3302,
    kBarCentre = 3303,
    kBarShowDesktop = 3304,
    kBarTaskView = 3305,

    kBarGoDesktop = 3401,
    kBarGoDownloads = 3402,
    kBarGoDocuments = 3403,
    kBarGoThisPc = 3404,
    kBarGoControlPanel = 3405,

    kBarToggleInputMode = 3701,
    kBarNextInputMethod = 3702,
    kBarEmojiPanel = 3703,
    kBarLanguageSettings = 3704,
    kBarTypingSettings = 3705,
    kBarInputProfileBase = 3720,  // + the profile's index, at most 12 profiles

    kBarTrayOpen = 3801,
    kBarTrayLocation = 3802,
    kBarTrayToggleCollapse = 3803,
    kBarTrayClose = 3804,
    kBarTrayManage = 3805,
    kBarTrayHide = 3806,
    kBarTrayRestoreHidden = 3807,

    kBarNativeNotifications = 3901,
    kBarNotificationSettings = 3902,
    kBarQuietHoursSettings = 3903,
    kBarToggleDoNotDisturb = 3904,
    kBarClearNotifications = 3905,
    kBarToggleCenter = 3906,
};

// At most this many input profiles are listed.
constexpr size_t kBarMaxInputProfiles = 12;

// The application menu's view of the front window, copied when the menu opens.
struct BarWindowState {
    bool hasWindow = false;  // a window that still exists
    bool zoomed = false;
    bool topmost = false;
    bool hasPath = false;  // an executable path to show in its folder
};

struct BarInputProfileRow {
    std::wstring name;
    bool active = false;
};

std::vector<MacMenuItem> BarLogoMenuRows();
std::vector<MacMenuItem> BarApplicationMenuRows(const BarWindowState& window);
std::vector<MacMenuItem> BarWindowMenuRows(bool hasWindow);
std::vector<MacMenuItem> BarGoMenuRows();
// Only the first kBarMaxInputProfiles profiles get a row.
std::vector<MacMenuItem> BarInputMenuRows(const std::vector<BarInputProfileRow>& profiles);
std::vector<MacMenuItem> BarNotificationMenuRows(bool centerVisible, bool doNotDisturb, bool storeHasItems);
// hiddenNow: how many icons of the hidden keys are present now; the restore
// row shows only while some keys are hidden at all.
std::vector<MacMenuItem> BarTrayToggleMenuRows(bool collapsed, bool anyHiddenKeys, size_t hiddenNow);
std::vector<MacMenuItem> BarTrayIconMenuRows(const std::wstring& displayName);

// Screen pixels 36 DIPs below the monitor's top, at a DIP x along the bar.
POINT BarAnchorAt(const RECT& monitorRect, float xDip, float scale);
// A right-click menu: its left edge 140 DIPs left of the item's right edge,
// never closer than 8 DIPs to the bar's left edge.
POINT BarRightClickAnchor(const RECT& monitorRect, float itemRightDip, float scale);
