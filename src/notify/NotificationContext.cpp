#include "notify/NotificationContext.h"

#include <shellapi.h>

#include "apps/ShortcutChain.h"
#include "system/InputMethods.h"
#include "system/tray/TrayFileIcon.h"

NotificationContext::System::System()
    : tickCount([] { return GetTickCount64(); }),
      systemTime([] {
          FILETIME now = {};
          GetSystemTimeAsFileTime(&now);
          return now;
      }),
      loadFileIcon([](const std::wstring& path, IWICImagingFactory* factory, int edge) {
          return LoadFileIcon(path, factory, edge);
      }),
      shellOpen([](const std::wstring& target) {
          if (!ShortcutChainIsSafe(target)) return;
          ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      }),
      sendWinKeyChord([](uint16_t key) { return vantreel::SendWinKeyChord(key); }),
      activate([](const NotificationItem& item) { item.Activate(); }),
      foregroundWindow([] { return GetForegroundWindow(); }) {}

HINSTANCE NotificationContext::Module() const { return instance ? instance : GetModuleHandleW(nullptr); }

RECT NotificationContext::MonitorRect(bool* known, int* workHeight) const {
    HMONITOR target = monitor ? monitor : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    bool ok = GetMonitorInfoW(target, &info) != FALSE;
    if (known) *known = ok;
    if (!ok) {
        info.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        info.rcWork = info.rcMonitor;
    }
    if (workHeight) *workHeight = ok ? static_cast<int>(info.rcWork.bottom - info.rcWork.top) : -1;
    return info.rcMonitor;
}

void NotificationContext::Present() const {
    if (host) host->compositor.Commit();
}

void NotificationContext::ShowPresented(HWND window, const RECT& rect, UINT flags) const {
    // A hidden window takes its place first and shows only with its new frame
    // presented at that size, so it never flashes the pixels of its previous
    // opening.
    if (!IsWindowVisible(window)) {
        SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOACTIVATE);
    }
    Present();
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, flags);
    // A shown window that changed size presents again at the new one.
    Present();
}

bool TrackHover(const std::vector<HitItem>& hits, float x, float y, int32_t& hoverId, int32_t& hoverIndex) {
    const HitItem* hit = FindHitItem(hits, x, y);
    const int32_t id = hit ? hit->id : 0;
    const int32_t index = hit ? hit->index : -1;
    if (id == hoverId && index == hoverIndex) return false;
    hoverId = id;
    hoverIndex = index;
    return true;
}
