// The panel's placement, the grid and the hover fields: the numbers the
// painters, the frame step and the hit tests share.
#include <gtest/gtest.h>

#include "LauncherFixtures.h"
#include "allapps/AllAppsGeometry.h"

TEST(LauncherGeometry, WindowSitsAboveTheDockCentredOnTheWorkArea) {
    const RECT screen = {0, 0, 1920, 1080};
    const PanelSize panel = PanelSizeFor(1920, 1080, 1.0f, 78.0f);
    EXPECT_FLOAT_EQ(panel.width, 780.0f);
    EXPECT_FLOAT_EQ(panel.height, 572.0f);
    const RECT at1 = AllAppsWindowRect(screen, screen, panel, 1.0f, 78.0f);
    EXPECT_EQ(at1.left, 554);
    EXPECT_EQ(at1.top, 400);
    EXPECT_EQ(at1.right - at1.left, 812);
    EXPECT_EQ(at1.bottom - at1.top, 604);

    const PanelSize big = PanelSizeFor(1920, 1080, 1.5f, 78.0f);
    const RECT at15 = AllAppsWindowRect(screen, screen, big, 1.5f, 78.0f);
    EXPECT_EQ(at15.left, 351);
    EXPECT_EQ(at15.top, 60);
    EXPECT_EQ(at15.right - at15.left, 1218);
    EXPECT_EQ(at15.bottom - at15.top, 906);

    const PanelSize small = PanelSizeFor(800, 480, 1.0f, 78.0f);
    EXPECT_FLOAT_EQ(small.width, 736.0f);
    EXPECT_FLOAT_EQ(small.height, 378.0f);
    const PanelSize tiny = PanelSizeFor(300, 200, 1.0f, 78.0f);
    EXPECT_FLOAT_EQ(tiny.width, 360.0f);
    EXPECT_FLOAT_EQ(tiny.height, 320.0f);
}

TEST(LauncherGeometry, HiddenTaskbarLendsItsStripOnlyWhenNarrow) {
    const RECT monitor = {0, 0, 1920, 1080};
    EXPECT_EQ(EffectiveWorkArea({0, 0, 1920, 1040}, monitor, true, 1.0f).bottom, 1080);
    EXPECT_EQ(EffectiveWorkArea({0, 0, 1920, 1040}, monitor, false, 1.0f).bottom, 1040);
    EXPECT_EQ(EffectiveWorkArea({0, 0, 1920, 980}, monitor, true, 1.0f).bottom, 980) << "more than 96 px";
}

TEST(LauncherGeometry, GridCellsIconsAndHover) {
    const AllAppsGrid grid = GridFor(780.0f, 572.0f, 1.0f);
    EXPECT_EQ(grid.iconPx, 70);
    EXPECT_EQ(GridFor(780.0f, 572.0f, 1.5f).iconPx, 105);
    const PointF slot7 = SlotCellOrigin(grid, 7);
    EXPECT_NEAR(slot7.x, 148.67f, 0.01f);
    EXPECT_NEAR(slot7.y, 191.0f, 0.01f);
    const HoverPlacement hover = HoverPlacementFor(grid, 7, 1.0f);
    EXPECT_NEAR(hover.x, 167.67f, 0.01f);
    EXPECT_NEAR(hover.y, 210.0f, 0.01f);
    EXPECT_EQ(hover.width, 115);
    EXPECT_EQ(hover.height, 85);
    EXPECT_EQ(PrewarmIconPx(1920, 1080, 1.0f, 78.0f), 70);

    InstalledApp folder = MakeFolder(L"Suite", AppCategory::Other, L'S',
                                     {MakeApp(L"One", L"one", AppCategory::Other, L'O'),
                                      MakeApp(L"Two", L"two", AppCategory::Other, L'T'),
                                      MakeApp(L"Three", L"three", AppCategory::Other, L'T')});
    const std::wstring key = AllAppsTileIconKey(folder, grid.iconPx, true, true);
    EXPECT_EQ(key, L"one|70|f3#m#d");
    EXPECT_EQ(AllAppsTileIconKey(folder.children[0], 70, false, false), L"one|70|f0#w#l");
}

TEST(LauncherGeometry, HoverFieldLiftsThePointedTileAndPushesNeighbours) {
    const HoverTarget under = GridHoverTarget(0.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(under.scale, 1.42f);
    EXPECT_FLOAT_EQ(under.x, 0.0f);
    EXPECT_FLOAT_EQ(under.y, -4.0f);
    const HoverTarget side115 = GridHoverTarget(115.0f, 0.0f, 1.0f);
    EXPECT_NEAR(side115.scale, 1.2547f, 1e-4);
    EXPECT_NEAR(side115.x, 1.188f, 1e-3);
    EXPECT_NEAR(side115.y, -2.426f, 1e-3);
    const HoverTarget close = GridHoverTarget(3.0f, 2.0f, 1.0f);
    EXPECT_FLOAT_EQ(close.x, 0.0f) << "no push within 4 DIP";

    const LetterTarget letter = IndexLetterTarget(0.0f, 1.0f);
    EXPECT_FLOAT_EQ(letter.scale, 1.78f);
    EXPECT_FLOAT_EQ(letter.lift, -10.5f);
    const LetterTarget side = IndexLetterTarget(42.0f, 1.0f);
    EXPECT_NEAR(side.scale, 1.4731f, 1e-4);
    EXPECT_NEAR(side.lift, -6.369f, 1e-3);

    const IndexBarLayout bar = IndexBarFor(780.0f, 5);
    EXPECT_FLOAT_EQ(bar.cell, 28.0f);
    EXPECT_FLOAT_EQ(LetterCenterX(bar, 0), (780.0f - 148.0f) / 2 + 4 + 14);
    const TabLayout tabs = TabsFor(780.0f);
    EXPECT_FLOAT_EQ(tabs.width, 64.0f);
    EXPECT_FLOAT_EQ(TabLeft(tabs, 0), 109.5f);
}
