// The start-up: from the configuration file to the first frame on screen and
// what follows it. Each milestone is written once what it names is done.
#include <ole2.h>

#include <algorithm>
#include <exception>
#include <system_error>

#include "app/Prefetch.h"
#include "platform/ExceptionGuard.h"
#include "app/StartupLog.h"
#include "dock/DockWindow.h"
#include "platform/InstanceNames.h"
#include "dock/TextWarmUp.h"
#include "platform/DetachedThread.h"
#include "platform/Log.h"
#include "render/GraphicsDeviceStart.h"
#include "render/WallpaperLumaCache.h"
#include "config/PathText.h"

namespace {

constexpr float kDockBlur = 4.5f;

}  // namespace

void DockWindow::PrefetchThreadProc() { PrefetchStartupFiles(); }

bool DockWindow::Initialize(HINSTANCE moduleInstance, bool keepTaskbar) {
    // No step's exception leaves here: a throwing step fails the start like a
    // failing one, and the destructor then undoes what the earlier steps began.
    try {
        return RunStartup(moduleInstance, keepTaskbar);
    } catch (...) {
        platform::LogCaughtException(L"DockWindow::Initialize");
    }
    return false;
}

bool DockWindow::RunStartup(HINSTANCE moduleInstance, bool keepTaskbar) {
    StartupLog::Open();
    instance = moduleInstance;

    QueuePrefetch();
    StartupLog::Mark(L"prefetch queued");
    // The device takes longest and needs nothing from this thread: it is made
    // on a worker while the configuration, the factories, the windows, the
    // caches and the backdrop come up here.
    if (createD3DDevice) graphics.createD3DDevice = createD3DDevice;
    GraphicsDeviceStart deviceStart(graphics);

    LoadStartupConfig(keepTaskbar);
    StartupLog::Mark(L"config loaded");

    model.LoadFromConfig(config);

    if (!CreateGraphicsFactories(graphics, factoryCalls)) return false;
    if (!CreateWindows()) return false;
    WarmLabelTextOnWorker(graphics.dwriteFactory);
    const float cachedLuma = LoadWallpaperLumaCache();
    PrepareGlassBackdrop();

    // What needs no device is wired meanwhile too. Its milestones keep their
    // order below, each written once what it names is done.
    StartWindowTracking();
    RegisterDropTarget();
    RegisterHotkeysAndTimers();
    StartIconLoader();
    SetWallpaperLuminance(cachedLuma);
    // A failure here only leaves the buffer to the first frame.
    composition.PrepareWindow(visualWindow);

    if (!deviceStart.Wait()) return false;
    if (!composition.Initialize(visualWindow, graphics)) return false;
    StartupLog::Mark(L"d3d/dcomp ready");
    StartupLog::Mark(L"icon loader + luma cache");

    if (!BuildGlassAndLayers()) return false;
    StartupLog::Mark(L"glass + layers ready");

    CreateSharedSurfaces();
    StartupLog::Mark(L"shared surfaces ready");

    StartupLog::Mark(L"taskbar manager ready");

    RebuildVisuals();
    StartupLog::Mark(L"pinned dock icons ready");

    // The top bar's window comes later, from WM_DOCK_CREATE_TOP_BAR.
    InitializeTopBar();
    StartupLog::Mark(L"top bar init deferred");

    // The launcher is wired here; its window and prewarm worker start after the
    // first frame (StartAfterFirstFrame), off the path to it.
    WireAllApps();
    StartupLog::Mark(L"all apps + drop target ready");

    ApplyLayout();
    StartupLog::Mark(L"layout + cached icons");
    LogIconsMissingAtFirstFrame();

    ShowFirstFrame();
    StartupLog::Mark(L"first frame shown");
    StartAfterFirstFrame(cachedLuma);
    return true;
}

void DockWindow::QueuePrefetch() {
    // The files the first frames read come into the file cache meanwhile. A
    // thread that cannot start only costs that head start.
    try {
        platform::StartDetachedThread(&DockWindow::PrefetchThreadProc);
    } catch (const std::system_error&) {
    }
}

void DockWindow::LoadStartupConfig(bool keepTaskbar) {
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
}

void DockWindow::PrepareGlassBackdrop() {
    // The glass's backdrop band is filtered on workers meanwhile, too, unless
    // the band of an earlier start still holds for the wallpaper.
    composition.compositor = comp::Compositor();
    composition.compositor.Backdrop().KeepBandsIn(GetCacheDirectory());
    RECT band = {};
    GetWindowRect(visualWindow, &band);
    GlassLayer::PrepareBackdrop(composition.compositor.Backdrop(), kDockBlur, GlassStyle::Dock, band.top, band.bottom);
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
    leaveTaskbarMessage = RegisterWindowMessageW(kLeaveTaskbarMessageName);
    RegisterHotKey(inputWindow, 1, MOD_CONTROL | MOD_ALT, 'T');
    RegisterHotKey(inputWindow, 2, MOD_CONTROL | MOD_ALT, VK_OEM_COMMA);
    RegisterHotKey(inputWindow, 3, MOD_ALT, VK_SPACE);
    UpdateFullscreenWatch();
    SetTimer(inputWindow, kDeviceCheckTimer, 2000, nullptr);
}

void DockWindow::StartIconLoader() {
    iconGraphics.dwrite = graphics.dwriteFactory.Get();
    iconGraphics.imaging = graphics.wicFactory.Get();
    iconLoader.graphics = &iconGraphics;
    iconLoader.host = &iconHost;
    iconLoader.StartWorkers();
    iconLoader.SetNotifyTarget(inputWindow, WM_DOCK_ICONS_READY);
}

bool DockWindow::BuildGlassAndLayers() {
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
    return true;
}

TopBarWindow::Callbacks DockWindow::MakeTopBarCallbacks() {
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
    return barCallbacks;
}

void DockWindow::InitializeTopBar() {
    menu.Initialize(instance, graphics, composition);
    topBar.Initialize(instance, graphics, composition, menu, MakeTopBarCallbacks());
    if (config.showTopBar) topBar.PrepareBackdrop(monitor, scale);
}

AllAppsWindow::Callbacks DockWindow::MakeAllAppsCallbacks() {
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
    return appsCallbacks;
}

void DockWindow::WireAllApps() {
    allApps.instance = instance;
    allApps.device = &graphics;
    allApps.composition = &composition;
    allApps.iconLoader = &iconLoader;
    allApps.menu = &menu;
    allApps.callbacks = MakeAllAppsCallbacks();
}

void DockWindow::LogIconsMissingAtFirstFrame() {
    size_t missing = 0;
    for (const auto& visual : itemVisuals) missing += visual.missing ? 1 : 0;
    startupIconsPending = missing != 0;
    LogMessage(L"Dock startup: %llu icons missing from cache at first frame", static_cast<unsigned long long>(missing));
}

void DockWindow::ShowFirstFrame() {
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
}

void DockWindow::StartAfterFirstFrame(float cachedLuma) {
    // Nothing up to the first frame draws with the device, and its first
    // drawing is slow: a worker draws first, and what needs the device before
    // it is done (the top bar's content) is painted when it says so. Started
    // beside the first frame, its shaders cost that frame some 20 ms.
    composition.graphicsDevice.WarmUp([window = inputWindow] { PostMessageW(window, WM_DOCK_DEVICE_READY, 0, 0); });

    PostMessageW(inputWindow, WM_DOCK_CREATE_TOP_BAR, 0, 0);
    PostMessageW(inputWindow, WM_DOCK_SCAN_WINDOWS, 0, 0);
    if (config.hideTaskbar) {
        SetTimer(inputWindow, kTaskbarHideTimer, kFirstHideDelayMs, nullptr);
    } else {
        LogMessage(L"System taskbar left as it is%s", keepTaskbarRun.active ? L" for this run (--keep-taskbar)" : L"");
    }
    SetTimer(inputWindow, kAutoStartTimer, 8000, nullptr);
    SetTimer(inputWindow, kPriorityTimer, 5000, nullptr);

    if (cachedLuma < 0.0f) StartWallpaperLumaProbe();

    allApps.Initialize(monitor, config, scale, AllAppsReserve());
    ArmIdleTrimTimer();
}
