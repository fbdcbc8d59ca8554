#pragma once
// The launcher's geometry, shared by the painters, the frame step and the hit
// tests: panel and window placement, the grid's cells and icon sizes, the hover
// highlight, the index bar's letters, the tabs, and the hover fields. Content
// DIP unless said otherwise; no Windows calls.

#include <windows.h>

#include <string>
#include <vector>

constexpr float kAllAppsInsetDip = 16.0f;
constexpr float kGridLeft = 28.0f;
constexpr float kGridTop = 100.0f;
constexpr int kGridColumns = 6;

// Half away from zero, as every DIP-to-pixel product.
int RoundPx(float value);

struct AllAppsGrid {
    float cellWidth = 0;
    float cellHeight = 0;
    float iconSize = 0;  // DIP
    int iconPx = 48;     // icon surfaces, sharp at the largest hover scale
};
AllAppsGrid GridFor(float panelWidth, float panelHeight, float scale);

struct PointF {
    float x = 0;
    float y = 0;
};
// Top-left corner of a slot's cell.
PointF SlotCellOrigin(const AllAppsGrid& grid, int slot);

// The hover highlight of a slot: offset in window pixels, size in pixels.
struct HoverPlacement {
    float x = 0;
    float y = 0;
    int width = 0;
    int height = 0;
};
HoverPlacement HoverPlacementFor(const AllAppsGrid& grid, int slot, float scale);

// The panel's content size for a work area (pixels) and the dock's reserve.
struct PanelSize {
    float width = 0;
    float height = 0;
};
PanelSize PanelSizeFor(int workWidth, int workHeight, float scale, float dockReserve);

// The window around the panel, 16 DIP bigger on every side, above the dock.
RECT AllAppsWindowRect(const RECT& work, const RECT& monitor, PanelSize panel, float scale, float dockReserve);

// Work area whose bottom is the monitor's when the taskbar is hidden and the
// work area ends at most int(scale * 96) px above it.
RECT EffectiveWorkArea(const RECT& work, const RECT& monitorRect, bool hideTaskbar, float scale);

// The tile icon pixel size for a work area, as the prewarm computes it before
// any panel exists.
int PrewarmIconPx(int workWidth, int workHeight, float scale, float dockReserve);

struct IndexBarLayout {
    float cell = 0;
    float left = 0;   // the bar's left edge
    float width = 0;  // n * cell + 8
};
IndexBarLayout IndexBarFor(float panelWidth, size_t letterCount);
float LetterCenterX(const IndexBarLayout& bar, size_t letter);

struct TabLayout {
    float width = 0;
    float left = 0;
};
TabLayout TabsFor(float panelWidth);
float TabLeft(const TabLayout& tabs, int tab);

// Where a tile wants to be under the pointer: scale, x and y offsets.
struct HoverTarget {
    float scale = 1;
    float x = 0;
    float y = 0;
};
// dx, dy: the tile centre minus the pointer; intensity 0..1.
HoverTarget GridHoverTarget(float dx, float dy, float intensity);

struct LetterTarget {
    float scale = 1;
    float lift = 0;
};
// u: the letter's centre x minus the pointer's.
LetterTarget IndexLetterTarget(float u, float intensity);

// The key of a tile's icon surface: launch id, pixel size, folder count, style, theme.
struct InstalledApp;
std::wstring AllAppsTileIconKey(const InstalledApp& entry, int iconPx, bool macIcons, bool dark);

// The page-dot centres (surface pixels) of n dots on a strip of the given width.
float PageDotCenterX(int dot, int dotCount, int stripWidth, float scale);
