#pragma once
// A dock in the benchmark's own process: its configuration file and its
// settling after start-up.

#include <windows.h>

#include <string>

#include "BenchProgramLog.h"
#include "BenchTiming.h"
#include "config/ConfigFile.h"
#include "config/PathText.h"
#include "dock/DockWindow.h"

namespace bench {

// The Windows folder, where the pinned programs live.
inline std::wstring WindowsFolder() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return windows;
}

struct DockFiles {
    std::wstring folder;      // in the temporary folder
    std::wstring configPath;  // folder\vantreel.json
};

// Writes a configuration with `pinnedCount` system programs pinned (taskbar
// left alone) into a folder of the temporary folder.
inline DockFiles WriteDockConfig(const wchar_t* folderName, int pinnedCount) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + folderName;
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring configPath = folder + L"\\vantreel.json";

    DockConfig config;
    config.hideTaskbar = false;
    const std::wstring windows = WindowsFolder();
    const wchar_t* programs[] = {L"notepad.exe", L"regedit.exe", L"hh.exe", L"explorer.exe"};
    for (int i = 0; i < pinnedCount; ++i) {
        std::wstring path = windows + L"\\" + programs[i % 4];
        config.pinned.push_back({L"App " + std::to_wstring(i + 1), path, L"", NormalizePathKey(path)});
    }
    SaveConfig(configPath, config);
    return {folder, configPath};
}

// Handles the start-up's messages until it says it has its window list and
// its top bar, then ticks the dock to rest.
inline void LetDockSettle(DockWindow& dock) {
    const std::wstring startupLog = GetCacheDirectory() + L"\\startup.log";
    WaitFor(
        [&] {
            Pump();
            return StartupSettled(startupLog);
        },
        60000, 20);
    for (int i = 0; i < 600 && dock.IsAnimating(); ++i) dock.Tick(1.0f / 60.0f);
    // What the main loop does when the dock comes to rest, and the rest that
    // follows: the hover labels are painted then.
    dock.ArmIdleTrimTimer();
    WaitFor(
        [&] {
            Pump();
            return !dock.WarmingLabels();
        },
        60000, 20);
}

}  // namespace bench
