// The dock hiding a stand-in system taskbar: the first hide, the shell showing
// it again, the toggle hotkey, the edge guard on the screen, and the taskbar
// coming back on every orderly end.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "DockProcess.h"
#include "FakeTaskbarProcess.h"
#include "XPointer.h"
#include "support/ScreenDc.h"

using namespace testing_support;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

bool IsFullHdAt96Dpi() {
    return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080 && GetDpiForSystem() == 96;
}

DockConfig HidingConfig() {
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;
    config.hideDockOnFullscreen = true;  // the full-screen poll runs
    return config;
}

// Waits until the dock shows its first frame; the taskbar hide follows within a second.
bool StartDock(DockProcess& dock) {
    return dock.Start(HidingConfig()) && WaitUntil(
                                             [&] {
                                                 HWND input = dock.InputWindow();
                                                 return input && IsWindowVisible(input);
                                             },
                                             kStartTimeoutMs);
}

// Like WaitUntil, but keeps this thread's windows answering.
bool PumpUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            return predicate();
        },
        timeoutMs);
}

std::vector<uint32_t> BottomRows(int rows) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<uint32_t> pixels = CaptureScreenDc({0, height - rows, width, height});
    for (uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

}  // namespace

TEST(HiddenTaskbar, StaysHiddenBehindAnEdgeGuardAndComesBackOnExit) {
    FakeTaskbarProcess taskbar;
    ASSERT_TRUE(taskbar.Started());
    ASSERT_TRUE(taskbar.BothShown());
    DockProcess dock;
    ASSERT_TRUE(StartDock(dock));
    ASSERT_TRUE(WaitUntil([&] { return taskbar.BothHidden() && dock.FindWindowOfClass(L"VantreelEdgeGuard"); },
                          kStartTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return dock.MilestoneMs(L"taskbar hidden") >= 0; }, kStartTimeoutMs));
    HWND input = dock.InputWindow();
    HWND guard = dock.FindWindowOfClass(L"VantreelEdgeGuard");

    // The shell restarts and shows its windows: hidden again at once.
    taskbar.ShowAgainAndAnnounce();
    ASSERT_TRUE(WaitUntil(
        [&] {
            wchar_t title[32] = {};
            GetWindowTextW(taskbar.Primary(), title, 32);
            return std::wstring(title) == L"restart 1";
        },
        5000));
    EXPECT_TRUE(WaitUntil([&] { return taskbar.BothHidden(); }, 10000));
    for (HWND w : {taskbar.Primary(), taskbar.Secondary()}) EnableWindow(w, TRUE), ShowWindow(w, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] { return taskbar.BothHidden(); }, 10000)) << "shown again without a word";

    // The guard takes the pointer along the bottom edge, right behind the dock.
    if (IsFullHdAt96Dpi()) {
        RECT r = {};
        GetWindowRect(guard, &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 1078);
        EXPECT_EQ(r.right, 1920);
        EXPECT_EQ(r.bottom, 1080);
        EXPECT_EQ(WindowFromPoint(POINT{960, 1079}), guard);
    }
    EXPECT_TRUE(IsWindowVisible(guard));
    EXPECT_TRUE(GetWindowLongW(guard, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(input, GW_HWNDNEXT), guard) << "next below the dock's input window";

    // Nothing of it shows on the screen, each look taken once the X server has
    // shown it or taken it away.
    ASSERT_TRUE(WaitUntil([&] { return XViewable(guard); }, kLeastWaitMs));
    std::vector<uint32_t> withGuard = BottomRows(2);
    ShowWindow(guard, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !XViewable(guard); }, kLeastWaitMs));
    EXPECT_TRUE(withGuard == BottomRows(2)) << "the guard changed the screen's bottom rows";
    ShowWindow(guard, SW_SHOWNOACTIVATE);

    // A full-screen window in front: no guard over it.
    HWND fullscreen = CreateWindowExW(0, L"STATIC", L"full screen", WS_POPUP | WS_VISIBLE, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                      nullptr, nullptr);
    SetForegroundWindow(fullscreen);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == fullscreen; }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(guard); }, 3000)) << "the guard stays over a full-screen window";
    DestroyWindow(fullscreen);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(guard); }, 3000));

    // Ctrl+Alt+T gives the taskbar back and saves the choice; again takes it.
    PressToggleTaskbarHotkey();
    EXPECT_TRUE(WaitUntil([&] { return taskbar.BothShown(); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(guard); }, 10000)) << "the guard goes with the hiding";
    EXPECT_TRUE(WaitUntil([&] { return dock.ConfigFileText().find("\"hideTaskbar\": false") != std::string::npos; },
                          3000))
        << dock.ConfigFileText();
    PressToggleTaskbarHotkey();
    EXPECT_TRUE(WaitUntil([&] { return taskbar.BothHidden() && IsWindowVisible(guard); }, 3000));

    // With the dock running, --restore-taskbar has it leave the taskbar to the
    // user for the rest of the run, the setting kept; the logon task is
    // changed, or the change refused, as without a dock.
    const std::wstring exe = dock.Folder().File(L"vantreel.exe");
    EXPECT_EQ(RunProcess(exe, L"--restore-taskbar", dock.Folder().Path()).exitCode, 0u);
    EXPECT_TRUE(WaitUntil([&] { return taskbar.BothShown() && !IsWindowVisible(guard); }, kLeastWaitMs));
    EXPECT_NE(dock.ConfigFileText().find("\"hideTaskbar\": true"), std::string::npos);
    const DWORD install = RunProcess(exe, L"--install-startup --debug-log --keep-tasbar", dock.Folder().Path()).exitCode;
    EXPECT_NE(dock.DebugLog().find(install == 0 ? "startup task install: ok" : "startup task install: failed"),
              std::string::npos)
        << install;
    EXPECT_NE(dock.DebugLog().find("--keep-tasbar is no option"), std::string::npos);
    if (install == 0) RunProcess(exe, L"--uninstall-startup", dock.Folder().Path());

    std::wstring folder = dock.Folder().Path();
    EXPECT_EQ(dock.CloseAndWait(), 0u);
    EXPECT_TRUE(taskbar.BothShown()) << "an orderly end gives the taskbar back";
    EXPECT_FALSE(IsWindow(guard));
    EXPECT_TRUE(WaitUntil([&] { return ProgramCopiesRunning(folder) == 0; }, 30000))
        << "no watchdog outlives an orderly end";
}

TEST(HiddenTaskbar, ComesBackWhenTheSessionEnds) {
    FakeTaskbarProcess taskbar;
    ASSERT_TRUE(taskbar.Started());
    DockProcess dock;
    ASSERT_TRUE(StartDock(dock));
    ASSERT_TRUE(WaitUntil([&] { return taskbar.BothHidden(); }, 10000));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(dock.InputWindow(), WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, kLeastWaitMs, &result);
    // A hide still under way when the message came finishes first.
    EXPECT_TRUE(WaitUntil([&] { return taskbar.BothShown(); }, 2000));
    // The dock's full-screen poll looks at the taskbar before it hides the bar
    // for a full-screen window: once the bar went, it has looked since.
    HWND bar = dock.FindWindowOfClass(L"VantreelTopBarWindow");
    HWND fullscreen = CreateWindowExW(0, L"STATIC", L"full screen", WS_POPUP | WS_VISIBLE, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                      nullptr, nullptr);
    SetForegroundWindow(fullscreen);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(bar); }, kLeastWaitMs));
    EXPECT_TRUE(taskbar.BothShown()) << "and nothing hides it again";
    DestroyWindow(fullscreen);
    EXPECT_EQ(dock.CloseAndWait(), 0u);
}
