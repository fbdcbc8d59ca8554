// The bar's window procedure: status and app-bar messages, hover, clicks,
// right clicks and the wheel. The bar never takes activation; menus run
// modally inside the click that opened them.
#include <windowsx.h>

#include <algorithm>

#include "platform/Log.h"
#include "topbar/TopBarMenus.h"
#include "topbar/TopBarWindow.h"

namespace {

constexpr UINT_PTR kStatusTimer = 1;

// The panel a left click on a status item opens; None for other items.
PopoverKind PopoverKindForItem(int32_t id) {
    switch (id) {
        case kTopBarSound:
            return PopoverKind::Sound;
        case kTopBarNetwork:
            return PopoverKind::Wifi;
        case kTopBarBluetooth:
            return PopoverKind::Bluetooth;
        case kTopBarBattery:
            return PopoverKind::Battery;
        case kTopBarControlCenter:
            return PopoverKind::ControlCenter;
        case kTopBarClock:
            return PopoverKind::Calendar;
        case kTopBarTrayOverflow:
            return PopoverKind::TrayApps;
        default:
            return PopoverKind::None;
    }
}

}  // namespace

const platform::WindowBinding<TopBarWindow> TopBarWindow::kWindowBinding{
    L"TopBarWindow::HandleMessage", &TopBarWindow::window, platform::MessageHandler<&TopBarWindow::HandleMessage>};

LRESULT TopBarWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A nested menu loop may shut the bar down under this very message.
    HWND hwnd = window;
    switch (message) {
        case WM_TOPBAR_STATUS_READY:
            ConsumeAsyncStatus();
            if (statusWantedAgain && !busyFlag->load()) {
                statusWantedAgain = false;
                RefreshStatusAsync();
            }
            return 0;
        case WM_TOPBAR_NOTIFICATIONS_READY:
            TakeNotifications();
            return 0;
        case WM_TOPBAR_REDRAW:
            redrawPosted = false;
            Redraw();
            return 0;
        case WM_TOPBAR_APPBAR_NOTIFY:
            if (wParam == ABN_POSCHANGED) {
                UpdatePosition();
            } else if (wParam == ABN_FULLSCREENAPP) {
                SetShellFullscreen(lParam != 0);
            }
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_TIMER:
            if (wParam == kStatusTimer && showTopBar) StatusTick();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return 0;
        case WM_LBUTTONUP: {
            const int hit = HitTest(static_cast<float>(GET_X_LPARAM(lParam)) / scale,
                                    static_cast<float>(GET_Y_LPARAM(lParam)) / scale);
            if (hit >= 0) OnItemClick(TopBarItem(items[hit]));
            return 0;
        }
        case WM_RBUTTONUP:
            if (menu && OnRightClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) return 0;
            break;
        case WM_MOUSEWHEEL:
            if (OnWheel(wParam, lParam)) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void TopBarWindow::OnMouseMove(int x, int y) {
    if (!trackingMouse) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = window;
        track.dwHoverTime = 0;
        TrackMouseEvent(&track);
        trackingMouse = true;
    }
    const int hit = HitTest(static_cast<float>(x) / scale, static_cast<float>(y) / scale);
    const int32_t hovered = hit >= 0 ? items[hit].id : 0;
    if (hovered == hoveredItemId) return;
    hoveredItemId = hovered;
    Redraw();
}

void TopBarWindow::OnMouseLeave() {
    trackingMouse = false;
    if (hoveredItemId == 0) return;
    hoveredItemId = 0;
    Redraw();
}

bool TopBarWindow::OnWheel(WPARAM wParam, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window, &point);
    const int hit = HitTest(static_cast<float>(point.x) / scale, static_cast<float>(point.y) / scale);
    if (hit < 0 || items[hit].id != kTopBarSound) return false;
    const float delta = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 0.04f : -0.04f;
    actions.adjustVolumeBy(delta);
    // Shown at once; the muted flag waits for the next full status.
    status.volume = std::clamp(status.volume + delta, 0.0f, 1.0f);
    RefreshStatusAsync();
    Redraw();
    return true;
}

void TopBarWindow::OnItemClick(const TopBarItem& item) {
    const int32_t id = item.id;
    LogMessage(L"TopBar click id=%d", id);
    if (id == kTopBarNotifications) {
        popover.Hide();
        if (center.CenterVisible()) {
            center.HideCenter();
        } else {
            ShowNotificationCenter();
        }
        return;
    }
    if (id == kTopBarTrayToggle) {
        popover.Hide();
        center.HideCenter();
        ToggleTrayCollapsed();
        return;
    }
    if (id >= kTopBarTrayIconBase) {
        popover.Hide();
        center.HideCenter();
        const size_t index = static_cast<size_t>(id - kTopBarTrayIconBase);
        if (index < shownTrayIcons.size()) {
            const TrayIconInfo icon = shownTrayIcons[index];
            actions.activateTrayIcon(icon);
        }
        return;
    }
    if (id == kTopBarInputMethod) {
        popover.Hide();
        actions.toggleInputMode(foreground.hwnd);
        status.inputIndicator = system.inputIndicator(foreground.hwnd);
        Redraw();
        return;
    }
    const PopoverKind kind = PopoverKindForItem(id);
    if (kind != PopoverKind::None) {
        // A second click on the same item closes its panel; a click on another
        // status item switches the open panel in place.
        if (popover.visible && popover.kind == kind) {
            popover.Hide();
            return;
        }
        // The panel first: the item's highlight follows it with the next commit.
        activeItemId = id;
        popover.Show(kind, monitor, BarAnchorAt(monitorRect, item.right, scale), config, scale);
        Redraw();
        return;
    }
    if (id >= kTopBarLogo && id <= kTopBarGoMenu) OpenLeftMenu(item);
}

bool TopBarWindow::OnRightClick(int x, int y) {
    const float dipX = static_cast<float>(x) / scale;
    const float dipY = static_cast<float>(y) / scale;
    const int hit = HitTest(dipX, dipY);
    LogMessage(L"TopBar rbutton dip=(%.1f,%.1f) idx=%d id=%d", dipX, dipY, hit, hit >= 0 ? items[hit].id : -1);
    if (hit < 0) return false;
    const TopBarItem item = items[hit];
    popover.Hide();
    const POINT anchor = BarRightClickAnchor(monitorRect, item.right, scale);
    // Right-click menus belong to no item: no highlight and no onPopupClosed.
    if (item.id == kTopBarInputMethod) {
        ShowInputMenu(anchor);
        return true;
    }
    if (item.id == kTopBarNotifications) {
        ShowNotificationMenu(anchor);
        return true;
    }
    if (item.id == kTopBarTrayToggle) {
        ShowTrayToggleMenu(anchor);
        return true;
    }
    if (item.id >= kTopBarTrayIconBase) {
        const size_t index = static_cast<size_t>(item.id - kTopBarTrayIconBase);
        if (index >= shownTrayIcons.size()) return false;
        ShowTrayIconMenu(anchor, index);
        return true;
    }
    return false;
}
