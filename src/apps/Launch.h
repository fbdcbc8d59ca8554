#pragma once
// Starting applications and shell items, and showing files in the file manager.
// Failures are logged and reported as false; no dialog of our own is shown.

#include <functional>
#include <string>

#include <windows.h>

#include "apps/InstalledApp.h"

// The shell calls behind launching, so the decisions can be checked exactly.
struct LaunchOps {
    // ShellExecuteW(open, file, parameters, no directory, SW_SHOWNORMAL); its result.
    std::function<INT_PTR(const std::wstring& file, const std::wstring& parameters)> shellOpen;
    // ShellExecuteExW with SEE_MASK_FLAG_NO_UI; true when started, else false
    // with GetLastError() in error (whatever it is, 0 included).
    std::function<bool(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory,
                       DWORD& error)>
        shellOpenEx;
    // Opens the folder holding the item with the item selected; false when the
    // shell cannot parse the path.
    std::function<bool(const std::wstring& path)> selectInFolder;
};

LaunchOps DefaultLaunchOps();

// A dock item: a target (file, "shell:" path, "::{clsid}") with arguments.
bool LaunchApp(const std::wstring& target, const std::wstring& arguments);
bool LaunchApp(const std::wstring& target, const std::wstring& arguments, const LaunchOps& ops);

// One identifier that is a file, a shell path or an application user model id.
bool LaunchShellApp(const std::wstring& id);
bool LaunchShellApp(const std::wstring& id, const LaunchOps& ops);

// Shows the item selected in its folder, or at least opens its folder.
void OpenFileLocation(const std::wstring& path);
void OpenFileLocation(const std::wstring& path, const LaunchOps& ops);

// A stored target as it is started: a leading braced known-folder id and
// %environment% variables expanded (a shortcut's raw target may hold either).
// The stored text stays what is shown and keyed.
std::wstring ExpandLaunchTarget(const std::wstring& target);

// The working directory a launched target gets: none for packaged executables
// and for non-file targets, else its existing parent folder.
std::wstring LaunchWorkingDirectory(const std::wstring& expanded);

// How a launcher entry starts: through its shortcut, so the shortcut's
// arguments, folder and "run as" apply; or, when the shortcut went after the
// catalog was built (an installer replacing it), through what it held.
struct EntryLaunch {
    enum class Way { Nothing, ShellApp, Target };
    Way way = Way::Nothing;
    std::wstring file;  // the id for ShellApp; the expanded target for Target
    std::wstring arguments;
    std::wstring directory;
    explicit operator bool() const { return way != Way::Nothing; }
};

// Asks the file system what the entry can start, before anything is shown as
// started. Nothing, logged with the reason, for a refused shortcut chain or a
// target that is gone.
EntryLaunch PlanEntryLaunch(const InstalledApp& app);
bool StartEntryLaunch(const EntryLaunch& launch);
bool StartEntryLaunch(const EntryLaunch& launch, const LaunchOps& ops);
