// The drawing side of the dock: one frame's steps, the layout applied to the
// visuals and the input window, icons into item visuals, the shared surfaces,
// the hover label, auto-hide, monitor metrics and device recovery.
#include "dock/DockWindow.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <unordered_map>
#include <utility>

#include "platform/Log.h"
#include "app/StartupLog.h"
#include "dock/DockInputRect.h"
#include "dock/DockVisualPlacement.h"
#include "render/GradientPixels.h"

namespace {

constexpr float kSettleDistance = 0.002f;
constexpr float kSettleVelocity = 0.02f;
constexpr float kLabelFadeRate = 18.0f;

bool SpringUnsettled(const Spring& spring) {
    return std::fabs(spring.target - spring.value) > kSettleDistance || std::fabs(spring.velocity) > kSettleVelocity;
}

std::wstring StyleSuffix(bool mac) { return mac ? L"#mac" : L"#win"; }

D2D1_ROUNDED_RECT Rounded(float left, float top, float right, float bottom, float radius) {
    return D2D1::RoundedRect(D2D1::RectF(left, top, right, bottom), radius, radius);
}

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

UINT EffectiveDpi(HMONITOR monitor) {
    static GetDpiForMonitorFn getDpi = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (getDpi && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x != 0) return x;
    UINT system = GetDpiForSystem();
    return system != 0 ? system : 96;
}

}  // namespace

bool DockWindow::AnythingMoving() const {
    if (SpringUnsettled(magnifySpring) || SpringUnsettled(hideSpring)) return true;
    if (dragging || allApps.IsAnimating()) return true;
    if (AnyLaunchBounceActive(bounces)) return true;
    return LabelTarget() > 0.5f ? labelFade < 0.99f : labelFade > 0.01f;
}

bool DockWindow::IsAnimating() { return !shutDown && (dirty || staleIcons || AnythingMoving()); }

float DockWindow::LabelTarget() const {
    if (unpinIntent) return 1.0f;
    if (dragging || hoverIndex < 0 || hoverIndex >= static_cast<int>(model.items.size())) return 0.0f;
    const DockItem& item = model.items[hoverIndex];
    return item.kind != DockItemKind::Separator && !item.label.empty() ? 1.0f : 0.0f;
}

void DockWindow::Tick(float dt) {
    if (shutDown) return;
    try {
        dirty = false;
        // A window-list refresh may have moved the pressed item.
        if (pressed) ResolvePressedIndex();
        magnifySpring.Step(dt);
        hideSpring.Step(dt);
        if (allApps.IsAnimating()) allApps.Tick(dt);
        StepLaunchBounces(bounces, dt);
        labelFade = ExpApproach(labelFade, LabelTarget(), kLabelFadeRate, dt);
        // A change waiting to be shown goes first: its frame looks nothing up.
        if (!visualsStale) FetchStaleIcons();
        if (CheckDevice()) {
            RebuildVisuals();
        } else if (visualsStale) {
            RebuildVisuals(IconLookup::Later);
        }
        ApplyLayout();
        // Presented now rather than from the posted commit, which would come
        // after whatever paints are waiting (MainLoop.h).
        if (composition.compositor) composition.compositor.Commit();
        if (!IsAnimating()) LogRest();
    } catch (...) {
        platform::LogCaughtException(L"DockWindow::Tick");
    }
}

void DockWindow::LogRest() const {
    if (!IsLogEnabled() || !inputWindow) return;
    RECT input = {};
    GetWindowRect(inputWindow, &input);
    // What holds it where it rests: a dock that rests opened for a drop or
    // magnified under the pointer is not the dock at rest.
    const wchar_t* over = dropIndex >= 0 ? L"a drop" : dragging ? L"a drag" : hovering ? L"the pointer" : L"nothing";
    wchar_t line[128];
    _snwprintf(line, 127, L"Dock at rest: input (%ld,%ld)-(%ld,%ld), %s over it", input.left, input.top, input.right,
               input.bottom, over);
    line[127] = 0;
    // A pointer moving over a magnified dock ends a frame at every move.
    if (loggedRest == line) return;
    loggedRest = line;
    LogMessage(L"%s", line);
}

DockLayoutInput DockWindow::BuildLayoutInput() const {
    DockLayoutInput input;
    input.kinds.reserve(model.items.size());
    for (const auto& item : model.items) input.kinds.push_back(static_cast<int32_t>(item.kind));
    input.screenWidth = screenWidth;
    input.bandHeight = bandHeight;
    input.iconSize = config.iconSize;
    input.bottomMargin = static_cast<float>(config.bottomMargin);
    input.maxWidth = std::max(screenWidth - 64.0f, 280.0f);
    input.magnifyEnabled = config.magnifyEnabled;
    input.magnifyScale = config.magnifyScale;
    input.magnifySigma = config.magnifySigma;
    input.hovering = hovering || magnifySpring.value > 0.005f;
    input.cursorX = cursorX;
    input.magnifyAmount = magnifySpring.value;
    input.dragIndex = dragging ? pressedIndex : -1;
    input.dragOffsetY = dragOffsetY;
    input.dropIndex = dropIndex;
    if (input.dragIndex >= 0) {
        POINT cursor;
        if (GetCursorPos(&cursor)) {
            ScreenToClient(visualWindow, &cursor);
            input.dragX = static_cast<float>(cursor.x) / scale;
        }
    }
    return input;
}

void DockWindow::ApplyLayout() {
    layout = ComputeDockLayout(BuildLayoutInput());
    HitTestStillPointer();
    float p = std::clamp(hideSpring.value, 0.0f, 1.0f);

    DockPlacementInput placement;
    placement.hideProgress = p;
    placement.scale = scale;
    placement.bottomMargin = static_cast<float>(config.bottomMargin);
    DockGlassPlacement glassPlace = PlaceDockVisuals(layout, model.items, itemVisuals, bounces, placement, itemsRoot);
    glass.SetBounds(glassPlace.x, glassPlace.y, glassPlace.width, glassPlace.height, glassPlace.cornerRadius);
    if (glass.root) glass.root.Opacity(glassPlace.opacity);

    DrawOverlay(hoverIndex, layout);
    if (p > 0.25f && labelRoot) labelRoot.Opacity(0.0f);

    if (!inputWindow) return;
    DockInputRectInput rectInput;
    rectInput.layoutX = layout.x;
    rectInput.layoutY = layout.y;
    rectInput.layoutWidth = layout.width;
    rectInput.layoutHeight = layout.height;
    rectInput.iconSize = config.iconSize;
    rectInput.scale = scale;
    rectInput.originX = originX;
    rectInput.originY = originY;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR target = monitor ? monitor : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (GetMonitorInfoW(target, &info)) rectInput.monitor = info.rcMonitor;
    rectInput.hidden = hideSpring.target > 0.5f && p > 0.65f;
    rectInput.reaching = hovering || dragging;
    rectInput.revealed = revealed;
    RECT next = ComputeDockInputRect(rectInput);
    if (!InputRectNearlyEqual(next, inputRect)) inputRect = next;
    // A press holds the capture, so the window gets the pointer wherever it
    // is. Moving a topmost window costs milliseconds, and a drag over a
    // magnified row would pay it at every step: it follows once the press ends.
    if (pressed && GetCapture() == inputWindow) return;
    if (EqualRect(&inputRect, &placedInputRect)) return;
    placedInputRect = inputRect;
    const RECT& r = placedInputRect;
    SetWindowPos(inputWindow, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    taskbarHider.zOrderAnchor = inputWindow;
    taskbarHider.UpdateEdgeGuard();
}

int DockWindow::IconPixelSize() const {
    return std::clamp(static_cast<int>(std::lround(config.iconSize * config.magnifyScale * scale)), 48, 128);
}

void DockWindow::RebuildVisuals(IconLookup lookup) {
    visualsStale = false;
    if (!itemsRoot) return;
    const comp::Compositor& compositor = composition.compositor;
    const int px = IconPixelSize();

    std::unordered_map<uint64_t, DockItemVisual> previous;
    for (auto& visual : itemVisuals) previous[visual.id] = std::move(visual);
    itemVisuals.clear();
    itemsRoot.Children().RemoveAll();

    for (const DockItem& item : model.items) {
        DockItemVisual visual;
        auto found = previous.find(static_cast<uint64_t>(item.id));
        if (found != previous.end()) {
            visual = std::move(found->second);
            previous.erase(found);
        } else {
            visual.id = static_cast<uint64_t>(item.id);
            visual.container = compositor.CreateContainerVisual();
            if (item.kind == DockItemKind::Separator) {
                visual.separator = compositor.CreateSpriteVisual();
                auto brush = compositor.CreateSurfaceBrush();
                if (separatorSurface) brush.Surface(separatorSurface);
                brush.Stretch(comp::CompositionStretch::Fill);
                visual.separator.Brush(brush);
                visual.container.Children().InsertAtTop(visual.separator);
            } else {
                visual.icon = compositor.CreateSpriteVisual();
                visual.indicator = compositor.CreateSpriteVisual();
                visual.indicator.IsVisible(false);
                visual.container.Children().InsertAtTop(visual.icon);
                visual.container.Children().InsertAtTop(visual.indicator);
            }
        }

        UpdateItemIcon(item, visual, px, lookup);
        if (visual.indicator) {
            const bool show = item.kind == DockItemKind::App && item.running;
            visual.indicator.IsVisible(show);
            const comp::CompositionDrawingSurface& pill = item.allMinimized ? pillMinimizedSurface
                                                          : item.active     ? pillActiveSurface
                                                                            : pillRunningSurface;
            if (show && pill) {
                auto brush = compositor.CreateSurfaceBrush(pill);
                brush.Stretch(comp::CompositionStretch::Fill);
                visual.indicator.Brush(brush);
            }
        }
        itemsRoot.Children().InsertAtTop(visual.container);
        itemVisuals.push_back(std::move(visual));
    }
}

void DockWindow::UpdateItemIcon(const DockItem& item, DockItemVisual& visual, int px, IconLookup lookup) {
    if (item.kind == DockItemKind::Separator) return;
    const bool mac = config.useMacIcons;
    const std::wstring style = StyleSuffix(mac);
    const std::wstring size = std::to_wstring(px);
    auto setIcon = [&](const IconSurfaceRef& surface) {
        comp::CompositionDrawingSurface drawing = CompositionSurfaceOf(surface);
        if (!drawing || !visual.icon) return false;
        auto brush = composition.compositor.CreateSurfaceBrush(drawing);
        brush.Stretch(comp::CompositionStretch::Fill);
        visual.icon.Brush(brush);
        return true;
    };
    // The bin's fullness is asked for only when it is looked up.
    std::wstring key = item.kind == DockItemKind::App
                           ? item.key + L"#" + size + (item.windows.empty() ? L"#p" : L"#w") + style
                       : item.kind == DockItemKind::RecycleBin
                           ? std::wstring(visual.binFull ? L"bin_full@" : L"bin_empty@") + size + style
                       : item.kind == DockItemKind::Settings ? L"settings@" + size + style
                                                             : L"launchpad@" + size + style;
    if (lookup == IconLookup::Later) {
        if (key != visual.iconKey) visual.stale = staleIcons = true;
        return;
    }
    const bool stale = std::exchange(visual.stale, false);
    switch (item.kind) {
        case DockItemKind::App:
            if (key == visual.iconKey && !stale) break;
            if (IconSurfaceRef surface = iconLoader.GetIconSurface(item.key, item.path, item.label, px, mac);
                surface && setIcon(surface)) {
                visual.missing = false;
            } else {
                visual.missing = true;
                iconLoader.RequestAsync(item.key, item.path, item.label, px, mac);
            }
            visual.iconKey = key;
            break;
        case DockItemKind::RecycleBin: {
            bool full = false;
            IconSurfaceRef surface = iconLoader.GetRecycleBinSurface(px, mac, &full);
            key = std::wstring(full ? L"bin_full@" : L"bin_empty@") + size + style;
            if ((key != visual.iconKey || full != visual.binFull) && surface && setIcon(surface)) {
                visual.iconKey = key;
                visual.binFull = full;
            }
            break;
        }
        case DockItemKind::Settings:
        case DockItemKind::Launchpad:
            if (key == visual.iconKey) break;
            if (IconSurfaceRef surface = item.kind == DockItemKind::Settings ? iconLoader.GetSettingsSurface(px, mac)
                                                                             : iconLoader.GetLaunchpadSurface(px, mac);
                surface && setIcon(surface)) {
                visual.iconKey = key;
            }
            break;
        case DockItemKind::Separator:
            break;
    }
}

namespace {

// The share of a frame that icons looked up again may take.
constexpr double kIconShareMs = 4.0;

double NowMs() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

void DockWindow::FetchStaleIcons() {
    if (!staleIcons) return;
    const double start = NowMs();
    const int px = IconPixelSize();
    bool looked = false;
    bool left = false;
    const size_t count = std::min(itemVisuals.size(), model.items.size());
    for (size_t i = 0; i < count; ++i) {
        if (!itemVisuals[i].stale) continue;
        // At least one a frame, however slow: a drawing of a new size takes
        // longer than the share, and the icons must come all the same.
        if (looked && NowMs() - start >= kIconShareMs) {
            left = true;
            break;
        }
        looked = true;
        UpdateItemIcon(model.items[i], itemVisuals[i], px, IconLookup::Now);
    }
    staleIcons = left;
    if (!left) NoteIconsReady();
}

void DockWindow::NoteIconsReady() {
    if (!startupIconsPending) return;
    for (const auto& visual : itemVisuals) {
        if (visual.missing || visual.stale) return;
    }
    startupIconsPending = false;
    StartupLog::Mark(L"all dock icons ready");
}

void DockWindow::SyncVisualsAfterReorder() {
    if (itemVisuals.size() != model.items.size()) {
        RebuildVisuals();
        return;
    }
    std::unordered_map<uint64_t, DockItemVisual> byId;
    for (auto& visual : itemVisuals) byId[visual.id] = std::move(visual);
    std::vector<DockItemVisual> ordered;
    ordered.reserve(model.items.size());
    for (const DockItem& item : model.items) {
        auto found = byId.find(static_cast<uint64_t>(item.id));
        if (found == byId.end()) {
            for (auto& entry : byId) ordered.push_back(std::move(entry.second));
            itemVisuals = std::move(ordered);
            RebuildVisuals();
            return;
        }
        ordered.push_back(std::move(found->second));
        byId.erase(found);
    }
    itemVisuals = std::move(ordered);
}

void DockWindow::DrawOverlay(int hoverItem, const DockLayoutResult& result) {
    if (!labelRoot) return;
    const float s = scale;
    const int count = static_cast<int>(std::min(result.items.size(), model.items.size()));
    std::wstring text;
    int item = -1;
    if (unpinIntent && pressedIndex >= 0 && pressedIndex < count) {
        text = L"\u677E\u5F00\u5373\u53EF\u53D6\u6D88\u56FA\u5B9A";  // "release to unpin"
        item = pressedIndex;
    } else if (hoverItem >= 0 && hoverItem < count && !dragging &&
               model.items[hoverItem].kind != DockItemKind::Separator) {
        text = model.items[hoverItem].label;
        item = hoverItem;
    }

    if (!text.empty() && item >= 0) {
        if (text != labelText || !labelSurface) {
            labelText = text;
            labelSurface = labelSurfaces.Find(text, s, glass.dark);
            if (labelSurface) {
                labelSprite.Brush(composition.compositor.CreateSurfaceBrush(labelSurface));
                labelSprite.Size(labelSurface.Size());
                labelRoot.Size(labelSurface.Size());
            }
        }
        if (!labelSurface) {
            labelSurface = PaintLabelSurface(text);
            if (labelSurface) {
                labelSprite.Brush(composition.compositor.CreateSurfaceBrush(labelSurface));
                labelSprite.Size(labelSurface.Size());
                labelRoot.Size(labelSurface.Size());
            }
        }
        if (labelSurface) {
            const DockItemLayout& slot = result.items[item];
            comp::Vector2 size = labelRoot.Size();
            float x = s * slot.centerX - size.x / 2.0f;
            x = std::min(x, s * screenWidth - size.x - 8.0f * s);
            x = std::max(x, 8.0f * s);
            float y = std::max(4.0f * s, s * (slot.centerY - slot.size / 2.0f) - size.y - 10.0f * s);
            labelRoot.Offset({x, y, 0.0f});
        }
    }
    labelRoot.Opacity(labelFade);
}

comp::CompositionDrawingSurface DockWindow::PaintLabelSurface(const std::wstring& text) {
    const float s = scale;
    IDWriteFactory* dwrite = graphics.dwriteFactory.Get();
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> textLayout;
    if (!dwrite ||
        FAILED(dwrite->CreateTextFormat(L"Microsoft YaHei UI", nullptr, DWRITE_FONT_WEIGHT_SEMI_BOLD,
                                        DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, 12.5f * s, L"zh-CN",
                                        &format)) ||
        FAILED(dwrite->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()), format.Get(), 400.0f * s,
                                        40.0f * s, &textLayout))) {
        return comp::CompositionDrawingSurface(nullptr);
    }
    DWRITE_TEXT_METRICS metrics = {};
    textLayout->GetMetrics(&metrics);
    const int width = static_cast<int>(std::lround(24.0f * s + metrics.width));
    const int height = static_cast<int>(std::lround(12.0f * s + metrics.height));
    comp::CompositionDrawingSurface surface = composition.CreateDrawingSurface(width, height);
    if (!surface) return surface;
    composition.Paint(surface, [&](ID2D1DeviceContext* context) {
        DrawLabelBubble(context, textLayout.Get(), static_cast<float>(width), static_cast<float>(height));
    });
    labelSurfaces.Add(text, s, glass.dark, surface);
    return surface;
}

bool DockWindow::WarmNextLabel() {
    if (!labelRoot || shutDown || dirty || AnythingMoving()) return false;
    // A full cache stops it: warming more would only push out what it warmed.
    if (labelSurfaces.Size() >= LabelSurfaceCache::kCapacity) return false;
    for (const DockItem& item : model.items) {
        if (item.kind == DockItemKind::Separator || item.label.empty()) continue;
        if (labelSurfaces.Contains(item.label, scale, glass.dark)) continue;
        return static_cast<bool>(PaintLabelSurface(item.label));
    }
    return false;
}

void DockWindow::DrawLabelBubble(ID2D1DeviceContext* context, IDWriteTextLayout* textLayout, float w, float h) {
    const float s = scale;
    const bool dark = glass.dark;
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    float radius = 0.42f * h;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(context->CreateSolidColorBrush(D2D1::ColorF(0, 0, 0, 0), &brush))) return;
    auto color = [&](float r, float g, float b, float a) { brush->SetColor(D2D1::ColorF(r, g, b, a)); };
    D2D1_ROUNDED_RECT outer = Rounded(0.5f, 0.5f, w - 0.5f, h - 0.5f, radius);
    dark ? color(0.10f, 0.12f, 0.18f, 0.78f) : color(0.98f, 0.99f, 1.0f, 0.86f);
    context->FillRoundedRectangle(outer, brush.Get());
    dark ? color(0, 0, 0, 0.38f) : color(0, 0, 0, 0.14f);
    context->DrawRoundedRectangle(outer, brush.Get(), 1.0f);
    dark ? color(1, 1, 1, 0.34f) : color(1, 1, 1, 0.90f);
    context->DrawRoundedRectangle(Rounded(1.4f, 1.4f, w - 1.4f, h - 1.4f, std::max(2.0f, radius - 0.9f)), brush.Get(),
                                  1.2f);
    dark ? color(0, 0, 0, 0.45f) : color(1, 1, 1, 0.55f);
    context->DrawTextLayout(D2D1::Point2F(12.0f * s, 6.0f * s + 0.7f * s), textLayout, brush.Get());
    dark ? color(0.97f, 0.98f, 1.0f, 1.0f) : color(0.06f, 0.08f, 0.12f, 1.0f);
    context->DrawTextLayout(D2D1::Point2F(12.0f * s, 6.0f * s), textLayout, brush.Get());
}

void DockWindow::CreateSharedSurfaces() {
    pillRunningSurface =
        CreatePillSurface(9.5f, 3.0f, D2D1::ColorF(0, 0, 0, 0.30f), 0.65f, D2D1::ColorF(0.95f, 0.97f, 1.0f, 0.90f));
    pillActiveSurface = CreatePillSurface(13.5f, 3.2f, D2D1::ColorF(0.42f, 0.78f, 1.0f, 0.48f), 1.0f,
                                          D2D1::ColorF(1.0f, 1.0f, 1.0f, 0.99f));
    pillMinimizedSurface = CreatePillSurface(10.5f, 3.2f, D2D1::ColorF(0.06f, 0.48f, 1.0f, 0.50f), 1.0f,
                                             D2D1::ColorF(0.14f, 0.62f, 1.0f, 1.0f));
    int width = std::max(4, static_cast<int>(std::lround(2.0f * scale)));
    int height = std::max(24, static_cast<int>(std::lround(36.0f * scale)));
    separatorSurface = composition.CreateDrawingSurface(width, height);
    if (separatorSurface) {
        raster::Image pixels(width, height);
        const float w = static_cast<float>(width);
        FillRoundedRect(pixels, {0, 0, w, static_cast<float>(height)}, w / 2.0f, w / 2.0f,
                        PremultipliedPixel(1.0f, 1.0f, 1.0f, 0.38f));
        composition.PaintPixels(separatorSurface, pixels);
    }
    // Separator visuals made before a device loss keep their brushes: point them at the new surface.
    for (size_t i = 0; i < itemVisuals.size() && i < model.items.size(); ++i) {
        if (itemVisuals[i].separator && separatorSurface) {
            auto brush = composition.compositor.CreateSurfaceBrush(separatorSurface);
            brush.Stretch(comp::CompositionStretch::Fill);
            itemVisuals[i].separator.Brush(brush);
        }
    }
}

comp::CompositionDrawingSurface DockWindow::CreatePillSurface(float w, float h, D2D1_COLOR_F halo, float haloWidth,
                                                              D2D1_COLOR_F pill) {
    int pxWidth = std::max(16, static_cast<int>(std::lround(2.0f * scale * (w + 3.0f))));
    int pxHeight = std::max(8, static_cast<int>(std::lround(2.0f * scale * (h + 3.0f))));
    comp::CompositionDrawingSurface surface = composition.CreateDrawingSurface(pxWidth, pxHeight);
    float fx = static_cast<float>(pxWidth) / (w + 3.0f);
    float fy = static_cast<float>(pxHeight) / (h + 3.0f);
    if (!surface) return surface;
    // Pixels rather than a drawing: these stand in the first frame, before
    // anything has paid for the first drawing on the device.
    raster::Image pixels(pxWidth, pxHeight);
    const float r = h / 2.0f + haloWidth;
    FillRoundedRect(
        pixels,
        {(1.5f - haloWidth) * fx, (1.5f - haloWidth) * fy, (w + 2.0f * haloWidth) * fx, (h + 2.0f * haloWidth) * fy},
        r * fx, r * fy, PremultipliedPixel(halo.r, halo.g, halo.b, halo.a));
    FillRoundedRect(pixels, {1.5f * fx, 1.5f * fy, w * fx, h * fy}, h / 2.0f * fx, h / 2.0f * fy,
                    PremultipliedPixel(pill.r, pill.g, pill.b, pill.a));
    composition.PaintPixels(surface, pixels);
    return surface;
}

void DockWindow::UpdateAutoHide() {
    bool applies = config.hideDockOnFullscreen && fullscreenOverlap;
    if (!applies) {
        revealed = false;
        if (inputWindow) KillTimer(inputWindow, kRevealTimer);
    }
    bool keepShown = revealed || hovering || dragging || menuOpen || allApps.IsVisible();
    float target = (applies && !keepShown) ? 1.0f : 0.0f;
    if (std::fabs(target - hideSpring.target) <= 0.01f) return;
    hideSpring.target = target;
    if (target > 0.5f) {
        hovering = false;
        magnifySpring.target = 0.0f;
        hoverIndex = -1;
    }
    RequestFrame();
}

void DockWindow::UpdateFullscreenWatch() {
    if (!inputWindow) return;
    if (config.hideDockOnFullscreen) {
        SetTimer(inputWindow, kFullscreenTimer, 350, nullptr);
    } else {
        KillTimer(inputWindow, kFullscreenTimer);
        revealed = false;
    }
}

void DockWindow::UpdateMonitorMetrics() {
    if (!monitor) monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    dpi = EffectiveDpi(monitor);
    scale = static_cast<float>(dpi) / 96.0f;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return;
    const RECT& m = info.rcMonitor;
    float widthPx = static_cast<float>(m.right - m.left);
    float heightPx = static_cast<float>(m.bottom - m.top);
    screenWidth = widthPx / scale;
    bandHeight = std::min(heightPx / scale, 210.0f);
    int ph = static_cast<int>(std::lround(bandHeight * scale));
    originX = m.left;
    originY = m.bottom - ph;
    if (visualWindow) {
        SetWindowPos(visualWindow, HWND_TOPMOST, originX, originY, m.right - m.left, ph, SWP_NOACTIVATE);
    }
}

void DockWindow::EmptyIconKeys() {
    for (auto& visual : itemVisuals) visual.iconKey.clear();
}

bool DockWindow::CheckDevice() {
    if (!composition.TakeDeviceLost()) return false;
    if (!graphics.Create()) return false;
    composition.SetRenderingDevice(graphics);
    iconLoader.ClearMemoryCaches();
    CreateSharedSurfaces();
    glass.UpdateTint(config.theme, config.glassOpacity, scale);
    topBar.RecoverDevice();
    allApps.HandleDeviceLost();
    EmptyIconKeys();
    // The label's surface belongs to the lost device: an empty text redraws it.
    labelText.clear();
    labelSurfaces.Clear();
    LogMessage(L"Rendering device recreated");
    return true;
}
