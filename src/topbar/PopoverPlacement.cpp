#include "topbar/PopoverPlacement.h"

#include <algorithm>
#include <cmath>

namespace {

// Halves away from zero, as the glass and the window must agree to the pixel.
int Pixels(float dip, float scale) {
    return static_cast<int>(std::lround(static_cast<double>(dip) * static_cast<double>(scale)));
}

}  // namespace

PopoverPlacement PlacePopover(float width, float height, float scale, const RECT& monitorRect, POINT anchor) {
    PopoverPlacement p;
    p.outerWidth = Pixels(width + 28.0f, scale);
    p.outerHeight = Pixels(height + 28.0f, scale);
    p.pad = Pixels(14.0f, scale);
    p.panelWidth = Pixels(width, scale);
    p.panelHeight = Pixels(height, scale);

    const int rightmost = monitorRect.right - p.panelWidth - 8;
    const int underAnchor = anchor.x - p.panelWidth;
    p.panelX = rightmost < underAnchor ? rightmost : std::max(underAnchor, static_cast<int>(monitorRect.left) + 8);
    p.panelY = std::max(static_cast<int>(anchor.y), static_cast<int>(monitorRect.top) + 8);

    p.window.left = p.panelX - p.pad;
    p.window.top = p.panelY - p.pad;
    p.window.right = p.window.left + p.outerWidth;
    p.window.bottom = p.window.top + p.outerHeight;
    return p;
}
