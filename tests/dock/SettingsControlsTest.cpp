// The settings window's control logic: closed hit rectangles, the four slider
// scales and their value texts at the fresh window's track (x 218 to 638), and
// the control-center tile list that stays in table order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/HitItem.h"
#include "dock/SettingsControls.h"

namespace {

constexpr float kTrackLeft = 218.0f;
constexpr float kTrackRight = 638.0f;

DockConfig AtX(int slider, float x, DockConfig config = {}) {
    SetSliderValue(slider, SliderFraction(x, kTrackLeft, kTrackRight), config);
    return config;
}

}  // namespace

TEST(HitItems, ClosedRectanglesEarlierWinsAndNoneIsNull) {
    std::vector<HitItem> items = {{10, 12, 78, 164, 114, 0}, {10, 12, 100, 164, 156, 1}, {33, 564, 496, 656, 528, 0}};
    ASSERT_NE(FindHitItem(items, 164, 114), nullptr) << "the right and bottom edges belong to the rectangle";
    EXPECT_EQ(FindHitItem(items, 164, 114)->index, 0);
    EXPECT_EQ(FindHitItem(items, 12, 78)->index, 0) << "and so do the left and top ones";
    EXPECT_EQ(FindHitItem(items, 50, 105)->index, 0) << "where two overlap, the earlier-painted one wins";
    EXPECT_EQ(FindHitItem(items, 50, 120)->index, 1);
    EXPECT_EQ(FindHitItem(items, 610, 512)->id, 33);
    EXPECT_EQ(FindHitItem(items, 164.01f, 90), nullptr);
    EXPECT_EQ(FindHitItem({}, 0, 0), nullptr);
}

TEST(SettingsSliders, IconSizeStopsAt72AndAStoredLargerValueSitsAtTheEnd) {
    EXPECT_EQ(AtX(1, 428).iconSize, 52.0f);
    EXPECT_EQ(SliderValueText(1, AtX(1, 428)), L"52 px");
    EXPECT_EQ(AtX(1, 218).iconSize, 32.0f);
    EXPECT_EQ(AtX(1, 100).iconSize, 32.0f);
    EXPECT_EQ(AtX(1, 638).iconSize, 72.0f);
    for (float x = 600; x <= 900; x += 0.5f) ASSERT_LE(AtX(1, x).iconSize, 72.0f) << x;
    DockConfig stored;
    stored.iconSize = 75.0f;
    EXPECT_FLOAT_EQ(SliderPosition(1, stored), 1.0f);
    EXPECT_EQ(SliderValueText(1, stored), L"75 px");
}

TEST(SettingsSliders, MagnifyGlassAndLauncherScalesAndTheirTexts) {
    DockConfig magnify = AtX(2, 428);
    EXPECT_FLOAT_EQ(magnify.magnifyScale, 1.5f);
    EXPECT_EQ(SliderValueText(2, magnify), L"1.50x");
    EXPECT_FLOAT_EQ(AtX(2, 638).magnifyScale, 2.0f);
    EXPECT_FLOAT_EQ(SliderPosition(2, magnify), 0.5f);

    DockConfig glass = AtX(3, 638);
    EXPECT_FLOAT_EQ(glass.glassOpacity, 0.85f);
    EXPECT_EQ(SliderValueText(3, glass), L"85%");
    EXPECT_FLOAT_EQ(SliderPosition(3, glass), 1.0f);
    EXPECT_EQ(SliderValueText(3, AtX(3, 218)), L"0% 全透");
    EXPECT_FLOAT_EQ(AtX(3, 428).glassOpacity, 0.43f) << "42.5 rounds away from zero";

    EXPECT_FLOAT_EQ(AtX(4, 428).allAppsTransparency, 0.5f);
    EXPECT_EQ(SliderValueText(4, AtX(4, 428)), L"50%");
    EXPECT_EQ(SliderValueText(4, AtX(4, 218)), L"0% 不透");
    EXPECT_EQ(SliderValueText(4, AtX(4, 700)), L"100% 全透");
}

TEST(SettingsTiles, TurningTilesOnKeepsTableOrderAndAllOffLeavesNothing) {
    DockConfig config;
    ASSERT_EQ(config.controlCenterTiles,
              (std::vector<std::wstring>{L"wifi", L"bluetooth", L"snip", L"lock", L"screen_off", L"desktop_icons"}));
    ToggleControlCenterTile(config, 9);  // theme_mode
    ToggleControlCenterTile(config, 4);  // keep_awake
    EXPECT_EQ(config.controlCenterTiles,
              (std::vector<std::wstring>{L"wifi", L"bluetooth", L"snip", L"lock", L"keep_awake", L"screen_off",
                                         L"theme_mode", L"desktop_icons"}));
    EXPECT_TRUE(HasControlCenterTile(config, 9));

    for (int i = 0; i < kControlCenterTileCount; ++i) {
        if (HasControlCenterTile(config, i)) ToggleControlCenterTile(config, i);
    }
    EXPECT_TRUE(config.controlCenterTiles.empty());

    config.controlCenterTiles = {L"lock", L"wifi", L"lock"};
    ToggleControlCenterTile(config, 3);
    EXPECT_EQ(config.controlCenterTiles, (std::vector<std::wstring>{L"wifi", L"lock"}))
        << "only the first occurrence goes, the rest keep their order";
    ToggleControlCenterTile(config, 11);
    EXPECT_EQ(config.controlCenterTiles.size(), 2u);
}
