#pragma once
// The Start-menu walk that builds the catalog's folder entries, and the plain
// fallback scan. Every root can be given as a folder path, so the walk can run
// over any tree; the known-folder forms resolve the real Start-menu folders.
// COM must be initialised on the calling thread.

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "apps/InstalledApp.h"

// The shortcuts found below one top-level Start-menu subfolder.
struct StartMenuGroup {
    std::wstring folderName;
    std::vector<InstalledApp> apps;                  // in walk order
    std::unordered_set<std::wstring> seenNameKeys;   // name keys taken in this group
    std::unordered_set<std::wstring> seenTargetKeys; // "<exe target key>|<arguments key>"
};

// Folder key (key of the folder's display name) to the group's index.
using StartMenuGroupIndex = std::unordered_map<std::wstring, size_t>;

// Adds the shortcuts below every top-level subfolder of the root (Startup
// excepted) to the group of that folder's display name.
void CollectStartMenuShortcuts(const KNOWNFOLDERID& folder, std::vector<StartMenuGroup>& groups,
                               StartMenuGroupIndex& index);
void CollectStartMenuShortcutsIn(const std::wstring& root, std::vector<StartMenuGroup>& groups,
                                 StartMenuGroupIndex& index);

// Plain entries from every shortcut below the root, any depth.
void ScanStartMenuFallback(const KNOWNFOLDERID& folder,
                           std::unordered_set<std::wstring>& takenNameKeys,
                           std::unordered_set<std::wstring>& takenExeTargets,
                           std::vector<InstalledApp>& out);
void ScanStartMenuFallbackIn(const std::wstring& root,
                             std::unordered_set<std::wstring>& takenNameKeys,
                             std::unordered_set<std::wstring>& takenExeTargets,
                             std::vector<InstalledApp>& out);

// The shell's display name of a file or folder; its stem, then its file name,
// when the shell gives none.
std::wstring ShortcutDisplayName(const std::wstring& path);

// The folder's path, or empty when it cannot be resolved.
std::wstring KnownFolderPathOf(const KNOWNFOLDERID& folder);
