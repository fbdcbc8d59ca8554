// How much the running program costs while nothing moves, in three set-ups:
// the dock alone, the dock with the top bar, and the dock with the launcher
// open and untouched (its caret blinking). Each starts the program from a copy
// beside this benchmark with its own settings file, waits for its start-up to
// finish (its milestones, then a quiet stretch), then measures the process's CPU time (GetProcessTimes, or its
// threads' GetThreadTimes under Wine) over an idle
// stretch and the bytes of pixels the dock's own buffers hold by then. Wine
// counts process time in 10 ms steps: the stretch is 30 s unless told.
//   dock_idle.exe [seconds]
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchProgramLog.h"
#include "BenchTiming.h"
#include "config/Paths.h"

namespace {

constexpr int kLeastSeconds = 30;
// Start-up work (the window list, the bar, icon workers, the luminance probe)
// settles first: the program's milestones, then up to kQuietTries slices until
// one uses under 2 % of a core.
constexpr DWORD kQuietSliceMs = 2000;
constexpr int kQuietTries = 15;
// The launcher opens (--test-allapps) this long after start-up, well inside the settling.
constexpr int kLauncherAtMs = 3000;

std::wstring Directory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

double Seconds(const FILETIME& kernel, const FILETIME& user) {
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// The CPU the process has used: GetProcessTimes, or the sum of GetThreadTimes
// over its live threads when that is more. Wine answers GetProcessTimes with
// the time of the threads that have ended only; on Windows it holds them all.
double CpuSeconds(HANDLE process, DWORD pid) {
    FILETIME created, exited, kernel, user;
    const double whole = GetProcessTimes(process, &created, &exited, &kernel, &user) ? Seconds(kernel, user) : 0.0;
    double threads = 0.0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != pid) continue;
            HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
            if (!thread) continue;
            if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) threads += Seconds(kernel, user);
            CloseHandle(thread);
        }
        CloseHandle(snapshot);
    }
    return std::max(whole, threads);
}

HWND FindOwnWindow(const wchar_t* className, DWORD pid) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == pid) return found;
    }
    return nullptr;
}

struct Setup {
    const char* name;
    bool topBar;
    bool launcher;
};

bool WriteSettings(const std::wstring& folder, bool topBar) {
    const std::string text = std::string("{\n  \"showTopBar\": ") + (topBar ? "true" : "false") + "\n}\n";
    HANDLE file = CreateFileW((folder + L"\\vantreel.json").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

// One run of the program in the set-up; false when it did not come up as asked.
bool Measure(const Setup& setup, const std::wstring& folder, int seconds) {
    const std::wstring exe = folder + L"\\vantreel.exe";
    if (!WriteSettings(folder, setup.topBar)) {
        std::printf("%s: cannot write the settings\n", setup.name);
        return false;
    }
    // Leave the taskbar alone.
    const std::wstring startupLog = GetCacheDirectory() + L"\\startup.log";
    DeleteFileW(startupLog.c_str());
    std::wstring commandLine = L"\"" + exe + L"\" --keep-taskbar";
    if (setup.launcher) commandLine += L" --test-allapps " + std::to_wstring(kLauncherAtMs);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        std::printf("%s: cannot start vantreel.exe\n", setup.name);
        return false;
    }
    HWND input = nullptr;
    for (int i = 0; i < 300 && !input; ++i) {
        Sleep(100);
        input = FindOwnWindow(L"VantreelInputWindow", process.dwProcessId);
    }
    bool ok = input != nullptr;
    if (!ok) std::printf("%s: the dock did not start\n", setup.name);
    if (ok) {
        // A loaded machine stretches start-up: the launcher is waited for, and
        // then a quiet stretch of the process, before anything is measured.
        for (int i = 0; setup.launcher && i < 900; ++i) {
            const HWND shown = FindOwnWindow(L"VantreelAllAppsWindow", process.dwProcessId);
            if (shown && IsWindowVisible(shown)) break;
            Sleep(100);
        }
        bench::WaitFor([&] { return bench::StartupSettled(startupLog); }, 60000, 20);
        for (int i = 0; i < kQuietTries; ++i) {
            const double start = CpuSeconds(process.hProcess, process.dwProcessId);
            Sleep(kQuietSliceMs);
            if (CpuSeconds(process.hProcess, process.dwProcessId) - start < kQuietSliceMs / 1000.0 * 0.02) break;
        }
        const HWND launcher = FindOwnWindow(L"VantreelAllAppsWindow", process.dwProcessId);
        const bool launcherShown = launcher && IsWindowVisible(launcher);
        const bool topBarShown = FindOwnWindow(L"VantreelTopBarWindow", process.dwProcessId) != nullptr;
        const double before = CpuSeconds(process.hProcess, process.dwProcessId);
        Sleep(static_cast<DWORD>(seconds) * 1000);
        const double used = CpuSeconds(process.hProcess, process.dwProcessId) - before;
        // The launcher must still be open at the end, or the figure is not of it.
        const bool launcherStayed = launcher && IsWindowVisible(launcher);
        std::printf("%-22s %7.3f s of CPU over %d s = %6.2f%% of one core (start-up %.2f s)%s%s\n", setup.name, used,
                    seconds, 100.0 * used / seconds, before, setup.topBar && !topBarShown ? " [no top bar seen]" : "",
                    setup.launcher && !(launcherShown && launcherStayed) ? " [launcher not open throughout]" : "");
        ok = !setup.launcher || (launcherShown && launcherStayed);
        // The dock's own count, after its idle trim (3 s without a frame).
        constexpr UINT kPixelBytesMessage = 0x8041;
        DWORD_PTR pixelBytes = 0;
        if (SendMessageTimeoutW(input, kPixelBytesMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &pixelBytes)) {
            std::printf("%-22s our pixel buffers: %.1f MB\n", "", static_cast<double>(pixelBytes) / 1048576.0);
        }
        PostMessageW(input, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (code != 0) std::printf("%-22s exit code after WM_CLOSE: %lu\n", "", static_cast<unsigned long>(code));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : kLeastSeconds;
    if (seconds <= 0) seconds = kLeastSeconds;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vantreel_idle_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!CopyFileW((Directory() + L"\\vantreel.exe").c_str(), (folder + L"\\vantreel.exe").c_str(), FALSE)) {
        std::printf("cannot copy vantreel.exe\n");
        return 1;
    }
    std::printf("idle CPU of the program, %d s each (target: under 1%% of one core):\n", seconds);
    const Setup setups[] = {
        {"dock alone", false, false},
        {"dock + top bar", true, false},
        {"dock + open launcher", false, true},
    };
    bool all = true;
    for (const Setup& setup : setups) all = Measure(setup, folder, seconds) && all;
    DeleteFileW((folder + L"\\vantreel.json").c_str());
    return all ? 0 : 1;
}
