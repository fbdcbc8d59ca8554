// Starts the dock five times from a copy of the program with a plain
// configuration and prints, as medians: process creation to the "first frame
// shown" line (written once the first present has returned), the graphics
// device milestone's own time, their difference (which holds Wine's own start
// of the process too), and, from the program's log, the time from the device
// being ready to that first present.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "config/DockConfig.h"
#include "config/Paths.h"

namespace fs = std::filesystem;

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring ReadUtf16(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::wstring text(32768, L'\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    CloseHandle(file);
    text.resize(read / sizeof(wchar_t));
    return text;
}

// Where the line naming the milestone starts, and where the name stands.
struct MilestoneLine {
    size_t start = std::wstring::npos;
    size_t name = std::wstring::npos;
};

MilestoneLine FindMilestone(const std::wstring& log, const wchar_t* milestone) {
    MilestoneLine line;
    line.name = log.find(milestone);
    if (line.name == std::wstring::npos) return line;
    const size_t newline = log.rfind(L'\n', line.name);
    line.start = newline == std::wstring::npos ? 0 : newline + 1;
    return line;
}

// The "(+delta)" of the line naming the milestone, or -1.
double MilestoneDelta(const std::wstring& log, const wchar_t* milestone) {
    const MilestoneLine line = FindMilestone(log, milestone);
    if (line.name == std::wstring::npos) return -1;
    size_t plus = log.find(L"(+", line.start);
    if (plus == std::wstring::npos || plus > line.name) return -1;
    return std::wcstod(log.c_str() + plus + 2, nullptr);
}

// The time since the program's start on the line naming the milestone, or -1.
double MilestoneTime(const std::wstring& log, const wchar_t* milestone) {
    const MilestoneLine line = FindMilestone(log, milestone);
    if (line.name == std::wstring::npos) return -1;
    return std::wcstod(log.c_str() + line.start, nullptr);
}

HWND WindowOfProcess(DWORD pid, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        HWND found;
    } search{pid, className, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t name[128] = {};
            GetClassNameW(hwnd, name, 128);
            if (owner == s->pid && std::wcscmp(name, s->className) == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path program = fs::path(self).parent_path() / L"vantreel.exe";
    wchar_t tempBase[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempBase);
    const fs::path dir = fs::path(tempBase) / (L"vtstart_bench_" + std::to_wstring(GetCurrentProcessId()));
    std::error_code ec;
    fs::create_directories(dir, ec);
    const fs::path exe = dir / L"vantreel.exe";
    if (!CopyFileW(program.c_str(), exe.c_str(), FALSE)) {
        std::printf("dock_startup: no vantreel.exe beside the benchmark\n");
        return 1;
    }
    DockConfig config;
    config.hideTaskbar = false;
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring notepad = std::wstring(windows) + L"\\notepad.exe";
    config.pinned.push_back({L"Notepad", notepad, L"", NormalizePathKey(notepad)});
    const std::string json = DockConfig::ToJson(config);
    HANDLE file = CreateFileW((dir / L"vantreel.json").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
        CloseHandle(file);
    }
    const std::wstring startupLog = GetCacheDirectory() + L"\\startup.log";

    std::vector<double> firstFrame, device, difference, afterDevice;
    for (int run = 0; run < 5; ++run) {
        DeleteFileW(startupLog.c_str());
        std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        const double created = Now();
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                            &startup, &process)) {
            std::printf("dock_startup: could not start the program\n");
            return 1;
        }
        double shown = -1;
        std::wstring log;
        while (Now() - created < 20000) {
            log = ReadUtf16(startupLog);
            if (log.find(L"first frame shown") != std::wstring::npos) {
                shown = Now() - created;
                break;
            }
            Sleep(1);
        }
        const double deviceMs = MilestoneDelta(log, L"d3d/dcomp ready");
        if (shown >= 0) {
            // The program's own clock: from the device being ready to the
            // first present having returned.
            const double fromDevice = MilestoneTime(log, L"first frame shown") - MilestoneTime(log, L"d3d/dcomp ready");
            firstFrame.push_back(shown);
            device.push_back(deviceMs);
            difference.push_back(shown - deviceMs);
            afterDevice.push_back(fromDevice);
            std::printf("start %d: first frame %.1f ms after process creation, device milestone %.1f ms, "
                        "%.1f ms after the device was ready\n",
                        run + 1, shown, deviceMs, fromDevice);
        } else {
            std::printf("start %d: no first frame within 20 s\n", run + 1);
        }
        HWND input = nullptr;
        for (int i = 0; i < 200 && !input; ++i, Sleep(10)) input = WindowOfProcess(process.dwProcessId, L"VantreelInputWindow");
        if (input) PostMessageW(input, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::printf("dock_startup: median of %llu starts\n", static_cast<unsigned long long>(firstFrame.size()));
    std::printf("process creation to first frame  %.1f ms\n", Median(firstFrame));
    std::printf("device milestone                  %.1f ms\n", Median(device));
    std::printf("first frame minus device          %.1f ms\n", Median(difference));
    std::printf("device ready to first frame       %.1f ms (the program's log)\n", Median(afterDevice));
    fs::remove_all(dir, ec);
    return firstFrame.size() == 5 ? 0 : 1;
}
