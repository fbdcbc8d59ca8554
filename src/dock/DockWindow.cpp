#include "dock/DockWindow.h"

#include <ole2.h>

#include <algorithm>
#include <optional>
#include <cmath>
#include <exception>
#include <system_error>

#include "platform/Log.h"
#include "app/Prefetch.h"
#include "app/StartupLog.h"
#include "config/ConfigFile.h"
#include "config/Paths.h"
#include "dock/ForegroundWindow.h"
#include "dock/PinnedAppFrom.h"
#include "dock/TextWarmUp.h"
#include "platform/DetachedThread.h"
#include "render/GraphicsDeviceStart.h"
#include "render/WallpaperLumaCache.h"
#include "render/WallpaperLuminanceWorker.h"
#include "system/KeepAwake.h"

namespace {

constexpr wchar_t kVisualClass[] = L"VantreelVisualWindow";
constexpr wchar_t kInputClass[] = L"VantreelInputWindow";
constexpr int kAppIconResource = 101;
constexpr float kAllAppsReserveExtraDip = 22.0f;
constexpr float kDockBlur = 4.5f;
// The input window stays all but transparent: it must receive the pointer
// without covering the dock's pixels where the system gives it a surface.
constexpr BYTE kInputWindowAlpha = 1;

void RegisterClassOnce(const WNDCLASSEXW& wc) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing)) return;
    RegisterClassExW(&wc);
}

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
    RegisterClassOnce(visualClass);

    WNDCLASSEXW inputClass = {};
    inputClass.cbSize = sizeof(inputClass);
    inputClass.lpfnWndProc = &DockWindow::InputWndProc;
    inputClass.hInstance = instance;
    inputClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    inputClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    inputClass.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    inputClass.lpszClassName = kInputClass;
    RegisterClassOnce(inputClass);

    monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    UpdateMonitorMetrics();

    // Both windows are layered windows whose pixels our compositor presents with
    // UpdateLayeredWindow, so they keep their redirection surface:
    // WS_EX_NOREDIRECTIONBITMAP is only for content the system compositor supplies.
    visualWindow = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED |
                                       WS_EX_NOACTIVATE,
                                   kVisualClass, L"VantreelVisual", WS_POPUP, originX, originY,
                                   static_cast<int>(std::lround(scale * screenWidth)),
                                   static_cast<int>(std::lround(scale * bandHeight)), nullptr, nullptr, instance,
                                   this);
    if (!visualWindow) return false;

    HWND created = CreateWindowExW(
        WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED,
        kInputClass, L"Vantreel", WS_POPUP, originX, originY, 200, 64, nullptr, nullptr, instance, this);
    if (!created) return false;
    inputWindow = created;
    SetLayeredWindowAttributes(inputWindow, 0, kInputWindowAlpha, LWA_ALPHA);
    return true;
}

void DockWindow::StartWindowTracking() {
    windowTracker.Start(visualWindow, inputWindow);
    taskbarHider.instance = instance;
    if (!taskbarHider.edgeGuard && instance) taskbarHider.edgeGuard = CreateEdgeGuardWindow(instance);
    taskbarHider.monitor = monitor;
    taskbarHider.UpdateEdgeGuard();
    taskbarHider.zOrderAnchor = inputWindow;
    taskbarHider.UpdateEdgeGuard();
}

void DockWindow::RegisterDropTarget() {
    vantreel::DockDropTarget::Callbacks dropCallbacks;
    dropCallbacks.onDragOver = [this](POINT screen) { DragFilesOver(screen); };
    dropCallbacks.onDragLeave = [this] { DragFilesLeave(); };
    dropCallbacks.onDrop = [this](const std::vector<std::wstring>& paths, POINT screen) {
        PinDroppedFiles(paths, screen);
    };
    dropTarget = new vantreel::DockDropTarget(std::move(dropCallbacks));
    HRESULT registered = RegisterDragDrop(inputWindow, dropTarget);
    if (FAILED(registered)) {
        // The dock runs on; it just takes no dropped files.
        LogMessage(L"RegisterDragDrop failed: 0x%08X", static_cast<unsigned>(registered));
        dropTarget->Release();
        dropTarget = nullptr;
    }
}

void DockWindow::RegisterHotkeysAndTimers() {
    shellHookMessage = RegisterWindowMessageW(L"SHELLHOOK");
    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    RegisterHotKey(inputWindow, 1, MOD_CONTROL | MOD_ALT, 'T');
    RegisterHotKey(inputWindow, 2, MOD_CONTROL | MOD_ALT, VK_OEM_COMMA);
    RegisterHotKey(inputWindow, 3, MOD_ALT, VK_SPACE);
    UpdateFullscreenWatch();
    SetTimer(inputWindow, kDeviceCheckTimer, 2000, nullptr);
}

void DockWindow::PrefetchThreadProc() { PrefetchStartupFiles(); }

bool DockWindow::Initialize(HINSTANCE moduleInstance, bool keepTaskbar) {
    // No step's exception leaves here: a throwing step fails the start like a
    // failing one, and the destructor then undoes what the earlier steps began.
    try {
        return RunStartup(moduleInstance, keepTaskbar);
    } catch (const comp::HResultError& e) {
        LogMessage(L"DockWindow::Initialize winrt error: 0x%08X", static_cast<unsigned>(e.code()));
    } catch (const std::exception& e) {
        LogMessage(L"DockWindow::Initialize std::exception: %S", e.what());
    } catch (...) {
        LogMessage(L"DockWindow::Initialize unknown exception");
    }
    return false;
}

bool DockWindow::RunStartup(HINSTANCE moduleInstance, bool keepTaskbar) {
    StartupLog::Open();
    instance = moduleInstance;

    // The files the first frames read come into the file cache meanwhile. A
    // thread that cannot start only costs that head start.
    try {
        platform::StartDetachedThread(&DockWindow::PrefetchThreadProc);
    } catch (const std::system_error&) {
    }
    StartupLog::Mark(L"prefetch queued");
    // The device takes longest and needs nothing from this thread: it is made
    // on a worker while the configuration, the factories, the windows, the
    // caches and the backdrop come up here.
    if (createD3DDevice) graphics.createD3DDevice = createD3DDevice;
    GraphicsDeviceStart deviceStart(graphics);

    configPath = configPathSource ? configPathSource() : GetConfigPath();
    config = configStore.Load(configPath);
    // A watermark saved before the clock was set back would hide every
    // notification until the clock caught up with it.
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    config.clearedNotifWatermark = SaneClearedWatermark(
        config.clearedNotifWatermark, (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    // --keep-taskbar is for this run only; it reaches the file with the next
    // save that the user makes.
    if (keepTaskbar) keepTaskbarRun.Begin(config);
    StartupLog::Mark(L"config loaded");

    model.LoadFromConfig(config);

    if (!CreateGraphicsFactories(graphics, factoryCalls)) return false;
    if (!CreateWindows()) return false;
    WarmLabelTextOnWorker(graphics.dwriteFactory);
    float cachedLuma = LoadWallpaperLumaCache();
    // The glass's backdrop band is filtered on workers meanwhile, too, unless
    // the band of an earlier start still holds for the wallpaper.
    composition.compositor = comp::Compositor();
    composition.compositor.Backdrop().KeepBandsIn(GetCacheDirectory());
    RECT band = {};
    GetWindowRect(visualWindow, &band);
    GlassLayer::PrepareBackdrop(composition.compositor.Backdrop(), kDockBlur, GlassStyle::Dock, band.top,
                                band.bottom);

    // What needs no device is wired meanwhile too. Its milestones keep their
    // order below, each written once what it names is done.
    StartWindowTracking();
    RegisterDropTarget();
    RegisterHotkeysAndTimers();
    iconGraphics.dwrite = graphics.dwriteFactory.Get();
    iconGraphics.imaging = graphics.wicFactory.Get();
    iconLoader.graphics = &iconGraphics;
    iconLoader.host = &iconHost;
    iconLoader.StartWorkers();
    iconLoader.SetNotifyTarget(inputWindow, WM_DOCK_ICONS_READY);
    SetWallpaperLuminance(cachedLuma);
    // A failure here only leaves the buffer to the first frame.
    composition.PrepareWindow(visualWindow);

    if (!deviceStart.Wait()) return false;
    if (!composition.Initialize(visualWindow, graphics)) return false;
    StartupLog::Mark(L"d3d/dcomp ready");
    StartupLog::Mark(L"icon loader + luma cache");

    try {
        glass.Initialize(composition, kDockBlur, GlassStyle::Dock);
        glass.UpdateTint(config.theme, config.glassOpacity, scale);
        const comp::Compositor& compositor = composition.compositor;
        itemsRoot = compositor.CreateContainerVisual();
        labelRoot = compositor.CreateContainerVisual();
        labelSprite = compositor.CreateSpriteVisual();
        labelRoot.Children().InsertAtTop(labelSprite);
        labelRoot.Opacity(0.0f);
        composition.mainRoot.Children().InsertAtTop(glass.root);
        composition.mainRoot.Children().InsertAtTop(itemsRoot);
        composition.mainRoot.Children().InsertAtTop(labelRoot);
    } catch (const comp::HResultError& e) {
        LogMessage(L"DockWindow::Initialize winrt error: 0x%08X", static_cast<unsigned>(e.code()));
        return false;
    } catch (const std::exception& e) {
        LogMessage(L"DockWindow::Initialize std::exception: %S", e.what());
        return false;
    }
    StartupLog::Mark(L"glass + layers ready");

    CreateSharedSurfaces();
    StartupLog::Mark(L"shared surfaces ready");

    StartupLog::Mark(L"taskbar manager ready");

    RebuildVisuals();
    StartupLog::Mark(L"pinned dock icons ready");

    // The top bar's window comes later, from WM_DOCK_CREATE_TOP_BAR.
    TopBarWindow::Callbacks barCallbacks;
    barCallbacks.onToggleAllApps = [this] { ToggleAllApps(); };
    barCallbacks.onOpenSettings = [this] { OpenSettings(); };
    barCallbacks.onToggleNativeTaskbar = [this] { ToggleNativeTaskbar(); };
    barCallbacks.onSetTheme = [this](GlassTheme theme) {
        DockConfig next = config;
        next.theme = theme;
        ApplyConfig(next);
    };
    barCallbacks.onQuit = [] {
        LogMessage(L"exit: top bar menu quit command");
        PostQuitMessage(0);
    };
    barCallbacks.onPopupClosed = [this] { ArmIdleTrimTimer(); };
    barCallbacks.onTrayCollapsedChanged = [this](bool collapsed) {
        config.topBarTrayCollapsed = collapsed;
        SaveToFile();
    };
    barCallbacks.onHiddenTrayAppsChanged = [this](const std::vector<std::wstring>& keys) {
        config.hiddenTrayApps = keys;
        SaveToFile();
    };
    barCallbacks.onDoNotDisturbChanged = [this](bool on) {
        config.doNotDisturb = on;
        SaveToFile();
    };
    barCallbacks.onNotificationsCleared = [this](uint64_t watermark) {
        config.clearedNotifWatermark = watermark;
        SaveToFile();
    };
    menu.Initialize(instance, graphics, composition);
    topBar.Initialize(instance, graphics, composition, menu, barCallbacks);
    if (config.showTopBar) topBar.PrepareBackdrop(monitor, scale);
    StartupLog::Mark(L"top bar init deferred");

    allApps.instance = instance;
    allApps.device = &graphics;
    allApps.composition = &composition;
    allApps.iconLoader = &iconLoader;
    allApps.menu = &menu;
    AllAppsWindow::Callbacks appsCallbacks;
    appsCallbacks.onPinToDock = [this](const InstalledApp& app) { PinInstalledApp(app); };
    appsCallbacks.onHideApp = [this](const InstalledApp& app) {
        std::wstring key = NormalizePathKey(app.launchId);
        auto& hidden = config.hiddenApps;
        if (key.empty() || std::find(hidden.begin(), hidden.end(), key) != hidden.end()) return;
        hidden.push_back(key);
        SaveToFile();
    };
    appsCallbacks.onUnhideApp = [this](const InstalledApp& app) { UnhideInstalledApp(app); };
    appsCallbacks.onUnhideAll = [this] {
        if (config.hiddenApps.empty()) return;
        config.hiddenApps.clear();
        SaveToFile();
    };
    appsCallbacks.onRequestFrame = [this] { RequestFrame(); };
    appsCallbacks.onClosed = [this] {
        UpdateAutoHide();
        ArmIdleTrimTimer();
    };
    allApps.callbacks = std::move(appsCallbacks);
    // The launcher is wired here; its window and prewarm worker start after the
    // first frame (AllAppsWindow::Initialize below), off the path to it.
    StartupLog::Mark(L"all apps + drop target ready");

    ApplyLayout();
    StartupLog::Mark(L"layout + cached icons");
    size_t missing = 0;
    for (const auto& visual : itemVisuals) missing += visual.missing ? 1 : 0;
    startupIconsPending = missing != 0;
    LogMessage(L"Dock startup: %llu icons missing from cache at first frame",
               static_cast<unsigned long long>(missing));

    // The first frame is composed and handed to the window before it is
    // shown, so the window appears with its pixels.
    try {
        composition.compositor.Commit();
    } catch (const comp::HResultError& e) {
        LogMessage(L"DockWindow::Initialize winrt error: 0x%08X", static_cast<unsigned>(e.code()));
    } catch (const std::exception& e) {
        LogMessage(L"DockWindow::Initialize std::exception: %S", e.what());
    }
    ShowWindow(visualWindow, SW_SHOWNOACTIVATE);
    ShowWindow(inputWindow, SW_SHOWNOACTIVATE);
    StartupLog::Mark(L"first frame shown");
    // Nothing up to the first frame draws with the device, and its first
    // drawing is slow: a worker draws first, and what needs the device before
    // it is done (the top bar's content) is painted when it says so. Started
    // beside the first frame, its shaders cost that frame some 20 ms.
    composition.graphicsDevice.WarmUp(
        [window = inputWindow] { PostMessageW(window, WM_DOCK_DEVICE_READY, 0, 0); });

    PostMessageW(inputWindow, WM_DOCK_CREATE_TOP_BAR, 0, 0);
    PostMessageW(inputWindow, WM_DOCK_SCAN_WINDOWS, 0, 0);
    if (config.hideTaskbar) SetTimer(inputWindow, kTaskbarHideTimer, kFirstHideDelayMs, nullptr);
    SetTimer(inputWindow, kAutoStartTimer, 8000, nullptr);
    SetTimer(inputWindow, kPriorityTimer, 5000, nullptr);

    if (cachedLuma < 0.0f) StartWallpaperLumaProbe();

    allApps.Initialize(monitor, config, scale, AllAppsReserve());
    ArmIdleTrimTimer();
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

LRESULT CALLBACK DockWindow::InputWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<DockWindow*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->inputWindow = hwnd;
    }
    auto* self = reinterpret_cast<DockWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message != WM_NCCREATE && self->inputWindow == hwnd) {
        return self->HandleInputMessage(message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
