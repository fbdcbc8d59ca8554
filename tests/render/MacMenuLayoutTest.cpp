// The menu's decisions on plain values: stacking, width, hit testing, keys
// and placement.
#include <gtest/gtest.h>

#include "render/MacMenuLayout.h"

namespace {

MacMenuItem Row(int id, bool disabled = false) {
    MacMenuItem row;
    row.id = id;
    row.label = L"行";
    row.disabled = disabled;
    return row;
}

MacMenuItem Separator() {
    MacMenuItem row;
    row.separator = true;
    return row;
}

}  // namespace

TEST(MacMenuLayout, RowsStackFromSevenWithThinSeparators) {
    MenuRowLayout layout = StackMenuRows({Row(1), Separator(), Row(2)});
    EXPECT_EQ(layout.tops, (std::vector<float>{7, 38, 51}));
    EXPECT_EQ(layout.heights, (std::vector<float>{31, 13, 31}));
    EXPECT_FLOAT_EQ(layout.height, 89);
    EXPECT_FLOAT_EQ(StackMenuRows({}).height, 14);
}

TEST(MacMenuLayout, WidthFromTheWidestTextWithinLimits) {
    EXPECT_FLOAT_EQ(MenuWidthForText(0), 190) << "120 + 52 is below the minimum";
    EXPECT_FLOAT_EQ(MenuWidthForText(150.2f), 203);
    EXPECT_FLOAT_EQ(MenuWidthForText(288), 340);
    EXPECT_FLOAT_EQ(MenuWidthForText(900), 340);
}

TEST(MacMenuLayout, HitTestSkipsEdgesSeparatorsAndDisabledRows) {
    std::vector<MacMenuItem> rows = {Row(1), Separator(), Row(2, true), Row(3)};
    MenuRowLayout layout = StackMenuRows(rows);
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 100, 7), 0);
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 100, 37.9f), 0);
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 100, 40), -1) << "separator";
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 100, 60), -1) << "disabled";
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 100, 90), 3);
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 4.9f, 20), -1) << "left edge";
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 185.1f, 20), -1) << "right edge";
    EXPECT_EQ(HitTestMenuRow(rows, layout, 190, 100, 2), -1) << "top padding";
}

TEST(MacMenuLayout, KeysWrapAndSkipWhatCannotBeChosen) {
    std::vector<MacMenuItem> rows = {Separator(), Row(1), Separator(), Row(2), Row(3, true)};
    EXPECT_EQ(StepMenuHover(rows, -1, false), 3) << "Up from nothing: the last enabled row";
    EXPECT_EQ(StepMenuHover(rows, -1, true), 1) << "Down from nothing: the first enabled row";
    EXPECT_EQ(StepMenuHover(rows, 3, true), 1) << "Down from the last wraps";
    EXPECT_EQ(StepMenuHover(rows, 1, false), 3) << "Up from the first wraps";
    EXPECT_EQ(StepMenuHover(rows, 1, true), 3);
    EXPECT_EQ(StepMenuHover({Row(1)}, 0, true), 0) << "one row stays";
    EXPECT_EQ(StepMenuHover({Separator(), Row(2, true)}, -1, true), -1) << "one round at most";
}

TEST(MacMenuLayout, PlacementFlipsAtTheMonitorEdges) {
    RECT monitor = {0, 0, 1920, 1080};
    POINT at = PlaceMenuPanel({1910, 100}, {190, 89}, monitor);
    EXPECT_EQ(at.x, 1720) << "10 px from the right edge: opens to the left";
    EXPECT_EQ(at.y, 100);
    at = PlaceMenuPanel({500, 1050}, {190, 89}, monitor);
    EXPECT_EQ(at.y, 961) << "near the bottom: opens upwards";
    at = PlaceMenuPanel({1722, 100}, {190, 89}, monitor);
    EXPECT_EQ(at.x, 1722) << "right edge exactly 8 px away still fits";
    at = PlaceMenuPanel({1723, 100}, {190, 89}, monitor);
    EXPECT_EQ(at.x, 1533);
    at = PlaceMenuPanel({2000 + 150, 50}, {340, 89}, {2000, 0, 2300, 600});
    EXPECT_EQ(at.x, 2008) << "never closer than 8 px to the left edge";
}
