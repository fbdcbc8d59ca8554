// A press on an icon turning into a drag, lifting it away to unpin it, and
// moving it to another slot, from pointer pixels at the monitor's scale.
#include <gtest/gtest.h>

#include "dock/DockDragStep.h"

namespace {

// Launchpad, four applications, separator, recycle bin on a 1000 dip screen:
// the unmagnified centres are 349, 405, 461, 517, 573, ...
DockLayoutInput Row() {
    DockLayoutInput layout;
    layout.kinds = {0, 1, 1, 1, 1, 2, 3};
    layout.screenWidth = 1000.0f;
    return layout;
}

DockDragInput PressOnThird(float scale, LONG dx, LONG dy, bool dragging = false, bool pinned = true) {
    DockDragInput in;
    in.pressPoint = {500, 900};
    in.cursor = {500 + dx, 900 + dy};
    in.scale = scale;
    in.dragging = dragging;
    in.pinned = pinned;
    in.pressedIndex = 3;
    in.cursorDipX = 517.0f;
    in.runFirst = 1;
    in.runCount = 4;
    in.itemCount = 7;
    return in;
}

}  // namespace

TEST(DockDragStep, StartsPastEightDipRoundedAtTheScale) {
    struct Case {
        float scale;
        LONG dx, dy;
        bool starts;
    } cases[] = {
        {1.0f, 6, 6, true},   // 72 > 64
        {1.0f, 5, 6, false},  // 61
        {1.5f, 8, 9, true},   // 145 > 144
        {1.5f, 8, 8, false},  // 128
        {1.5f, -12, 0, false},
        {1.25f, 0, -11, true},  // round(10) = 10
    };
    for (const Case& c : cases) {
        DockDragStep step = StepDockDrag(PressOnThird(c.scale, c.dx, c.dy), Row());
        EXPECT_EQ(step.started, c.starts) << c.scale << " " << c.dx << "," << c.dy;
        EXPECT_EQ(step.dragging, c.starts);
        if (!c.starts) {
            EXPECT_EQ(step.dragOffsetY, 0.0f) << "nothing moves before the drag starts";
        }
    }
    DockDragStep going = StepDockDrag(PressOnThird(1.0f, 1, 1, /*dragging=*/true), Row());
    EXPECT_TRUE(going.dragging) << "a drag stays a drag back near its start";
    EXPECT_FALSE(going.started);
}

TEST(DockDragStep, LiftedMoreThanEightyFiveDipAPinnedIconWouldUnpin) {
    struct Case {
        float scale;
        LONG dy;
        bool unpin;
    } cases[] = {{1.0f, -86, true}, {1.0f, -85, false}, {1.5f, -128, true}, {1.5f, -127, false}};
    for (const Case& c : cases) {
        DockDragStep step = StepDockDrag(PressOnThird(c.scale, 0, c.dy, true), Row());
        EXPECT_EQ(step.unpinIntent, c.unpin) << c.scale << " " << c.dy;
        EXPECT_FLOAT_EQ(step.dragOffsetY, static_cast<float>(c.dy) / c.scale);
        EXPECT_EQ(step.reorderTo, -1) << "no reordering out of the row";
    }
    // A running application that is not pinned has nothing to unpin: it only follows.
    DockDragStep running = StepDockDrag(PressOnThird(1.0f, 0, -120, true, /*pinned=*/false), Row());
    EXPECT_FALSE(running.unpinIntent);
    EXPECT_EQ(running.reorderTo, -1);
}

TEST(DockDragStep, ReordersOnlyWithinSixtyDipOfTheRow) {
    struct Case {
        LONG dy;
        int reorderTo;
    } cases[] = {{-59, 1}, {59, 1}, {-60, -1}, {60, -1}, {-70, -1}, {70, -1}, {0, 1}};
    for (const Case& c : cases) {
        DockDragInput in = PressOnThird(1.0f, 0, c.dy, true);
        in.cursorDipX = 400.0f;  // between the first and second application
        DockDragStep step = StepDockDrag(in, Row());
        EXPECT_EQ(step.reorderTo, c.reorderTo) << c.dy;
        EXPECT_FALSE(step.unpinIntent) << c.dy;
        if (c.reorderTo >= 0) {
            EXPECT_TRUE(step.moveInModel);
        }
    }
    // Over its own slot the icon stays.
    EXPECT_EQ(StepDockDrag(PressOnThird(1.0f, 0, -10, true), Row()).reorderTo, -1);
    // A running unpinned application reorders like a pinned one, but never unpins.
    DockDragInput running = PressOnThird(1.0f, 0, -30, true, /*pinned=*/false);
    running.cursorDipX = 600.0f;
    DockDragStep step = StepDockDrag(running, Row());
    EXPECT_EQ(step.reorderTo, 4);
    EXPECT_TRUE(step.moveInModel);
}
