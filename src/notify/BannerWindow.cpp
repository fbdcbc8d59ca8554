#include "notify/BannerWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "render/GlassWindowTree.h"
#include "notify/NotificationHits.h"
#include "notify/NotificationPlacement.h"
#include "platform/Log.h"
#include "platform/WindowBase.h"

namespace {

constexpr wchar_t kBannerClass[] = L"VantreelNotifBannerWindow";

}  // namespace

void BannerWindow::EnsureBannerWindow() {
    if (!window || !IsWindow(window)) {
        window = nullptr;
        target = nullptr;
        HINSTANCE module = shared.Module();
        platform::RegisterWindowClass(module, kBannerClass, &BannerWndProc);
        // No WS_EX_NOREDIRECTIONBITMAP: see the center window.
        CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kBannerClass,
                        L"VantreelNotificationBanner", WS_POPUP, 0, 0, 360, 120, nullptr, nullptr, module, this);
    }
    if (window && shared.host) {
        if (!target) BuildGlassWindowTree(*shared.host, window, 9.0f, GlassStyle::Popup, target, root, glass, sprite);
    }
}

void BannerWindow::PlaceBanners() {
    if (!window || stack.empty()) return;
    const float scale = shared.scale;
    panelWidth = 336.0f;
    panelHeight = BannerPanelHeight(static_cast<int>(stack.size()));
    PanelPlacement place = PlaceBannerPanel(shared.MonitorRect(), scale, panelHeight);
    glass.UpdateTint(shared.config.theme, shared.config.glassOpacity, scale);
    glass.SetBounds(static_cast<float>(place.glassLeft), static_cast<float>(place.glassTop),
                    static_cast<float>(place.glassWidth), static_cast<float>(place.glassHeight), place.cornerRadius);
    shared.ShowPresented(window, place.window, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void BannerWindow::RedrawBanners() {
    CompositionHost* host = shared.host;
    if (!host || !shared.device || !sprite || stack.empty()) return;
    try {
        hits.clear();
        const float scale = shared.scale;
        int w = std::max(RoundPixels(scale * panelWidth), 32);
        int h = std::max(RoundPixels(scale * panelHeight), 32);
        if (FitContentSurface(*host, sprite, w, h, surface, surfaceBrush, surfaceWidth, surfaceHeight) ==
            SurfaceFit::Failed)
            return;
        if (shared.device->dwriteFactory) {
            host->Paint(surface, [&](ID2D1DeviceContext* dc) { PaintBanners(dc); });
        }
        sprite.Offset({kNotificationMarginDip * scale, kNotificationMarginDip * scale, 0.0f});
        sprite.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::RedrawBanners winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void BannerWindow::Show(const std::vector<NotificationItem>& newItems) {
    const ULONGLONG now = shared.system.tickCount();
    AddBanners(stack, newItems, now);
    if (stack.empty()) return;
    EnsureBannerWindow();
    if (!window || !target) return;
    panelHeight = BannerPanelHeight(static_cast<int>(stack.size()));
    glass.UpdateTint(shared.config.theme, shared.config.glassOpacity, shared.scale);
    RedrawBanners();
    PlaceBanners();
    visible = true;
    SetTimer(window, kTimer, 250, nullptr);
    // Stamped with the clock the banners expire by.
    LogMessage(L"Banners shown: %u at tick %llu", static_cast<unsigned>(stack.size()), now);
}

void BannerWindow::Hide() {
    stack.clear();
    hoverId = 0;
    hoverIndex = -1;
    hovered = false;
    if (!visible) return;
    visible = false;
    LogMessage(L"Banners hidden at tick %llu", shared.system.tickCount());
    if (window && IsWindow(window)) {
        KillTimer(window, kTimer);
        ShowWindow(window, SW_HIDE);
    }
    surface = nullptr;
    surfaceBrush = nullptr;
    surfaceWidth = surfaceHeight = 0;
    if (sprite) sprite.Brush(nullptr);
}

void BannerWindow::Restyle() {
    if (!visible || !window) return;
    glass.UpdateTint(shared.config.theme, shared.config.glassOpacity, shared.scale);
    RedrawBanners();
    PlaceBanners();
}

void BannerWindow::Destroy() {
    if (window && IsWindow(window)) {
        KillTimer(window, kTimer);
        DestroyWindow(window);
    }
    window = nullptr;
    target = nullptr;
    root = nullptr;
    surface = nullptr;
    surfaceBrush = nullptr;
}

void BannerWindow::Remove(int index, bool activate) {
    if (index < 0 || index >= static_cast<int>(stack.size())) return;
    NotificationItem removed = stack[index].item;
    stack.erase(stack.begin() + index);
    hoverId = 0;
    hoverIndex = -1;
    if (stack.empty()) {
        Hide();
    } else {
        panelHeight = BannerPanelHeight(static_cast<int>(stack.size()));
        RedrawBanners();
        PlaceBanners();
    }
    if (activate) shared.system.activate(removed);
}

void BannerWindow::ExpireTick() {
    if (!visible) return;
    if (hovered) {
        const uint64_t now = shared.system.tickCount();
        // Said once all of them are due: without the pointer they would be gone.
        const bool due = AllBannersDue(stack, now);
        if (due && !heldLogged) LogMessage(L"Banners: kept past their time under the pointer at tick %llu", now);
        heldLogged = due;
        return;
    }
    heldLogged = false;
    if (!ExpireBanners(stack, shared.system.tickCount())) return;
    if (stack.empty()) {
        Hide();
        return;
    }
    panelHeight = BannerPanelHeight(static_cast<int>(stack.size()));
    RedrawBanners();
    PlaceBanners();
}

const platform::WindowBinding<BannerWindow> BannerWindow::kWindowBinding{
    L"BannerWindow::HandleBannerMessage", &BannerWindow::window,
    platform::MessageHandler<&BannerWindow::HandleBannerMessage>};

LRESULT CALLBACK BannerWindow::BannerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return platform::WindowProcedure<kWindowBinding>(hwnd, message, wParam, lParam);
}

LRESULT BannerWindow::HandleBannerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = window;
    if (message == WM_NCDESTROY) {
        window = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const float x = static_cast<float>(GET_X_LPARAM(lParam)) / shared.scale - kNotificationMarginDip;
    const float y = static_cast<float>(GET_Y_LPARAM(lParam)) / shared.scale - kNotificationMarginDip;
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_TIMER:
            if (wParam == kTimer) {
                ExpireTick();
                shared.Present();
            }
            return 0;
        case WM_MOUSEMOVE: {
            if (!mouseTracking) {
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
                mouseTracking = TrackMouseEvent(&track) != FALSE;
            }
            if (!hovered) LogMessage(L"Banners: pointer over at tick %llu", shared.system.tickCount());
            hovered = true;
            if (TrackHover(hits, x, y, hoverId, hoverIndex)) {
                RedrawBanners();
                shared.Present();
            }
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            const HitItem* hit = FindHitItem(hits, x, y);
            if (hit) {
                bool activate = message == WM_LBUTTONUP && hit->id == kHitBanner;
                Remove(hit->index, activate);
                shared.Present();
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            LogMessage(L"Banners: pointer left at tick %llu", shared.system.tickCount());
            mouseTracking = false;
            hovered = false;
            if (hoverId != 0 || hoverIndex != -1) {
                hoverId = 0;
                hoverIndex = -1;
                RedrawBanners();
                shared.Present();
            }
            // Whatever ran out while the pointer rested goes on the next tick.
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
