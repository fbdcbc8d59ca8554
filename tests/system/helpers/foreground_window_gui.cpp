// A top-level window of a given class and title that brings itself to the
// front, for the foreground-application tests. Copies of this program under
// other file names stand in for other applications.
//
//   foreground_window_gui.exe CLASS TITLE
//
// It closes on WM_CLOSE and gives up by itself after a minute, so a failed
// test leaves nothing behind.

#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT_PTR kGiveUpTimer = 1;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (wp == kGiveUpTimer) DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 3) return 1;
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = args[1];
    if (!RegisterClassW(&wc)) return 2;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, args[2], WS_OVERLAPPEDWINDOW, 200, 150, 480, 320, nullptr,
                                nullptr, instance, nullptr);
    if (!hwnd) return 3;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    SetTimer(hwnd, kGiveUpTimer, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    LocalFree(args);
    return 0;
}
