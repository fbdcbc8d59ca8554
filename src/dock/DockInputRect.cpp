#include "dock/DockInputRect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

RECT ComputeDockInputRect(const DockInputRectInput& in) {
    const float s = in.scale;
    RECT r = {};
    if (in.hidden) {
        long left = std::max<long>(in.monitor.left,
                                   in.originX + static_cast<long>(std::floor((in.layoutX - 24.0f) * s)));
        long width = std::min<long>(std::lround((in.layoutWidth + 48.0f) * s), in.monitor.right - left);
        width = std::max<long>(width, 80);
        long height = std::max<long>(6, std::lround(6.0f * s));
        r.left = left;
        r.right = left + width;
        r.bottom = in.monitor.bottom;
        r.top = in.monitor.bottom - height;
        return r;
    }
    float top = in.layoutY;
    if (in.reaching) top = std::max(0.0f, in.layoutY - 0.9f * in.iconSize);
    r.left = in.originX + static_cast<long>(std::floor(s * in.layoutX - 10.0f * s));
    r.top = in.originY + static_cast<long>(std::floor(top * s));
    long width = std::max<long>(40, std::lround(s * in.layoutWidth + 20.0f * s));
    long height = std::max<long>(24, std::lround((in.layoutY + in.layoutHeight - top + 6.0f) * s));
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

bool InputRectNearlyEqual(const RECT& a, const RECT& b) {
    return std::labs(a.left - b.left) <= 2 && std::labs(a.top - b.top) <= 2 &&
           std::labs(a.right - b.right) <= 2 && std::labs(a.bottom - b.bottom) <= 2;
}
