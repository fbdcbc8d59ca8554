#pragma once
// Which top-level windows are application windows, grouped into one
// RunningApp per application.

#include <windows.h>

#include <string_view>
#include <vector>

#include "dock/RunningApp.h"
#include "dock/WindowQueries.h"

class WindowTracker;

// System processes whose windows are never applications to the user. The name
// is the file name of a normalised (lower-case) image path.
bool IsExcludedProcessName(std::wstring_view normalizedFileName);

// Scans q.topLevelWindows() once, skipping ownWindows and every window of
// ownProcessId. Groups come back in the order of their first window.
std::vector<RunningApp> CollectRunningApps(const WindowQueries& q, const std::vector<HWND>& ownWindows,
                                           DWORD ownProcessId);

// The real desktop, without the tracker's own windows and this process.
std::vector<RunningApp> EnumerateRunningApps(const WindowTracker& tracker);
