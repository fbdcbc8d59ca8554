#pragma once
// What a click on a mirrored tray icon does, and how the application behind a
// helper executable (tray agent, updater, launcher) is found.

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_set>

// The name holds a helper word (launcher, tray, helper, agent, service, ...).
bool IsHelperExeName(std::wstring_view name);
// Empty, an installer or updater word, or a helper name.
bool IsInstallerLikeName(std::wstring_view name);

// The executable to treat as the application: a helper's main executable next
// to it or one folder up, else the path itself.
std::wstring ResolveTrayExePath(const std::wstring& exePath, const std::wstring& displayName);
// A main executable in folder by the preferred name, by the stem without its
// helper suffix, or (scanFolder) the largest plain executable; else empty.
std::wstring FindMainExeInFolder(const std::wstring& folder, const std::wstring& preferredName,
                                 const std::wstring& stem, bool scanFolder);

// "open" with the path's folder as working folder; true when the shell took it.
bool ShellOpenPath(const std::wstring& path);

// The search for an application's main window over a set of processes.
struct MainWindowSearch {
    std::unordered_set<uint32_t> pids;
    HWND bestVisible = nullptr;
    int bestVisibleScore = -1;
    HWND bestHidden = nullptr;
    int bestHiddenScore = -1;
};

// Scores one top-level window into the search; always continues.
void ScoreMainWindowProc(HWND window, MainWindowSearch& search);
