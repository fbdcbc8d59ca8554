// The launcher in the running program: a Start menu of 30 shortcuts and a
// three-app folder, the prewarm's hidden prebuild, Alt+Space from SendInput,
// the panel's place and pixels on the screen, the closing hotkey and the
// re-open guard, the test timer, and the catalog file it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "LauncherProcess.h"
#include "ScopedLogPixels.h"
#include "allapps/AllAppsGeometry.h"
#include "apps/CatalogCache.h"

using namespace testing_support;
using namespace launcher_e2e;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

}  // namespace

TEST(RunningLauncher, AltSpaceOpensThePrebuiltPanelAndClosesIt) {
    TestStartMenu menu(30, false);
    ASSERT_TRUE(menu.Ready());
    DeleteFileW(CatalogCachePath().c_str());
    DockConfig config = TestDockConfig();
    config.theme = 1;
    DockProcess dock;
    ASSERT_TRUE(dock.Start(config));
    ASSERT_TRUE(WaitUntil([&] { return dock.DebugLog().find("AllApps prewarm: visuals prebuilt") != std::string::npos; },
                          kStartTimeoutMs))
        << dock.DebugLog();
    HWND panel = dock.FindWindowOfClass(L"VantreelAllAppsWindow");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(Shown(panel));

    PressAltSpace();
    ASSERT_TRUE(WaitUntil([&] { return Shown(panel); }, 5000));
    EXPECT_TRUE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect;
    GetWindowRect(panel, &rect);
    const float reserve = config.iconSize + static_cast<float>(config.bottomMargin) + 22.0f;
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const PanelSize size = PanelSizeFor(screen.right, screen.bottom, 1.0f, reserve);
    const RECT expected = AllAppsWindowRect(screen, screen, size, 1.0f, reserve);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
    if (screen.right == 1920 && screen.bottom == 1080 && reserve == 78.0f) {
        EXPECT_EQ(rect.left, 554);
        EXPECT_EQ(rect.top, 400);
    }

    const float inset = kAllAppsInsetDip;
    const float dotsLeft = (size.width - 260.0f) * 0.5f + inset;
    auto dot = [&](const ScreenShot& s, int i) {
        return Brightness(s.At(s.left + static_cast<int>(dotsLeft + 123 + 14 * i),
                               s.top + static_cast<int>(inset + size.height - 106 + 9)));
    };
    // The compositor presents the whole panel at once on the UI thread's next
    // turn: its page dots on the screen say the frame is there.
    ScreenShot shot;
    WaitUntil([&] { return shot = Capture(rect), dot(shot, 0) > dot(shot, 1) + 60; }, kLeastWaitMs);
    const AllAppsGrid grid = GridFor(size.width, size.height, 1.0f);
    for (int slot = 0; slot < 24; ++slot) {
        const PointF cell = SlotCellOrigin(grid, slot);
        const float left = inset + cell.x + (grid.cellWidth - grid.iconSize) / 2;
        const float top = inset + cell.y + 6;
        EXPECT_GE(ColoursIn(shot, left, top, left + grid.iconSize, top + grid.iconSize), 30u) << "icon " << slot;
    }
    const TabLayout tabs = TabsFor(size.width);
    const float tab1 = inset + TabLeft(tabs, 1);
    EXPECT_GE(ColoursIn(shot, tab1, inset + 62, tab1 + tabs.width, inset + 90), 8u) << "no label on tab 1";
    EXPECT_GT(dot(shot, 0), dot(shot, 1) + 60) << "two dots, the left one current";

    const std::string log = dock.DebugLog();
    const size_t opened = log.rfind("AllApps perf: opened in");
    const size_t opening = log.rfind("AllApps perf: catalog ready", opened);
    ASSERT_NE(opened, std::string::npos);
    ASSERT_NE(opening, std::string::npos);
    EXPECT_EQ(log.substr(opening, opened - opening).find("rebuild tiles done"), std::string::npos)
        << "the first open redrew what the prebuild had drawn";

    // The second press closes; the third, right behind it, counts as the click that closed.
    PressAltSpace();
    PressAltSpace();
    EXPECT_TRUE(WaitUntil(
        [&] { return dock.DebugLog().find("is taken as the click that closed") != std::string::npos; }, 10000))
        << dock.DebugLog();
    EXPECT_FALSE(Shown(panel)) << "a third press within 250 ms reopened the panel";

    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_EQ(dock.DebugLog().find("exception"), std::string::npos);
}

TEST(RunningLauncher, TheTestTimerOpensItAt144DpiAndTheCatalogFileKeepsTheFolder) {
    const bool fullHd = GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080;
    TestStartMenu menu(0, true);
    ASSERT_TRUE(menu.Ready());
    DeleteFileW(CatalogCachePath().c_str());
    ScopedLogPixels dpi(144);
    ASSERT_TRUE(dpi.Applied());
    DockProcess dock;
    const DockConfig config = TestDockConfig();
    ASSERT_TRUE(dock.Start(config, L"--debug-log --test-allapps 4000"));
    HWND panel = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return Shown(panel = dock.FindWindowOfClass(L"VantreelAllAppsWindow")); }, 20000))
        << dock.Describe();
    if (fullHd && config.iconSize + static_cast<float>(config.bottomMargin) == 56.0f) {
        RECT rect;
        GetWindowRect(panel, &rect);
        EXPECT_EQ(rect.left, 351);
        EXPECT_EQ(rect.top, 60);
        EXPECT_EQ(rect.right, 1569);
        EXPECT_EQ(rect.bottom, 966);
    }

    std::vector<InstalledApp> cached;
    ASSERT_TRUE(WaitUntil([&] { return LoadCatalogCache(cached); }, 10000));
    auto suite =
        std::find_if(cached.begin(), cached.end(), [](const InstalledApp& app) { return app.name == L"VtSuite"; });
    ASSERT_NE(suite, cached.end());
    EXPECT_TRUE(suite->isFolder);
    EXPECT_EQ(suite->children.size(), 3u);

    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_EQ(dock.DebugLog().find("exception"), std::string::npos);
}
