#include "dock/ForegroundWindow.h"

#include "dock/WindowQueries.h"

namespace {

bool IsOwnProcessWindow(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid == GetCurrentProcessId();
}

bool CoversWithin(const RECT& w, const RECT& area, LONG slack) {
    return w.left <= area.left + slack && w.top <= area.top + slack && w.right >= area.right - slack &&
           w.bottom >= area.bottom - slack;
}

bool IsOnOtherMonitor(HWND hwnd, HMONITOR monitor) {
    return monitor && MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST) != monitor;
}

bool MonitorOf(HWND hwnd, MONITORINFO& info) {
    info = {};
    info.cbSize = sizeof(info);
    return GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info) != FALSE;
}

}  // namespace

bool CoversMonitorAsFullscreen(const RECT& window, const RECT& monitor, bool zoomed, DWORD style) {
    if (zoomed && (style & WS_CAPTION) == WS_CAPTION) return false;
    return CoversWithin(window, monitor, 0);
}

bool CoversMonitorAsMaximized(const RECT& window, const RECT& monitor, const RECT& workArea) {
    return CoversWithin(window, monitor, 2) || CoversWithin(window, workArea, 8);
}

bool IsForegroundFullscreen(HMONITOR monitor) {
    const HWND fg = GetForegroundWindow();
    // The desktop window itself can be the foreground when nothing else is; it
    // covers the monitor but is no full-screen application.
    if (!fg || fg == GetDesktopWindow() || !IsWindowVisible(fg) || IsIconic(fg) || IsShellWindowClass(fg) ||
        IsOwnProcessWindow(fg)) {
        return false;
    }
    if (IsOnOtherMonitor(fg, monitor)) return false;
    RECT rect{};
    MONITORINFO info{};
    if (!GetWindowRect(fg, &rect) || !MonitorOf(fg, info)) return false;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(fg, GWL_STYLE));
    return CoversMonitorAsFullscreen(rect, info.rcMonitor, IsZoomed(fg) != FALSE, style);
}

bool IsForegroundMaximized(HMONITOR monitor) {
    const HWND fg = GetForegroundWindow();
    if (!fg) return false;
    HWND root = GetAncestor(fg, GA_ROOT);
    if (!root) root = fg;
    if (!IsWindowVisible(root) || IsIconic(root) || IsShellWindowClass(root) || IsOwnProcessWindow(root) ||
        IsWindowCloaked(root)) {
        return false;
    }
    if (IsOnOtherMonitor(root, monitor)) return false;
    if (IsZoomed(root)) return true;
    RECT rect{};
    MONITORINFO info{};
    if (!GetWindowRect(root, &rect) || !MonitorOf(root, info)) return false;
    return CoversMonitorAsMaximized(rect, info.rcMonitor, info.rcWork);
}

void ActivateWindow(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return;
    AllowSetForegroundWindow(ASFW_ANY);
    if (IsIconic(hwnd)) {
        ShowWindowAsync(hwnd, SW_RESTORE);
    } else if (!IsWindowVisible(hwnd)) {
        ShowWindowAsync(hwnd, SW_SHOW);
    }
    if (SetForegroundWindow(hwnd)) return;

    const HWND fg = GetForegroundWindow();
    const DWORD fgThread = fg ? GetWindowThreadProcessId(fg, nullptr) : 0;
    const DWORD self = GetCurrentThreadId();
    if (fgThread != 0 && fgThread != self) {
        // Sharing the foreground thread's input state lifts the foreground lock.
        AttachThreadInput(self, fgThread, TRUE);
        BringWindowToTop(hwnd);
        SetForegroundWindow(hwnd);
        AttachThreadInput(self, fgThread, FALSE);
    } else {
        BringWindowToTop(hwnd);
        SetForegroundWindow(hwnd);
    }
}
