#include "notify/NotificationCenterWindow.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "apps/ShortcutChain.h"
#include "notify/CenterLayout.h"
#include "notify/NotificationHits.h"
#include "notify/NotificationPlacement.h"
#include "notify/NotificationSource.h"
#include "config/Paths.h"
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
          if (!ShortcutChainIsSafe(target)) return;
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

void NotificationCenterWindow::ShowPresented(HWND window, const RECT& rect, UINT flags) {
    // A hidden window takes its place first and shows only with its new frame
    // presented at that size, so it never flashes the pixels of its previous
    // opening.
    if (!IsWindowVisible(window)) {
        SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOACTIVATE);
    }
    Present(host);
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, flags);
    // A shown window that changed size presents again at the new one.
    Present(host);
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
    ShowPresented(centerWindow, place.window, SWP_SHOWWINDOW);
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
        // The painters take their colours from the glass's tint.
        centerGlass.UpdateTint(config.theme, config.glassOpacity, scale);
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
    ForgetPaintedPixels();
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
            if (reusePaintedRows) {
                ComposeCenter(now);
            } else {
                host->Paint(centerSurface, [&](ID2D1DeviceContext* context) { PaintCenter(context, now); });
            }
        }
        centerSprite.Offset({kMarginDip * scale, kMarginDip * scale, 0.0f});
        centerSprite.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::RedrawCenter winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

namespace {

// Everything a card's pixels depend on besides the panel's width.
std::wstring RowLook(const NotificationItem& item, const std::wstring& corner, bool hovered, bool dark, float scale,
                     float fractionY, bool hasIcon) {
    wchar_t numbers[96] = {};
    _snwprintf(numbers, 95, L"%lld|%d|%d|%.3f|%.4f|%d", static_cast<long long>(item.id), hovered ? 1 : 0,
               dark ? 1 : 0, static_cast<double>(scale), static_cast<double>(fractionY), hasIcon ? 1 : 0);
    std::wstring look = numbers;
    for (const std::wstring* text : {&item.appName, &item.title, &item.body, &item.exePath, &corner}) {
        look += L'\x1F';
        look += *text;
    }
    return look;
}

// Copies a kept block of pixels into the frame with its top-left at (x, y).
void Place(const raster::Image& block, raster::Image& frame, int x, int y) {
    for (int row = 0; row < block.Height(); ++row) {
        if (y + row < 0 || y + row >= frame.Height()) continue;
        const int from = std::max(0, -x);
        const int to = std::min(block.Width(), frame.Width() - x);
        if (to <= from) continue;
        std::copy(block.Data() + static_cast<size_t>(row) * block.Width() + from,
                  block.Data() + static_cast<size_t>(row) * block.Width() + to,
                  frame.Data() + static_cast<size_t>(y + row) * frame.Width() + x + from);
    }
}

// The block of the frame inside box, into out (sized to the box).
void Cut(const raster::Image& frame, const RECT& box, raster::Image& out) {
    for (int row = 0; row < out.Height(); ++row) {
        const int y = box.top + row;
        if (y < 0 || y >= frame.Height()) continue;
        for (int x = 0; x < out.Width(); ++x) {
            const int fx = box.left + x;
            if (fx >= 0 && fx < frame.Width()) out.At(x, row) = frame.At(fx, y);
        }
    }
}

void Clear(raster::Image& frame, const RECT& box) {
    for (int y = std::max<int>(box.top, 0); y < std::min<int>(box.bottom, frame.Height()); ++y) {
        for (int x = std::max<int>(box.left, 0); x < std::min<int>(box.right, frame.Width()); ++x) frame.At(x, y) = 0;
    }
}

// Kept cards beyond this are dropped, all but those shown.
constexpr size_t kPaintedRowsBudgetBytes = 32u << 20;

}  // namespace

bool NotificationCenterWindow::PaintScratch(int width, int height, int originX, int originY,
                                            const std::function<void(ID2D1DeviceContext*)>& painter,
                                            raster::Image& out) {
    if (!scratchSurface || scratchSurface.SizeInt().cx != width || scratchSurface.SizeInt().cy != height) {
        scratchSurface = host->CreateDrawingSurface(width, height);
        if (!scratchSurface) return false;
    }
    // Whole-pixel shifts keep every edge where it falls on the center's surface.
    const bool painted = host->Paint(scratchSurface, [&](ID2D1DeviceContext* context) {
        D2D1_MATRIX_3X2_F base;
        context->GetTransform(&base);
        context->SetTransform(base * D2D1::Matrix3x2F::Translation(static_cast<float>(-originX),
                                                                   static_cast<float>(-originY)));
        painter(context);
        context->SetTransform(base);
    });
    if (painted) out = scratchSurface.Pixels();
    return painted;
}

void NotificationCenterWindow::ComposeCenter(FILETIME now) {
    const int w = centerSurfaceWidth, h = centerSurfaceHeight;
    const float s = scale;
    const bool dark = centerGlass.dark;
    const int32_t count = static_cast<int32_t>(items.size());
    paintAheadDone = false;
    const CenterHitRects hits = BuildCenterHits(panelWidth, panelHeight, count, scrollRow, visibleRows);
    centerHits = FlattenCenterHits(hits);

    // What each piece looks like now: the chrome (header, empty state and
    // footer, which leave the cards' places clear) and every card shown.
    wchar_t chrome[160] = {};
    _snwprintf(chrome, 159, L"%d|%d|%.3f|%.3f|%.3f|%d|%d|%d|%d|%d", w, h, static_cast<double>(s),
               static_cast<double>(panelWidth), static_cast<double>(panelHeight), count, hoverId,
               hoverIndex == -1 ? hoverId : 0, doNotDisturb ? 1 : 0, dark ? 1 : 0);
    const bool chromeKept = paintedChromeLook == chrome && paintedChrome.Width() == w && paintedChrome.Height() == h;
    struct Card {
        int32_t index;
        float y;
        RECT box;  // pixels of the surface
        std::wstring look;
        bool kept;
    };
    std::vector<Card> cards;
    int missing = 0;
    for (size_t k = 0; k + 1 < hits.rows.size(); k += 2) {
        Card card;
        card.index = hits.rows[k].index;
        card.y = hits.rows[k + 1].top;
        card.box = CardBox(card.y);
        const bool hovered = hoverIndex == card.index && (hoverId == kHitCard || hoverId == kHitCardClose);
        card.look = CardLook(card.index, card.y, hovered, now);
        card.kept = CardKept(card.index, card.look, card.box);
        missing += card.kept ? 0 : 1;
        cards.push_back(std::move(card));
    }

    if (missing >= 2) {
        // Much is new (the first frame, a new list): one paint of everything,
        // from which the pieces are kept.
        if (!host->Paint(centerSurface, [&](ID2D1DeviceContext* context) { PaintCenter(context, now); })) return;
        const raster::Image& whole = centerSurface.Pixels();
        paintedChrome = whole;
        for (const Card& card : cards) {
            PaintedRow& row = paintedRows[items[card.index].id];
            row.pixels.Reset(card.box.right - card.box.left, card.box.bottom - card.box.top);
            Cut(whole, card.box, row.pixels);
            row.look = card.look;
            Clear(paintedChrome, card.box);
        }
        paintedChromeLook = chrome;
    } else {
        if (!chromeKept) {
            paintedChromeLook.clear();
            if (!PaintScratch(w, h, 0, 0, [&](ID2D1DeviceContext* context) { PaintCenterChrome(context); },
                              paintedChrome)) {
                return;
            }
            paintedChromeLook = chrome;
        }
        composedFrame = paintedChrome;
        raster::Image& frame = composedFrame;
        for (const Card& card : cards) {
            PaintedRow& row = paintedRows[items[card.index].id];
            if (!card.kept) {
                row.look.clear();
                if (!PaintScratch(card.box.right - card.box.left, card.box.bottom - card.box.top, card.box.left,
                                  card.box.top,
                                  [&](ID2D1DeviceContext* context) {
                                      PaintCenterRow(context, card.index, card.y, now);
                                  },
                                  row.pixels)) {
                    return;
                }
                row.look = card.look;
            }
            Place(row.pixels, frame, card.box.left, card.box.top);
        }
        host->PaintPixels(centerSurface, frame);
    }

    ForgetFarRows();
    if (centerWindow && !paintAheadPosted) {
        paintAheadPosted = PostMessageW(centerWindow, kPaintAheadMessage, 0, 0) != FALSE;
    }
}

RECT NotificationCenterWindow::CardBox(float y) const {
    const float s = scale;
    return {static_cast<LONG>(std::floor(14.0f * s)) - 1, static_cast<LONG>(std::floor(y * s)) - 1,
            static_cast<LONG>(std::ceil((panelWidth - 14.0f) * s)) + 1,
            static_cast<LONG>(std::ceil((y + 84.0f) * s)) + 1};
}

std::wstring NotificationCenterWindow::CardLook(int32_t index, float y, bool hovered, FILETIME now) {
    const NotificationItem& item = items[index];
    const uint64_t nowValue = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const std::wstring corner = hovered ? std::to_wstring(hoverId) : FormatRelativeTime(item.arrivalTime, nowValue);
    const std::vector<uint8_t>* icon = LoadedIcon(item);
    // Kept cards move by whole pixels only: the part of a pixel where the
    // card starts belongs to its look.
    return RowLook(item, corner, hovered, centerGlass.dark, scale, y * scale - std::floor(y * scale),
                   icon && icon->size() == 32u * 32u * 4u);
}

bool NotificationCenterWindow::CardKept(int32_t index, const std::wstring& look, const RECT& box) const {
    auto found = paintedRows.find(items[index].id);
    return found != paintedRows.end() && found->second.look == look &&
           found->second.pixels.Width() == box.right - box.left && found->second.pixels.Height() == box.bottom - box.top;
}

void NotificationCenterWindow::ForgetFarRows() {
    size_t bytes = 0;
    for (const auto& entry : paintedRows) {
        bytes += static_cast<size_t>(entry.second.pixels.Width()) * entry.second.pixels.Height() * 4;
    }
    if (bytes <= kPaintedRowsBudgetBytes) return;
    // The cards farthest from those shown go first (a row no longer listed is
    // farthest of all); those painted ahead stay, or they would be painted again.
    std::unordered_map<int64_t, int32_t> distance;
    for (const auto& entry : paintedRows) distance[entry.first] = INT32_MAX;
    for (int32_t i = 0; i < static_cast<int32_t>(items.size()); ++i) {
        auto found = distance.find(items[i].id);
        if (found == distance.end()) continue;
        found->second = i < scrollRow ? scrollRow - i : std::max(0, i - (scrollRow + visibleRows - 1));
    }
    std::vector<std::pair<int32_t, int64_t>> farthestFirst;
    for (const auto& [id, away] : distance) farthestFirst.emplace_back(away, id);
    std::sort(farthestFirst.begin(), farthestFirst.end(), std::greater<>());
    for (const auto& [away, id] : farthestFirst) {
        if (bytes <= kPaintedRowsBudgetBytes || away <= kRowsPaintedAhead) break;
        auto found = paintedRows.find(id);
        bytes -= static_cast<size_t>(found->second.pixels.Width()) * found->second.pixels.Height() * 4;
        paintedRows.erase(found);
    }
}

bool NotificationCenterWindow::PaintNextRowAhead() {
    if (!centerVisible || !reusePaintedRows || paintAheadDone || !host || !device || !device->dwriteFactory) {
        return false;
    }
    const int32_t count = static_cast<int32_t>(items.size());
    const CenterHitRects hits = BuildCenterHits(panelWidth, panelHeight, count, scrollRow, visibleRows);
    if (hits.rows.size() < 2) return false;
    // A row above those shown comes in at the top card's place, one below at the bottom card's.
    const int32_t first = hits.rows.front().index;
    const int32_t last = hits.rows[hits.rows.size() - 2].index;
    const float topY = hits.rows[1].top;
    const float bottomY = hits.rows.back().top;
    const FILETIME now = system.systemTime();
    for (int32_t step = 1; step <= kRowsPaintedAhead; ++step) {
        for (const int32_t index : {last + step, first - step}) {
            if (index < 0 || index >= count) continue;
            const float y = index > last ? bottomY : topY;
            const RECT box = CardBox(y);
            // The hover outlives a scroll: a hovered row painted ahead is kept hovered.
            const bool hovered = hoverIndex == index && (hoverId == kHitCard || hoverId == kHitCardClose);
            const std::wstring look = CardLook(index, y, hovered, now);
            if (CardKept(index, look, box)) continue;
            PaintedRow& row = paintedRows[items[index].id];
            row.look.clear();
            if (!PaintScratch(box.right - box.left, box.bottom - box.top, box.left, box.top,
                              [&](ID2D1DeviceContext* context) { PaintCenterRow(context, index, y, now); },
                              row.pixels)) {
                return false;
            }
            row.look = look;
            ForgetFarRows();
            return true;
        }
    }
    paintAheadDone = true;
    return false;
}

void NotificationCenterWindow::ForgetPaintedPixels() {
    paintedRows.clear();
    composedFrame = raster::Image();
    paintedChrome = raster::Image();
    paintedChromeLook.clear();
    scratchSurface = nullptr;
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
        case kPaintAheadMessage:
            // One card per message, so that input waits for one card at most.
            paintAheadPosted = false;
            if (PaintNextRowAhead()) paintAheadPosted = PostMessageW(hwnd, kPaintAheadMessage, 0, 0) != FALSE;
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
    ShowPresented(bannerWindow, place.window, SWP_SHOWWINDOW | SWP_NOACTIVATE);
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
        const ULONGLONG now = system.tickCount();
        AddBanners(banners, newItems, now);
        if (banners.empty()) return;
        EnsureBannerWindow();
        if (!bannerWindow || !bannerTarget) return;
        bannerPanelHeight = BannerPanelHeight(static_cast<int>(banners.size()));
        bannerGlass.UpdateTint(config.theme, config.glassOpacity, scale);
        RedrawBanners();
        PlaceBanners();
        bannersVisible = true;
        SetTimer(bannerWindow, kBannerTimer, 250, nullptr);
        // Stamped with the clock the banners expire by.
        LogMessage(L"Banners shown: %u at tick %llu", static_cast<unsigned>(banners.size()), now);
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
    LogMessage(L"Banners hidden at tick %llu", system.tickCount());
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
    if (!bannersVisible) return;
    if (bannerHovered) {
        const uint64_t now = system.tickCount();
        // Said once all of them are due: without the pointer they would be gone.
        const bool due = AllBannersDue(banners, now);
        if (due && !bannerHeldLogged) LogMessage(L"Banners: kept past their time under the pointer at tick %llu", now);
        bannerHeldLogged = due;
        return;
    }
    bannerHeldLogged = false;
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
            if (!bannerHovered) LogMessage(L"Banners: pointer over at tick %llu", system.tickCount());
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
            LogMessage(L"Banners: pointer left at tick %llu", system.tickCount());
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
