// Runs icon work whose log lines a test checks. Copied into a temporary
// folder first, so its "vantreel.log" (beside the executable) is its own and
// no other test's log is touched.
//   icon_log_helper prune <folder>   -> exit code: number of files pruned
//   icon_log_helper missing <path>   -> requests the path twice; exit code
//                                       10 + icons-ready messages, 2 on timeout

#include "platform/Log.h"
#include "apps/IconDiskCache.h"
#include "apps/IconLoader.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

bool WaitUntilIdle(IconLoader& loader) {
    for (int i = 0; i < 4000; ++i) {
        if (loader.PendingCount() == 0) return true;
        Sleep(5);
    }
    return false;
}

int RequestMissingTwice(const std::wstring& path) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantreelIconLogHelper";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    IconLoader loader;
    loader.SetNotifyTarget(window, WM_DOCK_ICONS_READY);
    bool idle = true;
    for (int attempt = 0; attempt < 2 && idle; ++attempt) {
        loader.RequestAsync(L"gone", path, L"", 48, false);
        idle = WaitUntilIdle(loader);
    }
    loader.Stop();
    int messages = 0;
    MSG msg;
    while (PeekMessageW(&msg, window, WM_DOCK_ICONS_READY, WM_DOCK_ICONS_READY, PM_REMOVE)) {
        ++messages;
    }
    DestroyWindow(window);
    return idle ? 10 + messages : 2;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 1;
    const std::wstring mode = argv[1];
    const std::wstring target = argv[2];
    LocalFree(argv);
    InitializeLog(true);
    if (mode == L"prune") return static_cast<int>(PruneIconCacheFolder(target));
    if (mode == L"missing") return RequestMissingTwice(target);
    return 1;
}
