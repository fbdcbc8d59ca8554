#include "topbar/TopBarWindow.h"

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "config/PathText.h"
#include "platform/DetachedThread.h"
#include "render/CompositionHost.h"
#include "render/GlassWindowTree.h"
#include "render/GraphicsDevice.h"
#include "system/InputMethods.h"
#include "system/tray/TrayFileIcon.h"
#include "system/tray/TrayIconPixels.h"
#include "system/tray/TrayMonitor.h"

namespace {

constexpr wchar_t kClassName[] = L"VantreelTopBarWindow";
constexpr UINT_PTR kStatusTimer = 1;
constexpr float kBarBlur = 4.5f;

}  // namespace

TopBarSystemCalls RealTopBarSystemCalls() {
    TopBarSystemCalls calls;
    calls.collectStatus = [](bool full, const vantreel::SystemStatusSnapshot* previous, HWND target) {
        return vantreel::CollectSystemStatus(full, previous, target);
    };
    calls.foregroundApp = [](const vantreel::ForegroundAppInfo* previous) {
        return vantreel::GetForegroundAppInfo(previous);
    };
    calls.inputIndicator = [](HWND target) { return vantreel::GetInputModeIndicator(target); };
    calls.trayIcons = [] { return GetTrayIconsSnapshot(); };
    calls.startTrayMonitor = [] { EnsureTrayMonitorStarted(); };
    calls.loadFileIcon = [](const std::wstring& path, IWICImagingFactory* factory, int edge) {
        return LoadFileIcon(path, factory, edge);
    };
    calls.makeTemplateIcon = [](const std::vector<uint8_t>& pixels, int edge, bool dark) {
        return MakeTemplateIcon(pixels, edge, dark);
    };
    calls.appBar = [](DWORD message, APPBARDATA& data) { return SHAppBarMessage(message, &data); };
    calls.nextClockText = [] {
        SYSTEMTIME now = {};
        GetLocalTime(&now);
        FILETIME file = {};
        if (!SystemTimeToFileTime(&now, &file)) return std::wstring();
        ULARGE_INTEGER ticks = {{file.dwLowDateTime, file.dwHighDateTime}};
        ticks.QuadPart += 60ull * 10'000'000ull;  // a minute in 100 ns steps
        file = {ticks.LowPart, ticks.HighPart};
        SYSTEMTIME next = {};
        return FileTimeToSystemTime(&file, &next) ? vantreel::FormatClockText(next) : std::wstring();
    };
    calls.startWorker = [](std::function<void()> body) { platform::StartDetachedThread(std::move(body)); };
    return calls;
}

int TopBarHeightPixels(float scale) { return std::max(24, static_cast<int>(std::round(32.0f * scale))); }

TopBarWindow::~TopBarWindow() { Shutdown(); }

void TopBarWindow::Initialize(HINSTANCE moduleInstance, GraphicsDevice& graphics, CompositionHost& composition,
                              MacMenuWindow& sharedMenu, Callbacks callbackSet) {
    instance = moduleInstance;
    device = &graphics;
    host = &composition;
    menu = &sharedMenu;
    callbacks = std::move(callbackSet);

    popover.instance = instance;
    popover.device = device;
    popover.host = host;
    TopBarPopover::Callbacks popoverCallbacks;
    popoverCallbacks.onStatusChanged = [this] { OnPopoverStatusChanged(); };
    popoverCallbacks.onThemeChange = [this](GlassTheme theme) { OnPopoverThemeChange(theme); };
    popoverCallbacks.onToggleNativeTaskbar = [this] { OnPopoverToggleNativeTaskbar(); };
    popoverCallbacks.onOpenNotificationCenter = [this] { OnPopoverOpenNotificationCenter(); };
    popoverCallbacks.onHiddenTrayAppToggled = [this](const std::wstring& key) { OnPopoverHiddenTrayAppsChanged(key); };
    popoverCallbacks.onHidden = [this] { OnPopoverHidden(); };
    popoverCallbacks.onSwitchKind = [this](PopoverKind kind) { OnPopoverSwitchKind(kind); };
    popover.callbacks = std::move(popoverCallbacks);

    center.instance = instance;
    center.device = device;
    center.host = host;
    NotificationCenterWindow::Callbacks centerCallbacks;
    centerCallbacks.onDismiss = [this](int64_t id) { OnNotificationDismiss(id); };
    centerCallbacks.onClearAll = [this] { OnNotificationsClearAll(); };
    centerCallbacks.onSetDoNotDisturb = [this](bool on) { OnNotificationDoNotDisturb(on); };
    centerCallbacks.onHidden = [this] { OnNotificationCenterHidden(); };
    center.callbacks = std::move(centerCallbacks);

    // Until the first full collection the bar shows the snapshot's defaults
    // with a real clock and input indicator.
    foreground = system.foregroundApp(nullptr);
    status = system.collectStatus(false, &status, foreground.hwnd);
    RefreshStatusAsync();
    system.startTrayMonitor();
}

// ---- popover and center callbacks ----

void TopBarWindow::OnPopoverStatusChanged() {
    // A slider drag calls this at every step: the status comes from the worker,
    // never from a collection here, which would wait on the radios each time.
    if (busyFlag->load()) {
        statusWantedAgain = true;
    } else {
        RefreshStatusAsync();
    }
    trayIcons = system.trayIcons();
    RebuildTrayItems();
    Layout();
    Redraw();
}

void TopBarWindow::OnPopoverThemeChange(GlassTheme theme) {
    if (callbacks.onSetTheme) callbacks.onSetTheme(theme);
}

void TopBarWindow::OnPopoverToggleNativeTaskbar() {
    if (callbacks.onToggleNativeTaskbar) callbacks.onToggleNativeTaskbar();
}

void TopBarWindow::OnPopoverOpenNotificationCenter() { ShowNotificationCenter(); }

void TopBarWindow::OnPopoverHiddenTrayAppsChanged(const std::wstring& key) { ToggleHiddenTrayKey(key); }

void TopBarWindow::OnPopoverHidden() {
    activeItemId = 0;
    Redraw();
    if (callbacks.onPopupClosed) callbacks.onPopupClosed();
}

void TopBarWindow::OnPopoverSwitchKind(PopoverKind kind) {
    static constexpr int32_t kItemOfKind[] = {0,
                                              kTopBarSound,
                                              kTopBarNetwork,
                                              kTopBarBluetooth,
                                              kTopBarBattery,
                                              kTopBarControlCenter,
                                              kTopBarClock,
                                              kTopBarTrayOverflow};
    const int32_t k = static_cast<int32_t>(kind);
    const int32_t id = k >= 1 && k <= 7 ? kItemOfKind[k] : 0;
    float x = barWidthDip - 10.0f;
    for (const auto& item : items) {
        if (item.id == id) {
            x = item.right;
            break;
        }
    }
    activeItemId = id;
    Redraw();
    POINT anchor = {monitorRect.left + static_cast<LONG>(std::round(x * scale)),
                    monitorRect.top + static_cast<LONG>(std::round(36.0f * scale))};
    popover.Show(kind, monitor, anchor, config, scale);
}

void TopBarWindow::OnNotificationDismiss(int64_t id) {
    store.Dismiss(id);
    center.UpdateItems(store.items, config.doNotDisturb);
    Redraw();
}

void TopBarWindow::OnNotificationsClearAll() {
    const uint64_t watermark = store.ClearAll();
    config.clearedNotifWatermark = watermark;
    if (callbacks.onNotificationsCleared) callbacks.onNotificationsCleared(watermark);
    center.UpdateItems(store.items, config.doNotDisturb);
    Redraw();
}

void TopBarWindow::OnNotificationDoNotDisturb(bool on) {
    config.doNotDisturb = on;
    if (callbacks.onDoNotDisturbChanged) callbacks.onDoNotDisturbChanged(on);
    if (on) center.HideBanners();
    center.UpdateItems(store.items, config.doNotDisturb);
    Redraw();
}

void TopBarWindow::OnNotificationCenterHidden() {
    if (activeItemId == kTopBarNotifications) {
        activeItemId = 0;
        Redraw();
    }
    if (callbacks.onPopupClosed) callbacks.onPopupClosed();
}

// ---- window and placement ----

void TopBarWindow::Apply(HMONITOR monitorHandle, const DockConfig& configuration, float scaleFactor) {
    if (shutDown) return;
    monitor = monitorHandle;
    config = configuration;
    scale = scaleFactor > 1.0f ? scaleFactor : 1.0f;
    showTopBar = config.showTopBar;
    reserveSpace = config.topBarReserveSpace;
    trayCollapsed = config.topBarTrayCollapsed;
    // A bar that was never shown is not created.
    if (!showTopBar && !(window && IsWindow(window))) return;

    CreateBarWindow();
    store.SetClearedWatermark(config.clearedNotifWatermark);
    RequestNotifications(true);
    foreground = system.foregroundApp(&foreground);
    status = system.collectStatus(false, &status, foreground.hwnd);
    RefreshStatusAsync();
    trayIcons = system.trayIcons();
    RebuildTrayItems();
    UpdatePosition();
    popover.UpdateConfig(config, scale);
    center.UpdateConfig(config, scale);
}

void TopBarWindow::PrepareBackdrop(HMONITOR monitorHandle, float scaleFactor) {
    if (!host) return;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitorHandle, &info)) return;
    const int top = info.rcMonitor.top;
    GlassLayer::PrepareBackdrop(host->compositor.Backdrop(), kBarBlur, GlassStyle::TopBar, top,
                                top + TopBarHeightPixels(scaleFactor > 1.0f ? scaleFactor : 1.0f));
}

void TopBarWindow::CreateBarWindow() {
    if (window && IsWindow(window)) return;
    window = nullptr;
    platform::RegisterWindowClass(instance, kClassName, &platform::WindowProcedure<kWindowBinding>);

    // Our compositor presents the bar with UpdateLayeredWindow, which needs the
    // window's own redirection surface: no WS_EX_NOREDIRECTIONBITMAP here.
    HWND created = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"VantreelTopBar",
                                   WS_POPUP, 0, 0, 1280, 32, nullptr, nullptr, instance, this);
    window = created;
    if (!window || !host) return;

    BuildGlassWindowTree(*host, window, kBarBlur, GlassStyle::TopBar, target, root, glass, content);
    SetTimer(window, kStatusTimer, 1000, nullptr);
}

void TopBarWindow::UpdatePosition() {
    if (!window) return;
    HMONITOR shownOn = monitor ? monitor : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(shownOn, &info)) return;
    monitorRect = info.rcMonitor;
    const int height = TopBarHeightPixels(scale);
    const int width = monitorRect.right - monitorRect.left;
    barWidthDip = static_cast<float>(width) / scale;

    if (!showTopBar) {
        popover.Hide();
        RemoveAppBar();
        ShowWindow(window, SW_HIDE);
        return;
    }
    if (reserveSpace) {
        if (!appBarRegistered) {
            APPBARDATA data = {};
            data.cbSize = sizeof(APPBARDATA);
            data.hWnd = window;
            data.uCallbackMessage = WM_TOPBAR_APPBAR_NOTIFY;
            appBarRegistered = system.appBar(ABM_NEW, data) != 0;
        }
        if (appBarRegistered) {
            APPBARDATA data = {};
            data.cbSize = sizeof(APPBARDATA);
            data.hWnd = window;
            data.uEdge = ABE_TOP;
            data.rc = {monitorRect.left, monitorRect.top, monitorRect.right, monitorRect.top + height};
            system.appBar(ABM_QUERYPOS, data);
            data.rc.top = monitorRect.top;
            data.rc.bottom = monitorRect.top + height;
            system.appBar(ABM_SETPOS, data);
        }
    } else {
        RemoveAppBar();
    }
    glass.UpdateTint(config.theme, config.glassOpacity, scale);
    glass.SetBounds(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), 0.0f);
    Layout();
    RedrawSoon();
    // The bar stands at the monitor's top edge whatever the shell granted.
    SetWindowPos(window, HWND_TOPMOST, monitorRect.left, monitorRect.top, width, height,
                 SWP_NOACTIVATE | (hiddenForFullscreen ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
}

void TopBarWindow::RemoveAppBar() {
    if (!appBarRegistered || !window) return;
    APPBARDATA data = {};
    data.cbSize = sizeof(APPBARDATA);
    data.hWnd = window;
    system.appBar(ABM_REMOVE, data);
    appBarRegistered = false;
    // No longer an app bar, the bar hears no more from the shell about full
    // screens: the poll alone decides from its next look.
    shellReportsFullscreen = false;
}

void TopBarWindow::SetHiddenForFullscreen(bool hidden) {
    pollFindsFullscreen = hidden;
    ApplyFullscreenHiding();
}

void TopBarWindow::SetShellFullscreen(bool fullscreen) {
    shellReportsFullscreen = fullscreen;
    ApplyFullscreenHiding();
}

void TopBarWindow::ApplyFullscreenHiding() {
    const bool hidden = pollFindsFullscreen || shellReportsFullscreen;
    if (hidden == hiddenForFullscreen) return;
    hiddenForFullscreen = hidden;
    if (!window || !showTopBar) return;
    if (hidden) {
        popover.Hide();
        center.HideCenter();
        center.HideBanners();
        ShowWindow(window, SW_HIDE);
        return;
    }
    SetWindowPos(window, HWND_TOPMOST, monitorRect.left, monitorRect.top, monitorRect.right - monitorRect.left,
                 TopBarHeightPixels(scale), SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void TopBarWindow::ShowNotificationCenter() {
    popover.Hide();
    // The center opens with what the store holds; a fresh read follows it in.
    RequestNotifications(true);
    store.MarkAllRead();
    activeItemId = kTopBarNotifications;
    Redraw();
    center.ShowCenter(monitor, config, scale, store.items, config.doNotDisturb);
}

void TopBarWindow::RequestNotifications(bool force) {
    const HWND target = window;
    store.RequestPoll(force, system.startWorker, [target] {
        if (target) PostMessageW(target, WM_TOPBAR_NOTIFICATIONS_READY, 0, 0);
    });
    // The store corrects a watermark that the clock fell behind; the saved one
    // follows, or the next configuration applied would bring it back.
    if (store.clearedWatermark != config.clearedNotifWatermark) {
        config.clearedNotifWatermark = store.clearedWatermark;
        if (callbacks.onNotificationsCleared) callbacks.onNotificationsCleared(store.clearedWatermark);
    }
}

void TopBarWindow::TakeNotifications() {
    std::vector<NotificationItem> newItems;
    if (!store.TakePolled(newItems)) return;
    if (center.CenterVisible()) {
        store.MarkAllRead();
        center.UpdateItems(store.items, config.doNotDisturb);
    } else if (!newItems.empty() && !config.doNotDisturb && !hiddenForFullscreen) {
        center.ShowBanners(newItems, monitor, config, scale);
    } else if (!newItems.empty()) {
        LogMessage(L"Banners: %llu new toasts kept back (%s)", static_cast<unsigned long long>(newItems.size()),
                   config.doNotDisturb ? L"do not disturb" : L"full screen");
    }
    Redraw();  // the unread dot may change
}

void TopBarWindow::ToggleHiddenTrayKey(const std::wstring& key) {
    const std::wstring k = NormalizePathKey(key);
    auto& hidden = config.hiddenTrayApps;
    auto found = std::find(hidden.begin(), hidden.end(), k);
    if (found != hidden.end()) {
        hidden.erase(found);
    } else {
        hidden.push_back(k);
    }
    if (callbacks.onHiddenTrayAppsChanged) callbacks.onHiddenTrayAppsChanged(hidden);
    RebuildTrayItems();
    Layout();
    Redraw();
}

void TopBarWindow::RecoverDevice() {
    if (!showTopBar || !window || !IsWindow(window)) return;
    surface = nullptr;
    surfaceBrush = nullptr;
    surfaceWidth = surfaceHeight = 0;
    glass.UpdateTint(config.theme, config.glassOpacity, scale);
    popover.UpdateConfig(config, scale);
    center.UpdateConfig(config, scale);
    Redraw();
}

void TopBarWindow::Shutdown() {
    if (shutDown) return;
    shutDown = true;
    popover.Hide();
    center.Shutdown();
    RemoveAppBar();
    if (window) {
        KillTimer(window, kStatusTimer);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
        window = nullptr;
    }
    target = nullptr;
    root = nullptr;
    content = nullptr;
    surface = nullptr;
    surfaceBrush = nullptr;
    surfaceWidth = surfaceHeight = 0;
}
