#pragma once
// The notification center's window: a glass panel under the right end of the
// top bar that lists the system's toasts, scrolls them a row at a time, and
// dismisses, opens or clears them. Its content is glass behind one sprite
// with a Direct2D drawing surface, put together from kept card pixels.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/WindowBase.h"
#include "notify/NotificationCardCache.h"
#include "notify/NotificationContext.h"
#include "notify/NotificationItem.h"
#include "render/HitItem.h"

struct NotificationCenterCallbacks {
    std::function<void(int64_t)> onDismiss;
    std::function<void()> onClearAll;
    std::function<void(bool)> onSetDoNotDisturb;
    std::function<void()> onHidden;
};

class NotificationCenterPanel {
public:
    NotificationCenterPanel(NotificationContext& shared, const NotificationCenterCallbacks& callbacks)
        : shared(shared), callbacks(callbacks) {}
    NotificationCenterPanel(const NotificationCenterPanel&) = delete;
    NotificationCenterPanel& operator=(const NotificationCenterPanel&) = delete;

    // Opens with the shared monitor, settings and scale; a failure of the
    // compositor goes to the caller.
    void Show(const std::vector<NotificationItem>& list, bool quiet);
    // Fires onHidden when the center was visible.
    void Hide();
    // Rows dismissed here never come back, whatever list the owner hands in.
    void UpdateItems(const std::vector<NotificationItem>& list, bool quiet);
    // Redraws a visible center with the shared settings and scale.
    void Restyle();
    void Destroy();

    void PaintCenter(ID2D1DeviceContext* context, FILETIME now);
    // The header, the empty state and the footer: everything but the cards.
    void PaintCenterChrome(ID2D1DeviceContext* context);
    // The card of items[index] with its top at y.
    void PaintCenterRow(ID2D1DeviceContext* context, int32_t index, float y, FILETIME now);
    static void DrawMoonGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx, float cy, float u,
                              ID2D1Brush* fill, ID2D1Brush* star);
    static void DrawNotificationGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx, float cy, float u,
                                      ID2D1Brush* brush);

    NotificationContext& shared;
    const NotificationCenterCallbacks& callbacks;

    HWND window = nullptr;
    comp::DesktopWindowTarget target;
    comp::ContainerVisual root;
    GlassLayer glass;
    comp::SpriteVisual sprite;
    comp::CompositionDrawingSurface surface;
    comp::CompositionSurfaceBrush surfaceBrush;
    int32_t surfaceWidth = 0;
    int32_t surfaceHeight = 0;
    bool visible = false;
    bool mouseTracking = false;
    uint64_t shownAt = 0;
    float panelWidth = 348.0f;
    float panelHeight = 260.0f;
    int32_t scrollRow = 0;
    int32_t visibleRows = 4;
    int32_t hoverId = 0;
    int32_t hoverIndex = -1;
    bool doNotDisturb = false;
    std::vector<NotificationItem> items;
    std::vector<HitItem> hits;

    // Scrolling and hovering repaint little: the frame is put together from
    // the kept pixels of the chrome and of each card. Off, every redraw
    // paints the whole surface with PaintCenter.
    bool reusePaintedRows = true;
    NotificationCardCache cards;
    // While the thread has nothing else to do after a frame, the cards next
    // to those shown (this many on each side) are painted where they will
    // come in, so that a wheel notch finds its new card kept.
    static constexpr int32_t kRowsPaintedAhead = 5;
    static constexpr UINT kPaintAheadMessage = WM_APP + 0x31;
    bool paintAheadPosted = false;
    bool paintAheadDone = false;
    // Ids dismissed from the center; filtered out of every later list.
    std::unordered_set<int64_t> dismissedIds;

    static constexpr UINT_PTR kTimer = 2;
    static constexpr UINT_PTR kGraceTimer = 3;
    static constexpr uint64_t kDeactivationGraceMs = 120;

    static const platform::WindowBinding<NotificationCenterPanel> kWindowBinding;
    // The window class's procedure: kWindowBinding's, under this class's name.
    static LRESULT CALLBACK CenterWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void EnsureCenterWindow();
    void LayoutCenter();
    void PlaceCenter();
    void RedrawCenter();
    // Fills the surface from kept pixels, painting only what is new.
    void Compose(FILETIME now);
    // Where a card with its top at y lies on the surface, in whole pixels.
    RECT CardBox(float y) const;
    std::wstring CardLook(int32_t index, float y, bool hovered, FILETIME now);
    bool CardKept(int32_t index, const std::wstring& look, const RECT& box) const;
    void ForgetFarCards();
    // Paints the nearest card around those shown that is not kept; false
    // when there was none (or it failed).
    bool PaintNextRowAhead();
    LRESULT HandleCenterMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Click(float x, float y);
    void DismissRow(int64_t id);
    void OnDeactivated();
    void RetireDismissed(std::vector<NotificationItem>& list) const;
};
