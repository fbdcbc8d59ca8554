#include "platform/SystemTaskbar.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/DetachedThread.h"

namespace {

std::atomic<bool> g_rehideActive{false};
std::atomic<uint32_t> g_savedState{0};
std::atomic<bool> g_stateSaved{false};

APPBARDATA TaskbarData(HWND tray) {
    APPBARDATA data = {};
    data.cbSize = sizeof(APPBARDATA);
    data.hWnd = tray;
    return data;
}

UINT_PTR SendAppBar(DWORD message, APPBARDATA& data) {
    const AppBarCalls& calls = SystemAppBarCalls();
    return calls.send ? calls.send(message, data) : 0;
}

HWND StateTaskbar() {
    const AppBarCalls& calls = SystemAppBarCalls();
    return calls.findTaskbar ? calls.findTaskbar() : nullptr;
}

// Windows of other threads waiting to be disabled, and whether a worker takes
// them: one at a time, so a hung shell holds one worker, never one a look.
struct DisableQueue {
    std::mutex mutex;
    std::deque<std::pair<HWND, std::function<BOOL(HWND, BOOL)>>> windows;
    bool working = false;
};

DisableQueue& Disables() {
    static DisableQueue* queue = new DisableQueue;  // detached workers may outlive everything else
    return *queue;
}

void DisableOnWorker(HWND window, const std::function<BOOL(HWND, BOOL)>& enable) {
    DisableQueue& queue = Disables();
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        for (const auto& waiting : queue.windows) {
            if (waiting.first == window) return;
        }
        queue.windows.emplace_back(window, enable);
        if (std::exchange(queue.working, true)) return;
    }
    try {
        platform::StartDetachedThread([&queue] {
            for (;;) {
                std::pair<HWND, std::function<BOOL(HWND, BOOL)>> next;
                {
                    std::lock_guard<std::mutex> lock(queue.mutex);
                    if (queue.windows.empty()) {
                        queue.working = false;
                        return;
                    }
                    next = std::move(queue.windows.front());
                    queue.windows.pop_front();
                }
                if (IsWindow(next.first)) next.second(next.first, FALSE);
            }
        });
    } catch (const std::system_error&) {
        // No thread: the window stays enabled, hidden all the same.
        std::lock_guard<std::mutex> lock(queue.mutex);
        queue.windows.clear();
        queue.working = false;
    }
}

// A disable still waiting for the worker must not land after the window is
// shown again. The crash filter shows the windows too, maybe while this
// thread holds the lock: then it leaves the queue alone.
void CancelDisable(HWND window) {
    DisableQueue& queue = Disables();
    std::unique_lock<std::mutex> lock(queue.mutex, std::try_to_lock);
    if (lock) std::erase_if(queue.windows, [window](const auto& waiting) { return waiting.first == window; });
}

void ShowOne(HWND window, bool show) {
    if (!window || !IsWindow(window)) return;
    if (!show) {
        HideTaskbarWindow(window);
        return;
    }
    CancelDisable(window);
    EnableWindow(window, TRUE);
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace

AppBarCalls& SystemAppBarCalls() {
    // Never destroyed: the crash filter may use it while the process ends.
    static AppBarCalls* calls = new AppBarCalls{
        [](DWORD message, APPBARDATA& data) { return SHAppBarMessage(message, &data); },
        [] { return FindWindowW(L"Shell_TrayWnd", nullptr); },
        [](HWND window, int command) { return ShowWindowAsync(window, command); },
        [](HWND window, HWND after, UINT flags) { return SetWindowPos(window, after, 0, 0, 0, 0, flags); },
        [](HWND window, BOOL enable) { return EnableWindow(window, enable); }};
    return *calls;
}

bool SaveSystemTaskbarState(uint32_t& savedState, bool& stateSaved) {
    HWND tray = StateTaskbar();
    if (!tray) return false;
    if (stateSaved) return true;
    APPBARDATA data = TaskbarData(tray);
    savedState = static_cast<uint32_t>(SendAppBar(ABM_GETSTATE, data));
    stateSaved = true;
    g_savedState.exchange(savedState);
    g_stateSaved.exchange(true);
    return true;
}

UINT_PTR SetSystemTaskbarAutoHide(bool autoHide, uint32_t& savedState, bool& stateSaved) {
    HWND tray = StateTaskbar();
    if (!tray) return 0;
    APPBARDATA data = TaskbarData(tray);
    if (autoHide) {
        SaveSystemTaskbarState(savedState, stateSaved);
        data.lParam = ABS_AUTOHIDE;
        return SendAppBar(ABM_SETSTATE, data);
    }
    if (!stateSaved) return 0;
    data.lParam = savedState & 3;
    UINT_PTR result = SendAppBar(ABM_SETSTATE, data);
    stateSaved = false;
    g_stateSaved.exchange(false);
    return result;
}

void HideTaskbarWindow(HWND window) {
    const AppBarCalls& calls = SystemAppBarCalls();
    if (!calls.enableWindow || !calls.showWindowAsync || !calls.setWindowPos) return;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        calls.enableWindow(window, FALSE);  // our own thread: nothing to wait for
    } else {
        DisableOnWorker(window, calls.enableWindow);
    }
    calls.showWindowAsync(window, SW_HIDE);
    calls.setWindowPos(window, HWND_BOTTOM,
                       SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
}

bool IsTaskbarWindowClass(HWND window) {
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) <= 0) return false;
    return wcscmp(name, L"Shell_TrayWnd") == 0 || wcscmp(name, L"Shell_SecondaryTrayWnd") == 0;
}

void ShowSystemTaskbars(bool show) {
    ShowOne(FindWindowW(L"Shell_TrayWnd", nullptr), show);
    HWND secondary = nullptr;
    while ((secondary = FindWindowExW(nullptr, secondary, L"Shell_SecondaryTrayWnd", nullptr))) {
        ShowOne(secondary, show);
    }
}

void RestoreSystemTaskbarsAtStartup(uint32_t state) {
    g_rehideActive.exchange(false);
    if (HWND tray = StateTaskbar()) {
        uint32_t value = state;
        if (value == 0 && g_stateSaved.load()) value = g_savedState.load();
        APPBARDATA data = TaskbarData(tray);
        data.lParam = value & 3;
        SendAppBar(ABM_SETSTATE, data);
    }
    ShowSystemTaskbars(true);
}

void SetTaskbarRehideActive(bool active) { g_rehideActive.exchange(active); }

bool IsTaskbarRehideActive() { return g_rehideActive.load(); }

bool IsSystemTaskbarStateSaved() { return g_stateSaved.load(); }
