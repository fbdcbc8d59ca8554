#include "apps/FolderWatch.h"

#include <system_error>

#include "config/PathText.h"

namespace {

constexpr DWORD kWatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

// One watched tree and its parent's list of folders: deleting the tree, or
// making it where it was missing, shows in the parent, which the tree's own
// notification (bound to the folder that was there when it was opened) may
// never tell.
struct Watched {
    std::wstring folder;
    HANDLE tree = INVALID_HANDLE_VALUE;
    HANDLE parent = INVALID_HANDLE_VALUE;
};

void Close(HANDLE& notification) {
    if (notification != INVALID_HANDLE_VALUE) FindCloseChangeNotification(notification);
    notification = INVALID_HANDLE_VALUE;
}

// Opens what is not open yet; false while something is still missing.
bool Open(Watched& watched) {
    if (watched.tree == INVALID_HANDLE_VALUE) {
        watched.tree = FindFirstChangeNotificationW(watched.folder.c_str(), TRUE, kWatchedChanges);
    }
    const std::wstring parent = ParentFolderOf(watched.folder);
    if (watched.parent == INVALID_HANDLE_VALUE && !parent.empty()) {
        watched.parent = FindFirstChangeNotificationW(parent.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME);
    }
    return watched.tree != INVALID_HANDLE_VALUE && (parent.empty() || watched.parent != INVALID_HANDLE_VALUE);
}

void WatchLoop(HANDLE stop, std::vector<Watched> folders, const std::function<void()>& changed) {
    bool missing = false;
    for (Watched& watched : folders) missing |= !Open(watched);
    bool pending = false;  // a change waits for the quiet period to end
    for (;;) {
        std::vector<HANDLE> handles{stop};
        std::vector<HANDLE*> owners;
        for (Watched& watched : folders) {
            for (HANDLE* notification : {&watched.tree, &watched.parent}) {
                if (*notification == INVALID_HANDLE_VALUE) continue;
                handles.push_back(*notification);
                owners.push_back(notification);
            }
        }
        const DWORD timeout = pending ? FolderWatch::kQuietMs : missing ? FolderWatch::kMissingPollMs : INFINITE;
        const DWORD woke = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
        if (woke == WAIT_TIMEOUT) {
            if (pending) {
                // A folder deleted and made again is another folder: every
                // watch starts afresh before the callback reads the trees.
                missing = false;
                for (Watched& watched : folders) {
                    Close(watched.tree);
                    Close(watched.parent);
                    missing |= !Open(watched);
                }
                pending = false;
                changed();
            } else {
                // What is missing is looked for again; a tree that has appeared counts as a change.
                missing = false;
                for (Watched& watched : folders) {
                    const bool hadTree = watched.tree != INVALID_HANDLE_VALUE;
                    missing |= !Open(watched);
                    pending |= !hadTree && watched.tree != INVALID_HANDLE_VALUE;
                }
            }
            continue;
        }
        const DWORD index = woke - WAIT_OBJECT_0;
        if (index == 0 || index >= handles.size()) break;  // stopped, or the wait failed
        // A notification that cannot go on is opened again after the quiet
        // period; a further change restarts that period.
        HANDLE& notification = *owners[index - 1];
        if (!FindNextChangeNotification(notification)) Close(notification);
        pending = true;
    }
    for (Watched& watched : folders) {
        Close(watched.tree);
        Close(watched.parent);
    }
}

}  // namespace

bool FolderWatch::Start(const std::vector<std::wstring>& folders, std::function<void()> changed) {
    Stop();
    std::vector<Watched> watched;
    for (const std::wstring& folder : folders) {
        if (!folder.empty()) watched.push_back({folder});
    }
    if (watched.empty()) return false;
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) return false;
    try {
        worker_ = platform::StartJoinableThread(WatchLoop, stop_.get(), std::move(watched), std::move(changed));
        return true;
    } catch (const std::system_error&) {
        stop_.reset();
        return false;
    }
}

void FolderWatch::Stop() {
    if (stop_) SetEvent(stop_.get());
    worker_.join();
    stop_.reset();
}
