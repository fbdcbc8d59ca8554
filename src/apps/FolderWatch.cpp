#include "apps/FolderWatch.h"

#include <system_error>

namespace {

constexpr DWORD kWatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

// handles[0] is the stop event; the rest are change notifications, closed here.
void WatchLoop(std::vector<HANDLE> handles, const std::function<void()>& changed) {
    DWORD timeout = INFINITE;
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
        if (woke == WAIT_TIMEOUT) {
            timeout = INFINITE;
            changed();
            continue;
        }
        const DWORD index = woke - WAIT_OBJECT_0;
        if (index == 0 || index >= handles.size()) break;  // stopped, or the wait failed
        // A further change restarts the quiet period.
        if (!FindNextChangeNotification(handles[index])) break;
        timeout = FolderWatch::kQuietMs;
    }
    for (size_t i = 1; i < handles.size(); ++i) FindCloseChangeNotification(handles[i]);
}

}  // namespace

bool FolderWatch::Start(const std::vector<std::wstring>& folders, std::function<void()> changed) {
    Stop();
    std::vector<HANDLE> handles;
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        HANDLE notification = FindFirstChangeNotificationW(folder.c_str(), TRUE, kWatchedChanges);
        if (notification != INVALID_HANDLE_VALUE) handles.push_back(notification);
    }
    if (handles.empty()) return false;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stop_) {
        handles.insert(handles.begin(), stop_);
        try {
            worker_ = std::thread(WatchLoop, handles, std::move(changed));
            return true;
        } catch (const std::system_error&) {
            handles.erase(handles.begin());
        }
    }
    for (HANDLE notification : handles) FindCloseChangeNotification(notification);
    if (stop_) CloseHandle(stop_);
    stop_ = nullptr;
    return false;
}

void FolderWatch::Stop() {
    if (stop_) SetEvent(stop_);
    if (worker_.joinable()) worker_.join();
    if (stop_) CloseHandle(stop_);
    stop_ = nullptr;
}
