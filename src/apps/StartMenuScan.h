#pragma once
// The Start-menu walk that builds the catalog's folder entries, and the plain
// fallback scan. Every root can be given as a folder path, so the walk can run
// over any tree; the known-folder forms resolve the real Start-menu folders.
// COM must be initialised on the calling thread.

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "apps/InstalledApp.h"
#include "apps/ShortcutReadings.h"

// The shortcuts found below one top-level Start-menu subfolder.
struct StartMenuGroup {
    std::wstring folderName;
    std::vector<InstalledApp> apps;                   // in walk order
    std::unordered_set<std::wstring> seenNameKeys;    // name keys taken in this group
    std::unordered_set<std::wstring> seenTargetKeys;  // ExeTargetKey of the .exe shortcuts taken
};

// What tells shortcuts to one executable apart: its target key, a "|" and the
// key of its arguments, so the same program started two ways is two entries.
std::wstring ExeTargetKey(const std::wstring& targetKey, const std::wstring& arguments);

// Folder key (key of the folder's display name) to the group's index.
using StartMenuGroupIndex = std::unordered_map<std::wstring, size_t>;

// Adds the shortcuts below every top-level subfolder of the root (Startup
// excepted) to the group of that folder's display name.
void CollectStartMenuShortcuts(const KNOWNFOLDERID& folder, std::vector<StartMenuGroup>& groups,
                               StartMenuGroupIndex& index);
// With readings, shortcuts unchanged since an earlier build are not opened again.
void CollectStartMenuShortcutsIn(const std::wstring& root, std::vector<StartMenuGroup>& groups,
                                 StartMenuGroupIndex& index, ShortcutReadings* readings = nullptr);

// Plain entries from every shortcut below the root, any depth; takenExeTargets
// holds ExeTargetKey values. With readings,
// shortcuts unchanged since an earlier build are not opened again.
void ScanStartMenuFallback(const KNOWNFOLDERID& folder, std::unordered_set<std::wstring>& takenNameKeys,
                           std::unordered_set<std::wstring>& takenExeTargets, std::vector<InstalledApp>& out);
void ScanStartMenuFallbackIn(const std::wstring& root, std::unordered_set<std::wstring>& takenNameKeys,
                             std::unordered_set<std::wstring>& takenExeTargets, std::vector<InstalledApp>& out,
                             ShortcutReadings* readings = nullptr);

// The shell's display name of a file or folder; its stem, then its file name,
// when the shell gives none. The shell is asked only where a desktop.ini can
// rename the item (the folder's own, or its parent's localized-names section
// naming it): elsewhere the shell shows a shortcut's file name without its
// extension and a folder's name as it is, and asking costs milliseconds each.
std::wstring ShortcutDisplayName(const std::wstring& path);

// The desktop.ini files' localized-names sections read once per folder for
// the duration of one walk.
class DesktopIniNames {
public:
    // True when the folder's desktop.ini names the file in its localized-names section.
    bool Names(const std::wstring& folder, const std::wstring& fileName);

private:
    std::unordered_map<std::wstring, std::unordered_set<std::wstring>> folders_;
};

// The shell's own answer for one item, as the real shell gives it.
using ShellDisplayNameFn = std::function<std::wstring(const std::wstring& path)>;
std::wstring ShellDisplayName(const std::wstring& path);

std::wstring ShortcutDisplayName(const std::wstring& path, DesktopIniNames& names,
                                 const ShellDisplayNameFn& shellName = ShellDisplayName);
std::wstring ShortcutDisplayName(const std::wstring& path, const ShellDisplayNameFn& shellName);

// The folder's path, or empty when it cannot be resolved.
std::wstring KnownFolderPathOf(const KNOWNFOLDERID& folder);
