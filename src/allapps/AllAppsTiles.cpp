// The 24 tiles of the shown page: placement, icon surfaces from the icon
// loader, cached label surfaces rasterized on the processor, and the hover
// highlight.
#include <algorithm>
#include <chrono>

#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsPaint.h"
#include "allapps/AllAppsSurfaces.h"
#include "allapps/AllAppsWindow.h"
#include "platform/Log.h"
#include "apps/CompositionIconHost.h"
#include "apps/IconLoader.h"
#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"
#include "render/TextCoverage.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr size_t kLabelCacheLimit = 256;
constexpr uint64_t kSlowIconMs = 29;

// Showing the icons that came in, and drawing the labels of names never shown
// before, stop after this much of a frame and go on at the next message, so
// the panel keeps answering and a page turn shows at once.
constexpr std::chrono::milliseconds kTileWorkShare{4};

// The hover highlight: a rounded rectangle over the whole surface.
bool DrawIntoSurface(CompositionHost& host, const comp::CompositionDrawingSurface& surface, int pixelWidth,
                     int pixelHeight, bool dark, float scale) {
    if (!surface || pixelWidth <= 0 || pixelHeight <= 0) return false;
    return host.Paint(surface, [&](ID2D1DeviceContext* context) {
        FillRoundRect(context, D2D1::RectF(0, 0, static_cast<float>(pixelWidth), static_cast<float>(pixelHeight)),
                      12.0f * scale, Pick(dark, {1, 1, 1, 0.13f}, {0, 0, 0, 0.08f}));
    });
}

int FolderCountOf(const InstalledApp& entry) { return entry.isFolder ? static_cast<int>(entry.children.size()) : 0; }

// The icon visual's brush shows the surface, or nothing.
void ShowIcon(CompositionHost& composition, AllAppsTileSlot& slot, const IconSurfaceRef& icon) {
    comp::CompositionDrawingSurface surface = CompositionSurfaceOf(icon);
    if (!surface) {
        slot.iconVisual.Brush(nullptr);
        return;
    }
    comp::CompositionSurfaceBrush brush = composition.compositor.CreateSurfaceBrush(surface);
    brush.Stretch(comp::CompositionStretch::Fill);
    slot.iconVisual.Brush(brush);
}

// Everything that decides a tile label's pixels: the name, the format (medium
// 12 DIP with an ellipsis), the surface size, the scale and the theme.
std::wstring LabelPieceKey(const std::wstring& name, SIZE px, float scale, bool dark) {
    return L"launcher label|medium 12|" + std::to_wstring(px.cx) + L"x" + std::to_wstring(px.cy) + L"|" +
           std::to_wstring(scale) + (dark ? L"|dark|" : L"|light|") + name;
}

}  // namespace

std::wstring AllAppsTileIconKey(const InstalledApp& entry, int iconPx, bool macIcons, bool dark) {
    return entry.launchId + L"|" + std::to_wstring(iconPx) + L"|f" + std::to_wstring(FolderCountOf(entry)) +
           (macIcons ? L"#m" : L"#w") + (dark ? L"#d" : L"#l");
}

void AllAppsWindow::RebuildPageVisuals(LabelPace pace) {
    if (!composition || !device || !device->dwriteFactory || !iconLoader || !TreeReady()) return;
    try {
        const uint64_t start = tickCount();
        const auto began = std::chrono::steady_clock::now();
        int iconCalls = 0, slow = 0, miss = 0, labelsLeft = 0;
        uint64_t iconMs = 0;
        hoverDrawnSlot = -1;

        const float s = scale;
        const AllAppsGrid grid = GridFor(panelWidth, panelHeight, s);
        const SIZE labelPx = {std::max(RoundPx((grid.cellWidth - 8.0f) * s), 8), std::max(RoundPx(22.0f * s), 8)};
        const bool dark = GlassDark();
        if (labelPx.cx != cacheLabelPx.cx || labelPx.cy != cacheLabelPx.cy || dark != cacheDark || s != cacheScale ||
            tileSurfaceCache.size() > kLabelCacheLimit) {
            tileSurfaceCache.clear();
            tileLabelFormat.Reset();
            cacheLabelPx = labelPx;
            cacheDark = dark;
            cacheScale = s;
        }

        std::vector<const InstalledApp*> toRequest;
        for (int u = 0; u < kSlotsPerPage; ++u) {
            AllAppsTileSlot& slot = tileSlots[static_cast<size_t>(u)];
            const size_t i = static_cast<size_t>(page) * kSlotsPerPage + static_cast<size_t>(u);
            if (i >= visibleEntries.size()) {
                slot.visible = false;
                slot.surfaceKey.clear();
                slot.iconPending = false;
                slot.labelPending = false;
                slot.slotVisual.IsVisible(false);
                slot.iconVisual.Brush(nullptr);
                slot.labelVisual.Brush(nullptr);
                continue;
            }
            const InstalledApp& entry = *visibleEntries[i];
            const PointF cell = SlotCellOrigin(grid, u);
            slot.visible = true;
            slot.cellX = cell.x;
            slot.cellY = cell.y;
            slot.cellWidth = grid.cellWidth;
            slot.cellHeight = grid.cellHeight;
            slot.iconSize = grid.iconSize;
            slot.centerX = cell.x + grid.cellWidth / 2.0f;
            slot.centerY = cell.y + 6.0f + grid.iconSize / 2.0f;
            slot.scale = 1.0f;
            slot.offsetX = slot.offsetY = 0.0f;
            slot.slotVisual.IsVisible(true);
            slot.slotVisual.Offset({cell.x * s, cell.y * s, 0.0f});
            slot.slotVisual.Size({grid.cellWidth * s, grid.cellHeight * s});

            const std::wstring key = AllAppsTileIconKey(entry, grid.iconPx, useMacIcons, dark);
            if (key != slot.surfaceKey) {
                slot.surfaceKey = key;
                const uint64_t before = tickCount();
                // The shell takes tens of milliseconds an icon and each file
                // probe a round trip: what memory does not have, the icon
                // workers read from the disk cache or extract, and the tile
                // shows its placeholder until they answer. An icon asked for
                // while the panel is open is not asked for again at every
                // keystroke that brings its tile back, only at the next opening.
                const int count = FolderCountOf(entry);
                bool asked = iconsMissing.count(key) != 0;
                if (asked && iconLoader->HasTilePixels(entry.launchId, entry.targetPath, grid.iconPx, useMacIcons)) {
                    iconsMissing.erase(key);
                    asked = false;
                }
                IconSurfaceRef icon;
                if (!asked) {
                    icon = iconLoader->FindTileSurface(entry.launchId, entry.name, entry.targetPath, grid.iconPx,
                                                       useMacIcons, count);
                }
                slot.iconPending = !icon;
                if (!icon) {
                    if (!asked) toRequest.push_back(&entry);
                    if (visible) iconsMissing.insert(key);
                    icon = iconLoader->PlaceholderTile(grid.iconPx, useMacIcons, count);
                    ++miss;
                }
                const uint64_t took = tickCount() - before;
                ShowIcon(*composition, slot, icon);
                ++iconCalls;
                iconMs += took;
                if (slot.iconPending || took > kSlowIconMs) ++slow;
            }

            // The first label is always drawn, so every rebuild moves on.
            const bool mayDraw =
                pace == LabelPace::AllNow ||
                (labelsLeft == 0 && (u == 0 || std::chrono::steady_clock::now() - began < kTileWorkShare));
            if (!ShowTileLabel(slot, entry, mayDraw)) ++labelsLeft;
        }
        // Each goes before the queue: the last first, so the page fills from its top.
        for (auto it = toRequest.rbegin(); it != toRequest.rend(); ++it) {
            iconLoader->RequestTileAsync((*it)->launchId, (*it)->targetPath, (*it)->name, grid.iconPx, useMacIcons);
        }
        UpdateTileTransforms();
        if (labelsLeft > 0 && window) PostMessageW(window, WM_ALLAPPS_ICONS_READY, 0, 0);
        LogMessage(
            L"AllApps perf: rebuild tiles done +%llu ms (px=%d, iconCalls=%d, iconMs=%llu, slow=%d, miss=%d, "
            L"labelsLeft=%d)",
            static_cast<unsigned long long>(tickCount() - start), grid.iconPx, iconCalls,
            static_cast<unsigned long long>(iconMs), slow, miss, labelsLeft);
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::RebuildPageVisuals winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::OnIconsReady() {
    if (!composition || !iconLoader || !TreeReady()) return;
    try {
        const auto start = std::chrono::steady_clock::now();
        const auto goOnLater = [&] {
            if (std::chrono::steady_clock::now() - start <= kTileWorkShare) return false;
            if (window) PostMessageW(window, WM_ALLAPPS_ICONS_READY, 0, 0);
            return true;
        };
        const AllAppsGrid grid = GridFor(panelWidth, panelHeight, scale);
        const bool dark = GlassDark();
        for (int u = 0; u < kSlotsPerPage; ++u) {
            AllAppsTileSlot& slot = tileSlots[static_cast<size_t>(u)];
            const size_t i = static_cast<size_t>(page) * kSlotsPerPage + static_cast<size_t>(u);
            if (!slot.visible || !slot.labelPending || i >= visibleEntries.size()) continue;
            if (goOnLater()) return;
            ShowTileLabel(slot, *visibleEntries[i], true);
        }
        for (int u = 0; u < kSlotsPerPage; ++u) {
            AllAppsTileSlot& slot = tileSlots[static_cast<size_t>(u)];
            const size_t i = static_cast<size_t>(page) * kSlotsPerPage + static_cast<size_t>(u);
            if (!slot.visible || !slot.iconPending || i >= visibleEntries.size()) continue;
            const InstalledApp& entry = *visibleEntries[i];
            if (slot.surfaceKey != AllAppsTileIconKey(entry, grid.iconPx, useMacIcons, dark) ||
                !iconLoader->HasTilePixels(entry.launchId, entry.targetPath, grid.iconPx, useMacIcons)) {
                continue;
            }
            if (goOnLater()) return;
            IconSurfaceRef icon = iconLoader->FindTileSurface(entry.launchId, entry.name, entry.targetPath, grid.iconPx,
                                                              useMacIcons, FolderCountOf(entry));
            if (!icon) continue;
            ShowIcon(*composition, slot, icon);
            slot.iconPending = false;
            iconsMissing.erase(slot.surfaceKey);
        }
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::OnIconsReady winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

bool AllAppsWindow::ShowTileLabel(AllAppsTileSlot& slot, const InstalledApp& entry, bool mayDraw) {
    const SIZE labelPx = cacheLabelPx;
    auto cached = tileSurfaceCache.find(entry.name);
    if (cached == tileSurfaceCache.end()) {
        // A name drawn once keeps its pixels in the host's cache past this
        // page's own label surfaces: typing brings the same names back.
        const std::wstring pieceKey = LabelPieceKey(entry.name, labelPx, scale, cacheDark);
        const raster::Image* pixels = composition->paintedPixels.Find(pieceKey);
        if (!pixels && !mayDraw) {
            slot.labelPending = true;
            slot.labelVisual.Brush(nullptr);
            return false;
        }
        AllAppsLabelSurface label;
        label.surface = composition->CreateDrawingSurface(labelPx.cx, labelPx.cy);
        if (label.surface && !pixels) {
            if (!tileLabelFormat) tileLabelFormat = MakeTileLabelFormat(device->dwriteFactory.Get(), scale);
            pixels = composition->paintedPixels.Keep(
                pieceKey, PaintTileLabel(entry.name, tileLabelFormat.Get(), labelPx, cacheDark));
        }
        if (label.surface && pixels) {
            composition->PaintPixels(label.surface, *pixels);
            label.brush = composition->compositor.CreateSurfaceBrush(label.surface);
            label.brush.Stretch(comp::CompositionStretch::Fill);
            cached = tileSurfaceCache.emplace(entry.name, label).first;
        }
    }
    slot.labelPending = false;
    slot.labelVisual.Brush(cached != tileSurfaceCache.end() ? cached->second.brush : nullptr);
    slot.labelVisual.Size({static_cast<float>(labelPx.cx), static_cast<float>(labelPx.cy)});
    return true;
}

raster::Image AllAppsWindow::PaintTileLabel(const std::wstring& name, IDWriteTextFormat* format, SIZE px,
                                            bool dark) const {
    raster::Image pixels(px.cx, px.cy);
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    ComPtr<IDWriteTextLayout> layout;
    if (!factory || !format ||
        FAILED(factory->CreateTextLayout(name.c_str(), static_cast<UINT32>(name.size()), format,
                                         static_cast<float>(px.cx), static_cast<float>(px.cy), &layout))) {
        return pixels;
    }
    // A soft shadow a little under the name keeps it readable on any wallpaper.
    const float drop = 0.8f * scale;
    FillCoverage(pixels.View(), TextLayoutCoverage(factory, layout.Get(), 0.0f, drop, 1.0f),
                 ToPixel(Pick(dark, {0, 0, 0, 0.55f}, {1, 1, 1, 0.65f})));
    FillCoverage(pixels.View(), TextLayoutCoverage(factory, layout.Get(), 0.0f, 0.0f, 1.0f),
                 ToPixel(Pick(dark, {0.97f, 0.98f, 1.00f, 0.98f}, {0.06f, 0.08f, 0.12f, 0.98f})));
    return pixels;
}

void AllAppsWindow::RedrawHover() {
    if (!composition || !hoverVisual) return;
    try {
        if (hoveredSlot < 0 || hoveredSlot >= kSlotsPerPage ||
            static_cast<size_t>(page) * kSlotsPerPage + static_cast<size_t>(hoveredSlot) >= visibleEntries.size()) {
            hoverVisual.IsVisible(false);
            return;
        }
        const AllAppsGrid grid = GridFor(panelWidth, panelHeight, scale);
        const HoverPlacement place = HoverPlacementFor(grid, hoveredSlot, scale);
        const bool dark = GlassDark();
        if (!hoverSurface || hoverSurfacePx.cx != place.width || hoverSurfacePx.cy != place.height ||
            hoverSurfaceDark != dark) {
            comp::CompositionDrawingSurface surface = composition->CreateDrawingSurface(place.width, place.height);
            if (surface) {
                DrawIntoSurface(*composition, surface, place.width, place.height, dark, scale);
                hoverSurface = surface;
                hoverBrush = composition->compositor.CreateSurfaceBrush(surface);
                hoverBrush.Stretch(comp::CompositionStretch::Fill);
                hoverVisual.Brush(hoverBrush);
                hoverSurfacePx = {place.width, place.height};
                hoverSurfaceDark = dark;
            }
        }
        hoverVisual.Size({static_cast<float>(place.width), static_cast<float>(place.height)});
        hoverVisual.Offset({place.x, place.y, 0.0f});
        hoverVisual.IsVisible(true);
        AllAppsTileSlot& slot = tileSlots[static_cast<size_t>(hoveredSlot)];
        if (hoveredSlot != hoverDrawnSlot && tileContainer && slot.slotVisual) {
            tileContainer.Children().Remove(slot.slotVisual);
            tileContainer.Children().InsertAtTop(slot.slotVisual);
            hoverDrawnSlot = hoveredSlot;
        }
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::RedrawHover winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}
