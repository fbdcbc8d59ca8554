#pragma once
// The processes that belong to a tray application: its own, their descendants
// and the launchers it came from, with the order in which to end them.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

struct ProcessTreeEntry {
    uint32_t pid = 0;
    uint32_t parentPid = 0;     // as the snapshot gives it; may name a newer process
    std::wstring imagePath;     // empty when it cannot be read
    uint64_t creationTime = 0;  // FILETIME ticks; 0 when it cannot be read
};

std::vector<ProcessTreeEntry> SnapshotProcessTree();

// The targets, their descendants and their launchers. A parent link counts only
// when the parent was created before the child (a reused id is nobody's parent);
// a launcher counts only when its image lies in the target's own folder or below,
// so a terminal or any other program that merely started the application stays out.
std::unordered_set<uint32_t> ExpandProcessTree(const std::unordered_set<uint32_t>& targets,
                                               const std::vector<ProcessTreeEntry>& snapshot);

// The processes of the icon's own executable, joined by those of the resolved
// main executable only where one is the parent or a child of one of them: a
// main program that merely runs from the same folder is somebody else's.
std::unordered_set<uint32_t> TrayAppProcesses(const std::vector<ProcessTreeEntry>& snapshot,
                                              const std::wstring& exePath, const std::wstring& resolved);

// Deeper processes first: a comparator over pids for std::sort.
std::function<bool(uint32_t, uint32_t)> CompareProcessDepth(const std::vector<ProcessTreeEntry>& snapshot);

// Runs, or cannot be opened for lack of rights.
bool IsProcessRunning(uint32_t pid);

// Creation time of an open process handle in FILETIME ticks; 0 when unreadable.
uint64_t ProcessCreationTime(void* process);
