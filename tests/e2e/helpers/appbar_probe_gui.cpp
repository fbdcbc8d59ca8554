// A shell app bar on the left edge in its own process, for the tests of the
// top bar's app-bar registration: it registers first, then appends one line
// "poschanged" to the given file for every ABN_POSCHANGED the shell sends it,
// and "registered" or "refused" once after its own registration. A posted
// WM_APP + 8 makes it widen itself to the given width (wParam) through
// ABM_QUERYPOS and ABM_SETPOS, as an app bar that moves does.
//
//   appbar_probe_gui.exe LOGFILE
//
// It removes its registration on WM_CLOSE and gives up by itself after a
// minute, so a failed test leaves nothing behind.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT kCallbackMessage = WM_APP + 7;
constexpr UINT kMoveMessage = WM_APP + 8;
constexpr UINT_PTR kGiveUpTimer = 1;
std::wstring logPath;

void Note(const char* line) {
    FILE* file = _wfopen(logPath.c_str(), L"ab");
    if (!file) return;
    std::fprintf(file, "%s\n", line);
    std::fclose(file);
}

APPBARDATA Data(HWND hwnd, int width = 100) {
    APPBARDATA data = {};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd;
    data.uCallbackMessage = kCallbackMessage;
    data.uEdge = ABE_LEFT;
    data.rc = {0, 0, width, GetSystemMetrics(SM_CYSCREEN)};
    return data;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kCallbackMessage:
            if (wp == ABN_POSCHANGED) Note("poschanged");
            return 0;
        case kMoveMessage: {
            APPBARDATA data = Data(hwnd, static_cast<int>(wp));
            SHAppBarMessage(ABM_QUERYPOS, &data);
            SHAppBarMessage(ABM_SETPOS, &data);
            SetWindowPos(hwnd, nullptr, data.rc.left, 200, data.rc.right - data.rc.left, 400,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Note("moved");
            return 0;
        }
        case WM_TIMER:
            if (wp == kGiveUpTimer) PostMessageW(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_CLOSE: {
            APPBARDATA data = Data(hwnd);
            SHAppBarMessage(ABM_REMOVE, &data);
            DestroyWindow(hwnd);
            return 0;
        }
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
    if (!args || count < 2) return 1;
    logPath = args[1];
    LocalFree(args);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VantreelAppBarProbe";
    if (!RegisterClassW(&wc)) return 2;
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, L"AppBarProbe", WS_POPUP, 0, 200,
                                100, 400, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 3;
    APPBARDATA data = Data(hwnd);
    const bool registered = SHAppBarMessage(ABM_NEW, &data) != 0;
    if (registered) {
        SHAppBarMessage(ABM_QUERYPOS, &data);
        SHAppBarMessage(ABM_SETPOS, &data);
    }
    Note(registered ? "registered" : "refused");
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    SetTimer(hwnd, kGiveUpTimer, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
