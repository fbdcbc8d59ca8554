// The popover's window-free parts: panel sizes, placement on the monitor, the
// control-center grid and tile faces, the calendar month, battery texts, the
// slider knob, the Wi-Fi list window and the tray-key edits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "topbar/ControlCenterGrid.h"
#include "topbar/ControlCenterTiles.h"
#include "topbar/PopoverCalendar.h"
#include "topbar/PopoverPlacement.h"
#include "topbar/PopoverSize.h"
#include "topbar/PopoverTexts.h"
#include "topbar/TrayItemKeys.h"

namespace {

void ExpectSize(PopoverSize size, float width, float height, const char* what) {
    EXPECT_FLOAT_EQ(size.width, width) << what;
    EXPECT_FLOAT_EQ(size.height, height) << what;
}

}  // namespace

TEST(PopoverParts, PanelSizesPerKind) {
    PopoverContentCounts c;
    ExpectSize(PopoverPanelSize(PopoverKind::Sound, c), 304, 204, "sound without devices");
    c.audioDevices = 8;
    ExpectSize(PopoverPanelSize(PopoverKind::Sound, c), 304, 374, "sound with eight devices");

    c = {};
    ExpectSize(PopoverPanelSize(PopoverKind::Wifi, c), 324, 188, "Wi-Fi radio off");
    c.ethernetRow = true;
    c.statusLine = true;
    c.wifiRadioOn = true;
    c.wifiNetworks = 9;
    ExpectSize(PopoverPanelSize(PopoverKind::Wifi, c), 324, 438, "Ethernet, status line, nine networks");

    c = {};
    c.bluetoothDevices = 9;
    ExpectSize(PopoverPanelSize(PopoverKind::Bluetooth, c), 300, 346, "Bluetooth rows stop at seven");
    c.trayApps = 0;
    ExpectSize(PopoverPanelSize(PopoverKind::TrayApps, c), 300, 104, "an empty tray list keeps one row");
    c.showLunarCalendar = true;
    ExpectSize(PopoverPanelSize(PopoverKind::Calendar, c), 316, 412, "lunar calendar");
    c.showLunarCalendar = false;
    ExpectSize(PopoverPanelSize(PopoverKind::Calendar, c), 298, 338, "plain calendar");
    ExpectSize(PopoverPanelSize(PopoverKind::Battery, c), 276, 152, "battery");
    ExpectSize(PopoverPanelSize(PopoverKind::None, c), 280, 180, "no kind");

    EXPECT_FLOAT_EQ(ControlCenterHeight(0, false, false), 76);
    EXPECT_FLOAT_EQ(ControlCenterHeight(6, true, true), 354);
    EXPECT_FLOAT_EQ(ControlCenterHeight(5, true, false), 284);
    EXPECT_FLOAT_EQ(ControlCenterHeight(0, true, true), 160) << "modules alone: no gap, no hint";
    c.controlCenterTiles = 6;
    c.ccShowBrightness = c.ccShowVolume = true;
    ExpectSize(PopoverPanelSize(PopoverKind::ControlCenter, c), 332, 354, "control center");
}

TEST(PopoverParts, PlacementKeepsThePanelUnderTheAnchorInsideTheMonitor) {
    struct Case {
        float scale;
        RECT monitor;
        POINT anchor;
        RECT window;
    };
    const Case cases[] = {
        {1.0f, {0, 0, 1920, 1080}, {1800, 36}, {1482, 22, 1482 + 332, 22 + 232}},
        {1.0f, {0, 0, 1920, 1080}, {1915, 36}, {1594, 22, 1594 + 332, 22 + 232}},
        {1.5f, {0, 0, 3840, 2160}, {2800, 54}, {2323, 33, 2323 + 498, 33 + 348}},
        // Near the left edge and above the top, the 8-px inset wins.
        {1.0f, {-1920, 0, 0, 1080}, {-1800, -50}, {-1926, -6, -1926 + 332, -6 + 232}},
    };
    for (const Case& c : cases) {
        const PopoverPlacement p = PlacePopover(304, 204, c.scale, c.monitor, c.anchor);
        EXPECT_EQ(p.window.left, c.window.left) << c.anchor.x;
        EXPECT_EQ(p.window.top, c.window.top) << c.anchor.x;
        EXPECT_EQ(p.window.right, c.window.right) << c.anchor.x;
        EXPECT_EQ(p.window.bottom, c.window.bottom) << c.anchor.x;
        EXPECT_EQ(p.outerWidth, p.window.right - p.window.left);
        EXPECT_EQ(p.panelX - p.pad, p.window.left);
        EXPECT_LE(p.panelX + p.panelWidth, c.monitor.right - 8);
    }
    const PopoverPlacement half = PlacePopover(304, 204, 1.25f, {0, 0, 2400, 1350}, {2000, 45});
    EXPECT_EQ(half.pad, 18) << "17.5 rounds away from zero";
    EXPECT_EQ(half.panelWidth, 380);
    EXPECT_EQ(half.panelHeight, 255);
}

TEST(PopoverParts, ControlCenterGridAndModules) {
    const ControlCenterLayout five = LayoutControlCenter(332, 5, true, false);
    ASSERT_EQ(five.tiles.size(), 5u);
    const PopoverRectF& second = five.tiles[1];
    EXPECT_FLOAT_EQ(second.left, 170);
    EXPECT_FLOAT_EQ(second.right, 318);
    const PopoverRectF& fifth = five.tiles[4];
    EXPECT_FLOAT_EQ(fifth.left, 14);
    EXPECT_FLOAT_EQ(fifth.top, 142);
    EXPECT_FLOAT_EQ(fifth.right, 318);
    EXPECT_FLOAT_EQ(fifth.bottom, 198);
    EXPECT_FLOAT_EQ(five.gridBottom, 208);
    EXPECT_FLOAT_EQ(five.brightnessTrack.top, 238);
    EXPECT_FLOAT_EQ(five.brightnessCard.bottom + 14, ControlCenterHeight(5, true, false));
    EXPECT_FALSE(five.hasVolume);

    const ControlCenterLayout modules = LayoutControlCenter(332, 0, true, true);
    EXPECT_FLOAT_EQ(modules.brightnessCard.top, 14);
    EXPECT_FLOAT_EQ(modules.volumeCard.top, 84);
    EXPECT_FLOAT_EQ(modules.volumeTrack.left, 26);
    EXPECT_FLOAT_EQ(modules.volumeTrack.right, 306);
    EXPECT_FLOAT_EQ(modules.volumeCard.bottom + 14, ControlCenterHeight(0, true, true));

    const ControlCenterLayout six = LayoutControlCenter(332, 6, true, true);
    EXPECT_FLOAT_EQ(six.tiles[5].right, 318) << "an even count spans no tile";
    EXPECT_FLOAT_EQ(six.volumeCard.bottom + 14, ControlCenterHeight(6, true, true));
}

TEST(PopoverParts, TileFaces) {
    ControlCenterTileState s;
    s.wifiRadioOn = true;
    s.wifiConnected = true;
    s.wifiSsid = L"Cafe";
    s.hotspotAvailable = true;
    s.hotspotOn = true;
    s.hotspotClients = 3;
    s.darkGlass = true;
    struct Case {
        const wchar_t* key;
        const wchar_t* title;
        const wchar_t* status;
        bool active;
    };
    const Case withState[] = {
        {L"wifi", L"Wi-Fi", L"Cafe", true},
        {L"bluetooth", L"蓝牙", L"不可用", false},
        {L"hotspot", L"移动热点", L"已连接 3 台", true},
        {L"power_mode", L"电源模式", L"平衡", false},
        {L"theme_mode", L"深浅模式", L"深色外观", true},
        {L"keep_awake", L"保持亮屏", L"已关闭", false},
        {L"desktop_icons", L"桌面图标", L"已显示", true},
        {L"snip", L"屏幕截图", L"区域截屏", false},
        {L"Wifi", L"", L"", false},
    };
    for (const Case& c : withState) {
        const ControlCenterTileFace face = ControlCenterTileFaceFor(c.key, s);
        EXPECT_EQ(face.title, c.title) << c.key;
        EXPECT_EQ(face.status, c.status) << c.key;
        EXPECT_EQ(face.active, c.active) << c.key;
    }

    s.hotspotSwitching = true;
    s.hotspotTarget = false;
    ControlCenterTileFace hotspot = ControlCenterTileFaceFor(L"hotspot", s);
    EXPECT_EQ(hotspot.status, L"正在关闭...");
    EXPECT_FALSE(hotspot.active) << "a switch shows its target";
    s.hotspotAvailable = false;
    s.hotspotOn = false;
    s.hotspotTarget = true;
    hotspot = ControlCenterTileFaceFor(L"hotspot", s);
    EXPECT_EQ(hotspot.status, L"正在开启...");
    EXPECT_TRUE(hotspot.active);
    s.hotspotSwitching = false;
    EXPECT_EQ(ControlCenterTileFaceFor(L"hotspot", s).status, L"不可用");

    s.wifiConnected = false;
    EXPECT_EQ(ControlCenterTileFaceFor(L"wifi", s).status, L"已开启");
    s.bluetoothPresent = true;
    s.bluetoothOn = true;
    EXPECT_TRUE(ControlCenterTileFaceFor(L"bluetooth", s).active);
    s.powerSchemeName = L"高性能";
    s.highPerformance = true;
    EXPECT_EQ(ControlCenterTileFaceFor(L"power_mode", s).status, L"高性能");
    EXPECT_EQ(ControlCenterTileFor(L"screen_off"), ControlCenterTile::ScreenOff);
}

TEST(PopoverParts, CalendarMonths) {
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 13), 31) << "the month is clamped";
    EXPECT_EQ(DayOfWeek(2024, 2), 3);
    EXPECT_EQ(DayOfWeek(2026, 12), 1);
    for (int year : {-401, -1, 0, 1}) {
        for (int month = 1; month <= 12; ++month) {
            const int weekday = DayOfWeek(year, month);
            EXPECT_TRUE(weekday >= 0 && weekday <= 6) << year << "-" << month;
        }
    }
    EXPECT_EQ(DayOfWeek(-1, 1), (DayOfWeek(2799, 1))) << "the Gregorian cycle repeats every 400 years";

    const auto feb = CalendarCells(2024, 2);
    EXPECT_EQ(feb[3].day, 1);
    EXPECT_TRUE(feb[3].inShownMonth);
    EXPECT_EQ(feb[31].day, 29);
    EXPECT_EQ(feb[32].month, 3);

    const auto jan = CalendarCells(2026, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(jan[i].year, 2025);
        EXPECT_EQ(jan[i].month, 12);
        EXPECT_EQ(jan[i].day, 29 + i);
        EXPECT_FALSE(jan[i].inShownMonth);
    }
    EXPECT_EQ(jan[3].day, 1);

    const auto dec = CalendarCells(2026, 12);
    EXPECT_EQ(dec[31].day, 31);
    for (int i = 32; i < 42; ++i) {
        EXPECT_EQ(dec[i].year, 2027);
        EXPECT_EQ(dec[i].month, 1);
        EXPECT_EQ(dec[i].day, i - 31);
    }

    int year = 2026, month = 1;
    StepCalendarMonth(year, month, -1);
    EXPECT_EQ(year * 100 + month, 202512);
    StepCalendarMonth(year, month, 1);
    StepCalendarMonth(year, month, 11);
    StepCalendarMonth(year, month, 1);
    EXPECT_EQ(year * 100 + month, 202701);
}

TEST(PopoverParts, BatterySliderAndWifiRange) {
    EXPECT_FLOAT_EQ(BatteryFillRight(3, 276), 23.92f);
    EXPECT_FLOAT_EQ(BatteryFillRight(100, 276), 262);
    EXPECT_EQ(BatteryStatusText(false, 7500), L"电源状态：使用电池供电（预计剩余 2 小时 5 分钟）");
    EXPECT_EQ(BatteryStatusText(false, -1), L"电源状态：使用电池供电");
    EXPECT_EQ(BatteryStatusText(true, 7500), L"电源状态：接通电源充电中");

    const SliderGeometry half = PopoverSliderGeometry(14, 48, 290, 72, 0.5f, 1.0f);
    EXPECT_FLOAT_EQ(half.knobX, 152);
    EXPECT_FLOAT_EQ(half.knobRadius, 10.5f);
    EXPECT_FLOAT_EQ(half.knobY, 60);
    EXPECT_FLOAT_EQ(half.fillRight, 159.35f);
    EXPECT_FLOAT_EQ(PopoverSliderGeometry(14, 48, 290, 72, -2.0f, 1.0f).knobX, 24.5f);
    EXPECT_FLOAT_EQ(SliderValueAt(152, 14, 290), 0.5f);
    EXPECT_FLOAT_EQ(SliderValueAt(400, 14, 290), 1.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(0, 14, 290), 0.0f);
    EXPECT_FLOAT_EQ(SliderValueAt(5, 5, 5), 0.0f) << "an empty track divides by 1";

    const WifiRowRange scrolled = VisibleWifiRows(5, 9);
    EXPECT_EQ(scrolled.first, 2u);
    EXPECT_EQ(scrolled.last, 9u) << "rows 2 to 8";
    EXPECT_EQ(VisibleWifiRows(-3, 4).first, 0u);
    EXPECT_EQ(VisibleWifiRows(-3, 4).last, 4u);
    EXPECT_EQ(ScrollWifiRows(0, -120, 7), 0) << "a list that fits does not scroll";
    EXPECT_EQ(ScrollWifiRows(1, -120, 9), 2);
    EXPECT_EQ(ScrollWifiRows(2, -120, 9), 2);
    EXPECT_EQ(ScrollWifiRows(0, 120, 9), 0);
}

TEST(PopoverParts, TrayKeysDropAndToggle) {
    std::vector<TrayIconInfo> items(5);
    const wchar_t* keys[] = {L"C:\\A.exe", L"d:\\b.exe", L"c:/a.exe", L"c:\\c.exe", L"c:\\a.exe.bak"};
    for (size_t i = 0; i < items.size(); ++i) items[i].key = keys[i];
    items.erase(RemoveTrayItemsByKey(items.begin(), items.end(), L"c:\\a.exe"), items.end());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].key, L"d:\\b.exe");
    EXPECT_EQ(items[1].key, L"c:\\c.exe");
    EXPECT_EQ(items[2].key, L"c:\\a.exe.bak");

    std::vector<std::wstring> hidden = {L"c:\\x.exe"};
    EXPECT_TRUE(ToggleHiddenTrayKey(hidden, L"c:\\a.exe"));
    EXPECT_EQ(hidden, (std::vector<std::wstring>{L"c:\\x.exe", L"c:\\a.exe"}));
    EXPECT_FALSE(ToggleHiddenTrayKey(hidden, L"c:\\a.exe"));
    EXPECT_EQ(hidden, (std::vector<std::wstring>{L"c:\\x.exe"}));
}
