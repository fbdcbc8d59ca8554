#include "allapps/AllAppsGeometry.h"

#include <algorithm>
#include <cmath>

namespace {
// The space above the grid (search box and tabs) and below it (index bar, dots, footer).
constexpr float kGridVerticalChrome = 208.0f;
constexpr float kLargestHoverScale = 1.42f;
constexpr float kHoverSigmaSquaredTwice = 26450.0f;  // 2 x 115²
constexpr float kLetterSigmaSquaredTwice = 3528.0f;  // 2 x 42²
}  // namespace

int RoundPx(float value) { return static_cast<int>(std::lround(value)); }

AllAppsGrid GridFor(float w, float h, float scale) {
    AllAppsGrid grid;
    grid.cellWidth = std::max(w - 56.0f, 100.0f) / kGridColumns;
    grid.cellHeight = std::max(h - kGridVerticalChrome, 100.0f) / 4.0f;
    grid.iconSize = std::max(std::min(std::min(grid.cellWidth, grid.cellHeight) * 0.54f, 50.0f), 28.0f);
    grid.iconPx = std::clamp(RoundPx(grid.iconSize * kLargestHoverScale * scale), 48, 128);
    return grid;
}

PointF SlotCellOrigin(const AllAppsGrid& grid, int slot) {
    return {kGridLeft + static_cast<float>(slot % kGridColumns) * grid.cellWidth,
            kGridTop + static_cast<float>(slot / kGridColumns) * grid.cellHeight};
}

HoverPlacement HoverPlacementFor(const AllAppsGrid& grid, int slot, float s) {
    HoverPlacement placement;
    placement.width = std::max(RoundPx((grid.cellWidth - 6.0f) * s), 8);
    placement.height = std::max(RoundPx((grid.cellHeight - 6.0f) * s), 8);
    // Inset, grid origin and 3 DIP of centring.
    placement.x = (static_cast<float>(slot % kGridColumns) * grid.cellWidth + 47.0f) * s;
    placement.y = (static_cast<float>(slot / kGridColumns) * grid.cellHeight + 119.0f) * s;
    return placement;
}

PanelSize PanelSizeFor(int workWidth, int workHeight, float s, float dockReserve) {
    PanelSize size;
    size.width = std::max(std::min(static_cast<float>(workWidth) / s - 64.0f, 780.0f), 360.0f);
    size.height = std::max(std::min(static_cast<float>(workHeight) / s - dockReserve - 24.0f, 572.0f), 320.0f);
    return size;
}

RECT AllAppsWindowRect(const RECT& work, const RECT& monitorRect, PanelSize panel, float s, float dockReserve) {
    const int width = RoundPx((panel.width + 2 * kAllAppsInsetDip) * s);
    const int height = RoundPx((panel.height + 2 * kAllAppsInsetDip) * s);
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = std::max(work.top + RoundPx(8.0f * s) - RoundPx(16.0f * s),
                           monitorRect.bottom - height - RoundPx((dockReserve + 14.0f - 16.0f) * s));
    return {x, y, x + width, y + height};
}

RECT EffectiveWorkArea(const RECT& work, const RECT& monitorRect, bool hideTaskbar, float s) {
    RECT result = work;
    const int gap = monitorRect.bottom - work.bottom;
    if (hideTaskbar && gap > 0 && gap <= static_cast<int>(s * 96.0f)) result.bottom = monitorRect.bottom;
    return result;
}

int PrewarmIconPx(int workWidth, int workHeight, float s, float dockReserve) {
    const float width = std::min(static_cast<float>(workWidth) / s - 64.0f, 780.0f);
    const float height = std::min(static_cast<float>(workHeight) / s - dockReserve - 24.0f, 572.0f);
    return GridFor(std::max(width, 360.0f), std::max(height, 320.0f), s).iconPx;
}

IndexBarLayout IndexBarFor(float w, size_t letterCount) {
    IndexBarLayout bar;
    const float n = static_cast<float>(std::max<size_t>(letterCount, 1));
    bar.cell = std::min((std::max(w - 48.0f, 160.0f) - 8.0f) / n, 28.0f);
    bar.width = n * bar.cell + 8.0f;
    bar.left = (w - bar.width) * 0.5f;
    return bar;
}

float LetterCenterX(const IndexBarLayout& bar, size_t letter) {
    return bar.left + 4.0f + (static_cast<float>(letter) + 0.5f) * bar.cell;
}

TabLayout TabsFor(float w) {
    TabLayout tabs;
    tabs.width = std::min((std::max(w - 36.0f, 160.0f) - 49.0f) / 8.0f, 64.0f);
    tabs.left = (w - (8.0f * tabs.width + 49.0f)) / 2.0f;
    return tabs;
}

float TabLeft(const TabLayout& tabs, int tab) { return tabs.left + static_cast<float>(tab) * (tabs.width + 7.0f); }

HoverTarget GridHoverTarget(float dx, float dy, float a) {
    HoverTarget target;
    const float dist = std::sqrt(dx * dx + dy * dy);
    const float g = std::exp(-(dist * dist) / kHoverSigmaSquaredTwice);
    target.scale = 1.0f + 0.42f * a * g;
    target.y = -4.0f * a * g;
    if (dist > 4.0f) {
        const float push = std::exp(-dist / 150.0f) * (1.0f - g) * 6.5f * a;
        target.x = dx / dist * push;
        target.y += dy / dist * push;
    }
    return target;
}

LetterTarget IndexLetterTarget(float u, float ia) {
    const float a = std::exp(-(u * u) / kLetterSigmaSquaredTwice);
    return {1.0f + 0.78f * ia * a, -10.5f * ia * a};
}

float PageDotCenterX(int dot, int dotCount, int stripWidth, float s) {
    return static_cast<float>(dot) * 14.0f * s +
           (static_cast<float>(stripWidth) - static_cast<float>(dotCount - 1) * 14.0f * s) / 2.0f;
}
