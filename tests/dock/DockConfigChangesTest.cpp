#include <gtest/gtest.h>

#include "dock/DockConfigChanges.h"
#include "dock/RunOnlyTaskbarSetting.h"

TEST(DockConfigChanges, EachFlagFollowsItsOwnSettings) {
    DockConfig live;
    DockConfigChanges none = CompareDockConfigs(live, live);
    EXPECT_FALSE(none.glass || none.iconStyle || none.transparency || none.topBar || none.taskbar);

    DockConfig next = live;
    next.glassOpacity += 0.004f;
    EXPECT_FALSE(CompareDockConfigs(live, next).glass) << "below the tolerance";
    next.glassOpacity = live.glassOpacity + 0.01f;
    EXPECT_TRUE(CompareDockConfigs(live, next).glass);

    next = live;
    next.theme = 2;
    DockConfigChanges theme = CompareDockConfigs(live, next);
    EXPECT_TRUE(theme.glass);
    EXPECT_FALSE(theme.topBar);

    next = live;
    next.useMacIcons = !live.useMacIcons;
    EXPECT_TRUE(CompareDockConfigs(live, next).iconStyle);

    next = live;
    next.allAppsTransparency += 0.1f;
    DockConfigChanges transparency = CompareDockConfigs(live, next);
    EXPECT_TRUE(transparency.transparency);
    EXPECT_FALSE(transparency.glass);

    next = live;
    next.hideTaskbar = !live.hideTaskbar;
    EXPECT_TRUE(CompareDockConfigs(live, next).taskbar);
}

TEST(DockConfigChanges, TopBarFlagIgnoresTheTrayCollapse) {
    DockConfig live;
    DockConfig next = live;
    next.topBarTrayCollapsed = !live.topBarTrayCollapsed;
    EXPECT_FALSE(CompareDockConfigs(live, next).topBar) << "the bar stores its own tray collapse";

    auto changed = [&](auto edit) {
        DockConfig other = live;
        edit(other);
        return CompareDockConfigs(live, other).topBar;
    };
    EXPECT_TRUE(changed([](DockConfig& c) { c.showTopBar = !c.showTopBar; }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.topBarReserveSpace = !c.topBarReserveSpace; }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.topBarOriginalTrayIcons = !c.topBarOriginalTrayIcons; }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.showLunarCalendar = !c.showLunarCalendar; }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.doNotDisturb = !c.doNotDisturb; }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.hiddenTrayApps.push_back(L"x"); }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.controlCenterTiles.pop_back(); }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.ccShowBrightness = !c.ccShowBrightness; }));
    EXPECT_TRUE(changed([](DockConfig& c) { c.ccShowVolume = !c.ccShowVolume; }));
    EXPECT_FALSE(changed([](DockConfig& c) { c.iconSize = 60.0f; }));
}

TEST(RunOnlyTaskbarSetting, KeepsTheFilesChoiceUntilTheUserChangesIt) {
    DockConfig live;
    live.hideTaskbar = true;
    RunOnlyTaskbarSetting keep;
    keep.Begin(live);
    EXPECT_FALSE(live.hideTaskbar) << "this run leaves the taskbar alone";

    live.iconSize = 60.0f;  // an unrelated change that is saved
    DockConfig saved = keep.ForFile(live);
    EXPECT_TRUE(saved.hideTaskbar) << "the file keeps the user's choice";
    EXPECT_EQ(saved.iconSize, 60.0f);

    live.hideTaskbar = true;  // the user turns hiding on (or toggles it) themselves
    keep.End();
    live.hideTaskbar = false;
    EXPECT_FALSE(keep.ForFile(live).hideTaskbar) << "from then on the live value is saved";

    RunOnlyTaskbarSetting untouched;
    DockConfig plain;
    plain.hideTaskbar = true;
    EXPECT_TRUE(untouched.ForFile(plain).hideTaskbar);
}
