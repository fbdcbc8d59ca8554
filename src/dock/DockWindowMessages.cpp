// What reaches the dock as messages at its input window: the shell, session,
// setting and display changes, timers, hotkeys and the private messages of the
// start-up and of the worker threads.
#include "dock/DockWindow.h"

#include <dxgi1_3.h>

#include <algorithm>
#include <exception>

#include "platform/Log.h"
#include "app/StartupLog.h"
#include "app/StartupTask.h"
#include "apps/BuiltinIcons.h"
#include "dock/DockWindowFrameDump.h"
#include "dock/ForegroundWindow.h"
#include "dock/RunningApps.h"
#include "platform/SystemTaskbar.h"
#include "render/WallpaperLuminance.h"
#include "render/raster/PixelCount.h"
#include "config/PathText.h"

// Only the window the dock holds as its input window speaks for it; a failed
// message is answered with 0.
const platform::WindowBinding<DockWindow> DockWindow::kInputWindowBinding{
    L"DockWindow::HandleInputMessage", &DockWindow::inputWindow,
    platform::MessageHandler<&DockWindow::HandleInputMessage>,
    [](DockWindow&, HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, true};

LRESULT DockWindow::HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (shellHookMessage != 0 && message == shellHookMessage) {
        SetTimer(inputWindow, kRefreshTimer, 60, nullptr);
        return 0;
    }
    if (taskbarCreatedMessage != 0 && message == taskbarCreatedMessage) {
        if (taskbarHider.IsHiding()) {
            SetSystemTaskbarAutoHide(true, taskbarHider.savedState, taskbarHider.stateSaved);
            ShowSystemTaskbars(false);
            taskbarHider.RenewStaleWatchdog();
        }
        taskbarHider.UpdateEdgeGuard();
        return 0;
    }
    if (leaveTaskbarMessage != 0 && message == leaveTaskbarMessage) {
        LeaveTaskbarForThisRun();
        return 1;
    }
    switch (message) {
        case WM_CLOSE: {
            HWND active = GetActiveWindow();
            DWORD pid = 0;
            if (active) GetWindowThreadProcessId(active, &pid);
            LogMessage(L"exit: WM_CLOSE on input window (active=%p pid=%lu)", static_cast<void*>(active),
                       static_cast<unsigned long>(pid));
            PostQuitMessage(0);
            return 0;
        }
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) {
                topBar.popover.Hide();
                topBar.center.HideCenter();
                topBar.center.HideBanners();
                topBar.RemoveAppBar();
                taskbarHider.Restore();
            }
            return 0;
        case WM_SETTINGCHANGE:
            StartWallpaperLumaProbe();
            glass.UpdateTint(config.theme, config.glassOpacity, scale);
            topBar.Apply(monitor, config, scale);
            allApps.ApplyTheme(config, scale);
            settings.FollowSystemTheme();
            labelText.clear();
            RequestFrame();
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_DISPLAYCHANGE:
        case WM_DPICHANGED:
            UpdateMonitorMetrics();
            iconLoader.ClearMemoryCaches();
            allApps.HandleDeviceLost();
            allApps.ApplyTheme(config, scale);
            EmptyIconKeys();
            glass.UpdateTint(config.theme, config.glassOpacity, scale);
            topBar.Apply(monitor, config, scale);
            labelText.clear();
            RebuildVisuals();
            RequestFrame();
            return 0;
        case WM_TIMER:
            HandleTimer(wParam);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_CAPTURECHANGED:
        case WM_MOUSELEAVE:
            HandlePointerMessage(message, lParam);
            return 0;
        case WM_HOTKEY:
            if (wParam == 1) ToggleNativeTaskbar();
            if (wParam == 2) OpenSettings();
            if (wParam == 3) ToggleAllApps();
            return 0;
        case WM_DOCK_WINDOWS_CHANGED:
            SetTimer(inputWindow, kRefreshTimer, 60, nullptr);
            return 0;
        case WM_DOCK_ICONS_READY: {
            iconLoader.TakeReadyNotice();
            allApps.OnIconsReady();
            // Only marked here: the frames look them up a share at a time, so
            // hundreds arriving at once never hold a close, a click or a key.
            const int px = IconPixelSize();
            const size_t count = std::min(itemVisuals.size(), model.items.size());
            bool arrived = false;
            for (size_t i = 0; i < count; ++i) {
                DockItemVisual& visual = itemVisuals[i];
                if (!visual.missing || visual.stale) continue;
                const DockItem& item = model.items[i];
                if (iconLoader.IsPending(IconLoader::MakeRequestKey(item.key, px, config.useMacIcons))) continue;
                visual.stale = arrived = true;
            }
            if (!arrived) return 0;
            staleIcons = true;
            RequestFrame();
            return 0;
        }
        case WM_DOCK_WALLPAPER_LUMA:
            SetWallpaperLuminance(static_cast<float>(wParam) / 1000.0f);
            if (config.theme != 0) return 0;
            glass.UpdateTint(0, config.glassOpacity, scale);
            topBar.Apply(monitor, config, scale);
            allApps.ApplyTheme(config, scale);
            settings.FollowSystemTheme();
            labelText.clear();
            RebuildVisuals();
            RequestFrame();
            return 0;
        case WM_DOCK_SCAN_WINDOWS:
            RefreshWindowList();
            StartupLog::Mark(L"window list scanned");
            return 0;
        case WM_DOCK_CREATE_TOP_BAR:
            topBar.Apply(monitor, config, scale);
            StartupLog::Mark(L"top bar ready");
            return 0;
        case WM_DOCK_DEVICE_READY:
            topBar.Redraw();
            return 0;
        case WM_DOCK_PIXEL_BYTES:
            return static_cast<LRESULT>(raster::PixelBytesHeld());
        default:
            break;
    }
    return DefWindowProcW(inputWindow, message, wParam, lParam);
}

void DockWindow::HandleTimer(UINT_PTR id) {
    switch (id) {
        case kRefreshTimer:
            KillTimer(inputWindow, id);
            RefreshWindowList();
            break;
        case kIdleTrimTimer:
            KillTimer(inputWindow, id);
            IdleTrim();
            break;
        case kLabelWarmTimer:
            // One label per tick keeps the thread free for the pointer; none
            // while the device's first drawing is under way elsewhere or the
            // dock is drawing a frame, and then later rather than never.
            KillTimer(inputWindow, id);
            if ((composition.graphicsDevice && composition.graphicsDevice.Warming()) || dirty || AnythingMoving()) {
                SetTimer(inputWindow, kLabelWarmTimer, 300, nullptr);
                break;
            }
            // Then the settings window's pages, so its hotkey finds them painted.
            warmingLabels = WarmNextLabel() || settings.WarmNextPage(&graphics, &config);
            if (warmingLabels) SetTimer(inputWindow, kLabelWarmTimer, 30, nullptr);
            break;
        case kRevealTimer: {
            KillTimer(inputWindow, id);
            POINT cursor;
            bool inside = GetCursorPos(&cursor) && PtInRect(&inputRect, cursor);
            if (!inside || !hovering) {
                revealed = false;
                UpdateAutoHide();
            }
            break;
        }
        case kFullscreenTimer: {
            taskbarHider.HideShownTaskbars();
            bool fs = IsForegroundFullscreen(monitor);
            if (fs != taskbarHider.fullscreenSuppressed) {
                taskbarHider.fullscreenSuppressed = fs;
                taskbarHider.UpdateEdgeGuard();
            }
            topBar.SetHiddenForFullscreen(fs);
            bool overlap = fs || IsForegroundMaximized(monitor);
            if (overlap != fullscreenOverlap) {
                fullscreenOverlap = overlap;
                UpdateAutoHide();
            }
            break;
        }
        case kDeviceCheckTimer:
            // The taskbar's own check, for when the full-screen poll is off.
            taskbarHider.HideShownTaskbars();
            if (CheckDevice()) {
                RebuildVisuals();
                RequestFrame();
            }
            break;
        case kWatchdogTimer:
            KillTimer(inputWindow, id);
            taskbarHider.StartWatchdog();
            break;
        case kAutoStartTimer:
            KillTimer(inputWindow, id);
            MigrateAutoStartOnWorker();
            break;
        case kPriorityTimer:
            KillTimer(inputWindow, id);
            SetPriorityClass(GetCurrentProcess(), ABOVE_NORMAL_PRIORITY_CLASS);
            break;
        case kTaskbarHideTimer:
            KillTimer(inputWindow, id);
            if (!FindWindowW(L"Shell_TrayWnd", nullptr)) {
                ++taskbarWaitCount;
                if (taskbarWaitCount < 40) {
                    SetTimer(inputWindow, kTaskbarHideTimer, 250, nullptr);
                    break;
                }
            }
            // The hide never goes without a watchdog, and waiting here for the
            // one still starting would freeze the dock: look again shortly. It
            // starts at the first of these ticks, which come after the top
            // bar and the window list: another process coming up beside the
            // device and them slowed each.
            taskbarHider.StartWatchdogEarly();
            if (taskbarHider.WatchdogStarting()) {
                SetTimer(inputWindow, kTaskbarHideTimer, kWatchdogPollMs, nullptr);
                break;
            }
            taskbarHider.Hide(true);
            StartupLog::Mark(L"taskbar hidden");
            SetTimer(inputWindow, kWatchdogTimer, 500, nullptr);
            break;
        case kTestAllAppsTimer:
            KillTimer(inputWindow, id);
            ToggleAllApps();
            break;
        default:
            break;
    }
}

void DockWindow::IdleTrim() {
    if (shutDown || dirty || AnythingMoving()) return;
    if (!frameDumpPath.empty() && composition.mainTarget) {
        composition.compositor.Commit();
        WriteFrameDump(frameDumpPath, composition.mainTarget.PresentedPixels());
    }
    if (composition.compositor) composition.compositor.ReleaseScratch();
    composition.paintedPixels.Clear();
    // The device is not trimmed under the feet of its first drawing.
    if (graphics.device && !(composition.graphicsDevice && composition.graphicsDevice.Warming())) {
        Microsoft::WRL::ComPtr<IDXGIDevice3> dxgi;
        if (SUCCEEDED(graphics.device.As(&dxgi))) dxgi->Trim();
    }
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

// What the dock now shows, so a reader of the log can tell which application
// joined or left it and when.
void DockWindow::LogDockItems() const {
    if (!IsLogEnabled()) return;
    size_t apps = 0;
    std::wstring running;
    for (const DockItem& item : model.items) {
        if (item.kind != DockItemKind::App) continue;
        ++apps;
        if (!item.running) continue;
        running += (running.empty() ? L"" : L"; ") + FileNameOf(item.path.empty() ? item.key : item.path);
    }
    LogMessage(L"Dock items: %llu applications, running: %s", static_cast<unsigned long long>(apps), running.c_str());
}

void DockWindow::RefreshWindowList() {
    std::vector<RunningApp> apps = EnumerateRunningApps(windowTracker);
    windowTracker.NoteMerged(apps);
    if (model.SyncRunningApps(apps)) {
        RebuildVisuals();
        RequestFrame();
        LogDockItems();
    }
    topBar.RefreshActiveApp();
    bool fs = IsForegroundFullscreen(monitor);
    if (fs != taskbarHider.fullscreenSuppressed) {
        taskbarHider.fullscreenSuppressed = fs;
        taskbarHider.UpdateEdgeGuard();
    }
    topBar.SetHiddenForFullscreen(fs);
    fullscreenOverlap = fs || IsForegroundMaximized(monitor);
    UpdateAutoHide();
}
