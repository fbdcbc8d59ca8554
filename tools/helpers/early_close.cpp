// early_close TRIALS SEED RESULTS: the Windows half of tools/reliability
// --early-closes. It starts the stand-in taskbar (fake_taskbar.exe beside it),
// then TRIALS times waits for a dock's "VantreelInputWindow" to appear, posts
// WM_CLOSE to it at a random moment of the 2.5 s after that, waits for the
// dock process to end and for the stand-in taskbar to show again, and appends
// one line per trial to RESULTS:
//   <trial> <delay ms> <ended 0/1> <taskbar shown 0/1> <process id> <posted 0/1>
// The script starts the docks itself, so that it sees their Unix exit status.
// Exit code 0 after the last trial, 1 when the stand-in taskbar did not come
// up or a dock window never appeared, 2 for a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <random>
#include <string>

namespace {

HWND FindOwnWindow(const wchar_t* className, DWORD pid) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid) return window;
    }
    return nullptr;
}

bool Shown(HWND window) { return window && IsWindowVisible(window) && IsWindowEnabled(window); }

template <typename Predicate>
bool WaitFor(Predicate predicate, DWORD timeoutMs, DWORD stepMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!predicate()) {
        if (GetTickCount64() >= end) return false;
        Sleep(stepMs);
    }
    return true;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 4) {
        std::fprintf(stderr, "usage: early_close TRIALS SEED RESULTS\n");
        return 2;
    }
    const unsigned long trials = std::wcstoul(argv[1], nullptr, 10);
    std::mt19937 random(static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 10)));
    const std::wstring results = argv[3];

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring taskbarExe = self;
    taskbarExe = taskbarExe.substr(0, taskbarExe.find_last_of(L'\\') + 1) + L"fake_taskbar.exe";
    std::wstring commandLine = L"\"" + taskbarExe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION taskbarProcess = {};
    if (!CreateProcessW(taskbarExe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &taskbarProcess)) {
        std::fprintf(stderr, "early_close: no stand-in taskbar\n");
        return 1;
    }
    HWND primary = nullptr, secondary = nullptr;
    auto bothShown = [&] { return Shown(primary) && Shown(secondary); };
    const bool up = WaitFor(
        [&] {
            primary = FindOwnWindow(L"Shell_TrayWnd", taskbarProcess.dwProcessId);
            secondary = FindOwnWindow(L"Shell_SecondaryTrayWnd", taskbarProcess.dwProcessId);
            return bothShown();
        },
        30000, 20);
    // The script starts the first dock once this file exists.
    FILE* out = _wfopen(results.c_str(), L"w");
    int code = up && out ? 0 : 1;
    DWORD lastPid = 0;
    for (unsigned long trial = 0; code == 0 && trial < trials; ++trial) {
        // The window of a dock that is still running: an ended process's
        // window can outlive it for a moment.
        HWND input = nullptr;
        HANDLE dock = nullptr;
        const bool found = WaitFor(
            [&] {
                input = FindWindowW(L"VantreelInputWindow", nullptr);
                DWORD pid = 0;
                if (!input || !GetWindowThreadProcessId(input, &pid)) return false;
                dock = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
                if (dock && WaitForSingleObject(dock, 0) == WAIT_TIMEOUT) return lastPid = pid, true;
                if (dock) CloseHandle(dock);
                dock = nullptr;
                return false;
            },
            120000, 1);
        if (!found) {
            std::fprintf(stderr, "early_close: trial %lu: no dock window within 120 s\n", trial);
            code = 1;
            break;
        }
        const DWORD delay = random() % 2501;
        Sleep(delay);
        const bool posted = PostMessageW(input, WM_CLOSE, 0, 0) != FALSE;
        // A dock still running a minute later counts as hung and is ended, so
        // that the next window is not taken for this one's.
        const bool ended = WaitForSingleObject(dock, 60000) == WAIT_OBJECT_0;
        if (!ended && TerminateProcess(dock, 0xDEAD)) WaitForSingleObject(dock, 10000);
        CloseHandle(dock);
        const bool shown = WaitFor(bothShown, 10000, 20);
        std::fprintf(out, "%lu %lu %d %d %lu %d\n", trial, static_cast<unsigned long>(delay), ended ? 1 : 0,
                     shown ? 1 : 0, lastPid, posted ? 1 : 0);
        std::fflush(out);
        if (!shown) {
            // The next trial needs a visible taskbar to mean anything.
            PostMessageW(primary, WM_APP + 1, 0, 0);
            WaitFor(bothShown, 10000, 20);
        }
    }
    if (out) std::fclose(out);
    TerminateProcess(taskbarProcess.hProcess, 0);
    WaitForSingleObject(taskbarProcess.hProcess, 10000);
    CloseHandle(taskbarProcess.hThread);
    CloseHandle(taskbarProcess.hProcess);
    return code;
}
