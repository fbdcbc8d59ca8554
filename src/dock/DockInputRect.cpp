#include "dock/DockInputRect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

RECT BottomStrip(const DockInputRectInput& in) {
    const float s = in.scale;
    long left = std::max<long>(in.monitor.left, in.originX + static_cast<long>(std::floor((in.layoutX - 24.0f) * s)));
    long width = std::min<long>(std::lround((in.layoutWidth + 48.0f) * s), in.monitor.right - left);
    width = std::max<long>(width, 80);
    long height = std::max<long>(6, std::lround(6.0f * s));
    return RECT{left, in.monitor.bottom - height, left + width, in.monitor.bottom};
}

}  // namespace

RECT ComputeDockInputRect(const DockInputRectInput& in) {
    const float s = in.scale;
    if (in.hidden) return BottomStrip(in);
    RECT r = {};
    float top = in.layoutY;
    if (in.reaching) top = std::max(0.0f, in.layoutY - 0.9f * in.iconSize);
    r.left = in.originX + static_cast<long>(std::floor(s * in.layoutX - 10.0f * s));
    r.top = in.originY + static_cast<long>(std::floor(top * s));
    long width = std::max<long>(40, std::lround(s * in.layoutWidth + 20.0f * s));
    long height = std::max<long>(24, std::lround((in.layoutY + in.layoutHeight - top + 6.0f) * s));
    r.right = r.left + width;
    r.bottom = r.top + height;
    if (in.revealed) {
        // The pointer that brought the dock back may rest anywhere on the strip,
        // below the glass: still inside, or the dock would hide under it again.
        RECT strip = BottomStrip(in);
        UnionRect(&r, &r, &strip);
    }
    return r;
}

bool InputRectNearlyEqual(const RECT& a, const RECT& b) {
    return std::labs(a.left - b.left) <= 2 && std::labs(a.top - b.top) <= 2 && std::labs(a.right - b.right) <= 2 &&
           std::labs(a.bottom - b.bottom) <= 2;
}
