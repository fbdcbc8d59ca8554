#include "notify/NotificationCenterPanel.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "notify/CenterLayout.h"
#include "notify/NotificationHits.h"
#include "notify/NotificationPlacement.h"
#include "platform/Log.h"
#include "platform/WindowBase.h"
#include "render/GlassWindowTree.h"

namespace {

constexpr wchar_t kCenterClass[] = L"VantreelNotifCenterWindow";

}  // namespace

void NotificationCenterPanel::RetireDismissed(std::vector<NotificationItem>& list) const {
    if (dismissedIds.empty()) return;
    std::erase_if(list, [this](const NotificationItem& item) { return dismissedIds.count(item.id) != 0; });
}

void NotificationCenterPanel::EnsureCenterWindow() {
    if (!window || !IsWindow(window)) {
        window = nullptr;
        target = nullptr;
        HINSTANCE module = shared.Module();
        platform::RegisterWindowClass(module, kCenterClass, &CenterWndProc);
        // Our compositor presents with UpdateLayeredWindow, which needs the
        // window's own redirection surface: no WS_EX_NOREDIRECTIONBITMAP here.
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCenterClass, L"VantreelNotificationCenter", WS_POPUP, 0, 0,
                        380, 320, nullptr, nullptr, module, this);
    }
    if (window && shared.host) {
        if (!target) BuildGlassWindowTree(*shared.host, window, 9.0f, GlassStyle::Panel, target, root, glass, sprite);
    }
}

void NotificationCenterPanel::LayoutCenter() {
    int workHeight = -1;
    shared.MonitorRect(nullptr, &workHeight);
    CenterLayout layout = LayoutCenterPanel(workHeight, shared.scale, static_cast<int32_t>(items.size()), scrollRow);
    panelWidth = layout.panelWidth;
    panelHeight = layout.panelHeight;
    visibleRows = layout.visibleRows;
    scrollRow = layout.scrollRow;
}

void NotificationCenterPanel::PlaceCenter() {
    if (!window) return;
    const float scale = shared.scale;
    PanelPlacement place = PlaceCenterPanel(shared.MonitorRect(), scale, panelWidth, panelHeight);
    glass.UpdateTint(shared.config.theme, shared.config.glassOpacity, scale);
    glass.SetBounds(static_cast<float>(place.glassLeft), static_cast<float>(place.glassTop),
                    static_cast<float>(place.glassWidth), static_cast<float>(place.glassHeight), place.cornerRadius);
    shared.ShowPresented(window, place.window, SWP_SHOWWINDOW);
}

void NotificationCenterPanel::Show(const std::vector<NotificationItem>& list, bool quiet) {
    items = list;
    RetireDismissed(items);
    doNotDisturb = quiet;
    scrollRow = 0;
    hoverId = 0;
    hoverIndex = -1;
    EnsureCenterWindow();
    if (!window || !target) return;
    LayoutCenter();
    // The painters take their colours from the glass's tint.
    glass.UpdateTint(shared.config.theme, shared.config.glassOpacity, shared.scale);
    RedrawCenter();
    PlaceCenter();
    visible = true;
    shownAt = shared.system.tickCount();
    SetTimer(window, kTimer, 30000, nullptr);
    AllowSetForegroundWindow(ASFW_ANY);
    SetForegroundWindow(window);
    SetFocus(window);
}

void NotificationCenterPanel::UpdateItems(const std::vector<NotificationItem>& list, bool quiet) {
    items = list;
    RetireDismissed(items);
    doNotDisturb = quiet;
    if (!visible || !window || !IsWindow(window)) return;
    try {
        LayoutCenter();
        RedrawCenter();
        PlaceCenter();
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::RedrawCenter winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterPanel::Restyle() {
    if (!visible || !window) return;
    glass.UpdateTint(shared.config.theme, shared.config.glassOpacity, shared.scale);
    LayoutCenter();
    RedrawCenter();
    PlaceCenter();
}

void NotificationCenterPanel::Hide() {
    if (!visible) return;
    visible = false;
    hoverId = 0;
    hoverIndex = -1;
    if (window && IsWindow(window)) {
        KillTimer(window, kTimer);
        KillTimer(window, kGraceTimer);
        ShowWindow(window, SW_HIDE);
    }
    surface = nullptr;
    surfaceBrush = nullptr;
    surfaceWidth = surfaceHeight = 0;
    cards.Forget();
    if (sprite) sprite.Brush(nullptr);
    if (callbacks.onHidden) callbacks.onHidden();
}

void NotificationCenterPanel::Destroy() {
    if (window && IsWindow(window)) {
        KillTimer(window, kTimer);
        KillTimer(window, kGraceTimer);
        DestroyWindow(window);
    }
    window = nullptr;
    target = nullptr;
    root = nullptr;
    surface = nullptr;
    surfaceBrush = nullptr;
}

void NotificationCenterPanel::DismissRow(int64_t id) {
    // The owner's answer may come later or never: the row goes now, for good.
    dismissedIds.insert(id);
    RetireDismissed(items);
    if (callbacks.onDismiss) callbacks.onDismiss(id);
}

void NotificationCenterPanel::Click(float x, float y) {
    if (x < 0 || x > panelWidth || y < 0 || y > panelHeight) {
        Hide();
        return;
    }
    const HitItem* hit = FindHitItem(hits, x, y);
    if (!hit) return;
    const int32_t id = hit->id;
    const int32_t index = hit->index;
    const bool validRow = index >= 0 && index < static_cast<int32_t>(items.size());
    switch (id) {
        case kHitDoNotDisturb:
            if (callbacks.onSetDoNotDisturb) callbacks.onSetDoNotDisturb(!doNotDisturb);
            break;
        case kHitClearAll:
            // What is listed goes now and for good, by id, like a dismissed row:
            // a stamp ahead of the clock would outlast the owner's watermark.
            for (const NotificationItem& item : items) dismissedIds.insert(item.id);
            items.clear();
            if (callbacks.onClearAll) callbacks.onClearAll();
            break;
        case kHitCard: {
            if (!validRow) return;
            // A copy: the owner's dismiss replaces the list under us.
            NotificationItem clicked = items[index];
            DismissRow(clicked.id);
            Hide();
            shared.system.activate(clicked);
            return;
        }
        case kHitCardClose:
            if (!validRow) return;
            DismissRow(items[index].id);
            break;
        case kHitSettings:
            Hide();
            shared.system.shellOpen(L"ms-settings:notifications");
            return;
        case kHitSystemPanel:
            Hide();
            shared.system.sendWinKeyChord('N');
            return;
        default:
            return;
    }
    if (visible) {
        LayoutCenter();
        RedrawCenter();
        PlaceCenter();
    }
}

void NotificationCenterPanel::OnDeactivated() {
    if (!visible) return;
    uint64_t elapsed = shared.system.tickCount() - shownAt;
    if (elapsed >= kDeactivationGraceMs) {
        Hide();
        return;
    }
    // Too early to tell a real switch from the click that opened us: look
    // again once the grace time is over.
    SetTimer(window, kGraceTimer, static_cast<UINT>(kDeactivationGraceMs - elapsed), nullptr);
}

const platform::WindowBinding<NotificationCenterPanel> NotificationCenterPanel::kWindowBinding{
    L"NotificationCenterPanel::HandleCenterMessage", &NotificationCenterPanel::window,
    platform::MessageHandler<&NotificationCenterPanel::HandleCenterMessage>};

LRESULT CALLBACK NotificationCenterPanel::CenterWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return platform::WindowProcedure<kWindowBinding>(hwnd, message, wParam, lParam);
}

LRESULT NotificationCenterPanel::HandleCenterMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = window;
    if (message == WM_NCDESTROY) {
        window = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const float x = static_cast<float>(GET_X_LPARAM(lParam)) / shared.scale - kNotificationMarginDip;
    const float y = static_cast<float>(GET_Y_LPARAM(lParam)) / shared.scale - kNotificationMarginDip;
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) OnDeactivated();
            return 0;
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            Hide();
            return 0;
        case WM_TIMER:
            if (wParam == kTimer) {
                if (visible) RedrawCenter();
                shared.Present();
            } else if (wParam == kGraceTimer) {
                KillTimer(hwnd, kGraceTimer);
                if (visible && shared.system.foregroundWindow() != window) OnDeactivated();
            }
            return 0;
        case WM_MOUSEMOVE: {
            if (!mouseTracking) {
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
                mouseTracking = TrackMouseEvent(&track) != FALSE;
            }
            if (TrackHover(hits, x, y, hoverId, hoverIndex)) {
                RedrawCenter();
                shared.Present();
            }
            return 0;
        }
        case WM_LBUTTONUP:
            Click(x, y);
            shared.Present();
            return 0;
        case WM_MOUSEWHEEL: {
            int32_t next = ScrollAfterWheel(scrollRow, GET_WHEEL_DELTA_WPARAM(wParam),
                                            static_cast<int32_t>(items.size()), visibleRows);
            if (next != scrollRow) {
                scrollRow = next;
                RedrawCenter();
                shared.Present();
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            mouseTracking = false;
            if (hoverId != 0 || hoverIndex != -1) {
                hoverId = 0;
                hoverIndex = -1;
                RedrawCenter();
                shared.Present();
            }
            return 0;
        case kPaintAheadMessage:
            // One card per message, so that input waits for one card at most.
            paintAheadPosted = false;
            if (PaintNextRowAhead()) paintAheadPosted = PostMessageW(hwnd, kPaintAheadMessage, 0, 0) != FALSE;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
