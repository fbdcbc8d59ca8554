// Opening, closing, theming, device loss and the hidden prebuild of page 0.
#include <algorithm>
#include <cmath>

#include "allapps/AllAppsGeometry.h"
#include "platform/ExceptionGuard.h"
#include "allapps/AllAppsWindow.h"
#include "platform/Log.h"
#include "render/CompositionHost.h"

namespace {

constexpr UINT_PTR kCaretTimer = 1;
constexpr UINT_PTR kCatalogPollTimer = 2;
constexpr UINT kCatalogPollMs = 25;

void ResetSpring(Spring& spring) { spring.value = spring.velocity = spring.target = 0.0f; }

bool MonitorInfoOf(HMONITOR given, MONITORINFO& info) {
    HMONITOR target = given ? given : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    info = {};
    info.cbSize = sizeof(info);
    return GetMonitorInfoW(target, &info) != FALSE;
}

}  // namespace

void AllAppsWindow::PrepareGlassBackdrop() {
    MONITORINFO info;
    if (!composition || !MonitorInfoOf(monitor, info)) return;
    // The window is made hidden at the screen's top left, 552 pixels high, and
    // its tree is composed there before the prebuild moves it.
    GlassLayer::PrepareBackdrop(composition->compositor.Backdrop(), 9.0f, GlassStyle::Panel,
                                std::min<int>(info.rcMonitor.top, 0), std::max<int>(info.rcMonitor.bottom, 552));
}

void AllAppsWindow::ApplyTintIfChanged(bool force, bool* changed) {
    const float opacity = 1.0f - launcherTransparency;
    const bool differs = force || !tintApplied || theme != tintTheme || std::fabs(tintOpacity - opacity) > 0.005f ||
                         std::fabs(tintScale - scale) > 0.01f;
    if (changed) *changed = differs;
    if (!differs) return;
    glass.UpdateLauncherTint(theme, opacity, scale);
    tintApplied = true;
    tintTheme = theme;
    tintOpacity = opacity;
    tintScale = scale;
}

void AllAppsWindow::PlaceVisuals() {
    const float s = scale;
    const float w = panelWidth * s;
    const float h = panelHeight * s;
    const float inset = kAllAppsInsetDip * s;
    glass.SetBounds(inset, inset, w, h, 20.0f * s);
    chromeVisual.Offset({inset, inset, 0.0f});
    chromeVisual.Size({w, h});
    tileClip.Offset({inset, inset, 0.0f});
    tileClip.Size({w, h});
    tileContainer.Offset({0.0f, 0.0f, 0.0f});
    tileContainer.Size({w, h});
    tileContainer.Opacity(1.0f);
    pageDotsVisual.Offset({(w - 260.0f * s) * 0.5f + inset, (panelHeight - 106.0f) * s + inset, 0.0f});
    pageDotsVisual.Size({260.0f * s, 18.0f * s});
    indexBarVisual.Offset({inset, (panelHeight - 114.0f) * s + inset, 0.0f});
    indexBarVisual.Size({w, 54.0f * s});
}

void AllAppsWindow::FullRefresh() {
    ApplyFilterAndLayout();
    RedrawChrome();
    RedrawPageDots();
    RedrawIndexBar();
    RebuildPageVisuals();
    visualsValid = true;
}

void AllAppsWindow::RefreshAll(LabelPace pace) {
    ApplyFilterAndLayout();
    RedrawChrome();
    RedrawPageDots();
    RedrawIndexBar();
    RebuildPageVisuals(pace);
    RedrawHover();
}

void AllAppsWindow::TakeLooks(const DockConfig& config, float scaleFactor) {
    theme = config.theme;
    glassOpacity = config.glassOpacity;
    launcherTransparency = std::clamp(config.allAppsTransparency, 0.0f, 1.0f);
    useMacIcons = config.useMacIcons;
    magnifyEnabled = config.magnifyEnabled;
    scale = std::max(scaleFactor, 1.0f);
}

void AllAppsWindow::Toggle(HMONITOR monitorHandle, const DockConfig& config, float scaleFactor, float reserve) {
    try {
        if (visible) {
            Hide();
            return;
        }
        const uint64_t start = tickCount();
        if (hiddenAt != 0 && start - hiddenAt < kReopenGuardMs) {
            LogMessage(L"AllApps: a press %llu ms after the close is taken as the click that closed",
                       static_cast<unsigned long long>(start - hiddenAt));
            return;
        }
        const bool oldMacIcons = useMacIcons;
        const bool hiddenChanged = SetHiddenApps(config.hiddenApps);
        TakeLooks(config, scaleFactor);
        // The dock's height follows its icon size: the panel stands above the
        // dock as it is now.
        dockReserve = reserve;

        EnsureWindow();
        if (!window || !target || !TreeReady()) {
            LogMessage(L"AllAppsWindow::Toggle aborted: window/visual tree not ready");
            return;
        }

        TryAdoptPendingCatalog();
        const bool wasReady = catalogReady;
        if (catalogReady) {
            catalogPollActive = false;
        } else {
            catalogPollActive = true;
            catalogPollCount = 0;
            ReplaceCatalog({});
            visualsValid = false;
            if (prewarmDone.load()) {
                EnumerateNow(true);
                catalogPollActive = false;
            }
        }
        LogMessage(L"AllApps perf: catalog ready +%llu ms (prewarm=%d, prewarmReady=%d, pending=%d, apps=%llu)",
                   static_cast<unsigned long long>(tickCount() - start), wasReady ? 1 : 0, pendingReady.load() ? 1 : 0,
                   catalogPollActive ? 1 : 0, static_cast<unsigned long long>(catalog.size()));

        MONITORINFO info;
        if (!MonitorInfoOf(monitorHandle, info)) return;
        const RECT& work = info.rcWork;
        const PanelSize panel = PanelSizeFor(work.right - work.left, work.bottom - work.top, scale, dockReserve);
        panelWidth = panel.width;
        panelHeight = panel.height;
        const bool sizeChanged =
            std::fabs(panelWidth - builtWidth) > 0.5f || std::fabs(panelHeight - builtHeight) > 0.5f;
        const RECT rect = AllAppsWindowRect(work, info.rcMonitor, panel, scale, dockReserve);

        const bool dirty = !searchText.empty() || !imeComposition.empty() || categoryTab != 0 || hiddenView ||
                           indexLetter != 0 || page != 0 || openFolder != nullptr;
        searchText.clear();
        imeComposition.clear();
        categoryTab = 0;
        hiddenView = false;
        indexLetter = 0;
        page = 0;
        openFolder = nullptr;
        pageBeforeFolder = 0;
        hoveredLetter = hoveredTab = hoveredSlot = hoveredFooter = -1;
        closeHovered = backHovered = powerHovered = searchHovered = searchClearHovered = restoreAllHovered = false;
        caretBlink = CaretBlink(caretTiming());
        iconsMissing.clear();
        pointerInGrid = false;
        ResetSpring(gridSpring);
        tilesAnimating = false;
        pointerOnIndexBar = false;
        ResetSpring(indexSpring);
        indexAnimating = false;
        slideOffset = 0.0f;
        slideOpacity = 1.0f;
        sliding = false;
        wheelAccum = 0;
        dragArmed = dragging = false;
        // Tiles and letters still magnified from the last visit come back at rest;
        // the letters are drawn into the index bar's surface, so it is redrawn.
        const bool lettersMoved =
            std::any_of(letterScales.begin(), letterScales.end(), [](float v) { return v != 1.0f; }) ||
            std::any_of(letterLifts.begin(), letterLifts.end(), [](float v) { return v != 0.0f; });
        std::fill(letterScales.begin(), letterScales.end(), 1.0f);
        std::fill(letterLifts.begin(), letterLifts.end(), 0.0f);
        for (AllAppsTileSlot& slot : tileSlots) {
            slot.scale = 1.0f;
            slot.offsetX = slot.offsetY = 0.0f;
        }
        if (dirty) {
            // The open folder was reset above: the visible list may point into it.
            visibleEntries.clear();
        }

        bool tintChanged = false;
        ApplyTintIfChanged(false, &tintChanged);
        PlaceVisuals();

        const bool sameStyle = oldMacIcons == useMacIcons;
        auto clearKeys = [&] {
            for (AllAppsTileSlot& slot : tileSlots) slot.surfaceKey.clear();
        };
        bool full = false;
        if (!visualsValid || sizeChanged || tintChanged) {
            if (!sameStyle) clearKeys();
            full = true;
        } else if (sameStyle) {
            full = hiddenChanged || dirty;
        } else {
            clearKeys();
            full = true;
        }
        if (full) {
            FullRefresh();
            builtWidth = panelWidth;
            builtHeight = panelHeight;
        } else {
            UpdateTileTransforms();
            if (lettersMoved) RedrawIndexBar();
        }

        RedrawHover();
        visible = true;
        shownAt = tickCount();
        SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOACTIVATE);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        // Wine does not always keep what the prebuild presented while the
        // panel was hidden: the first frame after showing presents all of it.
        target.Root(root);
        LogMessage(L"AllApps perf: opened in %llu ms (%llu apps)", static_cast<unsigned long long>(tickCount() - start),
                   static_cast<unsigned long long>(catalog.size()));
        PostMessageW(window, WM_ALLAPPS_ACTIVATE, 0, 0);
        if (catalogPollActive) SetTimer(window, kCatalogPollTimer, kCatalogPollMs, nullptr);
    } catch (...) {
        platform::LogCaughtException(L"AllAppsWindow::Toggle");
    }
}

void AllAppsWindow::Hide() {
    if (!visible) return;
    visible = false;
    hiddenAt = tickCount();
    LogMessage(L"AllApps: hidden");
    searchFocused = false;
    caretBlink.Stop();
    imeComposition.clear();
    searchHovered = searchClearHovered = restoreAllHovered = powerHovered = false;
    pointerInGrid = pointerOnIndexBar = false;
    ResetSpring(gridSpring);
    ResetSpring(indexSpring);
    tilesAnimating = indexAnimating = sliding = dragArmed = dragging = false;
    slideOffset = 0.0f;
    slideOpacity = 1.0f;
    wheelAccum = 0;
    if (window) {
        KillTimer(window, kCaretTimer);
        KillTimer(window, kCatalogPollTimer);
        if (GetCapture() == window) ReleaseCapture();
        ShowWindow(window, SW_HIDE);
    }
    try {
        if (tileContainer) {
            tileContainer.Offset({0.0f, 0.0f, 0.0f});
            tileContainer.Opacity(1.0f);
        }
        if (hoverVisual) hoverVisual.IsVisible(false);
    } catch (const comp::HResultError&) {
    }
    ShowCaret();
    if (callbacks.onClosed) callbacks.onClosed();
}

void AllAppsWindow::HandleDeviceLost() {
    try {
        ReleaseVisuals();
        if (!visible) return;
        ApplyTintIfChanged(true, nullptr);
        RedrawChrome();
        RedrawPageDots();
        RedrawIndexBar();
        RebuildPageVisuals();
        RedrawHover();
        visualsValid = true;
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::HandleDeviceLost failed: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::ApplyTheme(const DockConfig& config, float scaleFactor) {
    const bool wasValid = visualsValid;
    try {
        const float transparency = std::clamp(config.allAppsTransparency, 0.0f, 1.0f);
        const float newScale = std::max(scaleFactor, 1.0f);
        const bool tintChanged = theme != config.theme || std::fabs(launcherTransparency - transparency) > 0.005f ||
                                 std::fabs(scale - newScale) > 0.01f;
        const bool hiddenChanged = SetHiddenApps(config.hiddenApps);
        const bool styleChanged = useMacIcons != config.useMacIcons;
        theme = config.theme;
        glassOpacity = config.glassOpacity;
        launcherTransparency = transparency;
        magnifyEnabled = config.magnifyEnabled;
        useMacIcons = config.useMacIcons;
        scale = newScale;
        if (tintChanged) {
            tintApplied = false;
            visualsValid = false;
        }
        if (styleChanged) {
            visualsValid = false;
            for (AllAppsTileSlot& slot : tileSlots) slot.surfaceKey.clear();
        }
        if (!visible) return;
        if (tintChanged || !tintApplied) ApplyTintIfChanged(true, nullptr);
        if (hiddenChanged) ApplyFilterAndLayout();
        RedrawChrome();
        RedrawPageDots();
        RedrawIndexBar();
        if (styleChanged || tintChanged || hiddenChanged) RebuildPageVisuals();
        visualsValid = true;
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::ApplyTheme failed: 0x%08X", static_cast<unsigned>(error.code()));
        visualsValid = wasValid;
    }
}

void AllAppsWindow::PrebuildHiddenVisuals() {
    if (visible || visualsValid || !window || !target || !TreeReady()) return;
    // A prebuild waiting on the device's first drawing would hold up the
    // thread for nothing: it comes again once that is done.
    if (composition && composition->graphicsDevice && composition->graphicsDevice.Warming()) {
        SetTimer(window, kPrebuildRetryTimer, 100, nullptr);
        return;
    }
    try {
        TryAdoptPendingCatalog();
        if (!catalogReady || catalog.empty()) return;
        const uint64_t start = tickCount();
        MONITORINFO info;
        if (!MonitorInfoOf(monitor, info)) return;
        const RECT work = EffectiveWorkArea(info.rcWork, info.rcMonitor, hideTaskbar, scale);
        const PanelSize panel = PanelSizeFor(work.right - work.left, work.bottom - work.top, scale, dockReserve);
        panelWidth = panel.width;
        panelHeight = panel.height;
        const RECT rect = AllAppsWindowRect(work, info.rcMonitor, panel, scale, dockReserve);
        ApplyTintIfChanged(false, nullptr);
        PlaceVisuals();
        RefreshAll();
        builtWidth = panelWidth;
        builtHeight = panelHeight;
        visualsValid = true;
        SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
        LogMessage(L"AllApps prewarm: visuals prebuilt in %llu ms (%llu apps)",
                   static_cast<unsigned long long>(tickCount() - start),
                   static_cast<unsigned long long>(catalog.size()));
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::PrebuildHiddenVisuals winrt error: 0x%08X", static_cast<unsigned>(error.code()));
        visualsValid = false;
    } catch (...) {
        platform::LogCaughtException(L"AllAppsWindow::PrebuildHiddenVisuals");
        visualsValid = false;
    }
}
