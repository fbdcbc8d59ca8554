#pragma once
// Candidate owner windows of tray icons: every top-level and message-only window
// of the given processes, minus the classes that never own an icon.

#include <windows.h>

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

using PidWindowMap = std::unordered_map<uint32_t, std::vector<HWND>>;

// Top-level windows first (Z-order), then message-only windows; the calling
// thread keeps a message-only probe window for its life to reach the latter.
void ProbeMessageWindows(const std::unordered_set<uint32_t>& pids, PidWindowMap& windows);
