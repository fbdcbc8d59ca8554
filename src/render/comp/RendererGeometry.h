#pragma once
// Where a visual lands in the window and how its edges round to pixels: the
// composing walk and the snapshot must agree on both to the pixel.

#include <algorithm>
#include <cmath>

#include "render/comp/Nodes.h"
#include "render/raster/Image.h"

namespace comp::detail {

struct Placement {
    float x = 0, y = 0, width = 0, height = 0;
};

inline Placement Place(const VisualNode& visual, float parentX, float parentY, Vector2 parentSize) {
    Placement p;
    p.x = parentX + visual.offset.x;
    p.y = parentY + visual.offset.y;
    p.width = std::max(0.0f, visual.size.x + visual.relativeSize.x * parentSize.x);
    p.height = std::max(0.0f, visual.size.y + visual.relativeSize.y * parentSize.y);
    return p;
}

inline int Round(float value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<int>(std::lround(std::clamp(value, -1.0e8f, 1.0e8f)));
}

inline raster::Rect PixelRect(float x, float y, float width, float height) {
    int left = Round(x), top = Round(y);
    return {left, top, std::max(0, Round(x + width) - left), std::max(0, Round(y + height) - top)};
}

inline raster::Rect Inflate(const raster::Rect& r, int by) {
    if (r.IsEmpty()) return r;
    return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

}  // namespace comp::detail
