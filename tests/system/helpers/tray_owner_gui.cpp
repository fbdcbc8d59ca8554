// An application with tray-icon owner windows, for the tray tests.
//
//   tray_owner_gui.exe                 writes "<own path>.opened" and exits
//   tray_owner_gui.exe [--out FILE] [--log FILE] [--windows LETTERS] [--stubborn]
//                      [--child] [--spawn EXE ARGS...]
// Windows: m message-only, t hidden top-level, v visible titled 800x600,
// h hidden titled 400x300, p a tooltips_class32 and a Chrome_WidgetWin_1 window.
// --out gets "pid N" and "<letter> <hwnd hex>" lines once all windows exist;
// --log gets "<wParam> <lParam>" for each callback message (WM_APP + 1);
// --stubborn ignores WM_CLOSE; --child starts one copy of itself with the same
// windows (its --out gets ".child"); --spawn starts EXE with ARGS (the rest of
// the line). Ends when its last window closes, or after a minute.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT kCallbackMessage = WM_APP + 1;
constexpr UINT_PTR kGiveUpTimer = 1;
std::wstring g_log;
bool g_stubborn = false;
int g_windows = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kCallbackMessage:
            if (!g_log.empty()) {
                if (FILE* f = _wfopen(g_log.c_str(), L"ab")) {
                    fprintf(f, "%llu %llu\n", static_cast<unsigned long long>(wp), static_cast<unsigned long long>(lp));
                    fclose(f);
                }
            }
            return 0;
        case WM_TIMER:
            if (wp == kGiveUpTimer) PostQuitMessage(0);
            return 0;
        case WM_CLOSE:
            if (!g_stubborn) DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            if (--g_windows <= 0) PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

HANDLE Start(const std::wstring& commandLine) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The raw command line after the n-th argument, quoting kept.
std::wstring RestOfCommandLine(int skip) {
    const wchar_t* p = GetCommandLineW();
    for (int i = 0; i < skip; ++i) {
        while (*p == L' ') ++p;
        bool quoted = false;
        while (*p && (quoted || *p != L' ')) {
            if (*p == L'"') quoted = !quoted;
            ++p;
        }
    }
    while (*p == L' ') ++p;
    return p;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc <= 1) {
        std::wstring marker = OwnPath() + L".opened";
        if (FILE* f = _wfopen(marker.c_str(), L"w")) fclose(f);
        return 0;
    }
    std::wstring out, letters, childArgs;
    bool child = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == L"--log" && i + 1 < argc) {
            g_log = argv[++i];
            childArgs += L" --log \"" + g_log + L"\"";
        } else if (arg == L"--windows" && i + 1 < argc) {
            letters = argv[++i];
            childArgs += L" --windows " + letters;
        } else if (arg == L"--stubborn") {
            g_stubborn = true;
            childArgs += L" --stubborn";
        } else if (arg == L"--child") {
            child = true;
        } else if (arg == L"--spawn") {
            HANDLE spawned = Start(RestOfCommandLine(i + 1));
            if (spawned) CloseHandle(spawned);
            break;
        }
    }
    if (child) {
        HANDLE copy = Start(L"\"" + OwnPath() + L"\"" + childArgs + (out.empty() ? L"" : L" --out \"" + out + L".child\""));
        if (copy) CloseHandle(copy);
    }

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TrayOwnerWindow";
    RegisterClassW(&wc);
    wc.lpszClassName = L"Chrome_WidgetWin_1";
    RegisterClassW(&wc);

    std::vector<std::pair<wchar_t, HWND>> made;
    for (wchar_t letter : letters) {
        HWND w = nullptr;
        switch (letter) {
            case L'm':
                w = CreateWindowExW(0, L"TrayOwnerWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
                break;
            case L't':
                w = CreateWindowExW(0, L"TrayOwnerWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance,
                                    nullptr);
                break;
            case L'v':
                w = CreateWindowExW(0, L"TrayOwnerWindow", L"Owner main window", WS_OVERLAPPEDWINDOW, 40, 40, 800, 600,
                                    nullptr, nullptr, instance, nullptr);
                ShowWindow(w, SW_SHOWNORMAL);
                break;
            case L'h':
                w = CreateWindowExW(0, L"TrayOwnerWindow", L"Owner hidden window", WS_OVERLAPPEDWINDOW, 60, 60, 400,
                                    300, nullptr, nullptr, instance, nullptr);
                break;
            case L'p': {
                HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance,
                                           nullptr);
                made.emplace_back(L'T', tip);
                w = CreateWindowExW(0, L"Chrome_WidgetWin_1", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance,
                                    nullptr);
                letter = L'C';
                break;
            }
            default:
                break;
        }
        if (!w) continue;
        if (letter != L'C') ++g_windows;
        made.emplace_back(letter, w);
    }
    if (!made.empty()) SetTimer(made.front().second, kGiveUpTimer, 60000, nullptr);

    if (!out.empty()) {
        std::wstring temp = out + L".tmp";
        if (FILE* f = _wfopen(temp.c_str(), L"w")) {
            fprintf(f, "pid %lu\n", GetCurrentProcessId());
            for (const auto& [letter, w] : made)
                fprintf(f, "%c %llx\n", static_cast<char>(letter),
                        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(w)));
            fclose(f);
            MoveFileExW(temp.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    if (made.empty()) {
        Sleep(60000);
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
