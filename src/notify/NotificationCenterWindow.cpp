#include "notify/NotificationCenterWindow.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "app/Log.h"
#include "notify/CenterLayout.h"
#include "notify/NotificationHits.h"
#include "notify/NotificationPlacement.h"
#include "system/InputMethods.h"
#include "system/tray/TrayFileIcon.h"

namespace {

constexpr wchar_t kCenterClass[] = L"VantreelNotifCenterWindow";
constexpr wchar_t kBannerClass[] = L"VantreelNotifBannerWindow";
constexpr float kMarginDip = 14.0f;

void RegisterOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name, &existing)) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

// The root, glass and content sprite of one window, built only when the
// window has no tree yet.
void BuildTree(CompositionHost& host, HWND hwnd, comp::DesktopWindowTarget& target, comp::ContainerVisual& root,
               GlassLayer& glass, comp::SpriteVisual& sprite, GlassStyle style) {
    if (target) return;
    target = host.CreateWindowTarget(hwnd);
    if (!target) return;
    root = host.compositor.CreateContainerVisual();
    root.RelativeSizeAdjustment({1.0f, 1.0f});
    target.Root(root);
    glass.Initialize(host, 9.0f, style);
    sprite = host.compositor.CreateSpriteVisual();
    root.Children().InsertAtTop(glass.root);
    root.Children().InsertAtTop(sprite);
}

void Present(CompositionHost* host) {
    if (host) host->compositor.Commit();
}

}  // namespace

NotificationCenterWindow::System::System()
    : tickCount([] { return GetTickCount64(); }),
      systemTime([] {
          FILETIME now = {};
          GetSystemTimeAsFileTime(&now);
          return now;
      }),
      loadFileIcon([](const std::wstring& path, IWICImagingFactory* factory, int edge) {
          return LoadFileIcon(path, factory, edge);
      }),
      shellOpen([](const std::wstring& target) {
          ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      }),
      sendWinKeyChord([](uint16_t key) { return vantreel::SendWinKeyChord(key); }),
      activate([](const NotificationItem& item) { item.Activate(); }),
      foregroundWindow([] { return GetForegroundWindow(); }) {}

NotificationCenterWindow::~NotificationCenterWindow() { Shutdown(); }

const HitItem* NotificationCenterWindow::HitTest(const std::vector<HitItem>& hits, float x, float y) {
    return FindHitItem(hits, x, y);
}

RECT NotificationCenterWindow::MonitorRect(bool* known, int* workHeight) const {
    HMONITOR target = monitor ? monitor : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    bool ok = GetMonitorInfoW(target, &info) != FALSE;
    if (known) *known = ok;
    if (!ok) {
        info.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        info.rcWork = info.rcMonitor;
    }
    if (workHeight) *workHeight = ok ? static_cast<int>(info.rcWork.bottom - info.rcWork.top) : -1;
    return info.rcMonitor;
}

void NotificationCenterWindow::RetireDismissed(std::vector<NotificationItem>& list) const {
    if (dismissedIds.empty()) return;
    std::erase_if(list, [this](const NotificationItem& item) { return dismissedIds.count(item.id) != 0; });
}

// ---- center ----

void NotificationCenterWindow::EnsureCenterWindow() {
    if (!centerWindow || !IsWindow(centerWindow)) {
        centerWindow = nullptr;
        centerTarget = nullptr;
        HINSTANCE module = instance ? instance : GetModuleHandleW(nullptr);
        RegisterOnce(module, kCenterClass, &NotificationCenterWindow::CenterWndProc);
        // Our compositor presents with UpdateLayeredWindow, which needs the
        // window's own redirection surface: no WS_EX_NOREDIRECTIONBITMAP here.
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCenterClass, L"VantreelNotificationCenter", WS_POPUP, 0, 0,
                        380, 320, nullptr, nullptr, module, this);
    }
    if (centerWindow && host) BuildTree(*host, centerWindow, centerTarget, centerRoot, centerGlass, centerSprite,
                                        GlassStyle::Panel);
}

void NotificationCenterWindow::LayoutCenter() {
    int workHeight = -1;
    MonitorRect(nullptr, &workHeight);
    CenterLayout layout =
        LayoutCenterPanel(workHeight, scale, static_cast<int32_t>(items.size()), scrollRow);
    panelWidth = layout.panelWidth;
    panelHeight = layout.panelHeight;
    visibleRows = layout.visibleRows;
    scrollRow = layout.scrollRow;
}

void NotificationCenterWindow::PlaceCenter() {
    if (!centerWindow) return;
    PanelPlacement place = PlaceCenterPanel(MonitorRect(), scale, panelWidth, panelHeight);
    centerGlass.UpdateTint(config.theme, config.glassOpacity, scale);
    centerGlass.SetBounds(static_cast<float>(place.glassLeft), static_cast<float>(place.glassTop),
                          static_cast<float>(place.glassWidth), static_cast<float>(place.glassHeight),
                          place.cornerRadius);
    // The frame goes out before the window shows, so a reopened center never
    // flashes the pixels of its previous opening.
    Present(host);
    SetWindowPos(centerWindow, HWND_TOPMOST, place.window.left, place.window.top,
                 place.window.right - place.window.left, place.window.bottom - place.window.top, SWP_SHOWWINDOW);
}

void NotificationCenterWindow::ShowCenter(HMONITOR onMonitor, const DockConfig& configuration, float newScale,
                                          const std::vector<NotificationItem>& list, bool quiet) {
    if (shutDown) return;
    try {
        HideBanners();
        monitor = onMonitor;
        config = configuration;
        scale = std::max(newScale, 1.0f);
        items = list;
        RetireDismissed(items);
        doNotDisturb = quiet;
        scrollRow = 0;
        hoverId = 0;
        hoverIndex = -1;
        EnsureCenterWindow();
        if (!centerWindow || !centerTarget) return;
        LayoutCenter();
        RedrawCenter();
        PlaceCenter();
        centerVisible = true;
        shownAt = system.tickCount();
        SetTimer(centerWindow, kCenterTimer, 30000, nullptr);
        AllowSetForegroundWindow(ASFW_ANY);
        SetForegroundWindow(centerWindow);
        SetFocus(centerWindow);
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::ShowCenter winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::UpdateItems(const std::vector<NotificationItem>& list, bool quiet) {
    items = list;
    RetireDismissed(items);
    doNotDisturb = quiet;
    if (!centerVisible || !centerWindow || !IsWindow(centerWindow)) return;
    try {
        LayoutCenter();
        RedrawCenter();
        PlaceCenter();
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::RedrawCenter winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::HideCenter() {
    if (!centerVisible) return;
    centerVisible = false;
    hoverId = 0;
    hoverIndex = -1;
    if (centerWindow && IsWindow(centerWindow)) {
        KillTimer(centerWindow, kCenterTimer);
        KillTimer(centerWindow, kCenterGraceTimer);
        ShowWindow(centerWindow, SW_HIDE);
    }
    centerSurface = nullptr;
    centerSurfaceBrush = nullptr;
    centerSurfaceWidth = centerSurfaceHeight = 0;
    if (centerSprite) centerSprite.Brush(nullptr);
    if (callbacks.onHidden) callbacks.onHidden();
}

void NotificationCenterWindow::UpdateConfig(const DockConfig& configuration, float newScale) {
    config = configuration;
    scale = std::max(newScale, 1.0f);
    try {
        if (centerVisible && centerWindow) {
            centerGlass.UpdateTint(config.theme, config.glassOpacity, scale);
            LayoutCenter();
            RedrawCenter();
            PlaceCenter();
        }
        if (bannersVisible && bannerWindow) {
            bannerGlass.UpdateTint(config.theme, config.glassOpacity, scale);
            RedrawBanners();
            PlaceBanners();
        }
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::UpdateConfig winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::Shutdown() {
    if (shutDown) return;
    shutDown = true;
    // Runs from the destructor too: nothing may escape.
    try {
        HideCenter();
    } catch (...) {
    }
    try {
        HideBanners();
    } catch (...) {
    }
    if (centerWindow && IsWindow(centerWindow)) {
        KillTimer(centerWindow, kCenterTimer);
        KillTimer(centerWindow, kCenterGraceTimer);
        DestroyWindow(centerWindow);
    }
    if (bannerWindow && IsWindow(bannerWindow)) {
        KillTimer(bannerWindow, kBannerTimer);
        DestroyWindow(bannerWindow);
    }
    centerWindow = nullptr;
    bannerWindow = nullptr;
    centerTarget = nullptr;
    centerRoot = nullptr;
    centerSurface = nullptr;
    centerSurfaceBrush = nullptr;
    bannerTarget = nullptr;
    bannerRoot = nullptr;
    bannerSurface = nullptr;
    bannerSurfaceBrush = nullptr;
}

void NotificationCenterWindow::RedrawCenter() {
    if (!host || !device || !centerSprite) return;
    try {
        centerHits.clear();
        int w = std::max(RoundPixels(scale * panelWidth), 32);
        int h = std::max(RoundPixels(scale * panelHeight), 32);
        if (!centerSurface || w != centerSurfaceWidth || h != centerSurfaceHeight) {
            centerSurface = host->CreateDrawingSurface(w, h);
            if (!centerSurface) return;
            centerSurfaceWidth = w;
            centerSurfaceHeight = h;
            centerSurfaceBrush = host->compositor.CreateSurfaceBrush(centerSurface);
            centerSurfaceBrush.Stretch(comp::CompositionStretch::Fill);
            centerSprite.Brush(centerSurfaceBrush);
        }
        if (device->dwriteFactory && device->d2dFactory) {
            FILETIME now = system.systemTime();
            host->Paint(centerSurface, [&](ID2D1DeviceContext* context) { PaintCenter(context, now); });
        }
        centerSprite.Offset({kMarginDip * scale, kMarginDip * scale, 0.0f});
        centerSprite.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::RedrawCenter winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::DismissRow(int64_t id) {
    // The owner's answer may come later or never: the row goes now, for good.
    dismissedIds.insert(id);
    RetireDismissed(items);
    if (callbacks.onDismiss) callbacks.onDismiss(id);
}

void NotificationCenterWindow::ClickCenter(float x, float y) {
    if (x < 0 || x > panelWidth || y < 0 || y > panelHeight) {
        HideCenter();
        return;
    }
    const HitItem* hit = HitTest(centerHits, x, y);
    if (!hit) return;
    const int32_t id = hit->id;
    const int32_t index = hit->index;
    const bool validRow = index >= 0 && index < static_cast<int32_t>(items.size());
    switch (id) {
    case kHitDoNotDisturb:
        if (callbacks.onSetDoNotDisturb) callbacks.onSetDoNotDisturb(!doNotDisturb);
        break;
    case kHitClearAll:
        if (callbacks.onClearAll) callbacks.onClearAll();
        break;
    case kHitCard: {
        if (!validRow) return;
        // A copy: the owner's dismiss replaces the list under us.
        NotificationItem clicked = items[index];
        DismissRow(clicked.id);
        HideCenter();
        system.activate(clicked);
        return;
    }
    case kHitCardClose:
        if (!validRow) return;
        DismissRow(items[index].id);
        break;
    case kHitSettings:
        HideCenter();
        system.shellOpen(L"ms-settings:notifications");
        return;
    case kHitSystemPanel:
        HideCenter();
        system.sendWinKeyChord('N');
        return;
    default:
        return;
    }
    if (centerVisible) {
        LayoutCenter();
        RedrawCenter();
        PlaceCenter();
    }
}

void NotificationCenterWindow::OnCenterDeactivated() {
    if (!centerVisible) return;
    uint64_t elapsed = system.tickCount() - shownAt;
    if (elapsed >= kDeactivationGraceMs) {
        HideCenter();
        return;
    }
    // Too early to tell a real switch from the click that opened us: look
    // again once the grace time is over.
    SetTimer(centerWindow, kCenterGraceTimer, static_cast<UINT>(kDeactivationGraceMs - elapsed), nullptr);
}

LRESULT CALLBACK NotificationCenterWindow::CenterWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<NotificationCenterWindow*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->centerWindow = hwnd;
    }
    auto* self = reinterpret_cast<NotificationCenterWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->centerWindow = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleCenterMessage(message, wParam, lParam);
}

LRESULT NotificationCenterWindow::HandleCenterMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = centerWindow;
    try {
        const float x = static_cast<float>(GET_X_LPARAM(lParam)) / scale - kMarginDip;
        const float y = static_cast<float>(GET_Y_LPARAM(lParam)) / scale - kMarginDip;
        switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) OnCenterDeactivated();
            return 0;
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            HideCenter();
            return 0;
        case WM_TIMER:
            if (wParam == kCenterTimer) {
                if (centerVisible) RedrawCenter();
                Present(host);
            } else if (wParam == kCenterGraceTimer) {
                KillTimer(hwnd, kCenterGraceTimer);
                if (centerVisible && system.foregroundWindow() != centerWindow) OnCenterDeactivated();
            }
            return 0;
        case WM_MOUSEMOVE: {
            if (!centerMouseTracking) {
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
                centerMouseTracking = TrackMouseEvent(&track) != FALSE;
            }
            const HitItem* hit = HitTest(centerHits, x, y);
            int32_t id = hit ? hit->id : 0;
            int32_t index = hit ? hit->index : -1;
            if (id != hoverId || index != hoverIndex) {
                hoverId = id;
                hoverIndex = index;
                RedrawCenter();
                Present(host);
            }
            return 0;
        }
        case WM_LBUTTONUP:
            ClickCenter(x, y);
            Present(host);
            return 0;
        case WM_MOUSEWHEEL: {
            int32_t next = ScrollAfterWheel(scrollRow, GET_WHEEL_DELTA_WPARAM(wParam),
                                            static_cast<int32_t>(items.size()), visibleRows);
            if (next != scrollRow) {
                scrollRow = next;
                RedrawCenter();
                Present(host);
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            centerMouseTracking = false;
            if (hoverId != 0 || hoverIndex != -1) {
                hoverId = 0;
                hoverIndex = -1;
                RedrawCenter();
                Present(host);
            }
            return 0;
        default:
            break;
        }
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::HandleCenterMessage error: 0x%08X", static_cast<unsigned>(error.code()));
    } catch (...) {
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---- banners ----

void NotificationCenterWindow::EnsureBannerWindow() {
    if (!bannerWindow || !IsWindow(bannerWindow)) {
        bannerWindow = nullptr;
        bannerTarget = nullptr;
        HINSTANCE module = instance ? instance : GetModuleHandleW(nullptr);
        RegisterOnce(module, kBannerClass, &NotificationCenterWindow::BannerWndProc);
        // No WS_EX_NOREDIRECTIONBITMAP: see the center window.
        CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kBannerClass,
                        L"VantreelNotificationBanner", WS_POPUP, 0, 0, 360, 120, nullptr, nullptr, module, this);
    }
    if (bannerWindow && host) BuildTree(*host, bannerWindow, bannerTarget, bannerRoot, bannerGlass, bannerSprite,
                                        GlassStyle::Popup);
}

void NotificationCenterWindow::PlaceBanners() {
    if (!bannerWindow || banners.empty()) return;
    bannerPanelWidth = 336.0f;
    bannerPanelHeight = BannerPanelHeight(static_cast<int>(banners.size()));
    PanelPlacement place = PlaceBannerPanel(MonitorRect(), scale, bannerPanelHeight);
    bannerGlass.UpdateTint(config.theme, config.glassOpacity, scale);
    bannerGlass.SetBounds(static_cast<float>(place.glassLeft), static_cast<float>(place.glassTop),
                          static_cast<float>(place.glassWidth), static_cast<float>(place.glassHeight),
                          place.cornerRadius);
    Present(host);
    SetWindowPos(bannerWindow, HWND_TOPMOST, place.window.left, place.window.top,
                 place.window.right - place.window.left, place.window.bottom - place.window.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void NotificationCenterWindow::RedrawBanners() {
    if (!host || !device || !bannerSprite || banners.empty()) return;
    try {
        bannerHits.clear();
        int w = std::max(RoundPixels(scale * bannerPanelWidth), 32);
        int h = std::max(RoundPixels(scale * bannerPanelHeight), 32);
        if (!bannerSurface || w != bannerSurfaceWidth || h != bannerSurfaceHeight) {
            bannerSurface = host->CreateDrawingSurface(w, h);
            if (!bannerSurface) return;
            bannerSurfaceWidth = w;
            bannerSurfaceHeight = h;
            bannerSurfaceBrush = host->compositor.CreateSurfaceBrush(bannerSurface);
            bannerSurfaceBrush.Stretch(comp::CompositionStretch::Fill);
            bannerSprite.Brush(bannerSurfaceBrush);
        }
        if (device->dwriteFactory) {
            host->Paint(bannerSurface, [&](ID2D1DeviceContext* context) { PaintBanners(context); });
        }
        bannerSprite.Offset({kMarginDip * scale, kMarginDip * scale, 0.0f});
        bannerSprite.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::RedrawBanners winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::ShowBanners(const std::vector<NotificationItem>& newItems, HMONITOR onMonitor,
                                           const DockConfig& configuration, float newScale) {
    if (newItems.empty() || centerVisible || shutDown) return;
    try {
        monitor = onMonitor;
        config = configuration;
        scale = std::max(newScale, 1.0f);
        AddBanners(banners, newItems, system.tickCount());
        if (banners.empty()) return;
        EnsureBannerWindow();
        if (!bannerWindow || !bannerTarget) return;
        bannerPanelHeight = BannerPanelHeight(static_cast<int>(banners.size()));
        RedrawBanners();
        PlaceBanners();
        bannersVisible = true;
        SetTimer(bannerWindow, kBannerTimer, 250, nullptr);
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::ShowBanners winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::HideBanners() {
    banners.clear();
    bannerHoverId = 0;
    bannerHoverIndex = -1;
    bannerHovered = false;
    if (!bannersVisible) return;
    bannersVisible = false;
    if (bannerWindow && IsWindow(bannerWindow)) {
        KillTimer(bannerWindow, kBannerTimer);
        ShowWindow(bannerWindow, SW_HIDE);
    }
    bannerSurface = nullptr;
    bannerSurfaceBrush = nullptr;
    bannerSurfaceWidth = bannerSurfaceHeight = 0;
    if (bannerSprite) bannerSprite.Brush(nullptr);
}

void NotificationCenterWindow::RemoveBanner(int index, bool activate) {
    if (index < 0 || index >= static_cast<int>(banners.size())) return;
    NotificationItem removed = banners[index].item;
    banners.erase(banners.begin() + index);
    bannerHoverId = 0;
    bannerHoverIndex = -1;
    if (banners.empty()) {
        HideBanners();
    } else {
        bannerPanelHeight = BannerPanelHeight(static_cast<int>(banners.size()));
        RedrawBanners();
        PlaceBanners();
    }
    if (activate) system.activate(removed);
}

void NotificationCenterWindow::ExpireBannerTick() {
    if (!bannersVisible || bannerHovered) return;
    if (!ExpireBanners(banners, system.tickCount())) return;
    if (banners.empty()) {
        HideBanners();
        return;
    }
    bannerPanelHeight = BannerPanelHeight(static_cast<int>(banners.size()));
    RedrawBanners();
    PlaceBanners();
}

LRESULT CALLBACK NotificationCenterWindow::BannerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<NotificationCenterWindow*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->bannerWindow = hwnd;
    }
    auto* self = reinterpret_cast<NotificationCenterWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->bannerWindow = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleBannerMessage(message, wParam, lParam);
}

LRESULT NotificationCenterWindow::HandleBannerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = bannerWindow;
    try {
        const float x = static_cast<float>(GET_X_LPARAM(lParam)) / scale - kMarginDip;
        const float y = static_cast<float>(GET_Y_LPARAM(lParam)) / scale - kMarginDip;
        switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_TIMER:
            if (wParam == kBannerTimer) {
                ExpireBannerTick();
                Present(host);
            }
            return 0;
        case WM_MOUSEMOVE: {
            if (!bannerMouseTracking) {
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd, 0};
                bannerMouseTracking = TrackMouseEvent(&track) != FALSE;
            }
            bannerHovered = true;
            const HitItem* hit = HitTest(bannerHits, x, y);
            int32_t id = hit ? hit->id : 0;
            int32_t index = hit ? hit->index : -1;
            if (id != bannerHoverId || index != bannerHoverIndex) {
                bannerHoverId = id;
                bannerHoverIndex = index;
                RedrawBanners();
                Present(host);
            }
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            const HitItem* hit = HitTest(bannerHits, x, y);
            if (hit) {
                bool activate = message == WM_LBUTTONUP && hit->id == kHitBanner;
                RemoveBanner(hit->index, activate);
                Present(host);
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            bannerMouseTracking = false;
            bannerHovered = false;
            if (bannerHoverId != 0 || bannerHoverIndex != -1) {
                bannerHoverId = 0;
                bannerHoverIndex = -1;
                RedrawBanners();
                Present(host);
            }
            // Whatever ran out while the pointer rested goes on the next tick.
            return 0;
        default:
            break;
        }
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::HandleBannerMessage error: 0x%08X", static_cast<unsigned>(error.code()));
    } catch (...) {
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
