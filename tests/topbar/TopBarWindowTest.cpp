// The bar as a real window under a real compositor, with its system calls
// recorded: app-bar registration, heights, hiding, shutdown, and the picture
// read back from the bar's surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "TopBarFixture.h"
#include "support/SurfacePixels.h"

static std::atomic<size_t> failAllocationOf{0};  // armed by a test: the next allocation of that size fails
void* operator new(size_t size) {  // as the runtime's, on malloc, which its operator delete frees
    if (size_t armed = size; size != 0 && failAllocationOf.compare_exchange_strong(armed, 0)) throw std::bad_alloc();
    void* memory = std::malloc(size ? size : 1);
    return memory ? memory : throw std::bad_alloc();
}
namespace {

void ExpectPixel(const Bgra& p, int b, int g, int r, int a, const char* what) {
    EXPECT_NEAR(p.b, b, 1) << what;
    EXPECT_NEAR(p.g, g, 1) << what;
    EXPECT_NEAR(p.r, r, 1) << what;
    EXPECT_NEAR(p.a, a, 1) << what;
}

}  // namespace

TEST_F(TopBarWindowTest, RegistersAsAnAppBarAndStandsAtTheTopEdge) {
    Apply();
    ASSERT_TRUE(IsWindow(bar.Window()));
    wchar_t className[64] = {};
    GetClassNameW(bar.Window(), className, 64);
    EXPECT_STREQ(className, L"VantreelTopBarWindow");
    const LONG_PTR exStyle = GetWindowLongPtrW(bar.Window(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(bar.HandleMessage(WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);

    const RECT m = bar.monitorRect;
    const AppBarCall* registration = Last(ABM_NEW);
    ASSERT_NE(registration, nullptr);
    EXPECT_EQ(registration->data.cbSize, 48u);
    EXPECT_EQ(registration->data.uCallbackMessage, 0x8037u);
    EXPECT_EQ(registration->data.hWnd, bar.Window());
    const AppBarCall* query = Last(ABM_QUERYPOS);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->data.uEdge, static_cast<UINT>(ABE_TOP));
    EXPECT_EQ(query->data.rc.right, m.right);
    EXPECT_EQ(query->data.rc.bottom, m.top + 32);
    const AppBarCall* place = Last(ABM_SETPOS);
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->data.rc.left, 100) << "the shell's answer goes on";
    EXPECT_EQ(place->data.rc.top, m.top);
    EXPECT_EQ(place->data.rc.bottom, m.top + 32);
    RECT placed = {};
    GetWindowRect(bar.Window(), &placed);
    EXPECT_EQ(placed.left, m.left) << "yet the bar stands at the monitor's left";
    EXPECT_EQ(placed.top, m.top);
    EXPECT_EQ(placed.right, m.right);
    EXPECT_EQ(placed.bottom, m.top + 32);
    EXPECT_TRUE(IsWindowVisible(bar.Window()));
    EXPECT_FLOAT_EQ(bar.barWidthDip, static_cast<float>(m.right - m.left));

    config.topBarReserveSpace = false;
    Apply();
    EXPECT_NE(Last(ABM_REMOVE), nullptr);
    EXPECT_FALSE(bar.appBarRegistered);

    // The shell's own list is missing: placed and shown without a reservation.
    shellAnswers = false;
    config.topBarReserveSpace = true;
    Apply(1.5f);
    EXPECT_FALSE(bar.appBarRegistered);
    GetWindowRect(bar.Window(), &placed);
    EXPECT_EQ(placed.bottom - placed.top, 48);
    EXPECT_TRUE(IsWindowVisible(bar.Window()));

    const std::pair<float, int> heights[] = {{0.5f, 32}, {1.0f, 32}, {1.1f, 35}, {1.25f, 40}, {1.5f, 48}, {1.75f, 56}};
    for (auto [scale, height] : heights) EXPECT_EQ(TopBarHeightPixels(std::max(scale, 1.0f)), height) << scale;
}

TEST_F(TopBarWindowTest, HidingShowingAndShuttingDown) {
    TopBarWindow never;
    never.system = bar.system;
    config.showTopBar = false;
    never.Apply(nullptr, config, 1.0f);
    EXPECT_EQ(never.Window(), nullptr) << "a bar that was never shown is not created";
    EXPECT_FALSE(never.store.openAttempted) << "nor is the store opened";

    config.showTopBar = true;
    Apply();
    HWND window = bar.Window();
    bar.SetHiddenForFullscreen(false);
    EXPECT_TRUE(IsWindowVisible(window)) << "the same value does nothing";
    bar.popover.Show(PopoverKind::Sound, nullptr, {0, 0}, config, 1.0f);
    bar.SetHiddenForFullscreen(true);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(bar.popover.visible);
    Apply();
    EXPECT_FALSE(IsWindowVisible(window)) << "a new configuration keeps it hidden";
    EXPECT_TRUE(bar.appBarRegistered) << "the registration stays";
    bar.SetHiddenForFullscreen(false);
    EXPECT_TRUE(IsWindowVisible(window));

    config.showTopBar = false;
    Apply();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(bar.appBarRegistered);
    config.showTopBar = true;
    Apply();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(bar.appBarRegistered);

    bar.Shutdown();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(Last(ABM_REMOVE), nullptr);
    const size_t count = calls.size();
    bar.Shutdown();
    EXPECT_EQ(calls.size(), count) << "a second shutdown does nothing";
}

TEST_F(TopBarWindowTest, PaintsTextBatteryAndBadgesInBothThemes) {
    status.hasBattery = true;
    status.batteryPercent = 20;
    Apply(2.0f);
    const TopBarItem* battery = Item(kTopBarBattery);
    ASSERT_NE(battery, nullptr);
    const int cy = bar.surfaceHeight / 2;
    const int x0 = static_cast<int>(battery->left * 2.0f) + 12;
    const int x1 = x0 + 36;
    // The terminal is drawn in the text colour; the fill 2 px inside the body.
    ExpectPixel(SurfacePixel(bar.surface, x1 + 3, cy), 255, 255, 255, 255, "text on a dark bar");
    ExpectPixel(SurfacePixel(bar.surface, x0 + 5, cy), 61, 73, 233, 245, "alert at 20 %");
    bar.status.batteryPercent = 21;
    bar.Redraw();
    ExpectPixel(SurfacePixel(bar.surface, x0 + 5, cy), 255, 255, 255, 255, "text at 21 %");
    bar.status.acOnline = true;
    bar.Redraw();
    ExpectPixel(SurfacePixel(bar.surface, x0 + 5, cy), 113, 206, 44, 245, "charging on AC");

    config.theme = 2;
    Apply(2.0f);
    ExpectPixel(SurfacePixel(bar.surface, x1 + 3, cy), 18, 10, 8, 252, "text on a light bar");
    const std::vector<uint32_t> before = Ink();
    status.clockText = L"12月9日 周二  07:13";  // the same length: no relayout
    SendMessageW(bar.Window(), WM_TIMER, 1, 0);
    EXPECT_NE(Ink(), before) << "a minute's tick draws the new minute";
}

TEST_F(TopBarWindowTest, PaintsHighlightDotChevronAndTrayIcons) {
    tray = {TrayIconInfo{}};
    tray[0].key = L"C:\\Apps\\Tool.exe";
    tray[0].displayName = L"Tool";
    tray[0].exePath = tray[0].key;
    config.topBarOriginalTrayIcons = true;
    Apply(2.0f);
    const comp::CompositionDrawingSurface first = bar.surface;
    const int cy = bar.surfaceHeight / 2;
    auto centre = [&](int32_t id) {
        const TopBarItem* item = Item(id);
        return item ? static_cast<int>((item->left + item->right)) : -1;  // (L + R) / 2 at scale 2
    };

    // One highlight when hovered and active are the same item.
    const TopBarItem* sound = Item(kTopBarSound);
    ASSERT_NE(sound, nullptr);
    bar.hoveredItemId = bar.activeItemId = kTopBarSound;
    bar.Redraw();
    const int hx = static_cast<int>(sound->left * 2.0f) + 5;
    EXPECT_NEAR(SurfacePixel(bar.surface, hx, cy).a, 51, 2) << "highlight fill drawn once";
    EXPECT_TRUE(bar.surface == first) << "the surface is kept while its size holds";
    bar.hoveredItemId = bar.activeItemId = 0;

    // The unread dot, or under do-not-disturb the slash and nothing red.
    const int bell = centre(kTopBarNotifications);
    auto reddest = [&] {
        int best = 0;
        for (int x = bell - 28; x <= bell + 28; ++x) {
            for (int y = 0; y < bar.surfaceHeight; ++y) {
                Bgra p = SurfacePixel(bar.surface, x, y);
                if (p.r > 150 && p.g < 110) best = std::max(best, p.r);
            }
        }
        return best;
    };
    EXPECT_EQ(reddest(), 0);
    bar.store.unreadCount = 2;
    bar.Redraw();
    EXPECT_GT(reddest(), 200) << "the unread dot";
    bar.config.doNotDisturb = true;
    bar.Redraw();
    EXPECT_EQ(reddest(), 0) << "no dot under do-not-disturb";
    bar.config.doNotDisturb = false;

    // The chevron points right while the icons show, left while collapsed.
    const int toggle = centre(kTopBarTrayToggle);
    EXPECT_GT(SurfacePixel(bar.surface, toggle + 3, cy).a, 150);
    EXPECT_LT(SurfacePixel(bar.surface, toggle - 3, cy).a, 60);
    bar.trayCollapsed = true;
    bar.Layout();
    bar.Redraw();
    const int collapsed = centre(kTopBarTrayToggle);
    EXPECT_GT(SurfacePixel(bar.surface, collapsed - 3, cy).a, 150);
    EXPECT_LT(SurfacePixel(bar.surface, collapsed + 3, cy).a, 60);
    bar.trayCollapsed = false;
    bar.Layout();
    bar.Redraw();

    // Original pixels, then grey templates kept per theme.
    const int icon = centre(kTopBarTrayIconBase);
    Bgra original = SurfacePixel(bar.surface, icon, cy);
    EXPECT_EQ(original.r, 255);
    EXPECT_EQ(original.g, 0);
    config.topBarOriginalTrayIcons = false;
    Apply(2.0f);
    Bgra templ = SurfacePixel(bar.surface, icon, cy);
    EXPECT_NEAR(templ.r, templ.g, 3) << "a grey template";
    config.theme = 2;
    Apply(2.0f);
    EXPECT_EQ(bar.trayTemplatePixels.count(L"c:\\apps\\tool.exe#d"), 1u);
    EXPECT_EQ(bar.trayTemplatePixels.count(L"c:\\apps\\tool.exe#l"), 1u);
    EXPECT_EQ(bar.trayIconPixels.size(), 1u) << "the icon is extracted once";
}

TEST_F(TopBarWindowTest, ALostDeviceAtDrawingIsReportedAndRecovered) {
    Apply();
    host.graphicsDevice.InjectFailure(static_cast<HRESULT>(0x887A0005));
    bar.hoveredItemId = kTopBarSound;  // a redraw with nothing changed leaves the device alone
    bar.Redraw();
    ASSERT_TRUE(host.TakeDeviceLost());
    ASSERT_TRUE(graphics.Create());
    host.SetRenderingDevice(graphics);
    const comp::CompositionDrawingSurface before = bar.surface;
    bar.RecoverDevice();
    EXPECT_FALSE(bar.surface == before) << "a new surface";
    int inked = 0;
    for (int x = 0; x < bar.surfaceWidth; ++x) inked += SurfacePixel(bar.surface, x, 16).a > 128;
    EXPECT_GT(inked, 20) << "the picture is back";
}

TEST_F(TopBarWindowTest, AClockTickShowsOnlyTheClockAgainAndTheSamePixelsAsAFreshPaint) {
    Apply();
    host.compositor.Commit();
    status.clockText = L"12月9日 周二  07:13";
    bar.StatusTick();
    host.compositor.Commit();
    const TopBarItem* clock = Item(kTopBarClock);
    ASSERT_NE(clock, nullptr);
    const RECT shownAgain = bar.target.LastDamage();
    EXPECT_LE(shownAgain.left, clock->left);
    EXPECT_GE(shownAgain.right, clock->right);
    EXPECT_LT(shownAgain.right - shownAgain.left, (clock->right - clock->left) + 40) << "the clock alone";
    const std::vector<uint32_t> partial = Ink();
    const raster::Image presented = bar.target.PresentedPixels();
    host.paintedPixels.Clear();
    bar.RecoverDevice();  // a new surface, every piece painted afresh
    host.compositor.Commit();
    EXPECT_TRUE(Ink() == partial);
    const raster::Image fresh = bar.target.PresentedPixels();
    ASSERT_EQ(fresh.Width() * fresh.Height(), presented.Width() * presented.Height());
    EXPECT_TRUE(std::equal(fresh.Data(), fresh.Data() + fresh.Width() * fresh.Height(), presented.Data()));
}

// The coming minute's piece (7 pixels past the clock on each side) cannot be kept.
TEST_F(TopBarWindowTest, AClockPaintedAheadThatFailsLeavesTheShownMinute) {
    bar.system.nextClockText = [] { return std::wstring(L"12月9日 周二  07:13"); };
    Apply();
    const TopBarItem* clock = Item(kTopBarClock);
    ASSERT_NE(clock, nullptr);
    failAllocationOf = static_cast<size_t>(std::ceil(clock->right) - std::floor(clock->left) + 14) * bar.surfaceHeight * 4;
    EXPECT_THROW(bar.StatusTick(), std::bad_alloc);
    EXPECT_EQ(bar.status.clockText, status.clockText);
}
