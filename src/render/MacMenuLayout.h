#pragma once
// The decisions of the glass context menu, on plain values: row stacking, the
// width from the measured text, hit testing, keyboard movement and placement
// on the monitor. All lengths are DIP unless they say pixels.

#include <windows.h>

#include <vector>

#include "render/MacMenuItem.h"

inline constexpr float kMenuMarginDip = 12.0f;  // around the panel, where the shadow shows
inline constexpr float kMenuRowHeightDip = 31.0f;
inline constexpr float kMenuSeparatorHeightDip = 13.0f;
inline constexpr float kMenuPaddingDip = 7.0f;  // above the first row and below the last
inline constexpr float kMenuMinWidthDip = 190.0f;
inline constexpr float kMenuMaxWidthDip = 340.0f;

struct MenuRowLayout {
    std::vector<float> tops;
    std::vector<float> heights;
    float height = 2 * kMenuPaddingDip;
};

// A row the pointer and the keys can land on.
bool IsMenuRowSelectable(const MacMenuItem& row);

MenuRowLayout StackMenuRows(const std::vector<MacMenuItem>& rows);

// Menu width for the widest measured row text (label, plus trailing text and
// its gap): at least 120 of text, 52 of padding, then clamped to 190..340.
float MenuWidthForText(float widestText);

// The selectable row under (x, y), or -1: nothing within 5 of either side edge.
int HitTestMenuRow(const std::vector<MacMenuItem>& rows, const MenuRowLayout& layout, float menuWidth, float x,
                   float y);

// The next selectable row downwards (or upwards), wrapping; from no hover
// (-1) it starts at the first (last) row itself. -1 when no row is selectable.
int StepMenuHover(const std::vector<MacMenuItem>& rows, int hover, bool down);

// Top-left pixel of a panel of the given pixel size shown at a screen point:
// flipped to the left of (above) the point when it would come within 8 pixels
// of the monitor's right (bottom) edge, never closer than 8 to its left (top).
POINT PlaceMenuPanel(POINT point, SIZE panel, const RECT& monitor);
