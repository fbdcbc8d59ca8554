#include <gtest/gtest.h>

#include <cmath>

#include "dock/DockItemKind.h"
#include "dock/DockLayout.h"

namespace {

constexpr int32_t kLaunchpad = static_cast<int32_t>(DockItemKind::Launchpad);
constexpr int32_t kApp = static_cast<int32_t>(DockItemKind::App);
constexpr int32_t kSeparator = static_cast<int32_t>(DockItemKind::Separator);
constexpr int32_t kBin = static_cast<int32_t>(DockItemKind::RecycleBin);

// launchpad, two applications, separator, recycle bin on a 1920-dip screen with
// the default settings.
DockLayoutInput ReferenceInput() {
  DockLayoutInput in;
  in.kinds = {kLaunchpad, kApp, kApp, kSeparator, kBin};
  return in;
}

// Worked out by hand for the reference case (icon 48, gap 8, insets 12/8,
// band 200, bottom margin 8):
//   row width = 2*12 + 4*48 + 14 + 4*8 = 262, below the 1720 limit, so no shrink
//   height = 2*8 + 48 = 64; radius = min(0.3*64, 20) = 19.2
//   y = 200 - 8 - 64 = 128; centre y = 160; x = (1920 - 262)/2 = 829
//   first slot starts at 829 + 12 = 841; slots are 56 apart, the separator 14 wide
constexpr float kRefCentres[] = {865.0f, 921.0f, 977.0f, 1016.0f, 1055.0f};

float Bell(float distance, float sigma) { return std::exp(-(distance * distance) / (2.0f * sigma * sigma)); }

}  // namespace

TEST(DockLayout, ReferenceRowAtRest) {
  const DockLayoutResult r = ComputeDockLayout(ReferenceInput());
  EXPECT_FLOAT_EQ(r.iconSize, 48.0f);
  EXPECT_FLOAT_EQ(r.x, 829.0f);
  EXPECT_FLOAT_EQ(r.y, 128.0f);
  EXPECT_FLOAT_EQ(r.width, 262.0f);
  EXPECT_FLOAT_EQ(r.height, 64.0f);
  EXPECT_FLOAT_EQ(r.cornerRadius, 19.2f);
  EXPECT_FLOAT_EQ(r.centerY, 160.0f);
  ASSERT_EQ(r.items.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_FLOAT_EQ(r.items[i].centerX, kRefCentres[i]) << i;
    EXPECT_FLOAT_EQ(r.items[i].centerY, 160.0f) << i;
    EXPECT_FLOAT_EQ(r.items[i].scale, 1.0f) << i;
    EXPECT_FLOAT_EQ(r.items[i].opacity, 1.0f) << i;
    EXPECT_FLOAT_EQ(r.items[i].size, 48.0f) << i;
  }
  EXPECT_FLOAT_EQ(r.items[3].width, 14.0f);
  EXPECT_FLOAT_EQ(r.items[1].width, 48.0f);

  const DockLayoutResult empty = ComputeDockLayout(DockLayoutInput{});
  EXPECT_TRUE(empty.items.empty());
  EXPECT_EQ(empty.width, 0.0f);
}

TEST(DockLayout, MagnificationBellAroundThePointer) {
  DockLayoutInput in = ReferenceInput();
  in.hovering = true;
  in.magnifyAmount = 1.0f;
  in.cursorX = kRefCentres[1];
  const DockLayoutResult r = ComputeDockLayout(in);

  EXPECT_NEAR(r.items[1].scale, 1.55f, 1e-6);
  // Neighbours sit 56 dip from the pointer: 1 + 0.55 * exp(-56^2 / (2 * 110^2)).
  const float neighbour = 1.0f + 0.55f * std::exp(-3136.0f / 24200.0f);
  EXPECT_NEAR(r.items[0].scale, neighbour, 1e-5);
  EXPECT_NEAR(r.items[2].scale, neighbour, 1e-5);
  EXPECT_NEAR(r.items[0].size, neighbour * 48.0f, 1e-4);
  // The separator never magnifies.
  EXPECT_FLOAT_EQ(r.items[3].scale, 1.0f);
  EXPECT_FLOAT_EQ(r.items[3].width, 14.0f);

  // The glass keeps its height; the hovered icon grows upwards from the glass.
  EXPECT_FLOAT_EQ(r.height, 64.0f);
  EXPECT_NEAR(r.items[1].centerY, 160.0f - (48.0f * 1.55f - 48.0f) * 0.5f, 1e-4);
  EXPECT_NEAR(r.items[1].centerY + r.items[1].size * 0.5f, 184.0f, 1e-4);

  // The glass widens by what the icons grew and stays centred.
  float grown = 0;
  for (const auto& it : r.items) grown += it.width;
  EXPECT_NEAR(r.width, 24.0f + grown + 32.0f, 1e-3);
  EXPECT_NEAR(r.x + r.width * 0.5f, 960.0f, 1e-3);
  EXPECT_NEAR(r.items[1].centerX - r.items[0].centerX, (r.items[0].width + r.items[1].width) * 0.5f + 8.0f, 1e-3);
}

TEST(DockLayout, MagnificationAmountsAndLimits) {
  DockLayoutInput in;
  in.kinds = {kApp, kApp, kApp, kApp, kApp};
  in.hovering = true;
  in.magnifyAmount = 1.0f;
  // Centre slot 2 sits at 960; an icon 110 dip away (x = 850) under sigma 110.
  in.cursorX = 960.0f + 110.0f;
  DockLayoutResult r = ComputeDockLayout(in);
  EXPECT_NEAR(r.items[2].scale, 1.0f + 0.55f * std::exp(-0.5f), 1e-5);

  // Half the spring amount gives half the extra scale.
  in.cursorX = 960.0f;
  in.magnifyAmount = 0.5f;
  r = ComputeDockLayout(in);
  EXPECT_NEAR(r.items[2].scale, 1.275f, 1e-5);

  // Amounts beyond 1 are clamped.
  in.magnifyAmount = 3.0f;
  EXPECT_NEAR(ComputeDockLayout(in).items[2].scale, 1.55f, 1e-5);

  // A sigma below 30 behaves as 30.
  in.magnifyAmount = 1.0f;
  in.magnifySigma = 10.0f;
  r = ComputeDockLayout(in);
  in.magnifySigma = 30.0f;
  const DockLayoutResult r30 = ComputeDockLayout(in);
  EXPECT_NEAR(r.items[1].scale, 1.0f + 0.55f * Bell(56.0f, 30.0f), 1e-5);
  EXPECT_FLOAT_EQ(r.items[1].scale, r30.items[1].scale);

  // No magnification when idle, switched off or with a negligible spring.
  in.magnifySigma = 110.0f;
  in.hovering = false;
  EXPECT_FLOAT_EQ(ComputeDockLayout(in).items[1].scale, 1.0f);
  in.hovering = true;
  in.magnifyEnabled = false;
  EXPECT_FLOAT_EQ(ComputeDockLayout(in).items[1].scale, 1.0f);
  in.magnifyEnabled = true;
  in.magnifyScale = 1.0f;
  EXPECT_FLOAT_EQ(ComputeDockLayout(in).items[1].scale, 1.0f);
  in.magnifyScale = 1.55f;
  in.magnifyAmount = 0.001f;
  EXPECT_FLOAT_EQ(ComputeDockLayout(in).items[1].scale, 1.0f);
  in.magnifyAmount = 0.002f;
  EXPECT_GT(ComputeDockLayout(in).items[1].scale, 1.0f);
}

TEST(DockLayout, ShrinksToFitANarrowScreen) {
  DockLayoutInput in;
  in.kinds = {kLaunchpad, kApp, kApp, kApp, kApp, kApp, kApp, kApp, kSeparator, kBin};
  in.screenWidth = 300.0f;
  in.maxWidth = 280.0f;
  // Row width 24 + 9*48 + 14 + 9*8 = 542; ratio = (280 - 24) / (542 - 24).
  const float ratio = 256.0f / 518.0f;
  DockLayoutResult r = ComputeDockLayout(in);
  EXPECT_NEAR(r.iconSize, 48.0f * ratio, 1e-4);
  EXPECT_NEAR(r.items[1].centerX - r.items[0].centerX, 48.0f * ratio + 8.0f * ratio, 1e-4);
  EXPECT_FLOAT_EQ(r.items[8].width, 14.0f);
  EXPECT_NEAR(r.height, 16.0f + 48.0f * ratio, 1e-4);

  // Thirty icons would shrink below the limits: icons stop at 16, gaps at 2.
  in.kinds.assign(30, kApp);
  in.kinds.push_back(kSeparator);
  r = ComputeDockLayout(in);
  EXPECT_FLOAT_EQ(r.iconSize, 16.0f);
  EXPECT_FLOAT_EQ(r.items[1].centerX - r.items[0].centerX, 18.0f);
  EXPECT_FLOAT_EQ(r.items[30].width, 14.0f);
  EXPECT_FLOAT_EQ(r.width, 24.0f + 30 * 16.0f + 14.0f + 30 * 2.0f);

  // A limit of 120 or less never shrinks, however wide the row.
  in.maxWidth = 120.0f;
  EXPECT_FLOAT_EQ(ComputeDockLayout(in).iconSize, 48.0f);
}

TEST(DockLayout, DropGapOpensAndCountsTowardsShrinking) {
  DockLayoutInput in = ReferenceInput();
  in.maxWidth = 300.0f;  // 262 fits, 262 + 56 does not
  EXPECT_FLOAT_EQ(ComputeDockLayout(in).iconSize, 48.0f);
  in.dropIndex = 1;
  EXPECT_NEAR(ComputeDockLayout(in).iconSize, 48.0f * (276.0f / 294.0f), 1e-4);

  // The gap opens before the drop index.
  in.maxWidth = 1720.0f;
  in.dropIndex = 2;
  DockLayoutResult r = ComputeDockLayout(in);
  EXPECT_FLOAT_EQ(r.width, 262.0f + 56.0f);
  EXPECT_FLOAT_EQ(r.x, (1920.0f - 318.0f) * 0.5f);
  EXPECT_FLOAT_EQ(r.items[1].centerX - r.items[0].centerX, 56.0f);
  EXPECT_FLOAT_EQ(r.items[2].centerX - r.items[1].centerX, 112.0f);

  // At the end: one more slot on the right, no icon moves against the glass.
  in.dropIndex = 5;
  r = ComputeDockLayout(in);
  EXPECT_FLOAT_EQ(r.width, 318.0f);
  for (size_t i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(r.items[i].centerX - r.x, kRefCentres[i] - 829.0f);
}

TEST(DockLayout, DraggedIconFollowsThePointerAndFades) {
  DockLayoutInput in = ReferenceInput();
  in.dragIndex = 1;
  in.dragX = 700.0f;
  in.hovering = true;
  in.magnifyAmount = 1.0f;
  in.cursorX = 300.0f;  // far from every icon; the dragged one still peaks

  const auto opacityAtLift = [&](float lift) {
    in.dragOffsetY = -lift;
    return ComputeDockLayout(in).items[1].opacity;
  };
  EXPECT_FLOAT_EQ(opacityAtLift(40.0f), 1.0f);
  EXPECT_FLOAT_EQ(opacityAtLift(55.0f), 1.0f);
  EXPECT_FLOAT_EQ(opacityAtLift(80.0f), 0.5f);
  EXPECT_FLOAT_EQ(opacityAtLift(92.5f), 0.25f);
  EXPECT_FLOAT_EQ(opacityAtLift(200.0f), 0.25f);

  in.dragOffsetY = -30.0f;
  const DockLayoutResult r = ComputeDockLayout(in);
  EXPECT_FLOAT_EQ(r.items[1].centerX, 700.0f);
  EXPECT_NEAR(r.items[1].scale, 1.55f, 1e-6);
  EXPECT_NEAR(r.items[1].centerY, 160.0f - 13.2f - 30.0f, 1e-4);
  EXPECT_NEAR(r.items[0].scale, 1.0f, 1e-4);
  // The dragged icon keeps its slot in the row.
  EXPECT_NEAR(r.items[2].centerX - r.items[0].centerX, 48.0f * 0.5f + 8 + 48 * 1.55f + 8 + 24.0f, 1e-2);
}

TEST(DockLayout, HitTestTolerancesAndDropSlots) {
  const DockLayoutResult r = ComputeDockLayout(ReferenceInput());
  // Slot of item 1: 921 +- (24 + 3); glass bottom 192 + 4; top 160 - (24 + 6).
  EXPECT_EQ(r.HitTestIcon(921, 160, 6), 1);
  EXPECT_EQ(r.HitTestIcon(894, 160, 6), 1);
  EXPECT_EQ(r.HitTestIcon(948, 160, 6), 1);
  EXPECT_EQ(r.HitTestIcon(893.5f, 160, 6), -1);  // in the gap between items 0 and 1
  EXPECT_EQ(r.HitTestIcon(892, 160, 6), 0);
  EXPECT_EQ(r.HitTestIcon(921, 196, 6), 1);
  EXPECT_EQ(r.HitTestIcon(921, 196.5f, 6), -1);
  EXPECT_EQ(r.HitTestIcon(921, 130, 6), 1);
  EXPECT_EQ(r.HitTestIcon(921, 129.5f, 6), -1);
  EXPECT_EQ(r.HitTestIcon(921, 129.5f, 7), 1);
  // The separator is hit like any slot.
  EXPECT_EQ(r.HitTestIcon(1016 + 7 + 3, 160, 6), 3);
  EXPECT_EQ(r.HitTestIcon(100, 160, 6), -1);

  // The slot for a file drop.
  EXPECT_EQ(r.SlotIndexAtX(10, 1, 2), 1);
  EXPECT_EQ(r.SlotIndexAtX(920, 1, 2), 1);
  EXPECT_EQ(r.SlotIndexAtX(921, 1, 2), 2);
  EXPECT_EQ(r.SlotIndexAtX(976, 1, 2), 2);
  EXPECT_EQ(r.SlotIndexAtX(1500, 1, 2), 3);
  EXPECT_EQ(r.SlotIndexAtX(1500, 1, 0), 1);
  EXPECT_EQ(r.SlotIndexAtX(1500, 1, 50), 5);
}

TEST(DockLayout, ReorderIndexWithHysteresis) {
  DockLayoutInput in = ReferenceInput();
  in.dragIndex = 1;
  // Without the dragged item the centres are 865, 977, 1016, 1055.
  EXPECT_EQ(in.DropIndexForX(921, 1, 2), 1);
  EXPECT_EQ(in.DropIndexForX(978, 1, 2), 1);    // past the neighbour, but within 5 dip
  EXPECT_EQ(in.DropIndexForX(981.9f, 1, 2), 1);
  EXPECT_EQ(in.DropIndexForX(982, 1, 2), 2);
  EXPECT_EQ(in.DropIndexForX(1900, 1, 2), 2);   // clamped to the last application
  EXPECT_EQ(in.DropIndexForX(0, 1, 2), 1);      // clamped to the first application

  in.dragIndex = 2;
  // Now 865, 921, 1016, 1055.
  EXPECT_EQ(in.DropIndexForX(920, 1, 2), 2);
  EXPECT_EQ(in.DropIndexForX(916.5f, 1, 2), 2);
  EXPECT_EQ(in.DropIndexForX(916, 1, 2), 1);

  // Degenerate ranges give the lower bound.
  EXPECT_EQ(in.DropIndexForX(1000, 1, 0), 1);
  EXPECT_EQ(in.DropIndexForX(1000, -3, 2), 0);
  in.kinds.clear();
  EXPECT_EQ(in.DropIndexForX(1000, 1, 2), 1);

  // Shrunken rows use their own centres.
  in.kinds.assign(30, kApp);
  in.screenWidth = 300.0f;
  in.maxWidth = 280.0f;
  in.dragIndex = 0;
  // Icons 16, gaps 2: row 24 + 30*16 + 29*2 = 562, starting at (300-562)/2 + 12 = -119;
  // without item 0 the centres start at -119 + 18 + 8 = -93 and are 18 apart.
  EXPECT_EQ(in.DropIndexForX(-93 + 18 * 9 + 6, 0, 30), 10);
  EXPECT_EQ(in.DropIndexForX(-93 + 18 * 9 - 1, 0, 30), 9);
}
