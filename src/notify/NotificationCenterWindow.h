#pragma once
// The notification center, a glass panel under the right end of the top bar
// that lists the system's toasts, and the banner stack that briefly shows new
// ones. Both are popup windows whose content is a composition tree: glass
// behind one sprite with a Direct2D drawing surface. Everything runs on the UI
// thread.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/DockConfig.h"
#include "render/HitItem.h"
#include "notify/BannerStack.h"
#include "notify/NotificationItem.h"
#include "render/CompositionHost.h"
#include "render/GlassLayer.h"
#include "render/GraphicsDevice.h"

class NotificationCenterWindow {
public:
    struct Callbacks {
        std::function<void(int64_t)> onDismiss;
        std::function<void()> onClearAll;
        std::function<void(bool)> onSetDoNotDisturb;
        std::function<void()> onHidden;
    };

    // The system services the windows act through; tests replace them.
    struct System {
        std::function<ULONGLONG()> tickCount;
        std::function<FILETIME()> systemTime;
        std::function<std::vector<uint8_t>(const std::wstring& path, IWICImagingFactory* factory, int edge)>
            loadFileIcon;
        std::function<void(const std::wstring& target)> shellOpen;  // "open", SW_SHOWNORMAL
        std::function<uint32_t(uint16_t virtualKey)> sendWinKeyChord;
        std::function<void(const NotificationItem& item)> activate;
        std::function<HWND()> foregroundWindow;
        System();
    };

    NotificationCenterWindow() = default;
    NotificationCenterWindow(const NotificationCenterWindow&) = delete;
    NotificationCenterWindow& operator=(const NotificationCenterWindow&) = delete;
    ~NotificationCenterWindow();

    // Also hides the banners.
    void ShowCenter(HMONITOR monitor, const DockConfig& config, float scale, const std::vector<NotificationItem>& items,
                    bool doNotDisturb);
    // Fires onHidden when the center was visible.
    void HideCenter();
    // Rows dismissed here never come back, whatever list the owner hands in.
    void UpdateItems(const std::vector<NotificationItem>& items, bool doNotDisturb);
    void UpdateConfig(const DockConfig& config, float scale);
    void Shutdown();
    void ShowBanners(const std::vector<NotificationItem>& newItems, HMONITOR monitor, const DockConfig& config,
                     float scale);
    void HideBanners();

    static const HitItem* HitTest(const std::vector<HitItem>& hits, float x, float y);

    HINSTANCE instance = nullptr;
    GraphicsDevice* device = nullptr;
    CompositionHost* host = nullptr;
    Callbacks callbacks;
    System system;
    HMONITOR monitor = nullptr;
    DockConfig config;
    float scale = 1.0f;
    bool doNotDisturb = false;
    bool shutDown = false;

    HWND centerWindow = nullptr;
    comp::DesktopWindowTarget centerTarget;
    comp::ContainerVisual centerRoot;
    GlassLayer centerGlass;
    comp::SpriteVisual centerSprite;
    comp::CompositionDrawingSurface centerSurface;
    comp::CompositionSurfaceBrush centerSurfaceBrush;
    int32_t centerSurfaceWidth = 0;
    int32_t centerSurfaceHeight = 0;
    bool centerVisible = false;
    bool centerMouseTracking = false;
    uint64_t shownAt = 0;
    float panelWidth = 348.0f;
    float panelHeight = 260.0f;
    int32_t scrollRow = 0;
    int32_t visibleRows = 4;
    int32_t hoverId = 0;
    int32_t hoverIndex = -1;
    std::vector<NotificationItem> items;
    std::vector<HitItem> centerHits;

    HWND bannerWindow = nullptr;
    comp::DesktopWindowTarget bannerTarget;
    comp::ContainerVisual bannerRoot;
    GlassLayer bannerGlass;
    comp::SpriteVisual bannerSprite;
    comp::CompositionDrawingSurface bannerSurface;
    comp::CompositionSurfaceBrush bannerSurfaceBrush;
    int32_t bannerSurfaceWidth = 0;
    int32_t bannerSurfaceHeight = 0;
    bool bannersVisible = false;
    bool bannerMouseTracking = false;
    bool bannerHovered = false;
    bool bannerHeldLogged = false;  // said once per hover that the pointer keeps due banners
    float bannerPanelWidth = 336.0f;
    float bannerPanelHeight = 84.0f;
    int32_t bannerHoverId = 0;
    int32_t bannerHoverIndex = -1;
    std::vector<NotificationBanner> banners;
    std::vector<HitItem> bannerHits;

    std::unordered_map<std::wstring, std::vector<uint8_t>> iconPixels;

    // The painters' text formats, made once per scale.
    struct TextFormats {
        float scale = 0.0f;
        Microsoft::WRL::ComPtr<IDWriteTextFormat> header, headerCentered, appName, title, small, smallTrailing, body,
            bannerTime, letter;
    };
    TextFormats formats;
    // Scrolling and hovering repaint little: the center's frame is put
    // together from the pixels of its chrome and of each card, painted once
    // per look and kept while the center shows. Off, every redraw paints the
    // whole surface with PaintCenter.
    bool reusePaintedRows = true;
    struct PaintedRow {
        std::wstring look;
        raster::Image pixels;
    };
    std::unordered_map<int64_t, PaintedRow> paintedRows;
    std::wstring paintedChromeLook;
    raster::Image paintedChrome;
    raster::Image composedFrame;  // kept for its memory
    // While the thread has nothing else to do after a frame, the cards next
    // to those shown (this many on each side) are painted where they will
    // come in, so that a wheel notch finds its new card kept.
    static constexpr int32_t kRowsPaintedAhead = 5;
    static constexpr UINT kPaintAheadMessage = WM_APP + 0x31;
    bool paintAheadPosted = false;
    bool paintAheadDone = false;
    comp::CompositionDrawingSurface scratchSurface;
    // Ids dismissed from the center; filtered out of every later list.
    std::unordered_set<int64_t> dismissedIds;

    static constexpr UINT_PTR kBannerTimer = 1;
    static constexpr UINT_PTR kCenterTimer = 2;
    static constexpr UINT_PTR kCenterGraceTimer = 3;
    static constexpr uint64_t kDeactivationGraceMs = 120;

    static LRESULT CALLBACK CenterWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BannerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void PaintCenter(ID2D1DeviceContext* context, FILETIME now);
    void PaintBanners(ID2D1DeviceContext* context);
    void DrawAppIcon(ID2D1DeviceContext* context, IDWriteFactory* factory, const NotificationItem& item, float x,
                     float y, float size);
    static void DrawMoonGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx, float cy, float u,
                              ID2D1Brush* fill, ID2D1Brush* star);
    // The header, the empty state and the footer: everything but the cards.
    void PaintCenterChrome(ID2D1DeviceContext* context);
    // The card of items[index] with its top at y.
    void PaintCenterRow(ID2D1DeviceContext* context, int32_t index, float y, FILETIME now);
    static void DrawNotificationGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx, float cy,
                                      float u, ID2D1Brush* brush);

private:
    void EnsureCenterWindow();
    void LayoutCenter();
    void PlaceCenter();
    void RedrawCenter();
    // Fills the center surface from kept pixels, painting only what is new.
    void ComposeCenter(FILETIME now);
    // Where a card with its top at y lies on the surface, in whole pixels.
    RECT CardBox(float y) const;
    std::wstring CardLook(int32_t index, float y, bool hovered, FILETIME now);
    bool CardKept(int32_t index, const std::wstring& look, const RECT& box) const;
    // Past the budget, the kept cards farthest from those shown go.
    void ForgetFarRows();
    // Paints the nearest card around those shown that is not kept; false
    // when there was none (or it failed).
    bool PaintNextRowAhead();
    bool PaintScratch(int width, int height, int originX, int originY,
                      const std::function<void(ID2D1DeviceContext*)>& painter, raster::Image& out);
    void EnsureFormats();
    // The executable's 32 x 32 icon pixels, asked for once per path; null
    // without an executable or an imaging factory.
    const std::vector<uint8_t>* LoadedIcon(const NotificationItem& item);
    void ForgetPaintedPixels();
    LRESULT HandleCenterMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ClickCenter(float x, float y);
    void DismissRow(int64_t id);
    void OnCenterDeactivated();
    void EnsureBannerWindow();
    void PlaceBanners();
    void RedrawBanners();
    LRESULT HandleBannerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RemoveBanner(int index, bool activate);
    void ExpireBannerTick();
    RECT MonitorRect(bool* known = nullptr, int* workHeight = nullptr) const;
    void ShowPresented(HWND window, const RECT& rect, UINT flags);
    void RetireDismissed(std::vector<NotificationItem>& list) const;
};
