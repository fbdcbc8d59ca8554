#pragma once
// One dock slot. A plain value: the dock keys its per-item visuals and launch
// bounces by id, which is never reused within a process.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dock/DockItemKind.h"
#include "dock/RunningApp.h"

struct DockItem {
    int64_t id = 0;
    DockItemKind kind = DockItemKind::App;
    std::wstring label;
    std::wstring path;  // launch target
    std::wstring args;
    std::wstring key;  // normalised app id or path; "::launchpad" / "::recycle_bin" for the special items
    bool pinned = false;
    bool running = false;
    bool active = false;
    bool allMinimized = false;
    std::vector<HWND> windows;

    // Only applications match: by key, else by normalised path, else by the
    // executable's file name (the same program installed in another folder).
    bool MatchesRunningApp(const RunningApp& app) const;
};
