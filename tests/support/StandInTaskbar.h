#pragma once
// A stand-in for the shell's taskbar windows, owned by the process that makes
// it: a topmost "Shell_TrayWnd" strip over the screen's bottom 40 px and one
// "Shell_SecondaryTrayWnd". Both keep their place at the top of the z-order
// (every z-order change is dropped), so FindWindowW finds them before any other
// window of those classes. Header-only: the unit tests and the fake_taskbar
// helper program share it.

#include <windows.h>

#include <initializer_list>
#include <string>

namespace testing_support {

class StandInTaskbar {
public:
    StandInTaskbar() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        for (const wchar_t* name : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &StandInTaskbar::WndProc;
            wc.hInstance = instance;
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
            wc.lpszClassName = name;
            WNDCLASSEXW existing = {};
            existing.cbSize = sizeof(existing);
            if (!GetClassInfoExW(instance, name, &existing)) RegisterClassExW(&wc);
        }
        int width = GetSystemMetrics(SM_CXSCREEN);
        int height = GetSystemMetrics(SM_CYSCREEN);
        secondary = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"Shell_SecondaryTrayWnd", L"",
                                    WS_POPUP | WS_VISIBLE, 0, 0, width / 4, 40, nullptr, nullptr, instance, nullptr);
        primary = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"Shell_TrayWnd", L"",
                                  WS_POPUP | WS_VISIBLE, 0, height - 40, width, 40, nullptr, nullptr, instance, nullptr);
    }
    ~StandInTaskbar() {
        if (primary) DestroyWindow(primary);
        if (secondary) DestroyWindow(secondary);
    }
    StandInTaskbar(const StandInTaskbar&) = delete;
    StandInTaskbar& operator=(const StandInTaskbar&) = delete;

    // What the shell does after a restart: its windows show again and every
    // top-level window hears "TaskbarCreated".
    // The primary's title counts the restarts, so a test sees one that the dock
    // undid at once.
    void ShowAgainAndAnnounce() {
        ++restarts;
        SetWindowTextW(primary, (L"restart " + std::to_wstring(restarts)).c_str());
        for (HWND w : {primary, secondary}) {
            EnableWindow(w, TRUE);
            ShowWindow(w, SW_SHOWNOACTIVATE);
        }
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }

    static bool Shown(HWND w) { return IsWindowVisible(w) && IsWindowEnabled(w); }
    static bool Hidden(HWND w) { return !IsWindowVisible(w) && !IsWindowEnabled(w); }
    bool BothShown() const { return Shown(primary) && Shown(secondary); }
    bool BothHidden() const { return Hidden(primary) && Hidden(secondary); }

    HWND primary = nullptr;
    HWND secondary = nullptr;
    int restarts = 0;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_WINDOWPOSCHANGING) {
            reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOZORDER;
            return 0;
        }
        if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
};

}  // namespace testing_support
