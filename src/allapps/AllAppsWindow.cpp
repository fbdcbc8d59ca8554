// The window, its composition tree, the release of surfaces and teardown.
#include "allapps/AllAppsWindow.h"

#include <system_error>

#include "platform/Log.h"
#include "config/PathText.h"
#include "render/CompositionHost.h"

namespace {

constexpr wchar_t kClassName[] = L"VantreelAllAppsWindow";
constexpr UINT_PTR kCatalogPollTimer = 2;

}  // namespace

std::unordered_map<std::wstring, AllAppsLabelSurface> AllAppsWindow::MakeLabelCache() {
    std::unordered_map<std::wstring, AllAppsLabelSurface> cache(8);
    cache.max_load_factor(1.0f);
    return cache;
}

AllAppsWindow::~AllAppsWindow() { Shutdown(); }

bool AllAppsWindow::SetHiddenApps(const std::vector<std::wstring>& hiddenApps) {
    std::unordered_set<std::wstring> next;
    next.reserve(hiddenApps.size());
    for (const std::wstring& key : hiddenApps) {
        if (!key.empty()) next.insert(NormalizePathKey(key));
    }
    if (next == hiddenKeys) return false;
    hiddenKeys.swap(next);
    visualsValid = false;
    return true;
}

void AllAppsWindow::Initialize(HMONITOR monitorHandle, const DockConfig& config, float scaleFactor, float reserveDip) {
    platform::Guarded(L"AllAppsWindow::Initialize", [&] {
        monitor = monitorHandle;
        dockReserve = reserveDip;
        hideTaskbar = config.hideTaskbar;
        TakeLooks(config, scaleFactor);
        SetHiddenApps(config.hiddenApps);
        PrepareGlassBackdrop();
        EnsureWindow();
        StartPrewarm();
        StartCatalogWatch();
    });
}

const platform::WindowBinding<AllAppsWindow> AllAppsWindow::kWindowBinding{
    L"AllAppsWindow::HandleMessage", &AllAppsWindow::window, platform::MessageHandler<&AllAppsWindow::HandleMessage>};

LRESULT AllAppsWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == hwnd && HandleInput(message, wParam, lParam)) return 0;
    switch (message) {
        case WM_ALLAPPS_CATALOG_READY:
            OnCatalogReady();
            return 0;
        case WM_ALLAPPS_PREBUILD:
            PrebuildHiddenVisuals();
            return 0;
        case WM_ALLAPPS_ICONS_READY:
            OnIconsReady();
            return 0;
        case WM_TIMER:
            if (wParam == kCatalogPollTimer) {
                OnCatalogPollTimer();
                return 0;
            }
            if (wParam == kPrebuildRetryTimer) {
                KillTimer(hwnd, kPrebuildRetryTimer);
                PrebuildHiddenVisuals();
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != SC_CLOSE) break;
            [[fallthrough]];
        case WM_CLOSE:
            // Alt+F4 closes the panel as Esc does; the window itself lives
            // until Shutdown.
            Hide();
            return 0;
        case WM_NCDESTROY:
            if (window != hwnd) break;
            // A window lost some other way leaves the launcher closed.
            Hide();
            window = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void AllAppsWindow::EnsureWindow() {
    if (window && IsWindow(window)) return;
    window = nullptr;
    HINSTANCE module = instance ? instance : GetModuleHandleW(nullptr);
    platform::RegisterWindowClass(module, kClassName, &platform::WindowProcedure<kWindowBinding>);
    // Our compositor presents the panel with UpdateLayeredWindow, which needs the
    // window's own redirection surface: no WS_EX_NOREDIRECTIONBITMAP.
    CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"全部应用", WS_POPUP, 0, 0, 792, 552, nullptr,
                    nullptr, module, this);
    if (!window || !composition) return;
    // Surfaces and brushes kept from an earlier window hang on sprites of its
    // tree: the new tree is drawn afresh, every sprite on a surface of its own.
    ReleaseVisuals();
    target = composition->CreateWindowTarget(window);
    if (target) BuildVisualTree();
}

void AllAppsWindow::BuildVisualTree() {
    try {
        const comp::Compositor& compositor = composition->compositor;
        root = compositor.CreateContainerVisual();
        root.RelativeSizeAdjustment({1.0f, 1.0f});
        target.Root(root);
        glass.Initialize(*composition, 9.0f, GlassStyle::Panel);
        // The glass draws its rim for the radius it was last placed with: place
        // it as the panel will stand, so the first frame equals every later one.
        glass.SetBounds(16.0f * scale, 16.0f * scale, panelWidth * scale, panelHeight * scale, 20.0f * scale);
        glass.UpdateLauncherTint(theme, 1.0f - launcherTransparency, scale);
        tintApplied = true;
        tintTheme = theme;
        tintOpacity = 1.0f - launcherTransparency;
        tintScale = scale;

        chromeVisual = compositor.CreateSpriteVisual();
        searchVisual = compositor.CreateSpriteVisual();
        emptyVisual = compositor.CreateSpriteVisual();
        emptyVisual.IsVisible(false);
        caretVisual = compositor.CreateSpriteVisual();
        caretVisual.IsVisible(false);
        hoverVisual = compositor.CreateSpriteVisual();
        hoverVisual.IsVisible(false);
        tileClip = compositor.CreateContainerVisual();
        tileClip.Clip(compositor.CreateInsetClip(0.0f, 0.0f, 0.0f, 0.0f));
        tileContainer = compositor.CreateContainerVisual();
        tileClip.Children().InsertAtTop(tileContainer);
        pageDotsVisual = compositor.CreateSpriteVisual();
        pageDotsVisual.IsVisible(false);
        indexBarVisual = compositor.CreateSpriteVisual();
        indexBarVisual.IsVisible(false);

        root.Children().InsertAtTop(glass.root);
        root.Children().InsertAtTop(chromeVisual);
        root.Children().InsertAtTop(searchVisual);
        root.Children().InsertAtTop(emptyVisual);
        root.Children().InsertAtTop(caretVisual);
        root.Children().InsertAtTop(hoverVisual);
        root.Children().InsertAtTop(tileClip);
        root.Children().InsertAtTop(pageDotsVisual);
        root.Children().InsertAtTop(indexBarVisual);

        tileSlots.resize(kSlotsPerPage);
        for (AllAppsTileSlot& slot : tileSlots) {
            slot.slotVisual = compositor.CreateContainerVisual();
            slot.iconVisual = compositor.CreateSpriteVisual();
            slot.labelVisual = compositor.CreateSpriteVisual();
            slot.slotVisual.Children().InsertAtTop(slot.iconVisual);
            slot.slotVisual.Children().InsertAtTop(slot.labelVisual);
            slot.slotVisual.IsVisible(false);
            tileContainer.Children().InsertAtTop(slot.slotVisual);
        }
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::BuildVisualTree failed: 0x%08X", static_cast<unsigned>(error.code()));
        tileSlots.clear();
    }
}

void AllAppsWindow::ReleaseVisuals() {
    tintApplied = false;
    visualsValid = false;
    tileSurfaceCache.clear();
    cacheLabelPx = {0, 0};
    tileLabelFormat.Reset();
    try {
        for (AllAppsTileSlot& slot : tileSlots) {
            slot.visible = false;
            slot.surfaceKey.clear();
            if (slot.slotVisual) slot.slotVisual.IsVisible(false);
            if (slot.iconVisual) slot.iconVisual.Brush(nullptr);
            if (slot.labelVisual) slot.labelVisual.Brush(nullptr);
        }
        chromeSurface = nullptr;
        chromeBrush = nullptr;
        chromeSurfacePx = {0, 0};
        pageDotsSurface = nullptr;
        pageDotsBrush = nullptr;
        pageDotsSurfacePx = {0, 0};
        indexBarSurface = nullptr;
        indexBarBrush = nullptr;
        indexBarSurfacePx = {0, 0};
        searchSurface = nullptr;
        searchBrush = nullptr;
        searchSurfacePx = {0, 0};
        emptySurface = nullptr;
        emptyBrush = nullptr;
        emptySurfacePx = {0, 0};
        emptyPaintedKey.clear();
        caretSurface = nullptr;
        caretBrush = nullptr;
        caretSurfacePx = {0, 0};
        caretPaintedX = -1.0f;
        chromeLook = ChromeLook();
        searchLook = SearchFieldLook();
        indexBarLook = IndexBarLook();
        pageDotsLook = PageDotsLook();
        hoverSurface = nullptr;
        hoverBrush = nullptr;
        hoverSurfacePx = {0, 0};
        hoverDrawnSlot = -1;
        if (chromeVisual) chromeVisual.Brush(nullptr);
        if (searchVisual) searchVisual.Brush(nullptr);
        for (comp::SpriteVisual* sprite :
             {&pageDotsVisual, &indexBarVisual, &hoverVisual, &caretVisual, &emptyVisual}) {
            if (!*sprite) continue;
            sprite->Brush(nullptr);
            sprite->IsVisible(false);
        }
    } catch (const comp::HResultError&) {
    }
}

void AllAppsWindow::Shutdown() {
    stopRequested.store(true);
    catalogWatch.Stop();
    if (prewarmThread.joinable()) prewarmThread.join();
    if (refreshThread.joinable()) refreshThread.join();
    Hide();
    ReleaseVisuals();
    if (window && IsWindow(window)) DestroyWindow(window);
    window = nullptr;
}
