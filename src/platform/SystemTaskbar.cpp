#include "platform/SystemTaskbar.h"

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

UINT_PTR SendAppBar(DWORD message, APPBARDATA& data) {
    const AppBarCalls& calls = SystemAppBarCalls();
    return calls.send ? calls.send(message, data) : 0;
}

HWND StateTaskbar() {
    const AppBarCalls& calls = SystemAppBarCalls();
    return calls.findTaskbar ? calls.findTaskbar() : nullptr;
}

void ShowOne(HWND window, bool show) {
    if (!window || !IsWindow(window)) return;
    if (!show) {
        HideTaskbarWindow(window);
        return;
    }
    EnableWindow(window, TRUE);
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace

AppBarCalls& SystemAppBarCalls() {
    // Never destroyed: the crash filter may use it while the process ends.
    static AppBarCalls* calls =
        new AppBarCalls{[](DWORD message, APPBARDATA& data) { return SHAppBarMessage(message, &data); },
                        [] { return FindWindowW(L"Shell_TrayWnd", nullptr); }};
    return *calls;
}

bool SaveSystemTaskbarState(uint32_t& savedState, bool& stateSaved) {
    HWND tray = StateTaskbar();
    if (!tray) return false;
    if (stateSaved) return true;
    APPBARDATA data = TaskbarData(tray);
    savedState = static_cast<uint32_t>(SendAppBar(ABM_GETSTATE, data));
    stateSaved = true;
    g_savedState.exchange(savedState);
    g_stateSaved.exchange(true);
    return true;
}

UINT_PTR SetSystemTaskbarAutoHide(bool autoHide, uint32_t& savedState, bool& stateSaved) {
    HWND tray = StateTaskbar();
    if (!tray) return 0;
    APPBARDATA data = TaskbarData(tray);
    if (autoHide) {
        SaveSystemTaskbarState(savedState, stateSaved);
        data.lParam = ABS_AUTOHIDE;
        return SendAppBar(ABM_SETSTATE, data);
    }
    if (!stateSaved) return 0;
    data.lParam = savedState & 3;
    UINT_PTR result = SendAppBar(ABM_SETSTATE, data);
    stateSaved = false;
    g_stateSaved.exchange(false);
    return result;
}

void HideTaskbarWindow(HWND window) {
    EnableWindow(window, FALSE);
    ShowWindow(window, SW_HIDE);
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

bool IsTaskbarWindowClass(HWND window) {
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) <= 0) return false;
    return wcscmp(name, L"Shell_TrayWnd") == 0 || wcscmp(name, L"Shell_SecondaryTrayWnd") == 0;
}

void ShowSystemTaskbars(bool show) {
    ShowOne(FindWindowW(L"Shell_TrayWnd", nullptr), show);
    HWND secondary = nullptr;
    while ((secondary = FindWindowExW(nullptr, secondary, L"Shell_SecondaryTrayWnd", nullptr))) {
        ShowOne(secondary, show);
    }
}

void RestoreSystemTaskbarsAtStartup(uint32_t state) {
    g_rehideActive.exchange(false);
    if (HWND tray = StateTaskbar()) {
        uint32_t value = state;
        if (value == 0 && g_stateSaved.load()) value = g_savedState.load();
        APPBARDATA data = TaskbarData(tray);
        data.lParam = value & 3;
        SendAppBar(ABM_SETSTATE, data);
    }
    ShowSystemTaskbars(true);
}

void SetTaskbarRehideActive(bool active) { g_rehideActive.exchange(active); }

bool IsTaskbarRehideActive() { return g_rehideActive.load(); }

bool IsSystemTaskbarStateSaved() { return g_stateSaved.load(); }
