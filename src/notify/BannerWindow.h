#pragma once
// The window of the banner stack: new toasts shown briefly at the top right,
// without ever taking the focus, kept while the pointer rests on them, gone by
// a click or by time. Its content is glass behind one sprite with a Direct2D
// drawing surface.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/WindowBase.h"
#include "notify/BannerStack.h"
#include "notify/NotificationContext.h"
#include "notify/NotificationItem.h"
#include "render/HitItem.h"

class BannerWindow {
public:
    explicit BannerWindow(NotificationContext& shared) : shared(shared) {}
    BannerWindow(const BannerWindow&) = delete;
    BannerWindow& operator=(const BannerWindow&) = delete;

    // Adds the items to the stack and shows it with the shared monitor,
    // settings and scale; a failure of the compositor goes to the caller.
    void Show(const std::vector<NotificationItem>& newItems);
    void Hide();
    // Redraws a visible stack with the shared settings and scale.
    void Restyle();
    void Destroy();

    void PaintBanners(ID2D1DeviceContext* context);

    NotificationContext& shared;

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
    bool hovered = false;
    bool heldLogged = false;  // said once per hover that the pointer keeps due banners
    float panelWidth = 336.0f;
    float panelHeight = 84.0f;
    int32_t hoverId = 0;
    int32_t hoverIndex = -1;
    std::vector<NotificationBanner> stack;
    std::vector<HitItem> hits;

    static constexpr UINT_PTR kTimer = 1;

    static const platform::WindowBinding<BannerWindow> kWindowBinding;
    // The window class's procedure: kWindowBinding's, under this class's name.
    static LRESULT CALLBACK BannerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void EnsureBannerWindow();
    void PlaceBanners();
    void RedrawBanners();
    LRESULT HandleBannerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Remove(int index, bool activate);
    void ExpireTick();
};
