#include <gtest/gtest.h>

#include "dock/DockInputRect.h"

namespace {

// A dock 400 dip wide, its glass 64 dip high ending 8 dip above the bottom of a
// 210-dip band on a 1920 x 1080 monitor.
DockInputRectInput Resting(float scale) {
    DockInputRectInput in;
    in.layoutX = 760.0f;
    in.layoutY = 138.0f;
    in.layoutWidth = 400.0f;
    in.layoutHeight = 64.0f;
    in.iconSize = 48.0f;
    in.scale = scale;
    in.monitor = {0, 0, static_cast<LONG>(1920 * scale), static_cast<LONG>(1080 * scale)};
    in.originX = 0;
    in.originY = static_cast<int>(1080 * scale) - static_cast<int>(210 * scale);
    return in;
}

}  // namespace

TEST(DockInputRect, AtRestCoversTheGlassWithAMargin) {
    RECT r = ComputeDockInputRect(Resting(1.0f));
    EXPECT_EQ(r.left, 750);
    EXPECT_EQ(r.right, 750 + 420);
    EXPECT_EQ(r.top, 870 + 138);
    EXPECT_EQ(r.bottom, 870 + 138 + 70) << "six dip below the glass";

    RECT big = ComputeDockInputRect(Resting(1.5f));
    EXPECT_EQ(big.left, 1140 - 15);
    EXPECT_EQ(big.right - big.left, 630);
    EXPECT_EQ(big.top, 1620 - 315 + 207);
    EXPECT_EQ(big.bottom - big.top, 105);
}

TEST(DockInputRect, WhileHoveringReachesUpOverTheMagnifiedIcons) {
    DockInputRectInput in = Resting(1.0f);
    in.reaching = true;
    RECT r = ComputeDockInputRect(in);
    // 0.9 of the icon size higher: 138 - 43.2 = 94.8 dip, floored to pixels.
    EXPECT_EQ(r.top, 870 + 94);
    EXPECT_EQ(r.bottom, 870 + 94 + 113) << "the bottom stays six dip under the glass, rounded";
    EXPECT_EQ(r.left, 750);

    in.layoutY = 20.0f;  // a band too short to reach that far: clamped at its top
    RECT clamped = ComputeDockInputRect(in);
    EXPECT_EQ(clamped.top, 870);
}

TEST(DockInputRect, HiddenLeavesAStripAtTheMonitorBottom) {
    DockInputRectInput in = Resting(1.0f);
    in.hidden = true;
    RECT r = ComputeDockInputRect(in);
    EXPECT_EQ(r.bottom, 1080);
    EXPECT_EQ(r.top, 1074) << "six pixels high";
    EXPECT_EQ(r.left, 736);
    EXPECT_EQ(r.right - r.left, 448);

    // A tiny dock at the monitor's right edge still keeps 80 px.
    in.layoutX = 1900.0f;
    in.layoutWidth = 10.0f;
    RECT edge = ComputeDockInputRect(in);
    EXPECT_EQ(edge.right - edge.left, 80);

    // Left of the monitor: the strip starts at the monitor's left edge.
    in.layoutX = 5.0f;
    EXPECT_EQ(ComputeDockInputRect(in).left, 0);

    in = Resting(2.0f);
    in.hidden = true;
    RECT hi = ComputeDockInputRect(in);
    EXPECT_EQ(hi.bottom - hi.top, 12) << "six dip at twice the scale";
}

TEST(DockInputRect, MovesOnlyForChangesAboveTwoPixels) {
    RECT a = {100, 200, 300, 400};
    EXPECT_TRUE(InputRectNearlyEqual(a, RECT{102, 198, 301, 400}));
    EXPECT_FALSE(InputRectNearlyEqual(a, RECT{103, 200, 300, 400}));
    EXPECT_FALSE(InputRectNearlyEqual(a, RECT{100, 200, 300, 397}));
}
