#include "topbar/TopBarPopover.h"

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "render/CompositionHost.h"
#include "render/GlassWindowTree.h"
#include "render/GraphicsDevice.h"
#include "render/raster/Blend.h"
#include "topbar/PopoverPlacement.h"
#include "topbar/PopoverSize.h"

namespace {

constexpr wchar_t kClassName[] = L"VantreelTopBarPopover";

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
        awaitingAnswer = PanelAwaitsItsReading(kind);
        if (kind == PopoverKind::Calendar) {
            const SYSTEMTIME today = services.localTime();
            calendarYear = today.wYear;
            calendarMonth = today.wMonth;
        }
        EnsureWindow();
        if (!window || !target) return;
        // A panel that needs no answer to open asks once its frame is out:
        // the worker's reads would race that frame for the same system.
        const bool opensWithAnswers = !AnsweredBefore() && kind != PopoverKind::Calendar;
        if (opensWithAnswers) RefreshData(kind == PopoverKind::Wifi);
        Relayout();
        visible = true;
        shownTick = services.tickCount();
        SetTimer(window, kClockTimer, 1000, nullptr);
        AllowSetForegroundWindow(ASFW_ANY);
        SetForegroundWindow(window);
        SetFocus(window);
        if (!opensWithAnswers && RefreshData(kind == PopoverKind::Wifi)) Relayout();
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
    const bool tilesChanged =
        kind == PopoverKind::ControlCenter && (configuration.controlCenterTiles != config.controlCenterTiles ||
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
    platform::RegisterWindowClass(instance, kClassName, &platform::WindowProcedure<kWindowBinding>);

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
        BuildGlassWindowTree(*host, window, 9.0f, GlassStyle::Popup, target, root, glass, content);
    } catch (...) {
        // A half-built tree would count as built and keep the panel from
        // ever opening again: the next Show tries once more.
        content = nullptr;
        root = nullptr;
        target = nullptr;
        throw;
    }
}

bool TopBarPopover::AnsweredBefore() const { return (answeredKinds >> static_cast<int>(kind)) & 1u; }

bool TopBarPopover::RefreshData(bool scanWifi) {
    PopoverReadPlan plan = PlanPopoverReads(kind, config, scanWifi, hotspotSwitching, monitor);
    plan.edits = localEdits;
    reader.Ask([reads = services, plan] { return ReadPopoverData(reads, plan); }, window, WM_POPOVER_DATA_READY,
               services.startWorker);
    // A panel that has shown its answers once opens at once with them, and
    // the new answer fills it in when it comes.
    // The calendar shows none of the answers.
    const auto wait =
        AnsweredBefore() || kind == PopoverKind::Calendar ? std::chrono::milliseconds(0) : kQuickAnswerWait;
    std::optional<PopoverReading> reading = reader.Take(wait);
    if (reading) Fill(*reading);
    return reading.has_value();
}

void TopBarPopover::Fill(const PopoverReading& reading) {
    const PopoverReadPlan& plan = reading.plan;
    // The kind asked for: an answer that comes once the panel closed still
    // spares its next opening the wait.
    answeredKinds |= 1u << static_cast<int>(plan.kind);
    // Only the newest question's answer is ever taken: one asked in this opening.
    awaitingAnswer = false;
    const bool unedited = plan.edits == localEdits;
    if (unedited) {
        volume = reading.status.volume;
        muted = reading.status.muted;
    }
    volumeAvailable = reading.status.volumeAvailable;
    batteryPercent = reading.status.batteryPercent;
    acOnline = reading.status.acOnline;
    batteryLifeSeconds = reading.status.batteryLifeSeconds;
    if (plan.audioDevices) audioDevices = reading.audioDevices;
    if (plan.wifi) wifi = reading.wifi;
    if (plan.bluetooth) bluetooth = reading.bluetooth;
    if (!unedited) return;
    if (plan.powerMode) powerMode = reading.powerMode;
    if (plan.hotspot && !hotspotSwitching) hotspot = reading.hotspot;
    if (plan.tileStates) {
        keepAwake = reading.keepAwake;
        desktopIconsVisible = reading.desktopIconsVisible;
    }
    if (plan.brightness) brightness = reading.brightness;
    if (plan.trayApps) trayApps = reading.trayApps;
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
    glass.SetBounds(static_cast<float>(place.pad), static_cast<float>(place.pad), static_cast<float>(place.panelWidth),
                    static_cast<float>(place.panelHeight), 16.0f * scale);
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

namespace {

raster::Rect Union(const raster::Rect& a, const raster::Rect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    const int x = std::min(a.x, b.x), y = std::min(a.y, b.y);
    return {x, y, std::max(a.Right(), b.Right()) - x, std::max(a.Bottom(), b.Bottom()) - y};
}

}  // namespace

bool TopBarPopover::PlaceTextRuns(raster::Image& frame, const std::vector<PopoverTextRun>& runs,
                                  raster::Rect& changed) {
    const raster::Rect bounds = {0, 0, frame.Width(), frame.Height()};
    for (const PopoverTextRun& run : runs) {
        const raster::Rect box = PopoverTextRunBox(run, scale);
        const raster::Rect shown = raster::Intersect(box, bounds);
        if (shown.IsEmpty()) continue;
        const raster::Image* piece =
            host->paintedPixels.Get(*host, PopoverTextRunKey(run, box), box.width, box.height,
                                    [&](ID2D1DeviceContext* context) { DrawPopoverTextRun(context, run, box); });
        if (!piece) return false;
        raster::DrawImage(frame.View(), piece->View(), box.x, box.y);
        changed = Union(changed, shown);
    }
    return true;
}

bool TopBarPopover::PlaceTickingTexts(raster::Image& frame, const std::vector<PopoverTextRun>& ticking,
                                      raster::Rect& changed) {
    const raster::Rect bounds = {0, 0, frame.Width(), frame.Height()};
    std::vector<PopoverTextRun> glyphs;
    for (const PopoverTextRun& run : ticking) {
        // All the run may reach, whatever its characters were before.
        changed = Union(changed, raster::Intersect(PopoverTextRunBox(run, scale), bounds));
        for (PopoverTextRun& glyph : SplitPopoverTextRun(run, device->dwriteFactory.Get())) {
            glyphs.push_back(std::move(glyph));
        }
    }
    return PlaceTextRuns(frame, glyphs, changed);
}

void TopBarPopover::PaintWithKeptTexts() {
    const bool dark = glass.dark;
    SYSTEMTIME now = {};
    if (services.localTime) {
        now = services.localTime();
    } else {
        GetLocalTime(&now);
    }
    const std::wstring key = PopoverFrameKey(*this, dark, now);
    PopoverKeptFrame& kept = keptFrames[static_cast<size_t>(kind) % keptFrames.size()];
    raster::Image frame;
    std::vector<PopoverTextRun> ticking;
    if (!key.empty() && key == kept.key) {
        // Nothing but the ticking texts can differ from the kept frame.
        frame = kept.pixels;
        hits = kept.hits;
        volumeTrack = kept.volumeTrack;
        brightnessTrack = kept.brightnessTrack;
        ticking = kept.ticking;
        if (kind == PopoverKind::Calendar && !ticking.empty()) ticking.front().text = CalendarClockText(now);
    } else {
        std::vector<PopoverTextRun> runs;
        textRuns = &runs;
        tickingRuns = &ticking;
        const bool painted = host->Paint(surface, [&](ID2D1DeviceContext* context) { Paint(context, dark); });
        textRuns = nullptr;
        tickingRuns = nullptr;
        if (!painted) return;
        frame = surface.Pixels();
        raster::Rect placed;
        if (!PlaceTextRuns(frame, runs, placed)) return;
        if (!key.empty()) {
            kept = {key, frame, hits, volumeTrack, brightnessTrack, ticking, {}};
            for (const PopoverTextRun& run : ticking) kept.formats.emplace_back(run.format);
        }
        surfaceFrameKey.clear();
    }
    raster::Rect changed;
    if (!PlaceTickingTexts(frame, ticking, changed)) return;
    // A surface that shows this frame already changes only where the ticking
    // texts fall: the compositor redraws just that.
    HRESULT hr = S_OK;
    if (key.empty() || key != surfaceFrameKey) {
        hr = surface.SetPixels(frame);
    } else if (!changed.IsEmpty()) {
        hr = surface.SetPixelsIn(frame, RECT{changed.x, changed.y, changed.Right(), changed.Bottom()});
    }
    surfaceFrameKey = SUCCEEDED(hr) ? key : std::wstring();
    if (FAILED(hr)) host->ReportDrawFailure(hr);
}

void TopBarPopover::Redraw() {
    if (!host || !device || !content || kind == PopoverKind::None) return;
    try {
        hits.clear();
        const int w = std::max(PixelsOf(width, scale), 32);
        const int h = std::max(PixelsOf(height, scale), 32);
        const SurfaceFit fit =
            FitContentSurface(*host, content, w, h, surface, surfaceBrush, surfaceWidth, surfaceHeight);
        if (fit == SurfaceFit::Failed) return;
        if (fit == SurfaceFit::MadeAnew) surfaceFrameKey.clear();
        if (device->d2dFactory && device->dwriteFactory) PaintWithKeptTexts();
        content.Offset({kMarginDip * scale, kMarginDip * scale, 0.0f});
        content.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"TopBarPopover::Redraw winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}
