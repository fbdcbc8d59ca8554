#pragma once
// The tray monitor: a thread of its own that mirrors the notification area about
// once a second and publishes the icon list; the UI thread only takes copies.
//
// A pass is a pure function of its sources (TraySources), so the decisions it
// makes (merging the sources, dropping icons whose owner or registration went,
// suppressing icons the user just quit, what it logs) can be run on recorded
// answers; the thread only loops, waits and pumps its messages.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/UiAutomation.h"
#include "system/tray/TrayIconInfo.h"
#include "system/tray/TrayProcesses.h"
#include "system/tray/TraySettingRecords.h"
#include "system/tray/TrayWindowProbe.h"

struct TraySources {
    std::function<bool(std::vector<TrayIconInfo>&)> readLegacy;  // false: no classic toolbars
    std::function<std::vector<NotifyIconSetting>(const RunningExeMap&)> readSettings;
    std::function<bool(std::vector<UiaNotifyItem>&)> collectUia;  // false: no usable automation view
    std::function<void(const std::unordered_set<uint32_t>&, PidWindowMap&)> probe;
    std::function<RunningExeMap()> snapshot;
    std::function<HRESULT(HWND, uint32_t, RECT&)> iconRect;  // Shell_NotifyIconGetRect
    std::function<bool(HWND)> isWindow;
    std::function<uint64_t()> tickCount;
    std::function<void(const std::wstring&)> log;
};

// The system's own sources; automation may be null.
TraySources SystemTraySources(uia::IUIAutomation* automation);

// The published list and the waiters on it, and the keys forgotten lately, each
// with its serial number, so a pass publishes none forgotten after it filtered.
struct TrayState {
    std::mutex mutex;
    std::condition_variable published;
    std::vector<TrayIconInfo> icons;
    uint64_t forgetSerial = 0;
    std::unordered_map<std::wstring, uint64_t> forgotten;
};

// Keys of applications the user just quit, each with its deadline in ticks.
struct TraySuppression {
    std::mutex mutex;
    std::unordered_map<std::wstring, uint64_t> deadlines;
};

// What the monitor thread keeps from pass to pass.
struct TrayPassMemory {
    std::unordered_map<std::wstring, int> misses;
    std::wstring lastSummary;
    uint32_t passCount = 0;
};

// The process-wide state; created once on first use and never destroyed, since
// the monitor thread keeps running while the process exits.
TrayState& GlobalTrayState();
TraySuppression& GlobalTraySuppression();

// Starts the monitor on the first call, then copies the published list. Never waits.
std::vector<TrayIconInfo> GetTrayIconsSnapshot();
// The once-only start that GetTrayIconsSnapshot uses.
void EnsureTrayMonitorStarted();

// Hides the key's icon at once and for 8000 ms while its executable runs.
void ForgetTrayIcon(const std::wstring& key);
void ForgetTrayIcon(TrayState& state, TraySuppression& suppression, const std::wstring& key, uint64_t now);

size_t CountHiddenTrayIcons(const std::vector<TrayIconInfo>& icons, const std::vector<std::wstring>& hiddenKeys);

// One collection from the sources, sorted.
std::vector<TrayIconInfo> CollectTrayIcons(const TraySources& sources, const RunningExeMap& running);

int CheckTrayIconAlive(const TrayIconInfo& icon, const RunningExeMap& running, const TraySources& sources);

void FilterSuppressedIcons(std::vector<TrayIconInfo>& icons, const RunningExeMap& running, TraySuppression& suppression,
                           uint64_t now);

bool TrayIconLess(const TrayIconInfo& a, const TrayIconInfo& b);
std::vector<TrayIconInfo> SortTrayIcons(std::vector<TrayIconInfo> icons);

// One pass: collect, drop, suppress, log and publish. Returns whether the
// collection succeeded.
bool RunTrayPass(TrayPassMemory& memory, const TraySources& sources, TrayState& state, TraySuppression& suppression);
