// The top bar of the running program: its window across the top edge at two
// DPIs, its layout line, and no window at all while it is switched off.
#include <gtest/gtest.h>

#include <windows.h>

#include <dwrite.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "ScopedLogPixels.h"
#include "support/ScreenDc.h"
#include "TopBarLog.h"
#include "support/ToastDatabase.h"
#include "support/WindowProgram.h"

namespace {

int CountLines(const std::wstring& path, const std::string& line) {
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
    return count;
}

// The screen's top band as 32-bit BGRX pixels, top-down.
std::vector<uint32_t> CaptureBand(int width, int height) { return CaptureScreenDc({0, 0, width, height}); }

// Strongly red pixels in a span of columns of a captured band.
int RedPixels(const std::vector<uint32_t>& band, int width, int from, int to) {
    int count = 0;
    for (size_t i = 0; i < band.size(); ++i) {
        const int x = static_cast<int>(i % width);
        if (x < from || x > to) continue;
        const int r = (band[i] >> 16) & 0xFF, g = (band[i] >> 8) & 0xFF, b = band[i] & 0xFF;
        count += r > 170 && g < 120 && b < 120;
    }
    return count;
}

constexpr DWORD kStartTimeoutMs = 30000;

bool FullHdScreen() { return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080; }

bool StartAndWaitForBar(DockProcess& dock, const DockConfig& config) {
    return StartAndWaitForWindowList(dock, config, kStartTimeoutMs);
}

}  // namespace

TEST(RunningTopBar, StandsAcrossTheTopEdgeAtTwoDpis) {
    if (!FullHdScreen()) GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen";
    struct Case {
        DWORD dpi;
        int height;
        const char* layout;
    };
    for (const Case& c : {Case{96, 32, "TopBar layout: scale=1.00 barW=1920 "},
                          Case{144, 48, "TopBar layout: scale=1.50 barW=1280 "}}) {
        SCOPED_TRACE(c.dpi);
        ScopedLogPixels dpi(c.dpi);
        ASSERT_TRUE(dpi.Applied());
        DockProcess dock;
        ASSERT_TRUE(StartAndWaitForBar(dock, TestDockConfig()));
        HWND bar = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                bar = dock.FindWindowOfClass(L"VantreelTopBarWindow");
                return bar && IsWindowVisible(bar);
            },
            5000));
        wchar_t title[64] = {};
        GetWindowTextW(bar, title, 64);
        EXPECT_STREQ(title, L"VantreelTopBar");
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(bar, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
        const LONG exStyle = GetWindowLongW(bar, GWL_EXSTYLE);
        EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
        EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
        EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
        RECT rect = {};
        GetWindowRect(bar, &rect);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, 1920);
        EXPECT_EQ(rect.bottom, c.height);

        const std::wstring startup = dock.StartupLogText();
        const size_t shown = startup.find(L"first frame shown");
        ASSERT_NE(shown, std::wstring::npos);
        EXPECT_NE(startup.find(L"top bar ready", shown), std::wstring::npos) << "the bar follows the first frame";
        const std::string debug = dock.DebugLog();
        const size_t layout = debug.find(c.layout);
        ASSERT_NE(layout, std::string::npos) << debug;
        EXPECT_NE(debug.find("[1:8-44 2:46-", layout), std::string::npos) << debug;
        EXPECT_EQ(dock.CloseAndWait(), 0u);
        EXPECT_EQ(dock.DebugLog().find("exception"), std::string::npos);
    }
}

TEST(RunningTopBar, SwitchedOffMakesNoWindow) {
    DockConfig config = TestDockConfig();
    config.showTopBar = false;
    DockProcess dock;
    ASSERT_TRUE(StartAndWaitForBar(dock, config));
    EXPECT_NE(dock.StartupLogText().find(L"top bar ready"), std::wstring::npos);
    EXPECT_EQ(dock.FindWindowOfClass(L"VantreelTopBarWindow"), nullptr);
    EXPECT_EQ(dock.DebugLog().find("TopBar layout"), std::string::npos);
    EXPECT_EQ(dock.CloseAndWait(), 0u);
}

TEST(RunningTopBar, HidesWhileAFullScreenWindowIsInFront) {
    if (!FullHdScreen()) GTEST_SKIP() << "the helper covers a 1920 x 1080 screen";
    DockConfig config = TestDockConfig();
    config.hideDockOnFullscreen = true;  // the dock's 350 ms full-screen poll
    DockProcess dock;
    ASSERT_TRUE(StartAndWaitForBar(dock, config));
    HWND bar = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            bar = dock.FindWindowOfClass(L"VantreelTopBarWindow");
            return bar && IsWindowVisible(bar);
        },
        5000));

    testing_support::WindowProgram program(testing_support::BinDir() + L"\\foreground_window_gui.exe",
                                           L"VantreelFullScreenProbe Probe");
    HWND window = program.Window();
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    SetWindowPos(window, HWND_TOP, 0, 0, 1920, 1080, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(bar); }, 10000)) << "hidden";
    program.Close();
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(bar); }, 10000)) << "shown again";
    EXPECT_EQ(dock.CloseAndWait(), 0u);
}

TEST(RunningTopBar, AnEarlierAppBarHearsTheBarTakeAndLeaveItsPlace) {
    testing_support::TempDir dir;
    const std::wstring log = dir.File(L"appbar.log");
    testing_support::WindowProgram probe(testing_support::BinDir() + L"\\appbar_probe_gui.exe", L"\"" + log + L"\"");
    ASSERT_NE(probe.Window(), nullptr);
    ASSERT_EQ(CountLines(log, "registered"), 1) << "the shell's app-bar list took the helper";
    const int before = CountLines(log, "poschanged");

    DockProcess dock;
    ASSERT_TRUE(StartAndWaitForBar(dock, TestDockConfig()));
    EXPECT_TRUE(WaitUntil([&] { return CountLines(log, "poschanged") > before; }, 3000))
        << "the bar's place was announced";
    const int placed = CountLines(log, "poschanged");
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return CountLines(log, "poschanged") > placed; }, 3000))
        << "and its removal";
    probe.Close();
}

TEST(RunningTopBar, ShowsGlassTextAndTheUnreadDotOfANewToast) {
    if (!FullHdScreen()) GTEST_SKIP() << "the band is read from a 1920 x 1080 screen";
    PWSTR folder = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder)));
    const std::wstring localAppData = folder;
    CoTaskMemFree(folder);
    const std::wstring database = testing_support::ToastDatabase::PathIn(localAppData);
    auto removeDatabase = [database] {
        for (const wchar_t* suffix : {L"", L"-wal", L"-shm"}) DeleteFileW((database + suffix).c_str());
    };
    removeDatabase();  // nothing left from an earlier run
    struct Cleanup {
        std::function<void()> run;
        ~Cleanup() { run(); }
    } cleanup{removeDatabase};
    auto db = std::make_unique<testing_support::ToastDatabase>(localAppData);
    ASSERT_TRUE(db->Ok()) << db->LastError();
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const int64_t arrival = static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    ASSERT_TRUE(db->AddHandler(1, "Vantreel.Test", "app:desktop", std::string("测试")));
    for (int64_t id = 1; id <= 3; ++id) {
        ASSERT_TRUE(db->AddNotification(id, 1, arrival - 1000000 * id, db->ToastXml({"old toast"})));
    }

    DockProcess dock;
    ASSERT_TRUE(StartAndWaitForBar(dock, TestDockConfig()));
    int left = 0, right = 0;
    ASSERT_TRUE(WaitUntil([&] { return TopBarItemSpan(dock.DebugLog(), 13, left, right); }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return dock.DebugLog().find("TopBar content painted") != std::string::npos; }, 30000));
    // The painted content reaches the screen with the compositor's next turn.
    std::vector<uint32_t> band;
    int glass = 0, text = 0;
    WaitUntil([&] {
        band = CaptureBand(1920, 32);
        glass = text = 0;
        for (uint32_t p : band) {
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            glass += (r + g + b) > 30;
            text += r > 230 && g > 230 && b > 230;
        }
        return glass > 1920 * 32 / 2 && text > 100;
    }, kLeastWaitMs);
    EXPECT_GT(glass, 1920 * 32 / 2) << "the glass covers the band";
    EXPECT_GT(text, 100) << "white text and glyphs";
    EXPECT_EQ(RedPixels(band, 1920, left, right), 0) << "toasts there before the start are read";

    ASSERT_TRUE(db->AddNotification(4, 1, arrival, db->ToastXml({"new toast"})));
    // The bar reads the store on its one-second status tick; the bound only
    // guards against a dot that never comes.
    EXPECT_TRUE(WaitUntil([&] { return RedPixels(CaptureBand(1920, 32), 1920, left, right) > 4; }, 15000))
        << "the unread dot";
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    db.reset();
}

TEST(RunningTopBar, GivesTheApplicationInFrontTheWidthOfItsName) {
    testing_support::WindowProgram program(testing_support::BinDir() + L"\\foreground_window_gui.exe",
                                           L"VantreelBarNameProbe Probe");
    ASSERT_NE(program.Window(), nullptr);
    const std::wstring name = L"foreground_window_gui";
    Microsoft::WRL::ComPtr<IDWriteFactory> factory;
    ASSERT_TRUE(SUCCEEDED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                              reinterpret_cast<IUnknown**>(factory.GetAddressOf()))));
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
    ASSERT_TRUE(SUCCEEDED(factory->CreateTextFormat(L"Microsoft YaHei UI", nullptr, DWRITE_FONT_WEIGHT_SEMI_BOLD,
                                                    DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, 13.2f,
                                                    L"zh-CN", &format)));
    Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
    ASSERT_TRUE(SUCCEEDED(factory->CreateTextLayout(name.c_str(), static_cast<UINT32>(name.size()), format.Get(),
                                                    200.0f, 32.0f, &layout)));
    DWRITE_TEXT_METRICS metrics = {};
    ASSERT_TRUE(SUCCEEDED(layout->GetMetrics(&metrics)));
    const float width = std::clamp(std::ceil(metrics.width) + 18.0f, 52.0f, 210.0f);
    const std::string expected = "[1:8-44 2:46-" + std::to_string(static_cast<int>(46.0f + width)) + " ";

    DockProcess dock;
    ASSERT_TRUE(StartAndWaitForBar(dock, TestDockConfig()));
    EXPECT_TRUE(WaitUntil([&] { return dock.DebugLog().find(expected) != std::string::npos; }, 3000))
        << expected << "\n" << dock.DebugLog();
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    program.Close();
}
