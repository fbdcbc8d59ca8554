// The status snapshot as the top bar collects it: the fast mode on the bar's
// one-second tick (a previous snapshot, the foreground window of another
// program as input target), the full mode of the bar's status worker, and
// the foreground-application read. Wine's notepad stands in for the user's
// application. Prints mean, p99 and max of each; the fast mode's p99 should
// stay under 2 ms and the full mode under 200 ms.

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "system/ForegroundApp.h"
#include "system/StatusSnapshot.h"

namespace {

struct Figures {
    double mean = 0, p99 = 0, max = 0;
};

template <typename F>
Figures Measure(int runs, F f) {
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    Figures figures;
    figures.mean = std::accumulate(times.begin(), times.end(), 0.0) / runs;
    figures.p99 =
        times[static_cast<size_t>(runs * 0.99) < times.size() ? static_cast<size_t>(runs * 0.99) : times.size() - 1];
    figures.max = times.back();
    return figures;
}

// Starts notepad and waits until its window is in front; null when it is not.
HWND StartNotepad(PROCESS_INFORMATION& info) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring exe = std::wstring(system) + L"\\notepad.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return nullptr;
    for (int i = 0; i < 400; ++i) {
        HWND front = GetForegroundWindow();
        DWORD owner = 0;
        GetWindowThreadProcessId(front, &owner);
        if (front && owner == info.dwProcessId) return front;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return nullptr;
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PROCESS_INFORMATION notepad{};
    HWND target = StartNotepad(notepad);
    if (!target) {
        std::printf("notepad did not come to the front\n");
        return 1;
    }

    vantreel::ForegroundAppInfo foreground;
    const Figures app = Measure(1000, [&] { foreground = vantreel::GetForegroundAppInfo(&foreground); });
    std::printf("GetForegroundAppInfo (%s in front): mean %.3f ms, p99 %.3f ms (1000 calls)\n",
                foreground.hwnd == target ? "notepad" : "another window", app.mean, app.p99);

    vantreel::SystemStatusSnapshot status = vantreel::CollectSystemStatus(true, nullptr, target);
    const Figures fast = Measure(10000, [&] { status = vantreel::CollectSystemStatus(false, &status, target); });
    std::printf("fast mode: mean %.3f ms, p99 %.3f ms, max %.3f ms (10000 calls; target p99 < 2 ms)\n", fast.mean,
                fast.p99, fast.max);

    const Figures full = Measure(50, [&] { status = vantreel::CollectSystemStatus(true, &status, target); });
    std::printf("full mode: mean %.2f ms, max %.2f ms (50 calls; target < 200 ms)\n", full.mean, full.max);

    TerminateProcess(notepad.hProcess, 0);
    WaitForSingleObject(notepad.hProcess, 5000);
    CloseHandle(notepad.hThread);
    CloseHandle(notepad.hProcess);
    CoUninitialize();
    return 0;
}
