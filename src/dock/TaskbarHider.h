#pragma once
// Hides the system taskbar while the dock runs and puts it back. A watchdog
// copy of the program restores it should the dock die without restoring it.
// No edge guard or re-hide hook yet.

#include <windows.h>

#include <cstdint>

class TaskbarHider {
public:
    TaskbarHider() = default;
    TaskbarHider(const TaskbarHider&) = delete;
    TaskbarHider& operator=(const TaskbarHider&) = delete;
    ~TaskbarHider();

    void Hide(bool skipWatchdog);
    // Starts the watchdog once while hiding.
    void StartWatchdog();
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
    HANDLE watchdogProcess = nullptr;
    HANDLE cancelEvent = nullptr;
};
