// The taskbar hider against a stand-in taskbar in this process and a stand-in
// app-bar list; the watchdog it starts is the real program.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <thread>
#include <utility>

#include "platform/SystemTaskbar.h"
#include "dock/TaskbarHider.h"
#include "support/FakeAppBar.h"
#include "support/StandInTaskbar.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

class HiderTest : public ::testing::Test {
protected:
    HiderTest() { hider.watchdogProgram = BinDir() + L"\\vantreel.exe"; }
    StandInTaskbar taskbar;
    TaskbarHider hider;
};

bool StillRunning(HANDLE process) { return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

}  // namespace

TEST_F(HiderTest, HidesOnceSavingTheUsersStateAndRestoresItsLowBits) {
    FakeAppBar appBar(7);
    hider.Hide(true);
    EXPECT_TRUE(taskbar.BothHidden());
    EXPECT_TRUE(StillRunning(hider.watchdogProcess.get())) << "the first hide never goes without a watchdog";
    HANDLE firstWatchdog = hider.watchdogProcess.get();

    ShowWindow(taskbar.secondary, SW_SHOWNOACTIVATE);
    hider.Hide(false);
    EXPECT_TRUE(taskbar.BothHidden()) << "hiding again hides what the shell showed";
    EXPECT_EQ(hider.watchdogProcess.get(), firstWatchdog) << "one watchdog per hide";

    // What the dock does when the shell restarts: auto-hide again, no new read.
    SetSystemTaskbarAutoHide(true, hider.savedState, hider.stateSaved);
    EXPECT_EQ(appBar.reads, 1);
    EXPECT_EQ(appBar.writes, (std::vector<uint32_t>{ABS_AUTOHIDE, ABS_AUTOHIDE}));

    // The shell shows a taskbar again and its thread hangs: the periodic look
    // hides it with requests posted to that thread and returns at once.
    std::vector<UINT> placed;  // the flags of every window-position request
    SystemAppBarCalls().setWindowPos = [&, place = SystemAppBarCalls().setWindowPos](HWND w, HWND after, UINT flags) {
        placed.push_back(flags);
        return place(w, after, flags);
    };
    platform::UniqueHandle hung(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> shell{0};  // 1 shown and hung, 2 answering, 3 hidden and disabled
    std::thread thread([&] {
        StandInTaskbar again;
        shell = 1;
        WaitForSingleObject(hung.get(), 10000);
        for (shell = 2; !again.BothHidden() && MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_ALLINPUT) == 0;)
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        shell = again.BothHidden() ? 3 : 2;
    });
    while (shell == 0) Sleep(1);
    EXPECT_EQ(hider.HideShownTaskbars(), 2);
    EXPECT_EQ(shell, 1) << "the look waited for the hung shell";
    SetEvent(hung.get());
    thread.join();
    EXPECT_EQ(shell, 3) << "hidden and disabled once the shell answered";
    const UINT flags = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS;
    EXPECT_EQ(placed, (std::vector<UINT>{flags, flags}));

    hider.Restore();
    EXPECT_EQ(appBar.writes.back(), 3u) << "the saved 7 goes back as its low two bits";
    EXPECT_TRUE(taskbar.BothShown());
    EXPECT_EQ(hider.watchdogProcess.get(), nullptr) << "waited for and closed";
    EXPECT_FALSE(IsTaskbarRehideActive());
}

// The shell's windows answer in their own time, and a message sent to the dock
// meanwhile runs inside the hide: here the session ends while the secondary
// taskbar is being hidden.
TEST_F(HiderTest, ARestoreAskedForDuringTheHideHasTheLastWord) {
    FakeAppBar appBar(1);
    static TaskbarHider* nested = nullptr;
    static WNDPROC standIn = nullptr;
    nested = &hider;
    standIn = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(taskbar.secondary, GWLP_WNDPROC));
    auto restoreWhileHiding = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_WINDOWPOSCHANGING && nested &&
            (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)) {
            std::exchange(nested, nullptr)->Restore();
        }
        return CallWindowProcW(standIn, hwnd, message, wParam, lParam);
    };
    SetWindowLongPtrW(taskbar.secondary, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(static_cast<WNDPROC>(restoreWhileHiding)));
    hider.Hide(true);
    SetWindowLongPtrW(taskbar.secondary, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standIn));
    EXPECT_EQ(nested, nullptr) << "the restore was asked for";
    EXPECT_TRUE(taskbar.BothShown());
    EXPECT_FALSE(hider.IsHiding());
    EXPECT_FALSE(IsTaskbarRehideActive());
    EXPECT_EQ(hider.rehideHook, nullptr);
    EXPECT_EQ(hider.watchdogProcess.get(), nullptr);
    EXPECT_EQ(appBar.writes.back(), 1u);
}

TEST_F(HiderTest, RestoreWithoutAHideWritesNoStateButShowsTheWindows) {
    FakeAppBar appBar(1);
    HideTaskbarWindow(taskbar.primary);
    HideTaskbarWindow(taskbar.secondary);
    hider.Restore();
    EXPECT_TRUE(appBar.writes.empty()) << "a state never read is not the user's";
    EXPECT_EQ(appBar.reads, 0);
    EXPECT_TRUE(taskbar.BothShown());
}

TEST_F(HiderTest, TheCrashPathWritesBackTheStateThisProcessSaved) {
    FakeAppBar appBar(2);
    hider.Hide(true);
    RestoreSystemTaskbarsAtStartup(0);
    EXPECT_EQ(appBar.writes.back(), 2u);
    EXPECT_TRUE(taskbar.BothShown());
    EXPECT_FALSE(IsTaskbarRehideActive());
    hider.Restore();
}

TEST_F(HiderTest, AWatchdogOfAnEarlierHideDoesNotCancelTheNextOne) {
    FakeAppBar appBar(0);
    // An earlier watchdog still holds this process's cancel event, signalled.
    HANDLE stale = CreateEventW(nullptr, TRUE, TRUE, WatchdogCancelEventName(GetCurrentProcessId()).c_str());
    ASSERT_NE(stale, nullptr);
    hider.Hide(true);
    ASSERT_NE(hider.watchdogProcess.get(), nullptr);
    EXPECT_EQ(WaitForSingleObject(hider.watchdogProcess.get(), 1000), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the new watchdog keeps watching";
    HANDLE watchdog = nullptr;
    DuplicateHandle(GetCurrentProcess(), hider.watchdogProcess.get(), GetCurrentProcess(), &watchdog, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    hider.Restore();
    EXPECT_EQ(WaitForSingleObject(watchdog, 5000), WAIT_OBJECT_0) << "the cancel ends it";
    CloseHandle(watchdog);
    CloseHandle(stale);
}

TEST_F(HiderTest, AWatchdogOfASlowShellIsRenewedOnceTheTaskbarsStateIsRead) {
    FakeAppBar appBar(1);
    SystemAppBarCalls().findTaskbar = [] { return HWND{}; };  // the shell has no taskbar yet
    hider.Hide(true);
    ASSERT_TRUE(StillRunning(hider.watchdogProcess.get()));
    EXPECT_EQ(hider.watchdogState, 0u);
    HANDLE stale = nullptr;
    DuplicateHandle(GetCurrentProcess(), hider.watchdogProcess.get(), GetCurrentProcess(), &stale, SYNCHRONIZE, FALSE, 0);

    // The taskbar comes up ("TaskbarCreated"): auto-hide again, which reads the user's state.
    SystemAppBarCalls().findTaskbar = [&] { return taskbar.primary; };
    SetSystemTaskbarAutoHide(true, hider.savedState, hider.stateSaved);
    hider.RenewStaleWatchdog();
    EXPECT_EQ(hider.watchdogState, 1u);
    EXPECT_TRUE(StillRunning(hider.watchdogProcess.get()));
    EXPECT_EQ(WaitForSingleObject(stale, 5000), WAIT_OBJECT_0) << "the copy carrying 0 is gone";
    CloseHandle(stale);
}

TEST(WatchdogCommandLine, CarriesTheSavedStateAndTheCancelEvent) {
    EXPECT_EQ(BuildWatchdogCommandLine(L"C:\\a b\\vantreel.exe", 1234, 1),
              L"\"C:\\a b\\vantreel.exe\" --watchdog 1234 1 Local\\Vantreel_WatchdogCancel_1234");
    EXPECT_EQ(BuildWatchdogCommandLine(L"C:\\v.exe", 7, 0, true),
              L"\"C:\\v.exe\" --debug-log --watchdog 7 0 Local\\Vantreel_WatchdogCancel_7");
}

TEST_F(HiderTest, TheRehideHookHidesOnlyTaskbarsThatShowOrMoveWhileHiding) {
    HWND other = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    auto event = [](DWORD id, HWND window, LONG object = OBJID_WINDOW, LONG child = CHILDID_SELF) {
        TaskbarHider::OnWinEvent(nullptr, id, window, object, child, 0, 0);
    };
    SetTaskbarRehideActive(false);
    event(EVENT_OBJECT_SHOW, taskbar.primary);
    EXPECT_TRUE(StandInTaskbar::Shown(taskbar.primary)) << "not hiding";

    SetTaskbarRehideActive(true);
    event(EVENT_OBJECT_HIDE, taskbar.primary);
    event(EVENT_OBJECT_SHOW, taskbar.primary, OBJID_CLIENT);
    event(EVENT_OBJECT_SHOW, taskbar.primary, OBJID_WINDOW, 1);
    event(EVENT_OBJECT_SHOW, other);
    EXPECT_TRUE(StandInTaskbar::Shown(taskbar.primary));
    EXPECT_TRUE(IsWindowVisible(other));

    event(EVENT_OBJECT_SHOW, taskbar.primary);
    event(EVENT_OBJECT_LOCATIONCHANGE, taskbar.secondary);
    EXPECT_TRUE(taskbar.BothHidden());
    SetTaskbarRehideActive(false);
    DestroyWindow(other);
}

TEST_F(HiderTest, TheEdgeGuardLiesOnTheMonitorsBottomEdgeWhileHidingAndNeverActivates) {
    FakeAppBar appBar(0);
    hider.edgeGuard = CreateEdgeGuardWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(hider.edgeGuard, nullptr);
    HWND guard = hider.edgeGuard;
    EXPECT_EQ(EdgeGuardWndProc(guard, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP}) {
        EXPECT_EQ(EdgeGuardWndProc(guard, message, 0, 0), 0) << message;
    }
    EXPECT_EQ(EdgeGuardWndProc(guard, WM_NCHITTEST, 0, MAKELPARAM(0, 0)), DefWindowProcW(guard, WM_NCHITTEST, 0, 0));

    hider.UpdateEdgeGuard();
    EXPECT_FALSE(IsWindowVisible(guard)) << "not hiding";
    hider.Hide(true);
    ASSERT_TRUE(IsWindowVisible(guard));
    RECT r = {};
    GetWindowRect(guard, &r);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, height - 2);
    EXPECT_EQ(r.right, width);
    EXPECT_EQ(r.bottom, height);
    EXPECT_TRUE(GetWindowLongW(guard, GWL_EXSTYLE) & WS_EX_TOPMOST);

    hider.fullscreenSuppressed = true;
    hider.UpdateEdgeGuard();
    EXPECT_FALSE(IsWindowVisible(guard)) << "no guard over a full-screen window";
    hider.fullscreenSuppressed = false;
    hider.UpdateEdgeGuard();
    EXPECT_TRUE(IsWindowVisible(guard));
    hider.Restore();
    EXPECT_FALSE(IsWindowVisible(guard));
}

namespace {

int CopiesOf(const wchar_t* exeName) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST_F(HiderTest, AWatchdogStartedEarlyServesTheFirstHideAndEndsWithARestoreWithoutOne) {
    FakeAppBar appBar(1);
    hider.StartWatchdogEarly();
    hider.Hide(true);
    EXPECT_EQ(appBar.reads, 1) << "the first hide keeps the state read by the early start";
    EXPECT_TRUE(StillRunning(hider.watchdogProcess.get()));
    hider.Restore();
    EXPECT_EQ(appBar.writes.back(), 1u);

    // The dock ends before its first hide.
    hider.StartWatchdogEarly();
    hider.Restore();
    ULONGLONG end = GetTickCount64() + 5000;
    while (CopiesOf(L"vantreel.exe") > 0 && GetTickCount64() < end) Sleep(50);
    EXPECT_EQ(CopiesOf(L"vantreel.exe"), 0) << "a watchdog started early outlived the restore";
}

TEST(WatchdogStart, AKillDuringTheStartLeavesNoCopyThatNeverRuns) {
    ASSERT_EQ(CopiesOf(L"spawn_loop.exe"), 0);
    for (int trial = 0; trial < 3; ++trial) {
        std::wstring exe = BinDir() + L"\\spawn_loop.exe";
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION spawner = {};
        ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                   nullptr, nullptr, &startup, &spawner));
        Sleep(300 + 70 * trial);  // it is starting copies back to back by now
        TerminateProcess(spawner.hProcess, 1);
        WaitForSingleObject(spawner.hProcess, 5000);
        DWORD code = 0;
        GetExitCodeProcess(spawner.hProcess, &code);
        CloseHandle(spawner.hThread);
        CloseHandle(spawner.hProcess);
        ASSERT_EQ(code, 1u) << "the spawner ran until the kill";
        ULONGLONG end = GetTickCount64() + 5000;
        while (CopiesOf(L"spawn_loop.exe") > 0 && GetTickCount64() < end) Sleep(50);
        EXPECT_EQ(CopiesOf(L"spawn_loop.exe"), 0) << "trial " << trial << ": a copy whose start was cut short";
    }
}
