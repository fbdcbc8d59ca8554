#pragma once
// The top bar's system services as its benchmarks stand them in: the given
// status and tray icons, no foreground program, no workers, no app-bar calls.

#include <functional>
#include <string>
#include <vector>

#include "topbar/TopBarWindow.h"

namespace bench {

// `status` and `tray` are read at each call, so they must outlive the bar.
inline void StandInTopBarSystem(TopBarWindow& bar, const vantreel::SystemStatusSnapshot& status,
                                const std::vector<TrayIconInfo>& tray) {
    bar.system.collectStatus = [&status](bool, const vantreel::SystemStatusSnapshot*, HWND) { return status; };
    bar.system.foregroundApp = [](const vantreel::ForegroundAppInfo*) { return vantreel::ForegroundAppInfo{}; };
    bar.system.inputIndicator = [](HWND) { return std::wstring(L"中"); };
    bar.system.trayIcons = [&tray] { return tray; };
    bar.system.startTrayMonitor = [] {};
    bar.system.startWorker = [](std::function<void()>) {};
    bar.system.appBar = [](DWORD, APPBARDATA&) -> UINT_PTR { return 0; };
    bar.store.openAttempted = true;
}

}  // namespace bench
