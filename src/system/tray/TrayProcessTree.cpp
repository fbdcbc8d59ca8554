#include "system/tray/TrayProcessTree.h"

#include <windows.h>
#include <tlhelp32.h>

#include <iterator>
#include <unordered_map>

#include "config/PathText.h"
#include "platform/UniqueHandle.h"
#include "system/tray/TrayProcesses.h"

namespace {

constexpr int kMaxAncestorLevels = 8;
constexpr int kMaxDepthSteps = 12;

const ProcessTreeEntry* FindEntry(const std::vector<ProcessTreeEntry>& snapshot, uint32_t pid) {
    for (const ProcessTreeEntry& entry : snapshot) {
        if (entry.pid == pid) return &entry;
    }
    return nullptr;
}

bool CreatedBefore(const ProcessTreeEntry& parent, const ProcessTreeEntry& child) {
    return parent.creationTime != 0 && child.creationTime != 0 && parent.creationTime < child.creationTime;
}

std::wstring FolderKeyOf(const std::wstring& imagePath) {
    std::wstring key = NormalizePathKey(imagePath);
    size_t cut = key.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : key.substr(0, cut + 1);
}

}  // namespace

uint64_t ProcessCreationTime(void* process) {
    FILETIME created, exited, kernel, user;
    if (!process || !GetProcessTimes(static_cast<HANDLE>(process), &created, &exited, &kernel, &user)) return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::vector<ProcessTreeEntry> SnapshotProcessTree() {
    std::vector<ProcessTreeEntry> entries;
    const platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return entries;
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof(pe);
    for (BOOL ok = Process32FirstW(snapshot.get(), &pe); ok; ok = Process32NextW(snapshot.get(), &pe)) {
        if (pe.th32ProcessID <= 4) continue;
        ProcessTreeEntry entry;
        entry.pid = pe.th32ProcessID;
        entry.parentPid = pe.th32ParentProcessID;
        if (const platform::UniqueHandle process{
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID)}) {
            wchar_t path[520] = {};
            DWORD size = static_cast<DWORD>(std::size(path));
            if (QueryFullProcessImageNameW(process.get(), 0, path, &size)) entry.imagePath.assign(path, size);
            entry.creationTime = ProcessCreationTime(process.get());
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::unordered_set<uint32_t> ExpandProcessTree(const std::unordered_set<uint32_t>& targets,
                                               const std::vector<ProcessTreeEntry>& snapshot) {
    std::unordered_set<uint32_t> set = targets;
    for (bool added = true; added;) {
        added = false;
        for (const ProcessTreeEntry& entry : snapshot) {
            if (set.count(entry.pid) || !set.count(entry.parentPid)) continue;
            const ProcessTreeEntry* parent = FindEntry(snapshot, entry.parentPid);
            if (!parent || !CreatedBefore(*parent, entry)) continue;
            set.insert(entry.pid);
            added = true;
        }
    }

    for (const ProcessTreeEntry& target : snapshot) {
        if (!targets.count(target.pid) || target.imagePath.empty()) continue;
        std::wstring ownFolder = FolderKeyOf(target.imagePath);
        const ProcessTreeEntry* child = &target;
        for (int level = 0; level < kMaxAncestorLevels; ++level) {
            uint32_t parentPid = child->parentPid;
            if (parentPid <= 4) break;
            const ProcessTreeEntry* parent = FindEntry(snapshot, parentPid);
            if (!parent || parent->imagePath.empty()) break;
            std::wstring parentKey = NormalizePathKey(parent->imagePath);
            if (IsShellProcess(parentKey) || !CreatedBefore(*parent, *child)) break;
            if (ownFolder.empty() || parentKey.compare(0, ownFolder.size(), ownFolder) != 0) break;
            set.insert(parentPid);
            child = parent;
        }
    }
    return set;
}

std::unordered_set<uint32_t> TrayAppProcesses(const std::vector<ProcessTreeEntry>& snapshot,
                                              const std::wstring& exePath, const std::wstring& resolved) {
    std::unordered_set<uint32_t> own;
    std::vector<const ProcessTreeEntry*> main;
    const std::wstring ownKey = NormalizePathKey(exePath), mainKey = NormalizePathKey(resolved);
    if (ownKey.empty()) return own;
    for (const ProcessTreeEntry& entry : snapshot) {
        if (entry.imagePath.empty()) continue;
        const std::wstring key = NormalizePathKey(entry.imagePath);
        if (key == ownKey) {
            own.insert(entry.pid);
        } else if (key == mainKey) {
            main.push_back(&entry);
        }
    }
    std::unordered_set<uint32_t> result = own;
    for (const ProcessTreeEntry* candidate : main) {
        const ProcessTreeEntry* parent = FindEntry(snapshot, candidate->parentPid);
        bool related = parent && own.count(parent->pid) && CreatedBefore(*parent, *candidate);
        for (const ProcessTreeEntry& child : snapshot) {
            related = related ||
                      (own.count(child.pid) && child.parentPid == candidate->pid && CreatedBefore(*candidate, child));
        }
        if (related) result.insert(candidate->pid);
    }
    return result;
}

std::function<bool(uint32_t, uint32_t)> CompareProcessDepth(const std::vector<ProcessTreeEntry>& snapshot) {
    auto depth = [&snapshot](uint32_t pid) {
        int steps = 0;
        while (steps < kMaxDepthSteps) {
            const ProcessTreeEntry* entry = FindEntry(snapshot, pid);
            if (!entry || entry->parentPid < 5 || entry->parentPid == pid) break;
            ++steps;
            pid = entry->parentPid;
        }
        return steps;
    };
    return [depth](uint32_t a, uint32_t b) { return depth(b) < depth(a); };
}

bool IsProcessRunning(uint32_t pid) {
    const platform::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}
