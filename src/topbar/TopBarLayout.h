#pragma once
// The bar's row of items in DIPs: four fixed items from the left edge, the
// status items from the right edge leftwards, the mirrored tray icons left of
// them. Pure: the text measuring comes in as a function.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TopBarItemId : int32_t {
    kTopBarLogo = 1,
    kTopBarAppName = 2,
    kTopBarWindowMenu = 3,
    kTopBarGoMenu = 4,
    kTopBarInputMethod = 5,
    kTopBarSound = 7,
    kTopBarNetwork = 8,
    kTopBarBluetooth = 9,
    kTopBarBattery = 10,
    kTopBarControlCenter = 11,
    kTopBarClock = 12,
    kTopBarNotifications = 13,
    kTopBarTrayToggle = 14,
    kTopBarTrayOverflow = 15,
    kTopBarTrayIconBase = 100,  // + the icon's index among the shown tray icons
};

struct TopBarItem {
    int32_t id = 0;
    float left = 0.0f;
    float right = 0.0f;
    std::wstring label;
    bool rightSide = false;
};

// At most this many tray icons stand on the bar; more add the overflow item.
constexpr size_t kTopBarMaxTrayIcons = 6;

struct TopBarLayoutInput {
    float barWidthDip = 1280.0f;
    std::wstring appName;  // empty reads as the desktop
    std::wstring clockText;
    std::wstring inputIndicator;
    bool hasBattery = false;
    bool bluetoothPresent = false;
    bool trayCollapsed = false;
    std::vector<std::wstring> trayNames;  // display names of the shown tray icons, in order
};

// Width in DIPs of a text at a weight and size, laid out at most maxWidth wide.
using TopBarMeasure = std::function<float(const std::wstring& text, int32_t weight, float size, float maxWidth)>;

std::vector<TopBarItem> LayoutTopBarItems(const TopBarLayoutInput& input, const TopBarMeasure& measure);

// "1:8-44 2:46-124 ..." with whole DIPs, each entry followed by a space.
std::wstring DescribeTopBarItems(const std::vector<TopBarItem>& items);

// Index of the first item whose span holds x, while 0 <= y <= 32; else -1.
int HitTestTopBarItems(const std::vector<TopBarItem>& items, float x, float y);
