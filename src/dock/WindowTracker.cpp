#include "dock/WindowTracker.h"

#include <atomic>

#include "dock/RunningApps.h"

namespace {

// Read by the hook callback; cleared before unhooking so late callbacks do nothing.
std::atomic<HWND> g_notifyTarget{nullptr};
// The tracker whose re-scan timer is running; a timer procedure has no context of its own.
WindowTracker* g_rescanningTracker = nullptr;

constexpr LONG kObjIdCursor = -9;

void PostChanged() {
    if (HWND target = g_notifyTarget.load()) PostMessageW(target, WM_DOCK_WINDOWS_CHANGED, 0, 0);
}

}  // namespace

WindowTracker::~WindowTracker() {
    Stop();
    ownWindows.clear();
    ownWindows.shrink_to_fit();
}

void WindowTracker::Start(HWND visualWindow, HWND inputWindow) {
    Stop();
    shellHookWindow = inputWindow;
    ownWindows = {visualWindow, inputWindow};
    g_notifyTarget.store(inputWindow);

    const bool shellHooked = RegisterShellHookWindow(inputWindow) != FALSE;
    if (!shellHooked) shellHookWindow = nullptr;

    constexpr DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    foregroundHook =
        SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnWinEvent, 0, 0, flags);
    minimizeHook =
        SetWinEventHook(EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND, nullptr, OnWinEvent, 0, 0, flags);
    objectHook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE, nullptr, OnWinEvent, 0, 0, flags);

    if (!shellHooked || !foregroundHook || !minimizeHook || !objectHook) {
        rescanTimer = SetTimer(inputWindow, kRescanTimerId, kRescanIntervalMs, OnRescanTimer);
        if (rescanTimer) {
            rescanWindow = inputWindow;
            g_rescanningTracker = this;
        }
    }
}

void WindowTracker::Stop() {
    g_notifyTarget.store(nullptr);
    if (rescanTimer) {
        KillTimer(rescanWindow, kRescanTimerId);
        rescanTimer = 0;
        rescanWindow = nullptr;
    }
    if (g_rescanningTracker == this) g_rescanningTracker = nullptr;
    lastMerged.clear();
    if (foregroundHook) {
        UnhookWinEvent(foregroundHook);
        foregroundHook = nullptr;
    }
    if (minimizeHook) {
        UnhookWinEvent(minimizeHook);
        minimizeHook = nullptr;
    }
    if (objectHook) {
        UnhookWinEvent(objectHook);
        objectHook = nullptr;
    }
    if (shellHookWindow) {
        DeregisterShellHookWindow(shellHookWindow);
        shellHookWindow = nullptr;
    }
}

void CALLBACK WindowTracker::OnWinEvent(HWINEVENTHOOK, DWORD, HWND, LONG idObject, LONG idChild, DWORD, DWORD) {
    if ((idObject == OBJID_WINDOW && idChild == CHILDID_SELF) || idObject == kObjIdCursor) PostChanged();
}

void CALLBACK WindowTracker::OnRescanTimer(HWND, UINT, UINT_PTR, DWORD) {
    WindowTracker* tracker = g_rescanningTracker;
    if (!tracker || !g_notifyTarget.load()) return;
    std::vector<RunningApp> scan = EnumerateRunningApps(*tracker);
    if (scan != tracker->lastMerged) {
        // The dock refreshes from this and reports what it merged; until then the
        // same difference is not posted again.
        tracker->lastMerged = std::move(scan);
        PostChanged();
    }
}
