// The dock as a running program: its start-up, its windows on the screen, its
// pixels, running applications joining it, and its orderly end.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "dock/DockInputRect.h"
#include "dock/DockLayout.h"

using namespace testing_support;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

bool HasMilestone(const DockProcess& dock, const wchar_t* milestone) {
    return dock.StartupLogText().find(milestone) != std::wstring::npos;
}

bool StartAndSettle(DockProcess& dock, const DockConfig& config, const std::wstring& args = L"--debug-log") {
    if (!dock.Start(config, args)) return false;
    return WaitUntil([&] { return HasMilestone(dock, L"window list scanned") && dock.InputWindow(); },
                     kStartTimeoutMs);
}

RECT WindowRectOf(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

bool IsFullHdAt96Dpi() {
    return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080 && GetDpiForSystem() == 96;
}

// What the input window covers at rest for a dock of `count` items, the
// separator and recycle bin included.
RECT RestingInputRect(int appCount) {
    DockLayoutInput input;
    input.kinds.push_back(0);
    for (int i = 0; i < appCount; ++i) input.kinds.push_back(1);
    input.kinds.push_back(2);
    input.kinds.push_back(3);
    input.screenWidth = 1920.0f;
    input.bandHeight = 210.0f;
    input.maxWidth = 1920.0f - 64.0f;
    DockLayoutResult layout = ComputeDockLayout(input);
    DockInputRectInput rect;
    rect.layoutX = layout.x;
    rect.layoutY = layout.y;
    rect.layoutWidth = layout.width;
    rect.layoutHeight = layout.height;
    rect.originY = 1080 - 210;
    rect.monitor = {0, 0, 1920, 1080};
    return ComputeDockInputRect(rect);
}

}  // namespace

TEST(RunningDock, StartsThroughEveryMilestoneInOrderAndEndsOnClose) {
    DockProcess dock;
    // Unknown arguments are skipped.
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig(), L"--debug-log --unknown-option")) << "the dock did not start";
    std::wstring log = dock.StartupLogText();
    const wchar_t* milestones[] = {L"prefetch queued",        L"config loaded",
                                   L"d3d/dcomp ready",        L"icon loader + luma cache",
                                   L"glass + layers ready",   L"shared surfaces ready",
                                   L"taskbar manager ready",  L"pinned dock icons ready",
                                   L"top bar init deferred",  L"all apps + drop target ready",
                                   L"layout + cached icons",  L"first frame shown",
                                   L"top bar ready",          L"window list scanned"};
    size_t at = 0;
    for (const wchar_t* milestone : milestones) {
        size_t found = log.find(milestone, at);
        ASSERT_NE(found, std::wstring::npos) << "missing or out of order: " << ToUtf8(milestone) << "\n"
                                             << ToUtf8(log);
        at = found;
    }
    EXPECT_EQ(log.find(L"taskbar hidden"), std::wstring::npos) << "hideTaskbar is off in this configuration";

    DWORD code = dock.CloseAndWait();
    EXPECT_EQ(code, 0u);
    std::string debug = dock.DebugLog();
    EXPECT_NE(debug.find("exit: WM_CLOSE on input window"), std::string::npos) << debug;
    EXPECT_EQ(debug.find("exception"), std::string::npos) << debug;
}

TEST(RunningDock, WindowsStandWhereTheLayoutPutsThem) {
    if (!IsFullHdAt96Dpi()) GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen at 96 DPI";
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig()));
    HWND visual = dock.VisualWindow();
    HWND input = dock.InputWindow();
    ASSERT_NE(visual, nullptr);
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(IsWindowVisible(visual));
    EXPECT_TRUE(IsWindowVisible(input));

    RECT band = WindowRectOf(visual);
    EXPECT_EQ(band.left, 0);
    EXPECT_EQ(band.top, 1080 - 210);
    EXPECT_EQ(band.right, 1920);
    EXPECT_EQ(band.bottom, 1080);
    LONG bandStyle = GetWindowLongW(visual, GWL_EXSTYLE);
    EXPECT_TRUE(bandStyle & WS_EX_TRANSPARENT) << "the band never takes the pointer";
    EXPECT_TRUE(bandStyle & WS_EX_TOPMOST);

    // Whatever else runs in this session joins the dock, so the width is matched
    // against the layouts of a plausible number of applications.
    RECT got = WindowRectOf(input);
    bool matched = false;
    for (int apps = 1; apps <= 24 && !matched; ++apps) {
        RECT want = RestingInputRect(apps);
        matched = InputRectNearlyEqual(got, want);
    }
    EXPECT_TRUE(matched) << "input window at " << got.left << "," << got.top << " - " << got.right << ","
                         << got.bottom;
    EXPECT_EQ(got.bottom, 1080 - 8 + 6) << "the glass ends bottomMargin above the screen edge, plus 6 px";
    EXPECT_EQ(got.top, 1080 - 8 - 64) << "the glass is the icon plus 8 dip above and below";
    EXPECT_LE(std::abs((got.left + got.right) - 1920), 2) << "the dock is centred";
    dock.CloseAndWait();
}

TEST(RunningDock, TheScreenShowsTheGlassAndItsIcons) {
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig()));
    HWND input = dock.InputWindow();
    ASSERT_NE(input, nullptr);
    RECT r = WindowRectOf(input);
    // The glass lies inside the input window, 10 dip in from its sides and 6 dip up from its bottom.
    RECT glass = {r.left + 10, r.top, r.right - 10, r.bottom - 6};
    Sleep(500);

    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    int width = glass.right - glass.left;
    int height = glass.bottom - glass.top;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    ASSERT_TRUE(BitBlt(memory, 0, 0, width, height, screen, glass.left, glass.top, SRCCOPY));
    SelectObject(memory, old);
    const auto* pixels = static_cast<const uint32_t*>(bits);

    int lit = 0;
    int colourful = 0;
    std::set<uint32_t> colours;
    for (int i = 0; i < width * height; ++i) {
        uint32_t p = pixels[i] & 0xFFFFFF;
        int b = p & 0xFF, g = (p >> 8) & 0xFF, rr = (p >> 16) & 0xFF;
        if (rr + g + b > 90) ++lit;
        if (std::max({rr, g, b}) - std::min({rr, g, b}) > 60) ++colourful;
        colours.insert(p);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    int total = width * height;
    EXPECT_GT(lit, total / 5) << "the dock's area is mostly dark: " << lit << " of " << total;
    EXPECT_GT(colourful, total / 50) << "no coloured icon pixels";
    EXPECT_GT(colours.size(), 200u) << "a flat box, not icons on glass";
    dock.CloseAndWait();
}

TEST(RunningDock, ARunningApplicationJoinsTheDock) {
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, TestDockConfig()));
    HWND input = dock.InputWindow();
    ASSERT_NE(input, nullptr);
    Sleep(300);
    RECT before = WindowRectOf(input);
    int widthBefore = before.right - before.left;

    std::wstring helper = BinDir() + L"\\tracked_window_gui.exe";
    std::wstring commandLine = L"\"" + helper + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION app = {};
    ASSERT_TRUE(CreateProcessW(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &app));
    // One more slot: an icon of 48 dip and a gap of 8.
    bool grew = WaitUntil(
        [&] {
            RECT r = WindowRectOf(input);
            return (r.right - r.left) - widthBefore == 56;
        },
        15000);
    RECT during = WindowRectOf(input);
    EXPECT_TRUE(grew) << "width went from " << widthBefore << " to " << (during.right - during.left);

    // Leaving is not checked here: under Wine an ending process's windows raise
    // no event at all, so the dock notices only at the next window event.
    HWND appWindow = FindWindowW(L"VantreelTrackedWindow", nullptr);
    if (appWindow) PostMessageW(appWindow, WM_CLOSE, 0, 0);
    WaitForSingleObject(app.hProcess, 10000);
    if (WaitForSingleObject(app.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(app.hProcess, 1);
    CloseHandle(app.hThread);
    CloseHandle(app.hProcess);
    EXPECT_EQ(dock.CloseAndWait(), 0u);
}

TEST(RunningDock, KeepTaskbarStaysOutOfTheFileThroughAnUnrelatedSave) {
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;
    DockProcess dock;
    ASSERT_TRUE(dock.Start(config, L"--debug-log --keep-taskbar"));
    ASSERT_TRUE(WaitUntil([&] { return HasMilestone(dock, L"window list scanned"); }, kStartTimeoutMs));
    Sleep(600);
    EXPECT_EQ(dock.StartupLogText().find(L"taskbar hidden"), std::wstring::npos)
        << "--keep-taskbar leaves the taskbar alone";
    EXPECT_EQ(dock.DebugLog().find("System taskbars hidden"), std::string::npos);
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_NE(dock.ConfigFileText().find("\"hideTaskbar\": true"), std::string::npos) << dock.ConfigFileText();
}

namespace {

// How many processes run the program copy in this folder (the dock and its watchdog).
int ProcessesOf(const std::wstring& folder) {
    int count = 0;
    std::wstring exe = folder + L"\\vantreel.exe";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"vantreel.exe") != 0) continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) continue;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, path, &size) && _wcsicmp(path, exe.c_str()) == 0) ++count;
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST(RunningDock, HidingTheTaskbarStartsAWatchdogThatAnOrderlyEndCancels) {
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;
    DockProcess dock;
    ASSERT_TRUE(StartAndSettle(dock, config));
    EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(dock.Folder().Path()) == 2; }, 10000))
        << "the watchdog copy follows the deferred hide";
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(dock.Folder().Path()) == 0; }, 10000))
        << "the cancel event ends the watchdog with the dock";
    EXPECT_NE(dock.DebugLog().find("System taskbars hidden"), std::string::npos);
}
