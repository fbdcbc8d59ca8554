// The frame step without a window: page slides, wheel paging, the hover field
// and the index letters.
#include <gtest/gtest.h>

#include "LauncherFixtures.h"
#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsWindow.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// A shown launcher whose 24 slots have no visuals: the frame step runs, the
// drawing steps have nothing to draw into.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        apps.tickCount = [this] { return now; };
        apps.callbacks.onRequestFrame = [this] { ++frames; };
        apps.visible = true;
        apps.tileSlots.resize(AllAppsWindow::kSlotsPerPage);
        apps.catalog = NumberedApps(24 * 4);
        apps.ApplyFilterAndLayout();
    }
    uint64_t now = 100000;
    int frames = 0;
    AllAppsWindow apps;
};

}  // namespace

TEST_F(FrameTest, APageSlidesInFromItsSideAndComesToRest) {
    apps.GoToPage(1, +1);
    EXPECT_EQ(apps.page, 1);
    EXPECT_FLOAT_EQ(apps.slideOffset, 58.0f);
    EXPECT_FLOAT_EQ(apps.slideOpacity, 0.62f);
    EXPECT_EQ(frames, 1);
    for (int i = 0; i < 13; ++i) apps.Tick(kFrame);
    EXPECT_TRUE(apps.sliding);
    EXPECT_TRUE(apps.IsAnimating());
    apps.Tick(kFrame);
    EXPECT_FALSE(apps.sliding);
    EXPECT_EQ(apps.slideOffset, 0.0f);
    EXPECT_FALSE(apps.IsAnimating());

    apps.GoToPage(0, -1);
    EXPECT_FLOAT_EQ(apps.slideOffset, -58.0f);
    apps.GoToPage(0, -1);
    apps.GoToPage(-5, -1);
    EXPECT_EQ(frames, 2) << "the current page starts nothing";
}

TEST_F(FrameTest, TouchpadTurnsOnePageAtATime) {
    for (int i = 1; i <= 3; ++i) {
        now += 10;
        apps.HandleWheel(30, true);
        EXPECT_EQ(apps.page, 0) << i;
    }
    now += 10;
    apps.HandleWheel(30, true);
    EXPECT_EQ(apps.page, 1) << "the fourth event";
    for (int i = 0; i < 14; ++i) {
        now += 10;
        apps.HandleWheel(30, true);
    }
    EXPECT_EQ(apps.page, 1) << "none within 150 ms of a page";
    EXPECT_LT(std::abs(apps.wheelAccum), 120);

    AllAppsWindow spaced;
    uint64_t t = 5000;
    spaced.tickCount = [&] { return t; };
    spaced.catalog = NumberedApps(48);
    spaced.ApplyFilterAndLayout();
    for (int i = 0; i < 10; ++i) {
        t += 221;
        spaced.HandleWheel(90, true);
    }
    EXPECT_EQ(spaced.page, 0) << "events 221 ms apart never add up";
}

TEST_F(FrameTest, ANotchedWheelCanTurnSeveralPages) {
    apps.HandleWheel(-360, false);
    EXPECT_EQ(apps.page, 3);
    now += 500;
    apps.HandleWheel(120, false);
    EXPECT_EQ(apps.page, 2);
}

TEST_F(FrameTest, HoverMagnifiesOnlyWithMagnifyOn) {
    AllAppsTileSlot& slot = apps.tileSlots[0];
    slot.visible = true;
    slot.centerX = 88.0f;
    slot.centerY = 131.0f;
    apps.pointerInGrid = true;
    apps.pointerX = 88.0f;
    apps.pointerY = 131.0f;
    apps.gridSpring.target = 1.0f;
    for (int i = 0; i < 120; ++i) apps.Tick(kFrame);
    EXPECT_NEAR(slot.scale, 1.42f, 0.003f);
    EXPECT_NEAR(slot.offsetY, -4.0f, 0.03f);
    EXPECT_FALSE(apps.IsAnimating()) << "settled under the pointer";

    apps.magnifyEnabled = false;
    apps.gridSpring.target = 0.0f;
    apps.indexSpring.target = 1.0f;
    apps.pointerOnIndexBar = true;
    int ticks = 0;
    while (apps.IsAnimating() && ticks < 600) {
        apps.Tick(kFrame);
        ++ticks;
    }
    EXPECT_LT(ticks, 600);
    EXPECT_EQ(slot.scale, 1.0f);
    for (float s : apps.letterScales) EXPECT_EQ(s, 1.0f);
}

TEST_F(FrameTest, AnIndexBarEmptiedUnderThePointerLetsTheFramesStop) {
    apps.pointerOnIndexBar = true;
    apps.indexPointerX = LetterCenterX(IndexBarFor(apps.panelWidth, apps.indexLetters.size()), 1);
    apps.indexSpring.target = 1.0f;
    apps.Tick(kFrame);
    ASSERT_TRUE(apps.indexAnimating);  // the letters grow
    apps.searchText = L"nothing like it";
    apps.ApplyFilterAndLayout();
    for (int i = 0; i < 120; ++i) apps.Tick(kFrame);
    EXPECT_FALSE(apps.IsAnimating());
}

TEST_F(FrameTest, MagnifiedLettersPaintLastAndTheHoveredOneAmongEquals) {
    apps.letterScales = {1.0f, 1.3f, 1.003f, 1.3f};
    apps.hoveredLetter = 1;
    EXPECT_EQ(apps.SortIndexLettersByScale({0, 1, 2, 3}), (std::vector<int>{0, 2, 3, 1}));
}

TEST(LauncherCallbacks, MoveAssignmentToItselfKeepsEveryMember) {
    AllAppsWindow::Callbacks callbacks;
    int fired = 0;
    callbacks.onRequestFrame = [&] { ++fired; };
    callbacks.onClosed = [&] { fired += 10; };
    AllAppsWindow::Callbacks& same = callbacks;
    callbacks = std::move(same);
    ASSERT_TRUE(callbacks.onRequestFrame);
    ASSERT_TRUE(callbacks.onClosed);
    callbacks.onRequestFrame();
    callbacks.onClosed();
    EXPECT_EQ(fired, 11);

    AllAppsWindow::Callbacks other;
    other = std::move(callbacks);
    ASSERT_TRUE(other.onClosed);
    EXPECT_FALSE(other.onPinToDock) << "an empty member stays empty";
}
