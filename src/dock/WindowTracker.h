#pragma once
// Turns every window event that can change the dock's running applications into
// one posted WM_DOCK_WINDOWS_CHANGED to the dock's input window; the dock
// coalesces them and re-enumerates. UI thread only.
//
// Where the shell hook can't be registered or a WinEvent hook can't be
// installed, events may go missing (some systems deliver only part of them), so
// the tracker then also re-scans every 500 ms and posts the same message when
// the scan differs from what the dock last merged. Comparing with the dock's
// list, not with the previous scan, matters: a window that opens and closes
// between two scans was still seen by the dock's refresh on its create event,
// and only the dock's list shows that it has to go again.

#include <windows.h>

#include <vector>

#include "dock/RunningApp.h"

constexpr UINT WM_DOCK_WINDOWS_CHANGED = WM_APP + 42;

class WindowTracker {
public:
    // Timer id the re-scan fallback uses on the input window.
    static constexpr UINT_PTR kRescanTimerId = 0x802A;
    static constexpr UINT kRescanIntervalMs = 500;

    WindowTracker() = default;
    WindowTracker(const WindowTracker&) = delete;
    WindowTracker& operator=(const WindowTracker&) = delete;
    ~WindowTracker();

    // visualWindow and inputWindow are the dock's own windows, never counted;
    // notifications go to inputWindow.
    void Start(HWND visualWindow, HWND inputWindow);
    // Idempotent. After it returns nothing more is posted.
    void Stop();

    bool IsRescanning() const { return rescanTimer != 0; }

    // What the dock merged at its last refresh; the re-scan compares with it.
    void NoteMerged(const std::vector<RunningApp>& apps) { lastMerged = apps; }

    static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                                    DWORD eventThread, DWORD eventTime);

    HWND shellHookWindow = nullptr;
    std::vector<HWND> ownWindows;
    HWINEVENTHOOK foregroundHook = nullptr;
    HWINEVENTHOOK objectHook = nullptr;
    HWINEVENTHOOK minimizeHook = nullptr;

private:
    static void CALLBACK OnRescanTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);

    HWND rescanWindow = nullptr;
    UINT_PTR rescanTimer = 0;
    std::vector<RunningApp> lastMerged;
};
