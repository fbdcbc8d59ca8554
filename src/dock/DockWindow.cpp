#include "dock/DockWindow.h"

#include <ole2.h>

#include <algorithm>
#include <optional>
#include <cmath>

#include "app/StartupLog.h"
#include "platform/Log.h"
#include "config/ConfigFile.h"
#include "config/PathText.h"
#include "platform/InstanceNames.h"
#include "dock/ForegroundWindow.h"
#include "dock/PinnedAppFrom.h"
#include "render/WallpaperLuminanceWorker.h"
#include "system/KeepAwake.h"

namespace {

constexpr wchar_t kVisualClass[] = L"VantreelVisualWindow";
constexpr int kAppIconResource = 101;
constexpr float kAllAppsReserveExtraDip = 22.0f;
// The input window stays all but transparent: it must receive the pointer
// without covering the dock's pixels where the system gives it a surface.
constexpr BYTE kInputWindowAlpha = 1;

}  // namespace

DockWindow::~DockWindow() {
    Shutdown();
    labelText.clear();
    bounces.clear();
    itemVisuals.clear();
    separatorSurface = nullptr;
    pillMinimizedSurface = nullptr;
    pillActiveSurface = nullptr;
    pillRunningSurface = nullptr;
    labelSurface = nullptr;
    labelSurfaces.Clear();
    labelSprite = nullptr;
    labelRoot = nullptr;
    itemsRoot = nullptr;
}

bool DockWindow::CreateWindows() {
    WNDCLASSEXW visualClass = {};
    visualClass.cbSize = sizeof(visualClass);
    visualClass.lpfnWndProc = &DockWindow::VisualWndProc;
    visualClass.hInstance = instance;
    visualClass.lpszClassName = kVisualClass;
    platform::RegisterWindowClass(visualClass);

    WNDCLASSEXW inputClass = {};
    inputClass.cbSize = sizeof(inputClass);
    inputClass.lpfnWndProc = &platform::WindowProcedure<kInputWindowBinding>;
    inputClass.hInstance = instance;
    inputClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    inputClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    inputClass.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    inputClass.lpszClassName = kDockInputWindowClass;
    platform::RegisterWindowClass(inputClass);

    monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    UpdateMonitorMetrics();

    // Both windows are layered windows whose pixels our compositor presents with
    // UpdateLayeredWindow, so they keep their redirection surface:
    // WS_EX_NOREDIRECTIONBITMAP is only for content the system compositor supplies.
    visualWindow = CreateWindowExW(
        WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, kVisualClass,
        L"VantreelVisual", WS_POPUP, originX, originY, static_cast<int>(std::lround(scale * screenWidth)),
        static_cast<int>(std::lround(scale * bandHeight)), nullptr, nullptr, instance, this);
    if (!visualWindow) return false;

    HWND created =
        CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED, kDockInputWindowClass,
                        L"Vantreel", WS_POPUP, originX, originY, 200, 64, nullptr, nullptr, instance, this);
    if (!created) return false;
    inputWindow = created;
    SetLayeredWindowAttributes(inputWindow, 0, kInputWindowAlpha, LWA_ALPHA);
    return true;
}

float DockWindow::AllAppsReserve() const {
    return static_cast<float>(config.bottomMargin) + config.iconSize + kAllAppsReserveExtraDip;
}

void DockWindow::StartWallpaperLumaProbe() {
    if (!inputWindow) return;
    StartWallpaperLuminanceWorker(inputWindow);
}

void DockWindow::ArmIdleTrimTimer() {
    if (!inputWindow || shutDown) return;
    SetTimer(inputWindow, kIdleTrimTimer, 3000, nullptr);
    SetTimer(inputWindow, kLabelWarmTimer, 300, nullptr);
    warmingLabels = true;
}

void DockWindow::RequestFrame() {
    dirty = true;
    if (inputWindow) KillTimer(inputWindow, kIdleTrimTimer);
}

void DockWindow::StartBounce(int64_t itemId) {
    bounces[static_cast<uint64_t>(itemId)] = LaunchBounce::Launch();
    RequestFrame();
}

void DockWindow::ApplyConfig(const DockConfig& newConfig) {
    DockConfigChanges changes = CompareDockConfigs(config, newConfig);
    config = newConfig;
    DockConfig::Clamp(config);
    if (changes.glass) {
        glass.UpdateTint(config.theme, config.glassOpacity, scale);
        labelText.clear();
    }
    if (changes.iconStyle) {
        iconLoader.ClearMemoryCaches();
        EmptyIconKeys();
    }
    if (changes.glass || changes.iconStyle || changes.transparency) allApps.ApplyTheme(config, scale);
    if (changes.glass || changes.topBar) topBar.Apply(monitor, config, scale);
    if (changes.taskbar) {
        keepTaskbarRun.End();
        if (config.hideTaskbar) {
            taskbarHider.Hide(false);
        } else {
            taskbarHider.Restore();
        }
    }
    fullscreenOverlap = config.hideDockOnFullscreen && IsForegroundMaximized(monitor);
    if (inputWindow) {
        if (config.hideDockOnFullscreen) {
            SetTimer(inputWindow, kFullscreenTimer, 350, nullptr);
        } else {
            KillTimer(inputWindow, kFullscreenTimer);
            revealed = false;
        }
    }
    UpdateAutoHide();
    config.pinned = model.GetPinnedApps();
    SaveToFile();
    // The next frame rebuilds the icons once, however many steps of a slider
    // came in before it: the file must not wait for the dock's pictures.
    visualsStale = true;
    RequestFrame();
}

void DockWindow::PinInstalledApp(const InstalledApp& app) {
    if (!model.PinApp(PinnedAppFromInstalledApp(app), model.PinnedRunEnd())) return;
    config.pinned = model.GetPinnedApps();
    SaveToFile();
    RebuildVisuals();
    RequestFrame();
}

void DockWindow::UnhideInstalledApp(const InstalledApp& app) {
    std::vector<std::wstring> keys = {NormalizePathKey(app.launchId)};
    if (app.isFolder) keys.push_back(L"folder:" + app.nameKey);
    auto& hidden = config.hiddenApps;
    size_t before = hidden.size();
    for (const auto& key : keys) {
        if (key.empty()) continue;
        hidden.erase(std::remove(hidden.begin(), hidden.end(), key), hidden.end());
    }
    if (hidden.size() != before) SaveToFile();
}

bool DockWindow::SaveToFile() {
    if (std::optional<DockConfig> file = configStore.TakeUnreadFile(keepTaskbarRun.ForFile(config))) {
        // The start could not read the file: the user's settings in it come
        // back, with this run's changes on top, before anything is saved.
        if (keepTaskbarRun.active) {
            keepTaskbarRun.fileValue = file->hideTaskbar;
            file->hideTaskbar = false;
        }
        model.LoadFromConfig(*file);
        ApplyConfig(*file);  // saves
        RefreshWindowList();
        // A window already open says now what the read made of the file; a
        // closed one says it when it opens.
        if (settings.Window()) {
            if (std::wstring notice = configStore.TakeNotice(); !notice.empty())
                settings.ShowSaveNotice(std::move(notice));
        }
        return true;
    }
    bool saved = configStore.Save(keepTaskbarRun.ForFile(config));
    // Every change of the live configuration ends here; an open settings window
    // takes it, or its next change would send the old values back.
    settings.TakeOwnerConfig(config);
    settings.ShowSaveResult(saved);
    return saved;
}

void DockWindow::OpenSettings() {
    SettingsWindow::Callbacks callbacks;
    callbacks.onConfigChanged = [this](const DockConfig& changed) {
        // The argument is the window's own copy, which the save below refreshes.
        DockConfig incoming = changed;
        ApplyConfig(incoming);
    };
    callbacks.onToggleNativeTaskbar = [this] { ToggleNativeTaskbar(); };
    callbacks.onRestoreDefaults = [this] { RestoreDefaults(); };
    // The window paints on the shared device, which the start-up's warm-up
    // may still be drawing with on its worker.
    if (composition.graphicsDevice) composition.graphicsDevice.FinishWarmUp();
    settings.Open(instance, &graphics, config, std::move(callbacks));
    if (std::wstring notice = configStore.TakeNotice(); !notice.empty()) settings.ShowSaveNotice(std::move(notice));
}

void DockWindow::RestoreDefaults() {
    // The cleared-notification watermark is state, like the pinned list: resetting
    // it would bring back every notification the user cleared.
    DockConfig defaults = DockConfig::MakeDefault();
    defaults.clearedNotifWatermark = config.clearedNotifWatermark;
    ApplyConfig(defaults);
    model.LoadFromConfig(config);
    RebuildVisuals();
    RequestFrame();
    RefreshWindowList();
}

void DockWindow::ToggleAllApps() {
    allApps.Toggle(monitor, config, scale, AllAppsReserve());
    UpdateAutoHide();
    RequestFrame();
}

void DockWindow::ToggleNativeTaskbar() {
    if (taskbarHider.IsHiding()) {
        taskbarHider.Restore();
        config.hideTaskbar = false;
    } else {
        taskbarHider.Hide(false);
        config.hideTaskbar = true;
    }
    keepTaskbarRun.End();
    SaveToFile();
}

void DockWindow::LeaveTaskbarForThisRun() {
    // Asked from the command line: the taskbar back now, as --keep-taskbar
    // would have left it, with the user's setting untouched in the file.
    if (inputWindow) KillTimer(inputWindow, kTaskbarHideTimer);
    if (!keepTaskbarRun.active) keepTaskbarRun.Begin(config);
    taskbarHider.Restore();
    settings.TakeOwnerConfig(config);
    LogMessage(L"System taskbar left to the user for this run, as asked by --restore-taskbar");
}

void DockWindow::Shutdown() {
    if (shutDown) return;
    shutDown = true;
    // A close during the start may come while the device's first drawing runs
    // on its worker; the process must not end with that worker inside Direct2D.
    if (composition.graphicsDevice) composition.graphicsDevice.StopWarmUp();
    ReleaseKeepAwake();
    allApps.Shutdown();
    iconLoader.Stop();
    iconLoader.SaveRecentList();
    topBar.Shutdown();
    settings.Close();
    if (inputWindow) {
        for (UINT_PTR id = 1; id <= 9; ++id) KillTimer(inputWindow, id);
        for (int id = 1; id <= 3; ++id) UnregisterHotKey(inputWindow, id);
        RevokeDragDrop(inputWindow);
    }
    if (dropTarget) {
        dropTarget->Release();  // frees itself once OLE has let go too
        dropTarget = nullptr;
    }
    windowTracker.Stop();
    taskbarHider.Restore();
    StartupLog::Close();
    if (inputWindow) {
        HWND window = inputWindow;
        inputWindow = nullptr;
        DestroyWindow(window);
    }
    if (visualWindow) {
        HWND window = visualWindow;
        visualWindow = nullptr;
        DestroyWindow(window);
    }
}

LRESULT CALLBACK DockWindow::VisualWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
