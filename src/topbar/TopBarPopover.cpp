#include "topbar/TopBarPopover.h"

#include <algorithm>
#include <cmath>

#include "app/Log.h"
#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"
#include "topbar/PopoverPlacement.h"
#include "topbar/PopoverSize.h"

namespace {

constexpr wchar_t kClassName[] = L"VantreelTopBarPopover";

bool HasTile(const DockConfig& config, const wchar_t* key) {
    return std::find(config.controlCenterTiles.begin(), config.controlCenterTiles.end(), key) !=
           config.controlCenterTiles.end();
}

int PixelsOf(float dip, float scale) { return static_cast<int>(std::lround(dip * scale)); }

}  // namespace

TopBarPopover::~TopBarPopover() {
    // The owner is half gone by now: nothing the window says while it is
    // destroyed may reach it.
    callbacks = Callbacks();
    visible = false;
    if (window && IsWindow(window)) {
        KillTimer(window, kScreenOffTimer);
        KillTimer(window, kGraceTimer);
        DestroyWindow(window);
    }
    window = nullptr;
}

void TopBarPopover::Show(PopoverKind newKind, HMONITOR onMonitor, POINT at, const DockConfig& configuration,
                         float newScale) {
    if (newKind == PopoverKind::None) {
        Hide();
        return;
    }
    try {
        kind = newKind;
        monitor = onMonitor;
        anchor = at;
        config = configuration;
        scale = std::max(newScale, 1.0f);
        hoverId = 0;
        hoverIndex = -1;
        dragSlider = kNoDrag;
        wifiScroll = 0;
        statusLine.clear();
        if (kind == PopoverKind::Calendar) {
            const SYSTEMTIME today = services.localTime();
            calendarYear = today.wYear;
            calendarMonth = today.wMonth;
        }
        EnsureWindow();
        if (!window || !target) return;
        RefreshData(kind == PopoverKind::Wifi);
        Relayout();
        visible = true;
        shownTick = services.tickCount();
        SetTimer(window, kClockTimer, 1000, nullptr);
        AllowSetForegroundWindow(ASFW_ANY);
        SetForegroundWindow(window);
        SetFocus(window);
    } catch (const comp::HResultError& error) {
        LogMessage(L"TopBarPopover::Show winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void TopBarPopover::Hide() {
    if (!visible) return;
    visible = false;
    kind = PopoverKind::None;
    dragSlider = kNoDrag;
    hotspotSwitching = false;
    if (window && IsWindow(window)) {
        if (GetCapture() == window) ReleaseCapture();
        KillTimer(window, kClockTimer);
        KillTimer(window, kWifiTimer);
        KillTimer(window, kHotspotTimer);
        KillTimer(window, kGraceTimer);
        ShowWindow(window, SW_HIDE);
    }
    surface = nullptr;
    surfaceBrush = nullptr;
    surfaceWidth = surfaceHeight = 0;
    if (content) content.Brush(nullptr);
    if (callbacks.onHidden) callbacks.onHidden();
}

void TopBarPopover::UpdateConfig(const DockConfig& configuration, float newScale) {
    const bool calendarChanged =
        kind == PopoverKind::Calendar && configuration.showLunarCalendar != config.showLunarCalendar;
    const bool tilesChanged = kind == PopoverKind::ControlCenter &&
                              (configuration.controlCenterTiles != config.controlCenterTiles ||
                               configuration.ccShowBrightness != config.ccShowBrightness ||
                               configuration.ccShowVolume != config.ccShowVolume);
    config = configuration;
    scale = std::max(newScale, 1.0f);
    if (!visible || !window) return;
    try {
        if (!calendarChanged && !tilesChanged) {
            glass.UpdateTint(config.theme, config.glassOpacity, scale);
            Redraw();
            return;
        }
        if (tilesChanged) RefreshData(false);
        Relayout();
    } catch (const comp::HResultError& error) {
        LogMessage(L"TopBarPopover::UpdateConfig winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void TopBarPopover::EnsureWindow() {
    if (window && IsWindow(window)) {
        // A window made before the host existed still gets its tree.
        if (!target && host) BuildTree();
        return;
    }
    window = nullptr;
    target = nullptr;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TopBarPopover::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // fails harmlessly when the class exists

    // Our compositor presents with UpdateLayeredWindow, which needs the
    // window's own redirection surface: no WS_EX_NOREDIRECTIONBITMAP here.
    CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 320, 260, nullptr, nullptr,
                    instance, this);
    if (window && host) BuildTree();
}

void TopBarPopover::BuildTree() {
    // Only a window without a tree gets one: a second glass under the same
    // root would double the shadow and leak the first.
    if (target) return;
    try {
        target = host->CreateWindowTarget(window);
        if (!target) return;
        root = host->compositor.CreateContainerVisual();
        root.RelativeSizeAdjustment({1.0f, 1.0f});
        target.Root(root);
        glass.Initialize(*host, 9.0f, GlassStyle::Popup);
        content = host->compositor.CreateSpriteVisual();
        root.Children().InsertAtTop(glass.root);
        root.Children().InsertAtTop(content);
    } catch (...) {
        // A half-built tree would count as built and keep the panel from
        // ever opening again: the next Show tries once more.
        content = nullptr;
        root = nullptr;
        target = nullptr;
        throw;
    }
}

void TopBarPopover::RefreshData(bool scanWifi) {
    const vantreel::SystemStatusSnapshot status = services.collectStatus();
    volume = status.volume;
    muted = status.muted;
    volumeAvailable = status.volumeAvailable;
    batteryPercent = status.batteryPercent;
    acOnline = status.acOnline;
    batteryLifeSeconds = status.batteryLifeSeconds;
    switch (kind) {
    case PopoverKind::Sound:
        audioDevices = services.audioOutputDevices();
        break;
    case PopoverKind::Wifi:
        wifi = services.scanWifi(scanWifi);
        break;
    case PopoverKind::Bluetooth:
        bluetooth = services.bluetoothDevices();
        break;
    case PopoverKind::ControlCenter:
        if (HasTile(config, L"wifi")) wifi = services.scanWifi(false);
        if (HasTile(config, L"bluetooth")) bluetooth = services.bluetoothDevices();
        if (HasTile(config, L"power_mode")) powerMode = services.powerSchemeSummary();
        if (HasTile(config, L"hotspot") && !hotspotSwitching) hotspot = services.hotspotStatus();
        keepAwake = services.keepAwakeFlag();
        desktopIconsVisible = services.desktopIconsVisible();
        if (config.ccShowBrightness) brightness = services.displayBrightness(monitor);
        break;
    case PopoverKind::TrayApps:
        trayApps = services.trayIcons();
        break;
    default:
        break;
    }
}

void TopBarPopover::UpdateSize() {
    PopoverContentCounts counts;
    counts.audioDevices = audioDevices.size();
    counts.ethernetRow = wifi.ethernetConnected;
    counts.statusLine = !statusLine.empty();
    counts.wifiRadioOn = wifi.radioOn;
    counts.wifiNetworks = wifi.networks.size();
    counts.bluetoothDevices = bluetooth.devices.size();
    counts.controlCenterTiles = config.controlCenterTiles.size();
    counts.ccShowBrightness = config.ccShowBrightness;
    counts.ccShowVolume = config.ccShowVolume;
    counts.showLunarCalendar = config.showLunarCalendar;
    counts.trayApps = trayApps.size();
    const PopoverSize size = PopoverPanelSize(kind, counts);
    width = size.width;
    height = size.height;
}

RECT TopBarPopover::ArrangeGlass() {
    HMONITOR shownOn = monitor ? monitor : MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(shownOn, &info)) {
        info.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const PopoverPlacement place = PlacePopover(width, height, scale, info.rcMonitor, anchor);
    glass.UpdateTint(config.theme, config.glassOpacity, scale);
    glass.SetBounds(static_cast<float>(place.pad), static_cast<float>(place.pad),
                    static_cast<float>(place.panelWidth), static_cast<float>(place.panelHeight), 16.0f * scale);
    return place.window;
}

void TopBarPopover::ShowAt(const RECT& rect) {
    // The frame goes out before the window shows, so a reopened panel never
    // flashes the pixels of its previous opening.
    Present();
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
}

void TopBarPopover::Place() {
    if (!window) return;
    ShowAt(ArrangeGlass());
}

void TopBarPopover::Relayout() {
    UpdateSize();
    const RECT rect = ArrangeGlass();
    Redraw();
    ShowAt(rect);
}

void TopBarPopover::Present() {
    if (host && host->compositor) host->compositor.Commit();
}

void TopBarPopover::Redraw() {
    if (!host || !device || !content || kind == PopoverKind::None) return;
    try {
        hits.clear();
        const int w = std::max(PixelsOf(width, scale), 32);
        const int h = std::max(PixelsOf(height, scale), 32);
        if (!surface || w != surfaceWidth || h != surfaceHeight) {
            surface = host->CreateDrawingSurface(w, h);
            if (!surface) return;
            surfaceWidth = w;
            surfaceHeight = h;
            surfaceBrush = host->compositor.CreateSurfaceBrush(surface);
            surfaceBrush.Stretch(comp::CompositionStretch::Fill);
            content.Brush(surfaceBrush);
        }
        if (device->d2dFactory && device->dwriteFactory) {
            const bool dark = glass.dark;
            host->Paint(surface, [&](ID2D1DeviceContext* context) { Paint(context, dark); });
        }
        content.Offset({kMarginDip * scale, kMarginDip * scale, 0.0f});
        content.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"TopBarPopover::Redraw winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}
