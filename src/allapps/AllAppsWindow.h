#pragma once
// The launcher panel: a topmost glass popup with a search box, category tabs, a
// paged 6 x 4 grid of application tiles, page dots, a letter index bar, footer
// buttons, a power button and a close button. The dock owns one, hands it its
// services and callbacks, toggles it, forwards theme changes and device loss,
// and ticks it while it animates.
//
// The class is split by idea over several files: filtering (AllAppsFilter),
// the shared geometry (AllAppsGeometry), the frame step (AllAppsFrame), the
// catalog workers (AllAppsCatalog), the painters (AllAppsChrome, AllAppsTiles)
// and opening and closing (AllAppsOpenClose).

#include <windows.h>
#include <shellapi.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "allapps/AllAppsCatalogSource.h"
#include "allapps/AllAppsIme.h"
#include "allapps/AllAppsLooks.h"
#include "allapps/AllAppsSearchText.h"
#include "allapps/CaretBlink.h"
#include "apps/FolderWatch.h"
#include "apps/InstalledApp.h"
#include "apps/Launch.h"
#include "config/DockConfig.h"
#include "platform/WindowBase.h"
#include "apps/Uninstall.h"
#include "platform/JoinableThread.h"
#include "render/GlassLayer.h"
#include "render/MacMenuItem.h"
#include "render/Spring.h"
#include "render/comp/Compositor.h"
#include "render/raster/Image.h"
#include "system/PowerActions.h"

class GraphicsDevice;
class CompositionHost;
class IconLoader;
class MacMenuWindow;
struct ID2D1DeviceContext;
struct IDWriteTextFormat;

constexpr UINT WM_ALLAPPS_CATALOG_READY = 0x8047;
constexpr UINT WM_ALLAPPS_ACTIVATE = 0x8048;
constexpr UINT WM_ALLAPPS_PREBUILD = 0x8049;
// The tile icons that came in, and the labels a page turn left for later,
// take more than one message to show.
constexpr UINT WM_ALLAPPS_ICONS_READY = 0x804A;
// Timer 3: the hidden prebuild tries again once the device's first drawing is done.
constexpr UINT_PTR kPrebuildRetryTimer = 3;

// Tabs 1..6 equal the app categories; 7 is the hidden-apps view.
enum AllAppsTab : int32_t {
    kAllAppsTabAll = 0,
    kAllAppsTabHidden = 7,
};

struct AllAppsTileSlot {
    comp::ContainerVisual slotVisual{nullptr};
    comp::SpriteVisual iconVisual{nullptr};
    comp::SpriteVisual labelVisual{nullptr};
    float centerX = 0.0f;
    float centerY = 0.0f;
    float iconSize = 52.0f;
    float cellX = 0.0f;
    float cellY = 0.0f;
    float cellWidth = 100.0f;
    float cellHeight = 100.0f;
    float scale = 1.0f;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    bool visible = false;
    std::wstring surfaceKey;
    bool iconPending = false;   // shows its placeholder until the icon workers answer
    bool labelPending = false;  // its name is drawn in a later message
};

struct AllAppsLabelSurface {
    comp::CompositionDrawingSurface surface{nullptr};
    comp::CompositionSurfaceBrush brush{nullptr};
};

class AllAppsWindow {
public:
    struct Callbacks {
        std::function<void(const InstalledApp&)> onPinToDock;
        std::function<void(const InstalledApp&)> onHideApp;
        std::function<void(const InstalledApp&)> onUnhideApp;
        std::function<void()> onUnhideAll;
        std::function<void()> onRequestFrame;
        std::function<void()> onClosed;

        Callbacks() = default;
        Callbacks(Callbacks&&) = default;
        // Member-wise; moving a set onto itself keeps it (std::function allows it).
        Callbacks& operator=(Callbacks&& other) noexcept = default;
    };

    static constexpr int kSlotsPerPage = 24;
    static constexpr uint64_t kReopenGuardMs = 250;
    static constexpr int kCatalogPollLimit = 240;

    AllAppsWindow() = default;
    AllAppsWindow(const AllAppsWindow&) = delete;
    AllAppsWindow& operator=(const AllAppsWindow&) = delete;
    ~AllAppsWindow();

    void Initialize(HMONITOR monitor, const DockConfig& config, float scale, float dockReserve);
    void Toggle(HMONITOR monitor, const DockConfig& config, float scale, float dockReserve);
    void Hide();
    void ApplyTheme(const DockConfig& config, float scale);
    void HandleDeviceLost();
    bool IsAnimating() const;
    void Tick(float dt);
    bool SetHiddenApps(const std::vector<std::wstring>& hiddenApps);
    // The settings that decide how the panel looks, and the monitor's scale.
    void TakeLooks(const DockConfig& config, float scaleFactor);
    // How a rebuild treats labels never drawn before: all at once (an opening,
    // a device loss, a new catalog), or what fits in a share of a frame with
    // the rest in the messages after (a page turn, a keystroke, a tab).
    enum class LabelPace { AllNow, WithinShare };
    void RefreshAll(LabelPace pace = LabelPace::AllNow);
    void PrebuildHiddenVisuals();
    void ReleaseVisuals();
    void Shutdown();
    bool IsVisible() const { return visible; }

    // ---- filtering ----
    void ApplyFilterAndLayout();
    bool IsEntryHidden(const InstalledApp& entry) const;
    static bool MatchesSearch(const InstalledApp& entry, const std::wstring& normalizedSearch);
    void SortVisibleEntriesByName();

    // ---- paging and animation ----
    void GoToPage(int target, int direction);
    void HandleWheel(int delta, bool horizontal);
    void ApplyPageOffset();
    void UpdateTileTransforms();
    std::vector<int> SortIndexLettersByScale(std::vector<int> order) const;

    // ---- catalog ----
    void TryAdoptPendingCatalog();
    // After an uninstall: a new catalog once the uninstaller's process has ended
    // (after a short pause when there is none to wait for).
    void StartCatalogRefresh(ProcessHandle uninstaller = nullptr);
    void StartCatalogWatch();
    // Swaps in a new catalog and keeps every pointer into it valid.
    void ReplaceCatalog(std::vector<InstalledApp> next);
    void OnCatalogReady();
    void OnCatalogPollTimer();

    // ---- input (content DIP in) ----
    int HitTestTile(float x, float y) const;
    bool HitTestSearchBox(float x, float y) const;
    bool HitTestSearchClear(float x, float y) const;
    int HitTestCategoryTab(float x, float y) const;
    bool HitTestRestoreAll(float x, float y) const;
    bool HitTestPowerButton(float x, float y) const;
    bool HitTestCloseButton(float x, float y) const;
    int HitTestFooterButton(float x, float y) const;
    int HitTestIndexLetter(float x, float y) const;
    bool HitTestBackButton(float x, float y) const;
    int HitTestPageDot(float x, float y) const;
    void ActivateEntry(int slot);
    // Hides the window and starts the entry; stays, and returns false, when
    // nothing can start (the planner logged why).
    bool StartEntry(const InstalledApp& entry);
    void ActivateForeground();
    void UpdateImeWindow();

    // ---- menus ----
    void ShowTileMenu(int slot, POINT screenPoint);
    void ShowPowerMenu();

    // ---- painting ----
    // The chrome, and the search field with it; each only when what it shows changed.
    void RedrawChrome();
    void RedrawSearchField();
    void RedrawEmptyMessage();
    // Shows or hides the caret, and places it at its caretX: no repaint of the field.
    void ShowCaret();
    void RedrawPageDots();
    void RedrawIndexBar();
    void RebuildPageVisuals(LabelPace pace = LabelPace::AllNow);
    // The icon workers have answered: the tiles waiting for their icons take
    // those now in memory, a frame's share at a time.
    void OnIconsReady();
    void RedrawHover();
    void PaintChrome(ID2D1DeviceContext* context, int pixelWidth, int pixelHeight, bool dark);
    // The field and its clear button without the text or caret, kept once
    // painted; the text and its underline go over it on the processor.
    void PaintSearchField(ID2D1DeviceContext* context, bool dark);
    void DrawSearchText(raster::Image& pixels, bool dark, const SearchTextExtent& extent);
    // The search text's extent, laid out once per text; the caret's x (content DIP) after it.
    SearchTextExtent MeasureSearchText();
    float SearchCaretX(const SearchTextExtent& extent) const;
    raster::Image PaintPageDots(int pixelWidth, int pixelHeight, bool dark) const;
    raster::Image PaintIndexBar(int pixelWidth, int pixelHeight, bool dark) const;
    // A tile's label, rasterized on the processor: a page of names never
    // shown before costs no Direct2D draw.
    raster::Image PaintTileLabel(const std::wstring& name, IDWriteTextFormat* format, SIZE px, bool dark) const;
    // The slot shows the entry's label from the page's surfaces or the kept
    // pixels, or drawn now when `mayDraw`; false when it is left to draw.
    bool ShowTileLabel(AllAppsTileSlot& slot, const InstalledApp& entry, bool mayDraw);

    HWND Window() const { return window; }

    // ---- shared services, set by the dock before Initialize ----
    HINSTANCE instance = nullptr;
    GraphicsDevice* device = nullptr;
    CompositionHost* composition = nullptr;
    IconLoader* iconLoader = nullptr;
    MacMenuWindow* menu = nullptr;
    Callbacks callbacks;

    // ---- window and composition objects ----
    HWND window = nullptr;
    comp::DesktopWindowTarget target{nullptr};
    comp::ContainerVisual root{nullptr};
    GlassLayer glass;
    comp::SpriteVisual chromeVisual{nullptr};
    comp::CompositionDrawingSurface chromeSurface{nullptr};
    comp::CompositionSurfaceBrush chromeBrush{nullptr};
    SIZE chromeSurfacePx = {0, 0};
    // The search field and its caret stand apart from the chrome: typing
    // repaints only the field, and a blink only shows or hides the caret.
    comp::SpriteVisual searchVisual{nullptr};
    comp::CompositionDrawingSurface searchSurface{nullptr};
    comp::CompositionSurfaceBrush searchBrush{nullptr};
    SIZE searchSurfacePx = {0, 0};
    POINT searchOriginPx = {0, 0};  // the field surface's top left in the chrome's pixels
    // The empty-state text, over the grid, comes and goes with a search on its own.
    comp::SpriteVisual emptyVisual{nullptr};
    comp::CompositionDrawingSurface emptySurface{nullptr};
    comp::CompositionSurfaceBrush emptyBrush{nullptr};
    SIZE emptySurfacePx = {0, 0};
    std::wstring emptyPaintedKey;
    comp::SpriteVisual caretVisual{nullptr};
    comp::CompositionDrawingSurface caretSurface{nullptr};
    comp::CompositionSurfaceBrush caretBrush{nullptr};
    SIZE caretSurfacePx = {0, 0};
    POINT caretOriginPx = {0, 0};  // the caret surface's top left in the chrome's pixels
    float caretX = 0.0f;
    float caretPaintedX = -1.0f;  // the x the caret surface was painted for (pixels, in its surface)
    std::unordered_map<std::wstring, SearchTextExtent> searchExtents;  // by text, NUL, composition
    // What each element showed when last painted: the same look is not painted again.
    ChromeLook chromeLook;
    SearchFieldLook searchLook;
    IndexBarLook indexBarLook;
    PageDotsLook pageDotsLook;
    comp::SpriteVisual indexBarVisual{nullptr};
    comp::CompositionDrawingSurface indexBarSurface{nullptr};
    comp::CompositionSurfaceBrush indexBarBrush{nullptr};
    SIZE indexBarSurfacePx = {0, 0};
    comp::SpriteVisual pageDotsVisual{nullptr};
    comp::CompositionDrawingSurface pageDotsSurface{nullptr};
    comp::CompositionSurfaceBrush pageDotsBrush{nullptr};
    SIZE pageDotsSurfacePx = {0, 0};
    comp::ContainerVisual tileClip{nullptr};
    comp::ContainerVisual tileContainer{nullptr};
    comp::SpriteVisual hoverVisual{nullptr};
    comp::CompositionDrawingSurface hoverSurface{nullptr};
    comp::CompositionSurfaceBrush hoverBrush{nullptr};
    SIZE hoverSurfacePx = {0, 0};
    bool hoverSurfaceDark = true;
    int32_t hoverDrawnSlot = -1;
    std::vector<AllAppsTileSlot> tileSlots;
    std::unordered_map<std::wstring, AllAppsLabelSurface> tileSurfaceCache = MakeLabelCache();
    SIZE cacheLabelPx = {0, 0};
    Microsoft::WRL::ComPtr<IDWriteTextFormat> tileLabelFormat;  // for cacheLabelPx and the scale
    std::unordered_set<std::wstring> iconsMissing;              // tile icon keys the loader had nothing for while open
    bool cacheDark = true;
    float cacheScale = 0.0f;  // the scale tileLabelFormat and the page's labels were made for

    // ---- state ----
    bool visible = false;
    bool catalogReady = false;
    bool catalogPollActive = false;
    int32_t catalogPollCount = 0;
    bool menuOpen = false;
    uint64_t shownAt = 0;
    uint64_t hiddenAt = 0;
    std::vector<InstalledApp> catalog;
    std::vector<const InstalledApp*> visibleEntries;
    std::unordered_set<std::wstring> hiddenKeys;
    std::wstring searchText;
    std::wstring imeComposition;
    bool searchFocused = false;
    CaretBlink caretBlink;
    bool searchHovered = false;
    bool searchClearHovered = false;
    bool restoreAllHovered = false;
    int32_t categoryTab = 0;
    bool hiddenView = false;
    uint16_t indexLetter = 0;
    int32_t hoveredLetter = -1;
    std::vector<uint16_t> indexLetters;
    bool pointerOnIndexBar = false;
    float indexPointerX = 0.0f;
    Spring indexSpring{0.0f, 0.0f, 0.0f, 440.0f, 28.0f};
    std::vector<float> letterScales;
    std::vector<float> letterLifts;
    bool indexAnimating = false;
    int32_t hoveredTab = -1;
    int32_t page = 0;
    int32_t pageCount = 1;
    int32_t hoveredSlot = -1;
    bool closeHovered = false;
    bool backHovered = false;
    bool powerHovered = false;
    int32_t hoveredFooter = -1;
    const InstalledApp* openFolder = nullptr;
    int32_t pageBeforeFolder = 0;
    bool pointerInGrid = false;
    float pointerX = 0.0f;
    float pointerY = 0.0f;
    Spring gridSpring{0.0f, 0.0f, 0.0f, 420.0f, 28.0f};
    bool tilesAnimating = false;
    bool magnifyEnabled = true;
    float scale = 1.0f;
    HMONITOR monitor = nullptr;
    float dockReserve = 94.0f;
    bool hideTaskbar = false;
    float panelWidth = 760.0f;
    float panelHeight = 520.0f;
    float builtWidth = 0.0f;
    float builtHeight = 0.0f;
    int32_t theme = 0;
    float glassOpacity = 0.62f;
    float launcherTransparency = 0.25f;
    bool useMacIcons = true;
    bool tintApplied = false;
    int32_t tintTheme = 0;
    float tintOpacity = -1.0f;
    float tintScale = 0.0f;
    bool visualsValid = false;
    float slideOffset = 0.0f;
    float slideOpacity = 1.0f;
    bool sliding = false;
    int32_t wheelAccum = 0;
    uint64_t lastWheelAt = 0;
    uint64_t lastWheelPageAt = 0;
    bool dragArmed = false;
    bool dragging = false;
    float dragStartX = 0.0f;
    float dragStartY = 0.0f;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> pendingReady{false};
    std::atomic<bool> prewarmDone{false};
    std::mutex catalogMutex;
    std::vector<InstalledApp> pendingCatalog;
    platform::JoinableThread prewarmThread;
    platform::JoinableThread refreshThread;
    // Tells a refresh still waiting for an uninstaller that a newer one took over.
    std::atomic<uint32_t> refreshGeneration{0};
    FolderWatch catalogWatch;

    // The clock of every timing decision (re-open guard, wheel, caret); tests replace it.
    std::function<uint64_t()> tickCount = [] { return GetTickCount64(); };
    // The caret's blink time and timeout, read at each opening; tests replace it.
    std::function<CaretTiming()> caretTiming = SystemCaretTiming;
    // Where catalogs come from; tests inject their own and count enumerations.
    AllAppsCatalogSource catalogSource = RealAllAppsCatalogSource();
    // What a tile click and the footer start; tests record instead of launching.
    std::function<EntryLaunch(const InstalledApp&)> planLaunch = PlanEntryLaunch;
    std::function<bool(const EntryLaunch&)> startLaunch = [](const EntryLaunch& launch) {
        return StartEntryLaunch(launch);
    };
    std::function<bool(const std::wstring&, const std::wstring&)> launchApp =
        [](const std::wstring& target, const std::wstring& arguments) { return LaunchApp(target, arguments); };
    std::function<void()> openSettings = [] {
        ShellExecuteW(nullptr, L"open", L"ms-settings:", nullptr, nullptr, SW_SHOWNORMAL);
    };
    // The menus' nested loop; empty means menu->ShowModal. Tests choose the id.
    std::function<int(POINT, const std::vector<MacMenuItem>&)> showMenu;
    std::function<bool(const std::wstring&, const std::wstring&, const std::wstring&)> canUninstall = CanUninstallApp;
    std::function<bool(const std::wstring&, const std::wstring&, ProcessHandle*)> uninstall = UninstallApp;
    std::function<void(const std::wstring&)> openFileLocation = [](const std::wstring& path) {
        OpenFileLocation(path);
    };
    PowerOps powerOps = DefaultPowerOps();
    // The input method behind the search box; tests play one.
    ImeOps imeOps = DefaultImeOps();
    std::function<platform::JoinableThread(std::function<void()>)> startWorker = [](std::function<void()> body) {
        return platform::StartJoinableThread(std::move(body));
    };

private:
    static std::unordered_map<std::wstring, AllAppsLabelSurface> MakeLabelCache();
    static const platform::WindowBinding<AllAppsWindow> kWindowBinding;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleInput(UINT message, WPARAM wParam, LPARAM lParam);
    void SearchEdited();
    void ClearSearch();
    void CloseFolder();
    void FilterChanged();
    void FocusSearch(bool placeIme);
    // A key, click or focus change: the caret shows and blinks again until the timeout.
    void RestartCaretBlink();
    void OnPointerMove(float x, float y);
    void OnPointerDown(float x, float y);
    void OnRelease(float x, float y);
    void OnClick(float x, float y);
    bool OnKeyDown(WPARAM key);
    void OnChar(wchar_t unit);
    void PasteFromClipboard();
    void OnImeComposition(LPARAM flags);
    int RunMenu(POINT screenPoint, const std::vector<MacMenuItem>& rows);
    void RefocusIfVisible();
    void ActivateCopiedEntry(const InstalledApp& entry);
    void EnsureWindow();
    // Starts filtering the wallpaper under the glass's tint on a worker, over
    // every row the window takes: where it is made and on its monitor.
    void PrepareGlassBackdrop();
    void BuildVisualTree();
    void StartPrewarm();
    void ApplyTintIfChanged(bool force, bool* changed);
    void PlaceVisuals();
    void FullRefresh();
    void EnumerateNow(bool save);
    bool TreeReady() const { return tileSlots.size() >= static_cast<size_t>(kSlotsPerPage); }
    bool GlassDark() const { return glass.dark; }
    void FireRequestFrame() {
        if (callbacks.onRequestFrame) callbacks.onRequestFrame();
    }

    friend struct AllAppsWorkers;
};
