#pragma once
// The process snapshot of a tray pass and the process and window-class
// predicates that the tray monitor and the tray actions share.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct RunningExe {
    std::vector<uint32_t> pids;  // in snapshot order
    std::wstring imagePath;      // first path seen, as the system reports it
};

// Normalised image path to its running processes.
using RunningExeMap = std::unordered_map<std::wstring, RunningExe>;

// Every process but this one and the shell's, keyed by normalised image path;
// empty when the snapshot fails.
RunningExeMap SnapshotProcesses();

// The file name of a normalised path is one of the shell's own processes
// (explorer.exe, this program, ...); compared exactly.
bool IsShellProcess(const std::wstring& normalizedPath);

// Running processes whose normalised image path is one of the paths. The extra
// pid joins only while its image is one of them too, so a recycled id never
// stands for the application.
std::unordered_set<uint32_t> FindProcessesByExe(const std::vector<std::wstring>& exePaths, uint32_t extraPid);

// Window classes that are never an application's own window (IME, OLE, tray
// hosts, tooltips, menus, ...). True for an empty name.
bool IsHelperWindowClass(std::wstring_view className);

// Full image path of a process; empty when it cannot be opened or read.
std::wstring ProcessImagePath(uint32_t pid);
