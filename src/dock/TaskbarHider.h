#pragma once
// Hides the system taskbar while the dock runs and puts it back. This version
// has no edge guard, re-hide hook or watchdog yet: Hide sets auto-hide and
// hides the taskbar windows, Restore undoes both.

#include <windows.h>

#include <cstdint>

class TaskbarHider {
public:
    TaskbarHider() = default;
    TaskbarHider(const TaskbarHider&) = delete;
    TaskbarHider& operator=(const TaskbarHider&) = delete;
    ~TaskbarHider();

    // skipWatchdog is accepted for the callers' sake; there is no watchdog yet.
    void Hide(bool skipWatchdog);
    // Runs whether or not hiding is active.
    void Restore();
    // The edge guard follows the dock window; nothing to place yet.
    void UpdateEdgeGuard() {}

    bool IsHiding() const { return hiding; }

    HINSTANCE instance = nullptr;
    HMONITOR monitor = nullptr;
    HWND dockWindow = nullptr;
    bool hiding = false;
    bool fullscreenActive = false;
    uint32_t savedState = 0;
    bool stateSaved = false;
};
