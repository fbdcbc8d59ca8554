#pragma once
// The application object: owns every window and service of the program. The
// entry point builds exactly one, calls Initialize once, drives IsAnimating and
// Tick from its frame loop and calls Shutdown when the loop ends.
//
// The dock is drawn in one window and hit-tested in another: the visual window
// is a click-through band across the bottom of the dock monitor that carries
// the composition tree; the input window is a small top-most tool window kept
// over the glass, which receives every mouse, hotkey, timer and private message.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "allapps/AllAppsWindow.h"
#include "apps/CompositionIconHost.h"
#include "apps/IconLoader.h"
#include "config/ConfigStore.h"
#include "config/DockConfig.h"
#include "config/Paths.h"
#include "dock/DockConfigChanges.h"
#include "dock/DockDropTarget.h"
#include "dock/DockItemVisual.h"
#include "dock/DockLayout.h"
#include "dock/DockModel.h"
#include "dock/DockShellActions.h"
#include "dock/LabelSurfaceCache.h"
#include "dock/LaunchBounce.h"
#include "dock/RunOnlyTaskbarSetting.h"
#include "dock/SettingsWindow.h"
#include "dock/TaskbarHider.h"
#include "dock/WindowTracker.h"
#include "platform/WindowBase.h"
#include "render/CompositionHost.h"
#include "render/GlassLayer.h"
#include "render/MacMenuWindow.h"
#include "render/GraphicsDevice.h"
#include "render/Spring.h"
#include "topbar/TopBarWindow.h"

constexpr UINT WM_DOCK_SCAN_WINDOWS = 0x803F;
constexpr UINT WM_DOCK_CREATE_TOP_BAR = 0x8040;
// Answers with the bytes of pixels our own buffers hold (for the benchmarks).
constexpr UINT WM_DOCK_PIXEL_BYTES = 0x8041;
// The device has drawn for the first time: what waited for it is painted now.
constexpr UINT WM_DOCK_DEVICE_READY = 0x8043;

class DockWindow {
public:
    // Timers of the input window.
    enum : UINT_PTR {
        kRefreshTimer = 1,
        kIdleTrimTimer = 2,
        kRevealTimer = 3,
        kFullscreenTimer = 4,
        kDeviceCheckTimer = 5,
        kWatchdogTimer = 6,
        kAutoStartTimer = 7,
        kPriorityTimer = 8,
        kTaskbarHideTimer = 9,
        kTestAllAppsTimer = 10,
        kLabelWarmTimer = 11,
    };
    // The first hide of the taskbar follows the first frame, the top bar and the
    // window list (timers come after posted messages); while the watchdog is
    // still starting it looks again every kWatchdogPollMs.
    static constexpr UINT kFirstHideDelayMs = 10;
    static constexpr UINT kWatchdogPollMs = 20;

    DockWindow() = default;
    ~DockWindow();
    DockWindow(const DockWindow&) = delete;
    DockWindow& operator=(const DockWindow&) = delete;

    // The whole start-up; false means the program cannot run.
    bool Initialize(HINSTANCE instance, bool keepTaskbar);
    bool IsAnimating();
    void Tick(float dt);
    // Runs once; a second call does nothing.
    void Shutdown();

    void ApplyConfig(const DockConfig& newConfig);
    void OpenSettings();
    void ToggleAllApps();
    void ToggleNativeTaskbar();
    void LeaveTaskbarForThisRun();
    void StartWallpaperLumaProbe();
    void ArmIdleTrimTimer();

    // Starts the launch hop of an item.
    void StartBounce(int64_t itemId);

    // The click action of an item: launch, raise, cycle or minimise.
    void ActivateItem(int index, bool fromMenu = false);
    void LeaveIfPointerOutside();
    // index -1 is the glass; runs the chosen command once the menu closes.
    void ShowContextMenu(int index, POINT screen);
    void BeginDragVisual();
    // The dock's side of the file drop target.
    void DragFilesOver(POINT screen);
    void DragFilesLeave();
    void PinDroppedFiles(const std::vector<std::wstring>& paths, POINT screen);

    HWND InputWindow() const { return inputWindow; }
    HWND VisualWindow() const { return visualWindow; }
    bool IsShutDown() const { return shutDown; }
    const DockConfig& Config() const { return config; }
    const DockModel& Model() const { return model; }
    const std::vector<DockItemVisual>& ItemVisuals() const { return itemVisuals; }
    const RECT& InputRect() const { return inputRect; }
    CompositionHost& Composition() { return composition; }
    const TopBarWindow& TopBar() const { return topBar; }
    const AllAppsWindow& AllApps() const { return allApps; }
    SettingsWindow& Settings() { return settings; }
    TaskbarHider& Hider() { return taskbarHider; }
    const MacMenuWindow& Menu() const { return menu; }
    // Null before start-up, after shutdown and when registration failed.
    IDropTarget* DropTarget() const { return dropTarget; }
    bool IsDragging() const { return dragging; }
    bool HasUnpinIntent() const { return unpinIntent; }
    int DropIndex() const { return dropIndex; }
    const std::wstring& LabelText() const { return labelText; }
    const LabelSurfaceCache& LabelSurfaces() const { return labelSurfaces; }
    // The hover label's opacity, 0 (gone) to 1.
    float LabelFade() const { return labelFade; }
    IconLoader& Icons() { return iconLoader; }
    // The pixel size the icons are drawn at: their largest magnified size.
    int IconPixelSize() const;
    // Labels and settings pages are still being painted ahead while the dock rests.
    bool WarmingLabels() const { return warmingLabels; }

    // What clicks and menu commands do to other programs; tests watch them.
    DockShellActions shellActions;

    // Where the configuration file is; tests point it at their own folder.
    std::function<std::wstring()> configPathSource = GetConfigPath;
    // The calls that make the shared factories; tests play failing ones.
    GraphicsFactoryCalls factoryCalls = RealGraphicsFactoryCalls();
    // The device's creation call, when set; tests play a machine without any
    // device.
    std::function<HRESULT(D3D_DRIVER_TYPE, ID3D11Device**, ID3D11DeviceContext**)> createD3DDevice;
    // Diagnostics: when set, the composed frame is written there (a BMP) each
    // time the dock has come to rest.
    std::wstring frameDumpPath;

    static LRESULT CALLBACK VisualWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static const platform::WindowBinding<DockWindow> kInputWindowBinding;
    // Body of the detached start-up prefetch thread.
    static void PrefetchThreadProc();

private:
    // The start-up steps in order; Initialize turns their exceptions into false.
    // Each step below is one of them (DockWindowStartup.cpp).
    bool RunStartup(HINSTANCE instance, bool keepTaskbar);
    void QueuePrefetch();
    void LoadStartupConfig(bool keepTaskbar);
    void PrepareGlassBackdrop();
    void StartIconLoader();
    bool BuildGlassAndLayers();
    TopBarWindow::Callbacks MakeTopBarCallbacks();
    void InitializeTopBar();
    AllAppsWindow::Callbacks MakeAllAppsCallbacks();
    void WireAllApps();
    void LogIconsMissingAtFirstFrame();
    void ShowFirstFrame();
    // The device's warm-up, the posted and timed rest of the start, the launcher.
    void StartAfterFirstFrame(float cachedLuma);
    LRESULT HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleTimer(UINT_PTR id);
    void HandlePointerMessage(UINT message, LPARAM lParam);
    void OnPointerMove(POINT client);
    void StepDrag();
    void OnLeftButtonDown(POINT client);
    void OnLeftButtonUp();
    void OnCaptureLost();
    void OnPointerLeave();
    void OnMiddleButtonUp(POINT client);
    // A client point of the input window in the band window's dip.
    void ClientToDip(POINT client, float& x, float& y) const;
    int HitTestClient(POINT client) const;
    int ResolvePressedIndex();
    void EndPressAsCaptureLoss();
    void ClearPress();  // forgets the press and any drag it became
    void RunMenuCommand(int command, int64_t itemId);
    void SavePinnedList();
    void RefreshWindowList();
    void LogDockItems() const;
    void PinInstalledApp(const InstalledApp& app);
    void UnhideInstalledApp(const InstalledApp& app);
    void RestoreDefaults();
    void RequestFrame();
    // The debug log's word that the frames stopped, where the input window
    // rests and what holds it there.
    void LogRest() const;
    bool AnythingMoving() const;
    void IdleTrim();

    DockLayoutInput BuildLayoutInput() const;
    void ApplyLayout();
    // The item under a pointer that has not moved, for a layout that has.
    void HitTestStillPointer();
    // 1 while the item under the pointer has a label to show (or a drag shows
    // the unpin hint), else 0.
    float LabelTarget() const;
    // Now looks each changed icon up at once (memory, built-in drawing, disk,
    // else a request to the workers); Later only marks it stale and keeps the
    // surface shown, so the frame that shows a change pays for no drawing.
    enum class IconLookup { Now, Later };
    void RebuildVisuals(IconLookup lookup = IconLookup::Now);
    void UpdateItemIcon(const DockItem& item, DockItemVisual& visual, int px, IconLookup lookup);
    // Looks the stale icons up for a bounded share of the frame; the rest
    // wait for the next one.
    void FetchStaleIcons();
    void NoteIconsReady();
    void SyncVisualsAfterReorder();
    void DrawOverlay(int hoverItem, const DockLayoutResult& result);
    void DrawLabelBubble(ID2D1DeviceContext* context, IDWriteTextLayout* textLayout, float width, float height);
    // Measures, paints and keeps the hover label's bubble for the text; null
    // when the text system or the surface fails.
    comp::CompositionDrawingSurface PaintLabelSurface(const std::wstring& text);
    // While the dock rests, paints one item's label that is not kept yet, so
    // a later hover only shows it; false when there was none or no rest.
    bool WarmNextLabel();
    void CreateSharedSurfaces();
    comp::CompositionDrawingSurface CreatePillSurface(float w, float h, D2D1_COLOR_F halo, float haloWidth,
                                                      D2D1_COLOR_F pill);
    void UpdateAutoHide();
    void UpdateFullscreenWatch();
    void UpdateMonitorMetrics();
    bool CheckDevice();
    void EmptyIconKeys();
    float AllAppsReserve() const;
    bool CreateWindows();
    // The start-up steps that need no graphics device, run while its worker
    // still makes it.
    void StartWindowTracking();
    void RegisterDropTarget();
    void RegisterHotkeysAndTimers();
    // Saves the live configuration, keeping run-only choices out of the file.
    bool SaveToFile();

    // ---- members, in the order they are built ----
    HINSTANCE instance = nullptr;
    HWND visualWindow = nullptr;
    HWND inputWindow = nullptr;
    HMONITOR monitor = nullptr;
    uint32_t dpi = 96;
    float scale = 1.0f;
    float screenWidth = 1280.0f;
    float bandHeight = 200.0f;
    int32_t originX = 0;
    int32_t originY = 0;
    std::wstring configPath;
    ConfigStore configStore;
    DockConfig config;
    DockModel model;
    DockLayoutResult layout;
    GraphicsDevice graphics;
    CompositionHost composition;
    GlassLayer glass;
    CompositionIconHost iconHost{composition};
    IconGraphics iconGraphics;
    IconLoader iconLoader;
    WindowTracker windowTracker;
    TaskbarHider taskbarHider;
    MacMenuWindow menu;
    TopBarWindow topBar;
    AllAppsWindow allApps;
    SettingsWindow settings;
    // Shared with OLE: the dock holds one reference until shutdown.
    vantreel::DockDropTarget* dropTarget = nullptr;
    comp::ContainerVisual itemsRoot{nullptr};
    comp::ContainerVisual labelRoot{nullptr};
    comp::SpriteVisual labelSprite{nullptr};
    comp::CompositionDrawingSurface labelSurface{nullptr};
    LabelSurfaceCache labelSurfaces;
    comp::CompositionDrawingSurface pillRunningSurface{nullptr};
    comp::CompositionDrawingSurface pillActiveSurface{nullptr};
    comp::CompositionDrawingSurface pillMinimizedSurface{nullptr};
    comp::CompositionDrawingSurface separatorSurface{nullptr};
    std::vector<DockItemVisual> itemVisuals;
    LaunchBounceMap bounces;
    bool hovering = false;
    mutable std::wstring loggedRest;  // the last "at rest" line, said once
    float cursorX = 0.0f;
    float cursorY = 0.0f;
    Spring magnifySpring{0.0f, 0.0f, 0.0f, 420.0f, 28.0f};
    int32_t hoverIndex = -1;
    std::wstring labelText;
    float labelFade = 0.0f;
    bool dirty = true;
    bool warmingLabels = false;
    bool visualsStale = false;  // a new configuration's icons wait for the next tick
    bool staleIcons = false;    // some item visual is stale
    bool pressed = false;
    bool dragging = false;
    int32_t pressedIndex = -1;
    POINT pressPoint = {0, 0};
    float dragOffsetY = 0.0f;
    int32_t dropIndex = -1;
    bool unpinIntent = false;
    bool dragVisualRaised = false;
    // The pressed item is followed by id: a window-list refresh during a press
    // can insert or erase running items and shift every index.
    int64_t pressedId = 0;
    bool dragReordered = false;  // this drag has already moved the item
    UINT shellHookMessage = 0;
    UINT taskbarCreatedMessage = 0;
    UINT leaveTaskbarMessage = 0;
    RECT inputRect = {0, 0, 0, 0};        // where the input window belongs
    RECT placedInputRect = {0, 0, 0, 0};  // where it was last put
    bool fullscreenOverlap = false;
    bool revealed = false;
    bool menuOpen = false;
    Spring hideSpring{0.0f, 0.0f, 0.0f, 320.0f, 26.0f};
    bool shutDown = false;
    int32_t taskbarWaitCount = 0;
    bool startupIconsPending = false;
    RunOnlyTaskbarSetting keepTaskbarRun;
};
