#include "dock/RunningApps.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "config/PathText.h"
#include "dock/AppLabel.h"
#include "dock/WindowTracker.h"

namespace {

constexpr std::array<std::wstring_view, 27> kExcludedProcesses = {
    L"textinputhost.exe",
    L"searchhost.exe",
    L"searchapp.exe",
    L"startmenuexperiencehost.exe",
    L"shellexperiencehost.exe",
    L"lockapp.exe",
    L"systemsettingsbroker.exe",
    L"runtimebroker.exe",
    L"widgets.exe",
    L"widgetservice.exe",
    L"gamebar.exe",
    L"nvidiaoverlay.exe",
    L"nvdisplay.container.exe",
    L"conhost.exe",
    L"openconsole.exe",
    L"dllhost.exe",
    L"sihost.exe",
    L"ctfmon.exe",
    L"dwm.exe",
    L"smartscreen.exe",
    L"securityhealthsystray.exe",
    L"useroobebroker.exe",
    L"screenclippinghost.exe",
    L"shellhost.exe",
    L"crossdeviceresume.exe",
    L"phoneexperiencehost.exe",
    L"backgroundtaskhost.exe",
};

// Every frame window of the modern-app host belongs to a different app; only
// the title tells them apart.
constexpr std::wstring_view kFrameHostName = L"applicationframehost.exe";

std::wstring_view FileNameOfKey(std::wstring_view key) {
    const size_t slash = key.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? key : key.substr(slash + 1);
}

bool CountsAsAppWindow(const WindowQueries& q, HWND hwnd, const std::vector<HWND>& ownWindows, DWORD ownProcessId,
                       std::wstring& imagePath) {
    if (!q.isWindow(hwnd) || !q.isVisible(hwnd)) return false;
    if (std::find(ownWindows.begin(), ownWindows.end(), hwnd) != ownWindows.end()) return false;
    if (q.processId(hwnd) == ownProcessId) return false;

    const DWORD ex = q.exStyle(hwnd);
    const bool appWindow = (ex & WS_EX_APPWINDOW) != 0;
    if (ex & WS_EX_NOACTIVATE) return false;
    if ((ex & WS_EX_TOOLWINDOW) && !appWindow) return false;
    if (q.owner(hwnd) && !appWindow) return false;

    if (q.isCloaked(hwnd)) return false;
    if (q.isShellWindowClass(hwnd)) return false;

    // Minimised windows are parked off screen with odd rectangles; they still count.
    RECT rect{};
    const bool hasArea = q.windowRect(hwnd, &rect) && rect.left < rect.right && rect.top < rect.bottom;
    if (!hasArea && !q.isIconic(hwnd)) return false;

    imagePath = q.imagePath(hwnd);
    if (imagePath.empty()) return false;
    if (IsExcludedProcessName(FileNameOfKey(NormalizePathKey(imagePath)))) return false;

    return q.titleLength(hwnd) != 0 || (q.style(hwnd) & WS_CAPTION) != 0;
}

}  // namespace

bool IsExcludedProcessName(std::wstring_view name) {
    return std::find(kExcludedProcesses.begin(), kExcludedProcesses.end(), name) != kExcludedProcesses.end();
}

std::vector<RunningApp> CollectRunningApps(const WindowQueries& q, const std::vector<HWND>& ownWindows,
                                           DWORD ownProcessId) {
    std::vector<RunningApp> groups;
    std::unordered_map<std::wstring, size_t> indexByKey;
    const HWND foreground = q.foregroundWindow();

    for (HWND hwnd : q.topLevelWindows()) {
        std::wstring imagePath;
        if (!CountsAsAppWindow(q, hwnd, ownWindows, ownProcessId, imagePath)) continue;

        const std::wstring appId = q.appUserModelId(hwnd);
        const std::wstring pathKey = NormalizePathKey(imagePath);
        std::wstring key = appId.empty() ? pathKey : NormalizePathKey(appId);
        if (appId.empty() && pathKey.size() > 23 && pathKey.find(kFrameHostName) != std::wstring::npos) {
            key = L"uwp::" + NormalizePathKey(q.title(hwnd));
        }

        const bool isForeground = hwnd == foreground;
        auto found = indexByKey.find(key);
        if (found == indexByKey.end()) {
            RunningApp app;
            app.key = key;
            app.exePath = imagePath;
            app.label = AppLabelFromPath(imagePath);
            if (app.label == L"ApplicationFrameHost") {
                std::wstring title = q.title(hwnd);
                if (!title.empty()) app.label = std::move(title);
            }
            app.windows.push_back(hwnd);
            app.isForeground = isForeground;
            indexByKey.emplace(std::move(key), groups.size());
            groups.push_back(std::move(app));
        } else {
            RunningApp& app = groups[found->second];
            app.windows.push_back(hwnd);
            if (isForeground) app.isForeground = true;
        }
    }

    for (RunningApp& app : groups) {
        app.allMinimized = !app.windows.empty() &&
                           std::all_of(app.windows.begin(), app.windows.end(), [&](HWND h) { return q.isIconic(h); });
        if (app.allMinimized) app.isForeground = false;
    }
    return groups;
}

std::vector<RunningApp> EnumerateRunningApps(const WindowTracker& tracker) {
    return CollectRunningApps(SystemWindowQueries(), tracker.ownWindows, GetCurrentProcessId());
}
