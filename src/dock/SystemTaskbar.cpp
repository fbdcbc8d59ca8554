#include "dock/SystemTaskbar.h"

#include <shellapi.h>

#include <atomic>

namespace {

std::atomic<bool> g_rehideActive{false};
std::atomic<uint32_t> g_savedState{0};
std::atomic<bool> g_stateSaved{false};

APPBARDATA TaskbarData(HWND tray) {
    APPBARDATA data = {};
    data.cbSize = sizeof(APPBARDATA);
    data.hWnd = tray;
    return data;
}

void ShowOne(HWND window, bool show) {
    if (!window || !IsWindow(window)) return;
    if (show) {
        EnableWindow(window, TRUE);
        ShowWindow(window, SW_SHOW);
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    } else {
        EnableWindow(window, FALSE);
        ShowWindow(window, SW_HIDE);
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
}

}  // namespace

UINT_PTR SetSystemTaskbarAutoHide(bool autoHide, uint32_t& savedState, bool& stateSaved) {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return 0;
    APPBARDATA data = TaskbarData(tray);
    if (autoHide) {
        if (!stateSaved) {
            savedState = static_cast<uint32_t>(SHAppBarMessage(ABM_GETSTATE, &data));
            stateSaved = true;
            g_savedState.store(savedState);
            g_stateSaved.store(true);
        }
        data.lParam = ABS_AUTOHIDE;
        return SHAppBarMessage(ABM_SETSTATE, &data);
    }
    data.lParam = stateSaved ? (savedState & 3) : 0;
    UINT_PTR result = SHAppBarMessage(ABM_SETSTATE, &data);
    stateSaved = false;
    g_stateSaved.store(false);
    return result;
}

void ShowSystemTaskbars(bool show) {
    ShowOne(FindWindowW(L"Shell_TrayWnd", nullptr), show);
    HWND secondary = nullptr;
    while ((secondary = FindWindowExW(nullptr, secondary, L"Shell_SecondaryTrayWnd", nullptr))) {
        ShowOne(secondary, show);
    }
}

void RestoreSystemTaskbarsAtStartup(uint32_t state) {
    g_rehideActive.store(false);
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        uint32_t value = state;
        if (value == 0 && g_stateSaved.load()) value = g_savedState.load();
        APPBARDATA data = TaskbarData(tray);
        data.lParam = value & 3;
        SHAppBarMessage(ABM_SETSTATE, &data);
    }
    ShowSystemTaskbars(true);
}

void SetTaskbarRehideActive(bool active) { g_rehideActive.store(active); }
