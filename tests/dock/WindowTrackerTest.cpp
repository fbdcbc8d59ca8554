// The tracker against real windows: a helper process opens a window, and the
// test watches the dock's notifications and the enumeration while the window
// appears, is minimised, restored and closed, and while a window lives only
// between two of the tracker's re-scans.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "dock/ForegroundWindow.h"
#include "dock/RunningApps.h"
#include "dock/WindowTracker.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::vector<Clock::time_point> g_notifications;

LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DOCK_WINDOWS_CHANGED) {
    g_notifications.push_back(Clock::now());
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Stands in for the dock's visual and input windows.
struct DockWindows {
  HWND visual = nullptr;
  HWND input = nullptr;
  DockWindows() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SinkProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantreelTrackerTestSink";
    RegisterClassW(&wc);
    for (HWND* w : {&visual, &input}) {
      *w = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
    }
  }
  ~DockWindows() {
    DestroyWindow(visual);
    DestroyWindow(input);
  }
};

// Runs the message loop until done() or the time is up; true when done() held.
bool PumpUntil(Clock::duration limit, const std::function<bool()>& done) {
  const auto end = Clock::now() + limit;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done && done()) return true;
    if (Clock::now() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(Clock::duration d) { PumpUntil(d, nullptr); }

struct HelperWindowProcess {
  PROCESS_INFORMATION pi{};
  bool started = false;

  explicit HelperWindowProcess(const std::wstring& arguments = L"") {
    std::wstring cmd = L"\"" + ExecutableDirectory() + L"\\tracked_window_gui.exe\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
  }
  ~HelperWindowProcess() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
      if (HWND w = Window()) PostMessageW(w, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(pi.hProcess, 5000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }

  // The helper's visible top-level window, or null.
  HWND Window() const {
    struct Search {
      DWORD pid;
      HWND found;
    } s{pi.dwProcessId, nullptr};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == s->pid && IsWindowVisible(h) && GetWindowTextLengthW(h) > 0) {
            s->found = h;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
};

// Waits for the window to appear (or vanish) and returns when it was last seen
// in the old state and first seen in the new one.
struct Transition {
  Clock::time_point lastBefore;
  Clock::time_point firstAfter;
  bool happened = false;
};

Transition WaitForWindow(const HelperWindowProcess& helper, bool present, Clock::duration limit) {
  Transition t;
  t.lastBefore = Clock::now();
  t.happened = PumpUntil(limit, [&] {
    const auto now = Clock::now();
    if ((helper.Window() != nullptr) == present) {
      t.firstAfter = now;
      return true;
    }
    t.lastBefore = now;
    return false;
  });
  return t;
}

// The notification that answers a transition: the first one after the window
// was last seen in its old state, within 1 s of it being seen in the new one.
bool NotifiedWithinOneSecond(const Transition& t) {
  PumpUntil(1500ms, [&] {
    for (auto n : g_notifications)
      if (n > t.lastBefore) return true;
    return false;
  });
  for (auto n : g_notifications)
    if (n > t.lastBefore) return n <= t.firstAfter + 1s;
  return false;
}

std::vector<RunningApp> AppsOfProcess(const WindowTracker& tracker, DWORD pid) {
  std::vector<RunningApp> mine;
  for (const RunningApp& app : EnumerateRunningApps(tracker)) {
    for (HWND w : app.windows) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid) {
        mine.push_back(app);
        break;
      }
    }
  }
  return mine;
}

int TakeNotifications(HWND sink) {
  int count = 0;
  MSG msg;
  while (PeekMessageW(&msg, sink, WM_DOCK_WINDOWS_CHANGED, WM_DOCK_WINDOWS_CHANGED, PM_REMOVE)) {
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 0);
    ++count;
  }
  return count;
}

}  // namespace

TEST(WindowTracker, CallbackPostsOnlyWholeWindowEvents) {
  DockWindows dock;
  WindowTracker tracker;
  tracker.Start(dock.visual, dock.input);
  TakeNotifications(dock.input);
  const HWND someWindow = dock.visual;

  WindowTracker::OnWinEvent(nullptr, EVENT_OBJECT_SHOW, someWindow, OBJID_WINDOW, CHILDID_SELF, 0, 0);
  EXPECT_EQ(TakeNotifications(dock.input), 1);
  WindowTracker::OnWinEvent(nullptr, EVENT_OBJECT_SHOW, someWindow, OBJID_WINDOW, 3, 0, 0);
  WindowTracker::OnWinEvent(nullptr, EVENT_OBJECT_SHOW, someWindow, OBJID_CLIENT, CHILDID_SELF, 0, 0);
  WindowTracker::OnWinEvent(nullptr, EVENT_OBJECT_HIDE, someWindow, OBJID_CARET, CHILDID_SELF, 0, 0);
  EXPECT_EQ(TakeNotifications(dock.input), 0);
  WindowTracker::OnWinEvent(nullptr, EVENT_OBJECT_SHOW, someWindow, -9, 5, 0, 0);
  EXPECT_EQ(TakeNotifications(dock.input), 1);

  tracker.Stop();
  tracker.Stop();  // harmless
  WindowTracker::OnWinEvent(nullptr, EVENT_OBJECT_SHOW, someWindow, OBJID_WINDOW, CHILDID_SELF, 0, 0);
  EXPECT_EQ(TakeNotifications(dock.input), 0);
  EXPECT_EQ(tracker.foregroundHook, nullptr);
  EXPECT_EQ(tracker.objectHook, nullptr);
  EXPECT_EQ(tracker.minimizeHook, nullptr);
  EXPECT_EQ(tracker.shellHookWindow, nullptr);

  // Going out of scope stops a tracker as well.
  { WindowTracker scoped; scoped.Start(dock.visual, dock.input); }
  TakeNotifications(dock.input);
  WindowTracker::OnWinEvent(nullptr, EVENT_OBJECT_SHOW, someWindow, OBJID_WINDOW, CHILDID_SELF, 0, 0);
  EXPECT_EQ(TakeNotifications(dock.input), 0);
}

TEST(WindowTracker, FollowsARealWindowThroughItsLife) {
  DockWindows dock;
  WindowTracker tracker;
  tracker.Start(dock.visual, dock.input);
  RecordProperty("rescanning", tracker.IsRescanning() ? "yes" : "no");
  PumpFor(700ms);
  g_notifications.clear();

  HelperWindowProcess helper;
  ASSERT_TRUE(helper.started);
  const Transition appeared = WaitForWindow(helper, true, 15s);
  ASSERT_TRUE(appeared.happened) << "helper window never appeared";
  EXPECT_TRUE(NotifiedWithinOneSecond(appeared)) << "no change message within 1 s of the window appearing";
  const HWND window = helper.Window();

  // One application named after its executable, holding exactly its window.
  std::vector<RunningApp> apps = AppsOfProcess(tracker, helper.pi.dwProcessId);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].label, L"tracked_window_gui");
  EXPECT_EQ(apps[0].windows, std::vector<HWND>{window});
  EXPECT_FALSE(apps[0].allMinimized);
  EXPECT_NE(apps[0].key.find(L"tracked_window_gui.exe"), std::wstring::npos);

  // Bring it to the front the way a dock click does.
  ActivateWindow(window);
  const bool inFront = PumpUntil(3s, [&] { return GetForegroundWindow() == window; });
  ASSERT_TRUE(inFront) << "the helper window never came to the front";
  apps = AppsOfProcess(tracker, helper.pi.dwProcessId);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_TRUE(apps[0].isForeground);

  // Minimised: all minimised and not in front; a dock click restores it.
  ShowWindowAsync(window, SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil(5s, [&] { return IsIconic(window) != FALSE; }));
  PumpFor(100ms);
  apps = AppsOfProcess(tracker, helper.pi.dwProcessId);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_TRUE(apps[0].allMinimized);
  EXPECT_FALSE(apps[0].isForeground);
  ActivateWindow(window);
  EXPECT_TRUE(PumpUntil(5s, [&] { return !IsIconic(window); }));
  PumpFor(100ms);
  apps = AppsOfProcess(tracker, helper.pi.dwProcessId);
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_FALSE(apps[0].allMinimized);

  // Closed: a notification follows within a second and the group is gone.
  PumpFor(700ms);
  g_notifications.clear();
  PostMessageW(window, WM_CLOSE, 0, 0);
  const Transition closed = WaitForWindow(helper, false, 10s);
  ASSERT_TRUE(closed.happened) << "helper window never closed";
  EXPECT_TRUE(NotifiedWithinOneSecond(closed)) << "no change message within 1 s of the window closing";
  EXPECT_TRUE(AppsOfProcess(tracker, helper.pi.dwProcessId).empty());
  tracker.Stop();
}

// Runs every message but the timers' until done() or the time is up.
bool PumpWithoutTimersUntil(Clock::duration limit, const std::function<bool()>& done) {
  const auto end = Clock::now() + limit;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageW(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFFu, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (Clock::now() >= end) return false;
    Sleep(5);
  }
}

TEST(WindowTracker, AWindowThatLivedBetweenTwoScansIsPostedWhenItCloses) {
  DockWindows dock;
  WindowTracker tracker;
  tracker.Start(dock.visual, dock.input);
  if (!tracker.IsRescanning()) GTEST_SKIP() << "every hook is installed: the system reports each window's end";
  PumpFor(700ms);
  tracker.NoteMerged(EnumerateRunningApps(tracker));

  // Holding the re-scan timer back while the helper's window lives plays the
  // case where its whole life falls between two scans; the dock's refresh on
  // the window's create event still saw it and merged it.
  HelperWindowProcess helper(L"--close-after-ms 300");
  ASSERT_TRUE(helper.started);
  ASSERT_TRUE(PumpWithoutTimersUntil(15s, [&] { return helper.Window() != nullptr; })) << "no helper window";
  std::vector<RunningApp> merged = EnumerateRunningApps(tracker);
  tracker.NoteMerged(merged);
  bool mergedHelper = false;
  for (const RunningApp& app : merged) mergedHelper = mergedHelper || app.label == L"tracked_window_gui";
  ASSERT_TRUE(mergedHelper) << "the helper's window closed before it could be merged";

  Transition closed;
  closed.lastBefore = Clock::now();
  closed.happened = PumpWithoutTimersUntil(5s, [&] {
    if (helper.Window() == nullptr) return true;
    closed.lastBefore = Clock::now();
    return false;
  });
  ASSERT_TRUE(closed.happened) << "the helper's window did not close by itself";
  closed.firstAfter = Clock::now();
  PumpWithoutTimersUntil(50ms, [] { return false; });
  g_notifications.clear();
  EXPECT_TRUE(NotifiedWithinOneSecond(closed)) << "the closed window's application would stay in the dock";
  EXPECT_TRUE(AppsOfProcess(tracker, helper.pi.dwProcessId).empty());
  tracker.Stop();
}

TEST(WindowTracker, NothingIsPostedAfterStop) {
  DockWindows dock;
  WindowTracker tracker;
  tracker.Start(dock.visual, dock.input);
  PumpFor(600ms);
  tracker.Stop();
  PumpFor(100ms);
  g_notifications.clear();

  HelperWindowProcess helper;
  ASSERT_TRUE(helper.started);
  ASSERT_TRUE(WaitForWindow(helper, true, 15s).happened);
  PumpFor(1200ms);
  const HWND window = helper.Window();
  ShowWindowAsync(window, SW_MINIMIZE);
  PumpFor(800ms);
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitForWindow(helper, false, 10s).happened);
  PumpFor(1200ms);
  EXPECT_TRUE(g_notifications.empty()) << g_notifications.size() << " notifications after Stop";
}

TEST(ForegroundWindow, MaximisedIsNotFullscreenButBorderlessCoverIs) {
  HelperWindowProcess helper;
  ASSERT_TRUE(helper.started);
  ASSERT_TRUE(WaitForWindow(helper, true, 15s).happened);
  const HWND window = helper.Window();
  ActivateWindow(window);
  ASSERT_TRUE(PumpUntil(3s, [&] { return GetForegroundWindow() == window; }));
  EXPECT_FALSE(IsForegroundFullscreen(nullptr));
  EXPECT_FALSE(IsForegroundMaximized(nullptr));

  // Maximised with its caption. Without a taskbar the work area is the whole
  // monitor, so the frame covers it, yet this is no full-screen window.
  ShowWindowAsync(window, SW_MAXIMIZE);
  ASSERT_TRUE(PumpUntil(5s, [&] { return IsZoomed(window) != FALSE; }));
  PumpFor(200ms);
  const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  EXPECT_TRUE(IsForegroundMaximized(nullptr));
  EXPECT_TRUE(IsForegroundMaximized(monitor));
  EXPECT_FALSE(IsForegroundFullscreen(nullptr));

  // Borderless over the whole monitor, as a full-screen player does it.
  ShowWindowAsync(window, SW_RESTORE);
  ASSERT_TRUE(PumpUntil(5s, [&] { return !IsZoomed(window); }));
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
  SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
  const RECT& m = info.rcMonitor;
  SetWindowPos(window, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top, SWP_FRAMECHANGED);
  ASSERT_TRUE(PumpUntil(5s, [&] {
    RECT r{};
    GetWindowRect(window, &r);
    return EqualRect(&r, &m) != FALSE;
  }));
  ActivateWindow(window);
  ASSERT_TRUE(PumpUntil(3s, [&] { return GetForegroundWindow() == window; }));
  EXPECT_TRUE(IsForegroundFullscreen(nullptr));
  EXPECT_TRUE(IsForegroundFullscreen(monitor));
  EXPECT_TRUE(IsForegroundMaximized(nullptr));

  // Minimised: neither.
  ShowWindowAsync(window, SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil(5s, [&] { return IsIconic(window) != FALSE; }));
  EXPECT_FALSE(IsForegroundFullscreen(nullptr));
  EXPECT_FALSE(IsForegroundMaximized(nullptr));
}
