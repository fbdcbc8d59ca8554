// Cold starts of the dock with many pinned programs whose icons are in no
// cache: each pin is its own fresh copy of a small executable, so every icon is
// extracted by the workers after the first frame. Prints, as medians over the
// starts, the program's own time from "first frame shown" to "all dock icons
// ready", and the time from a WM_CLOSE posted at the first frame to the close
// being handled (the dock's input window gone, which the loop's end and the
// orderly stop bring) and to the end of the process, beside the same close
// with one pinned program (the baseline a close takes anyway under this system).
// `dock_icons_ready.exe [pins] [starts]`: 300 pins and 3 starts unless given.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "BenchProgramLog.h"
#include "BenchTiming.h"
#include "config/ConfigFile.h"
#include "config/DockConfig.h"
#include "config/Paths.h"
#include "config/PathText.h"

namespace fs = std::filesystem;

namespace {

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A configuration pinning `pins` fresh copies of `program` in their own folder.
bool WritePins(const fs::path& dir, const fs::path& program, int pins, int start) {
    const fs::path apps = dir / (L"apps" + std::to_wstring(start));
    std::error_code ec;
    fs::create_directories(apps, ec);
    DockConfig config;
    config.hideTaskbar = false;
    for (int i = 0; i < pins; ++i) {
        const fs::path copy = apps / (L"App" + std::to_wstring(i) + L".exe");
        if (!CopyFileW(program.c_str(), copy.c_str(), FALSE)) return false;
        config.pinned.push_back(
            {L"App " + std::to_wstring(i + 1), copy.wstring(), L"", NormalizePathKey(copy.wstring())});
    }
    return SaveConfig((dir / L"vantreel.json").wstring(), config);
}

struct StartFigures {
    double firstFrameToIcons = -1;  // the program's clock
    double closeToHandled = -1;     // this process's clock: the input window is gone
    double closeToExit = -1;        // this process's clock
};

// One start; closes at the first frame when asked, else once every icon is in.
StartFigures RunOnce(const fs::path& exe, const fs::path& dir, bool closeAtFirstFrame) {
    StartFigures figures;
    const std::wstring startupLog = GetCacheDirectory() + L"\\startup.log";
    DeleteFileW(startupLog.c_str());
    // Cold for every start: the copies are new anyway, and the files of the
    // start before would only make this one's first worker prune them before
    // any icon is extracted.
    std::error_code ec;
    fs::remove_all(fs::path(GetCacheDirectory()) / L"iconcache", ec);
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const double created = bench::NowMs();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                        &process)) {
        return figures;
    }
    std::wstring log;
    while (bench::NowMs() - created < 20000 && bench::MilestoneTime(log, L"first frame shown") < 0) {
        Sleep(1);
        log = bench::ReadUtf16(startupLog);
    }
    HWND input = bench::WindowOfProcess(process.dwProcessId, L"VantreelInputWindow");
    if (!closeAtFirstFrame) {
        while (bench::NowMs() - created < 120000 && bench::MilestoneTime(log, L"all dock icons ready") < 0) {
            Sleep(5);
            log = bench::ReadUtf16(startupLog);
        }
        const double ready = bench::MilestoneTime(log, L"all dock icons ready");
        if (ready >= 0) figures.firstFrameToIcons = ready - bench::MilestoneTime(log, L"first frame shown");
    }
    if (input) {
        const double asked = bench::NowMs();
        PostMessageW(input, WM_CLOSE, 0, 0);
        while (bench::NowMs() - asked < 60000 && IsWindow(input) &&
               WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
        }
        figures.closeToHandled = bench::NowMs() - asked;
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) figures.closeToExit = bench::NowMs() - asked;
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const int pins = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 300;
    const int starts = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 3;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path bin = fs::path(self).parent_path();
    wchar_t tempBase[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempBase);
    const fs::path dir = fs::path(tempBase) / (L"vticons_bench_" + std::to_wstring(GetCurrentProcessId()));
    std::error_code ec;
    fs::create_directories(dir, ec);
    const fs::path exe = dir / L"vantreel.exe";
    const fs::path pinned = bin / L"bare_first_frame.exe";
    if (!CopyFileW((bin / L"vantreel.exe").c_str(), exe.c_str(), FALSE)) {
        std::printf("dock_icons_ready: no vantreel.exe beside the benchmark\n");
        return 1;
    }
    std::vector<double> ready, handled, baseHandled, close, baseClose;
    int copies = 0;
    for (int run = 0; run < starts; ++run) {
        if (!WritePins(dir, pinned, pins, copies++)) {
            std::printf("dock_icons_ready: could not copy %ls\n", pinned.c_str());
            return 1;
        }
        const StartFigures full = RunOnce(exe, dir, false);
        if (full.firstFrameToIcons >= 0) ready.push_back(full.firstFrameToIcons);
        WritePins(dir, pinned, pins, copies++);
        const StartFigures early = RunOnce(exe, dir, true);
        if (early.closeToExit >= 0) close.push_back(early.closeToExit);
        handled.push_back(early.closeToHandled);
        WritePins(dir, pinned, 1, copies++);
        const StartFigures one = RunOnce(exe, dir, true);
        if (one.closeToExit >= 0) baseClose.push_back(one.closeToExit);
        baseHandled.push_back(one.closeToHandled);
        std::printf(
            "start %d: first frame to all dock icons ready %.1f ms; WM_CLOSE at the first frame to handled "
            "%.1f ms, to exit %.1f ms (%d pins); %.1f ms, %.1f ms (1 pin)\n",
            run + 1, full.firstFrameToIcons, early.closeToHandled, early.closeToExit, pins, one.closeToHandled,
            one.closeToExit);
    }
    std::printf("dock_icons_ready: medians of %d starts, %d pinned programs with uncached icons\n", starts, pins);
    std::printf("first frame to all dock icons ready  %.1f ms (the program's log)\n", Median(ready));
    std::printf("WM_CLOSE at first frame to handled   %.1f ms\n", Median(handled));
    std::printf("  with one pinned program            %.1f ms (baseline)\n", Median(baseHandled));
    std::printf("WM_CLOSE at first frame to exit      %.1f ms\n", Median(close));
    std::printf("  with one pinned program            %.1f ms (baseline)\n", Median(baseClose));
    fs::remove_all(dir, ec);
    return ready.size() == static_cast<size_t>(starts) ? 0 : 1;
}
