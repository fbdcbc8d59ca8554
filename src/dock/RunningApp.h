#pragma once
// One application's group of top-level windows, as one enumeration found them.
// Lives for one refresh; the dock model merges it into its items.

#include <windows.h>

#include <string>
#include <vector>

struct RunningApp {
    std::wstring key;      // normalised app user model id, else image path; "uwp::<title>" for frame-host windows
    std::wstring exePath;  // image path of the first window's process, as the system gave it
    std::wstring label;
    std::vector<HWND> windows;  // enumeration order, top of the z-order first
    bool isForeground = false;  // a window is in front and not all are minimised
    bool allMinimized = false;  // there are windows and every one is minimised

    bool operator==(const RunningApp&) const = default;
};
