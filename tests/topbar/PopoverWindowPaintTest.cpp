// The panel painted through its real window: Show with recorded answers, our
// compositor's surface read back (premultiplied B, G, R, A at panel pixels).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "PopoverCanvas.h"
#include "support/CompositorTest.h"
#include "topbar/TopBarPopover.h"

namespace {

class PopoverWindowPaintTest : public testing_support::CompositorTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartCompositor());
        popover.instance = GetModuleHandleW(nullptr);
        popover.device = &graphics;
        popover.host = &host;
        // What Wine answers: sound only, no radio, no DDC, no schemes.
        PopoverServices& s = popover.services;
        s.collectStatus = [] {
            vantreel::SystemStatusSnapshot status;
            status.volume = 0.4f;
            status.muted = true;
            status.volumeAvailable = true;
            return status;
        };
        s.audioOutputDevices = [] {
            return std::vector<vantreel::AudioDevice>{{L"{0}", L"扬声器", true}, {L"{1}", L"耳机", false}};
        };
        s.scanWifi = [](bool) { return vantreel::WifiPanelState{}; };
        s.bluetoothDevices = [] { return vantreel::BluetoothState{}; };
        s.powerSchemeSummary = [] { return vantreel::PowerModeInfo{}; };
        s.hotspotStatus = [] { return vantreel::HotspotStatusInfo{}; };
        s.keepAwakeFlag = [] { return false; };
        s.desktopIconsVisible = [] { return true; };
        s.displayBrightness = [](HMONITOR) { return vantreel::BrightnessInfo{false, 100}; };
        s.trayIcons = [] { return std::vector<TrayIconInfo>{}; };
        s.startWorker = [](std::function<void()> body) { body(); };
        s.localTime = [] {
            SYSTEMTIME t = {};
            t.wYear = 2025;
            t.wMonth = 10;
            t.wDay = 1;
            t.wDayOfWeek = 3;
            return t;
        };
        config.theme = kGlassThemeDark;
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    void TearDown() override {
        popover.Hide();
        StopCompositor();
    }
    void Show(PopoverKind kind) {
        popover.Show(kind, nullptr, POINT{1800, 36}, config, 1.0f);
        ASSERT_TRUE(popover.visible);
        ASSERT_TRUE(popover.surface);
    }

    TopBarPopover popover;
    DockConfig config;
};

TEST_F(PopoverWindowPaintTest, MutedSoundAndWineControlCenterThroughTheWindow) {
    Show(PopoverKind::Sound);
    EXPECT_EQ(popover.surfaceWidth, 304);
    EXPECT_EQ(popover.surfaceHeight, 238);
    EXPECT_TRUE(Near(SurfacePixel(popover.surface, 263, 26), {245, 127, 10, 245}, 3));
    ASSERT_EQ(popover.hits.size(), 5u);
    EXPECT_EQ(popover.hits[0].id, 102);

    Show(PopoverKind::ControlCenter);
    EXPECT_EQ(popover.surfaceWidth, 332);
    EXPECT_EQ(popover.surfaceHeight, 354);
    // Wi-Fi is off: the first tile's circle is the dim grey over the card.
    EXPECT_TRUE(Near(SurfacePixel(popover.surface, 25, 42), {73, 73, 73, 73}, 3));
    for (const HitItem& hit : popover.hits) EXPECT_NE(hit.id, 507);
    EXPECT_EQ(popover.hits.back().id, 101);
    bool sentence = false;
    for (int y = 238; y < 260 && !sentence; ++y) {
        for (int x = 26; x < 306 && !sentence; ++x) sentence = SurfacePixel(popover.surface, x, y).a > 120;
    }
    EXPECT_TRUE(sentence) << "the DDC sentence in the brightness track";
}

TEST_F(PopoverWindowPaintTest, CalendarReopensFromItsKeptFrameAsAFreshPaintWould) {
    config.showLunarCalendar = true;
    SYSTEMTIME now = popover.services.localTime();
    popover.services.localTime = [&now] { return now; };
    Show(PopoverKind::Calendar);
    popover.Hide();
    now.wSecond = 17;
    popover.paintPalette.reset();
    Show(PopoverKind::Calendar);
    EXPECT_FALSE(popover.paintPalette) << "reopened with nothing painted but its clock";
    const raster::Image kept = popover.surface.Pixels();
    const size_t keptHits = popover.hits.size();
    popover.keptFrames = {};
    popover.Redraw();
    ASSERT_TRUE(popover.paintPalette);
    const raster::Image& fresh = popover.surface.Pixels();
    ASSERT_EQ(kept.Width(), fresh.Width());
    ASSERT_EQ(kept.Height(), fresh.Height());
    EXPECT_TRUE(std::equal(kept.Data(), kept.Data() + kept.Width() * kept.Height(), fresh.Data()));
    EXPECT_EQ(keptHits, popover.hits.size());
    now.wDay = 2;
    popover.paintPalette.reset();
    popover.Redraw();
    EXPECT_TRUE(popover.paintPalette) << "a new day paints the panel anew";
}

}  // namespace
