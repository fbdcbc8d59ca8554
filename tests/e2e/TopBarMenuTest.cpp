// The running top bar under the X server's pointer: its menus and their
// commands, the tray toggle and the bell's menu writing the configuration,
// the clock's panel, and the shell's app-bar notifications.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "DockProcess.h"
#include "ScopedLogPixels.h"
#include "TopBarLog.h"
#include "XPointer.h"
#include "render/MacMenuLayout.h"
#include "support/TestSupport.h"
#include "support/WindowProgram.h"
#include "topbar/TopBarMenus.h"

using namespace testing_support;

namespace {

bool FullHdScreen() { return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080; }

void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

class TopBarUnderPointer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FullHdScreen()) GTEST_SKIP() << "the places are for a 1920 x 1080 screen";
        ASSERT_TRUE(dpi_.Applied());
        ASSERT_TRUE(XMoveTo({960, 600})) << "xdotool is needed to move the X pointer";
    }
    void TearDown() override {
        if (dock_.IsRunning()) dock_.CloseAndWait();
    }

    bool Start(const DockConfig& config = TestDockConfig()) {
        if (!StartAndWaitForWindowList(dock_, config)) return false;
        return WaitUntil(
            [&] {
                bar_ = dock_.FindWindowOfClass(L"VantreelTopBarWindow");
                int l = 0, r = 0;
                return bar_ && IsWindowVisible(bar_) && TopBarItemSpan(dock_.DebugLog(), kBellId, l, r);
            },
            10000);
    }

    // The middle of an item of the last layout line, in screen pixels at 96 DPI.
    POINT ItemPoint(int id) const {
        int left = 0, right = 0;
        EXPECT_TRUE(TopBarItemSpan(dock_.DebugLog(), id, left, right)) << id;
        return POINT{(left + right) / 2, 16};
    }

    HWND VisibleMenu() const {
        HWND menu = dock_.FindWindowOfClass(L"VantreelMacMenuWindow");
        return menu && IsWindowVisible(menu) ? menu : nullptr;
    }
    HWND WaitForMenu() const {
        HWND menu = nullptr;
        WaitUntil([&] { return (menu = VisibleMenu()) != nullptr; }, 5000);
        return menu;
    }
    // A point inside a row of the menu window now showing those rows.
    static POINT MenuRow(HWND menu, const std::vector<MacMenuItem>& rows, int index) {
        RECT r = {};
        GetWindowRect(menu, &r);
        MenuRowLayout layout = StackMenuRows(rows);
        const float y = kMenuMarginDip + layout.tops[index] + layout.heights[index] / 2;
        return POINT{r.left + static_cast<LONG>(kMenuMarginDip + 60), r.top + static_cast<LONG>(y + 0.5f)};
    }
    // Opens an item's menu and clicks the row of a command.
    void ChooseFromMenu(int item, int button, const std::vector<MacMenuItem>& rows, int command) {
        ASSERT_TRUE(XClickOn(bar_, ItemPoint(item), button));
        HWND menu = WaitForMenu();
        ASSERT_NE(menu, nullptr) << "no menu for item " << item;
        int index = -1;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].id == command) index = static_cast<int>(i);
        }
        ASSERT_GE(index, 0);
        ASSERT_TRUE(XClickOn(menu, MenuRow(menu, rows, index)));
        EXPECT_TRUE(WaitUntil([&] { return VisibleMenu() == nullptr; }, 3000)) << "the menu closes";
    }
    bool FileSays(const std::string& text) const { return dock_.ConfigFileText().find(text) != std::string::npos; }

    static constexpr int kBellId = 13;
    ScopedLogPixels dpi_{96};
    DockProcess dock_;
    HWND bar_ = nullptr;
};

}  // namespace

TEST_F(TopBarUnderPointer, TheLogoMenuQuitsFromTheKeyboard) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(XClickOn(bar_, ItemPoint(1)));
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr) << "the logo menu";
    // Keys go to the foreground thread's focus, which the menu becomes just after it shows.
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == menu && HasKeyboardFocus(menu); }, 3000));
    PressKey(VK_UP);  // from no row upwards: the last row, "退出 Vantreel"
    PressKey(VK_RETURN);
    EXPECT_EQ(dock_.WaitForExit(15000), 0u);
    EXPECT_NE(dock_.DebugLog().find("exit: top bar menu quit command"), std::string::npos);
}

TEST_F(TopBarUnderPointer, TheGoMenuOpensTheControlPanel) {
    ASSERT_TRUE(Start());
    ChooseFromMenu(4, 1, BarGoMenuRows(), kBarGoControlPanel);
    HWND panel = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (panel = FindWindowW(L"Shell_Control_WndClass", nullptr)) != nullptr; }, 10000))
        << "Wine's control panel";
    if (panel) {
        PostMessageW(panel, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(panel); }, 5000)) << "the control panel closes";
    }
    EXPECT_EQ(dock_.CloseAndWait(), 0u) << "the program goes on and ends in order";
}

TEST_F(TopBarUnderPointer, MenusAndTheTrayToggleActOnTheWindowInFront) {
    ASSERT_TRUE(Start());
    int left = 0, desktopRight = 0;
    ASSERT_TRUE(TopBarItemSpan(dock_.DebugLog(), 2, left, desktopRight));
    WindowProgram program(BinDir() + L"\\foreground_window_gui.exe", L"VantreelBarMenuProbe Probe");
    HWND window = program.Window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 3000));
    int right = 0;
    ASSERT_TRUE(WaitUntil([&] { return TopBarItemSpan(dock_.DebugLog(), 2, left, right) && right > desktopRight; },
                          3000))
        << "the bar names the helper, whose name is longer than the desktop's";

    ChooseFromMenu(3, 1, BarWindowMenuRows(true), kBarSnapLeft);
    RECT placed = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            GetWindowRect(window, &placed);
            return placed.left == 0 && placed.top == 0 && placed.right == 960 && placed.bottom == 1080;
        },
        2000))
        << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;

    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 3000));
    ASSERT_TRUE(XClickOn(bar_, ItemPoint(14)));
    EXPECT_TRUE(WaitUntil([&] { return FileSays("\"topBarTrayCollapsed\": true"); }, 15000));
    EXPECT_EQ(GetForegroundWindow(), window) << "the bar takes no activation";
    ASSERT_TRUE(XClickOn(bar_, ItemPoint(14)));
    EXPECT_TRUE(WaitUntil([&] { return FileSays("\"topBarTrayCollapsed\": false"); }, 15000));
    program.Close();
}

TEST_F(TopBarUnderPointer, TheBellsMenuTurnsDoNotDisturbOn) {
    ASSERT_TRUE(Start());
    ChooseFromMenu(kBellId, 3, BarNotificationMenuRows(false, false, false), kBarToggleDoNotDisturb);
    EXPECT_TRUE(WaitUntil([&] { return FileSays("\"doNotDisturb\": true"); }, 2000));
}

TEST_F(TopBarUnderPointer, TheClockOpensItsPanelUnderItAndASecondClickClosesIt) {
    ASSERT_TRUE(Start());
    int left = 0, right = 0;
    ASSERT_TRUE(TopBarItemSpan(dock_.DebugLog(), 12, left, right));
    ASSERT_TRUE(XClickOn(bar_, ItemPoint(12)));
    HWND popover = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            popover = dock_.FindWindowOfClass(L"VantreelTopBarPopover");
            return popover && IsWindowVisible(popover);
        },
        5000));
    RECT placed = {};
    GetWindowRect(popover, &placed);
    EXPECT_EQ(placed.right - 14, right) << "the panel's right edge under the clock's (14 px of shadow margin)";
    EXPECT_EQ(placed.top + 14, 36) << "36 DIPs below the top";
    ASSERT_TRUE(XClickOn(bar_, ItemPoint(12)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(popover); }, 3000)) << "a second click hides it";
    // The bar names each click it takes; once it has answered since the second, that click is done with.
    const std::string second = "TopBar click id=12";
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string log = dock_.DebugLog();
            return log.find(second, log.find(second) + 1) != std::string::npos;
        },
        kLeastWaitMs));
    ASSERT_TRUE(dock_.Answers());
    EXPECT_FALSE(IsWindowVisible(popover)) << "and it stays hidden";
}

TEST_F(TopBarUnderPointer, AppBarNotificationsMoveAndHideTheBar) {
    TempDir dir;
    const std::wstring log = dir.File(L"appbar.log");
    WindowProgram probe(BinDir() + L"\\appbar_probe_gui.exe", L"\"" + log + L"\"");
    ASSERT_NE(probe.Window(), nullptr);
    const auto placesHeard = [&] {
        const std::vector<uint8_t> bytes = ReadFileBytes(log);
        const std::string text(bytes.begin(), bytes.end());
        size_t count = 0;
        for (size_t at = text.find("poschanged"); at != std::string::npos; at = text.find("poschanged", at + 1)) {
            ++count;
        }
        return count;
    };
    const auto before = placesHeard();
    ASSERT_TRUE(Start());
    // The bar's own registration settles: the probe hears it take its place.
    ASSERT_TRUE(WaitUntil([&] { return placesHeard() > before; }, kLeastWaitMs));
    const int layouts = CountTopBarLayouts(dock_.DebugLog());
    PostMessageW(probe.Window(), WM_APP + 8, 150, 0);
    EXPECT_TRUE(WaitUntil([&] { return CountTopBarLayouts(dock_.DebugLog()) > layouts; }, 3000))
        << "an app bar that moved places the bar again";

    PostMessageW(bar_, 0x8037, ABN_FULLSCREENAPP, 1);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(bar_); }, 2000)) << "hidden for a full-screen window";
    PostMessageW(bar_, 0x8037, ABN_FULLSCREENAPP, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(bar_) != FALSE; }, 2000)) << "and back";
    EXPECT_EQ(dock_.CloseAndWait(), 0u);
    probe.Close();
}
