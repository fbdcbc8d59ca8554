#include "system/tray/TrayClose.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <iterator>
#include <system_error>
#include <vector>

#include "platform/DetachedThread.h"
#include "platform/Log.h"
#include "platform/UniqueHandle.h"
#include "config/PathText.h"
#include "system/tray/TrayActions.h"
#include "system/tray/TrayProcessTree.h"
#include "system/tray/TrayProcesses.h"

namespace {

constexpr int kCloseChecks = 20;
constexpr DWORD kCloseCheckMs = 40;
constexpr DWORD kTerminateWaitMs = 500;

struct CloseState {
    const std::unordered_set<uint32_t>* pids;
    int posted = 0;
};

BOOL CALLBACK PostCloseToWindowProc(HWND window, LPARAM lp) {
    auto* state = reinterpret_cast<CloseState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!state->pids->count(pid)) return TRUE;
    wchar_t cls[128] = {};
    int length = GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
    if (length <= 0 || IsHelperWindowClass(std::wstring_view(cls, static_cast<size_t>(length)))) return TRUE;
    PostMessageW(window, WM_CLOSE, 0, 0);
    ++state->posted;
    return TRUE;
}

bool AllStopped(const std::unordered_set<uint32_t>& pids) {
    return std::none_of(pids.begin(), pids.end(), [](uint32_t pid) { return IsProcessRunning(pid); });
}

// The opened process is still the one the snapshot saw: same image, same start.
bool IsSameProcess(HANDLE process, const ProcessTreeEntry& entry) {
    wchar_t path[520] = {};
    DWORD size = static_cast<DWORD>(std::size(path));
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) return false;
    if (NormalizePathKey(std::wstring(path, size)) != NormalizePathKey(entry.imagePath)) return false;
    return entry.creationTime == 0 || ProcessCreationTime(process) == entry.creationTime;
}

}  // namespace

void TrayClose(const TrayIconInfo& icon) {
    std::wstring resolved = ResolveTrayExePath(icon.exePath, icon.displayName);
    std::vector<ProcessTreeEntry> snapshot = SnapshotProcessTree();
    std::unordered_set<uint32_t> targets = TrayAppProcesses(snapshot, icon.exePath, resolved);
    if (targets.empty()) return;

    std::unordered_set<uint32_t> set = ExpandProcessTree(targets, snapshot);
    set.erase(GetCurrentProcessId());
    for (const ProcessTreeEntry& entry : snapshot) {
        if (set.count(entry.pid) && IsShellProcess(NormalizePathKey(entry.imagePath))) set.erase(entry.pid);
    }
    if (set.empty()) return;

    CloseState close{&set, 0};
    EnumWindows(PostCloseToWindowProc, reinterpret_cast<LPARAM>(&close));
    if (close.posted > 0) {
        for (int check = 0; check < kCloseChecks; ++check) {
            if (AllStopped(set)) {
                LogMessage(L"TrayClose: %s exited after WM_CLOSE (%d windows posted)", icon.key.c_str(), close.posted);
                return;
            }
            Sleep(kCloseCheckMs);
        }
    }

    std::vector<uint32_t> survivors;
    for (uint32_t pid : set) {
        if (IsProcessRunning(pid)) survivors.push_back(pid);
    }
    std::sort(survivors.begin(), survivors.end(), CompareProcessDepth(snapshot));

    int forced = 0;
    for (uint32_t pid : survivors) {
        const platform::UniqueHandle owner(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        const HANDLE process = owner.get();
        if (!owner) {
            LogMessage(L"TrayClose: %s pid=%lu cannot be terminated (err=%lu)", icon.key.c_str(),
                       static_cast<unsigned long>(pid), GetLastError());
            continue;
        }
        auto entry =
            std::find_if(snapshot.begin(), snapshot.end(), [pid](const ProcessTreeEntry& e) { return e.pid == pid; });
        if (entry != snapshot.end() && !entry->imagePath.empty() && !IsSameProcess(process, *entry)) continue;
        if (TerminateProcess(process, 0)) {
            ++forced;
            WaitForSingleObject(process, kTerminateWaitMs);
        } else {
            DWORD error = GetLastError();
            if (IsProcessRunning(pid)) {
                LogMessage(L"TrayClose: %s pid=%lu TerminateProcess failed (err=%lu)", icon.key.c_str(),
                           static_cast<unsigned long>(pid), error);
            } else {
                ++forced;
            }
        }
    }

    int stillRunning = static_cast<int>(std::count_if(set.begin(), set.end(), IsProcessRunning));
    LogMessage(L"TrayClose: %s forced %d of %llu process(es) (windows posted=%d, still running=%d)", icon.key.c_str(),
               forced, static_cast<unsigned long long>(survivors.size()), close.posted, stillRunning);
}

void TrayCloseAsync(const TrayIconInfo& icon) {
    TrayCloseAsync(icon, [](std::function<void()> body) {
        try {
            platform::StartDetachedThread(std::move(body));
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    });
}

void TrayCloseAsync(const TrayIconInfo& icon, const TrayThreadStarter& startThread) {
    // An exception leaving the thread would end the process; the monitor's
    // next pass shows what the close did anyway.
    const bool started = startThread([copy = icon] {
        try {
            TrayClose(copy);
        } catch (...) {
            platform::LogCaughtException(L"TrayCloseAsync");
        }
    });
    if (!started) TrayClose(icon);
}
