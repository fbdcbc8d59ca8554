#pragma once
// The top status bar: one borderless, topmost, never-activated window across
// the top edge of the dock's monitor, drawn through the composition host on a
// glass backdrop. It owns its popover, the notification store and the
// notification center, keeps its status current with a one-second tick and a
// worker thread, reserves its band as a shell app bar and hides while a
// full-screen window covers its monitor.
//
// Everything runs on the UI thread except the status worker, which shares only
// `slot` and `busyFlag` (shared pointers, so a worker that outlives the bar
// still writes into live objects).

#include <windows.h>
#include <shellapi.h>
#include <wincodec.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/DockConfig.h"
#include "platform/WindowBase.h"
#include "notify/NotificationCenterWindow.h"
#include "notify/NotificationStore.h"
#include "render/GlassLayer.h"
#include "render/GlassTheme.h"
#include "render/comp/Compositor.h"
#include "system/ForegroundApp.h"
#include "system/StatusSnapshot.h"
#include "system/tray/TrayIconInfo.h"
#include "render/MacMenuItem.h"
#include "render/raster/Image.h"
#include "topbar/BarPieces.h"
#include "topbar/TopBarActions.h"
#include "topbar/TopBarLayout.h"
#include "topbar/TopBarPopover.h"

class GraphicsDevice;
class CompositionHost;
class MacMenuWindow;

// Posted by the status worker when its result waits in the slot.
constexpr UINT WM_TOPBAR_STATUS_READY = 0x803F;
// Posted by the notification store's worker when its read waits to be taken.
constexpr UINT WM_TOPBAR_NOTIFICATIONS_READY = 0x8042;
// The callback message of the bar's app-bar registration.
constexpr UINT WM_TOPBAR_APPBAR_NOTIFY = 0x8037;
// A repaint asked for while the bar was placed, run as a message of its own.
constexpr UINT WM_TOPBAR_REDRAW = 0x8044;

// The system calls the bar makes; each defaults to the real one, and tests
// replace single members.
struct TopBarSystemCalls {
    std::function<vantreel::SystemStatusSnapshot(bool full, const vantreel::SystemStatusSnapshot* previous,
                                                 HWND inputTarget)>
        collectStatus;
    std::function<vantreel::ForegroundAppInfo(const vantreel::ForegroundAppInfo* previous)> foregroundApp;
    std::function<std::wstring(HWND)> inputIndicator;
    std::function<std::vector<TrayIconInfo>()> trayIcons;
    std::function<void()> startTrayMonitor;
    std::function<std::vector<uint8_t>(const std::wstring& path, IWICImagingFactory* factory, int edge)> loadFileIcon;
    std::function<std::vector<uint8_t>(const std::vector<uint8_t>& pixels, int edge, bool dark)> makeTemplateIcon;
    std::function<UINT_PTR(DWORD message, APPBARDATA& data)> appBar;
    // The clock's text as it will read once the current minute is over.
    std::function<std::wstring()> nextClockText;
    // Runs the body on a new detached thread; throws std::system_error when
    // no thread can be made.
    std::function<void(std::function<void()> body)> startWorker;
};
TopBarSystemCalls RealTopBarSystemCalls();

// Any difference the bar acts on between two tray snapshots: count, order, or
// key, name, process, on-bar flag, owner window or icon id at a position.
bool TrayIconListsDiffer(const std::vector<TrayIconInfo>& a, const std::vector<TrayIconInfo>& b);
// The bar shows the Bluetooth item for a radio that exists, and for one whose
// service has not answered (it may well exist), drawn unlit as unknown: lit
// only for a radio known to be on.
bool BluetoothItemShown(const vantreel::SystemStatusSnapshot& status);
bool BluetoothGlyphLit(const vantreel::SystemStatusSnapshot& status);
// A change that alters the item list or an item's width.
bool IsLayoutRelevantChange(const vantreel::SystemStatusSnapshot& fresh, const vantreel::SystemStatusSnapshot& old);
// max(24, rnd(32 * scale)) pixels.
int TopBarHeightPixels(float scale);

class TopBarWindow {
public:
    struct Callbacks {
        std::function<void()> onToggleAllApps;
        std::function<void()> onOpenSettings;
        std::function<void()> onToggleNativeTaskbar;
        std::function<void(GlassTheme)> onSetTheme;
        std::function<void()> onQuit;
        std::function<void()> onPopupClosed;
        std::function<void(bool)> onTrayCollapsedChanged;
        std::function<void(const std::vector<std::wstring>&)> onHiddenTrayAppsChanged;
        std::function<void(bool)> onDoNotDisturbChanged;
        // The clear-all watermark to save (FILETIME): after a clear-all, and
        // when the store corrected one that the clock fell behind.
        std::function<void(uint64_t)> onNotificationsCleared;

        Callbacks() = default;
        Callbacks(const Callbacks&) = default;
        Callbacks(Callbacks&&) = default;
        Callbacks& operator=(const Callbacks&) = default;
        // Member-wise; moving a set onto itself keeps it (std::function allows it).
        Callbacks& operator=(Callbacks&& other) noexcept = default;
    };

    // The worker's hand-over: the newest full status not yet taken.
    struct AsyncStatusSlot {
        std::mutex mutex;
        std::shared_ptr<vantreel::SystemStatusSnapshot> result;
    };

    TopBarWindow() = default;
    TopBarWindow(const TopBarWindow&) = delete;
    TopBarWindow& operator=(const TopBarWindow&) = delete;
    ~TopBarWindow();

    // Wires the bar and starts its first worker and the tray monitor; no window.
    void Initialize(HINSTANCE instance, GraphicsDevice& graphics, CompositionHost& composition, MacMenuWindow& menu,
                    Callbacks callbacks);
    // The only entry that creates the window.
    void Apply(HMONITOR monitor, const DockConfig& config, float scale);
    // Filters the wallpaper band the bar's glass will show on a worker, so that
    // the bar's first frame does not filter it on the UI thread.
    void PrepareBackdrop(HMONITOR monitor, float scale);
    void CreateBarWindow();
    void UpdatePosition();
    void RemoveAppBar();
    // The dock's poll of the foreground window.
    void SetHiddenForFullscreen(bool hidden);
    // The shell's own report (ABN_FULLSCREENAPP), kept apart from the poll,
    // which misses what the shell knows (an exclusive-mode game, a window a
    // pixel short of the monitor): the bar stays hidden while either says so.
    void SetShellFullscreen(bool fullscreen);
    void ShowNotificationCenter();
    // Reads the notification database on a worker; its result comes back as
    // WM_TOPBAR_NOTIFICATIONS_READY and TakeNotifications adopts it.
    void RequestNotifications(bool force);
    void TakeNotifications();
    void ToggleHiddenTrayKey(const std::wstring& key);
    // Runs once; later calls do nothing.
    void Shutdown();

    // Status refresh.
    void StatusTick();
    void RefreshStatusAsync();
    void ConsumeAsyncStatus();
    void RefreshActiveApp();
    void RebuildTrayItems();
    // On a tick that changed nothing: the clock of the coming minute is
    // painted and kept, so the minute's own tick only puts it in place.
    void PaintClockAhead();

    // Layout and painting.
    void Layout();
    float MeasureText(const std::wstring& text, int32_t weight, float size, float maxWidth) const;
    void Redraw();
    // Redraw from a posted message (once however often asked), so that placing
    // the bar and painting it are two short stretches of the thread, not one.
    void RedrawSoon();
    // One item drawn onto a transparent piece whose left edge stands at
    // pieceLeft bar pixels; the clock shows clockText, or the status's.
    void PaintPiece(ID2D1DeviceContext* context, const TopBarItem& item, float pieceLeft,
                    const std::wstring* clockText = nullptr);
    void DrawItemText(ID2D1DeviceContext* context, const std::wstring& label, IDWriteTextFormat* format, float left,
                      float right);
    int HitTest(float x, float y) const { return HitTestTopBarItems(items, x, y); }
    // After the rendering device was recreated: a new surface, tint and picture.
    void RecoverDevice();

    // The bar's window; null until it is created.
    HWND Window() const { return window; }

    static const platform::WindowBinding<TopBarWindow> kWindowBinding;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The left-click action of an item.
    void OnItemClick(const TopBarItem& item);
    // The right-click menu of the item under a client point in pixels; false
    // when no menu was shown (the message then goes to the default procedure).
    bool OnRightClick(int x, int y);
    // A wheel step at a screen point; false when it is not over the speaker.
    bool OnWheel(WPARAM wParam, LPARAM lParam);

    // The popover's and the center's callbacks.
    void OnPopoverStatusChanged();
    void OnPopoverThemeChange(GlassTheme theme);
    void OnPopoverToggleNativeTaskbar();
    void OnPopoverOpenNotificationCenter();
    void OnPopoverHiddenTrayAppsChanged(const std::wstring& key);
    void OnPopoverHidden();
    void OnPopoverSwitchKind(PopoverKind kind);
    void OnNotificationDismiss(int64_t id);
    void OnNotificationsClearAll();
    void OnNotificationDoNotDisturb(bool on);
    void OnNotificationCenterHidden();

    HINSTANCE instance = nullptr;
    GraphicsDevice* device = nullptr;
    CompositionHost* host = nullptr;
    MacMenuWindow* menu = nullptr;
    Callbacks callbacks;
    TopBarPopover popover;
    NotificationStore store;
    NotificationCenterWindow center;
    HWND window = nullptr;
    comp::DesktopWindowTarget target{nullptr};
    comp::ContainerVisual root{nullptr};
    GlassLayer glass;
    comp::SpriteVisual content{nullptr};
    comp::CompositionDrawingSurface surface{nullptr};
    comp::CompositionSurfaceBrush surfaceBrush{nullptr};
    int32_t surfaceWidth = 0;
    int32_t surfaceHeight = 0;
    HMONITOR monitor = nullptr;
    RECT monitorRect = {0, 0, 0, 0};
    float scale = 1.0f;
    float barWidthDip = 1280.0f;
    DockConfig config;
    bool showTopBar = true;
    bool reserveSpace = true;
    bool appBarRegistered = false;
    bool hiddenForFullscreen = false;
    bool pollFindsFullscreen = false;
    bool shellReportsFullscreen = false;
    bool trackingMouse = false;
    bool shutDown = false;
    bool redrawPosted = false;
    bool contentShown = false;  // the bar has shown more than its glass
    bool trayCollapsed = false;
    std::vector<TopBarItem> items;
    // The bar's picture put together from the items' kept pieces, and the
    // pieces it holds (empty until it holds a whole row).
    raster::Image picture;
    std::vector<BarPiece> shownPieces;
    std::wstring clockPaintedAhead;
    int32_t hoveredItemId = 0;
    int32_t activeItemId = 0;
    int32_t statusTickCount = 0;
    vantreel::SystemStatusSnapshot status;
    vantreel::ForegroundAppInfo foreground;
    std::shared_ptr<AsyncStatusSlot> slot = std::make_shared<AsyncStatusSlot>();
    std::shared_ptr<std::atomic<bool>> busyFlag = std::make_shared<std::atomic<bool>>(false);
    // The popover changed something while a worker ran: one more when it answers.
    bool statusWantedAgain = false;
    std::vector<TrayIconInfo> trayIcons;
    std::vector<TrayIconInfo> shownTrayIcons;
    std::unordered_map<std::wstring, std::vector<uint8_t>> trayIconPixels;
    std::unordered_map<std::wstring, std::vector<uint8_t>> trayTemplatePixels;

    TopBarSystemCalls system = RealTopBarSystemCalls();
    TopBarActions actions;
    // Runs a menu at an anchor in screen pixels and gives the chosen id (0 for
    // none); empty runs the shared glass menu. While it runs, the bar's own
    // messages go on being handled, Shutdown included.
    std::function<int(POINT anchor, const std::vector<MacMenuItem>& rows)> showMenu;

private:
    struct WorkerContext;
    struct PaintPass;
    static void StatusThreadProc(const std::shared_ptr<WorkerContext>& context);
    static void StatusWorker(WorkerContext& context);
    void ApplyFullscreenHiding();
    void PaintItem(ID2D1DeviceContext* context, const TopBarItem& item, const PaintPass& pass);
    // Where each item's piece stands now and what decides its pixels.
    std::vector<BarPiece> PiecesNow() const;
    BarPiece PieceFor(const TopBarItem& item, const std::wstring& look) const;
    // What an item shows beyond its place, hover and theme, as part of its key.
    std::wstring ItemLook(const TopBarItem& item) const;
    // Puts the changed areas of the picture together again (all of it when
    // `whole`) and hands them to the surface; false when a piece failed.
    bool PaintChangedPieces(bool whole);
    void PaintTrayIcon(ID2D1DeviceContext* context, size_t index, float cx, float cy, bool dark);
    void OnMouseMove(int x, int y);
    void OnMouseLeave();
    int RunMenu(POINT anchor, const std::vector<MacMenuItem>& rows);
    void OpenLeftMenu(const TopBarItem& item);
    void RunLeftMenuCommand(int command, const vantreel::ForegroundAppInfo& front);
    void PlaceFrontWindow(int command, HWND window);
    void OpenDownloads();
    void ToggleTrayCollapsed();
    void ShowInputMenu(POINT anchor);
    void ShowNotificationMenu(POINT anchor);
    void ShowTrayToggleMenu(POINT anchor);
    void ShowTrayIconMenu(POINT anchor, size_t index);
};
