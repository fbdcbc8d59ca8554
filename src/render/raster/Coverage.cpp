#include "render/raster/Coverage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace raster {
namespace {

// Share of the pixel [p, p + 1) inside [lo, hi).
inline float Overlap(int p, float lo, float hi) {
    return std::clamp(std::min(p + 1.0f, hi) - std::max(static_cast<float>(p), lo), 0.0f, 1.0f);
}

inline uint8_t ToByte(float c) { return static_cast<uint8_t>(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); }

// Coverage of the pixel centred on (px, py) by an elliptical corner centred on
// (cx, cy), for a point in the corner's quadrant.
inline float CornerCoverage(float px, float py, float cx, float cy, float rx, float ry) {
    if (rx <= 0.0f || ry <= 0.0f) return 1.0f;
    const float qx = (px - cx) / rx, qy = (py - cy) / ry;
    const float len = std::sqrt(qx * qx + qy * qy);
    float distance;
    if (rx == ry) {
        distance = (len - 1.0f) * rx;
    } else {
        if (len <= 0.0f) return 1.0f;
        const float gx = qx / rx, gy = qy / ry;  // gradient of |q| times len
        const float grad = std::sqrt(gx * gx + gy * gy) / len;
        distance = (len - 1.0f) / grad;
    }
    return std::clamp(0.5f - distance, 0.0f, 1.0f);
}

}  // namespace

void FillRoundedRectCoverage(MaskView mask, const RectF& shape, float radiusX, float radiusY) {
    const Rect& b = mask.bounds;
    if (b.IsEmpty()) return;
    const bool valid = std::isfinite(shape.x) && std::isfinite(shape.y) && std::isfinite(shape.width) &&
                       std::isfinite(shape.height) && shape.width > 0.0f && shape.height > 0.0f;
    if (!valid) {
        for (int y = b.y; y < b.Bottom(); ++y) std::fill_n(mask.Span(b.x, y), b.width, uint8_t{0});
        return;
    }
    const float left = shape.x, top = shape.y, right = shape.x + shape.width, bottom = shape.y + shape.height;
    const float rx = std::isfinite(radiusX) ? std::clamp(radiusX, 0.0f, shape.width * 0.5f) : 0.0f;
    const float ry = std::isfinite(radiusY) ? std::clamp(radiusY, 0.0f, shape.height * 0.5f) : 0.0f;
    const bool rounded = rx > 0.0f && ry > 0.0f;

    std::vector<float> columnCover(b.width);
    for (int i = 0; i < b.width; ++i) columnCover[i] = Overlap(b.x + i, left, right);
    // Corner arcs only matter for pixels whose centres lie beyond the arc centres.
    const float arcLeft = left + rx, arcRight = right - rx, arcTop = top + ry, arcBottom = bottom - ry;

    for (int y = b.y; y < b.Bottom(); ++y) {
        uint8_t* out = mask.Span(b.x, y);
        const float rowCover = Overlap(y, top, bottom);
        const float py = y + 0.5f;
        const bool cornerRow = rounded && (py < arcTop || py > arcBottom);
        if (rowCover <= 0.0f) {
            std::fill_n(out, b.width, uint8_t{0});
            continue;
        }
        for (int i = 0; i < b.width; ++i) out[i] = ToByte(columnCover[i] * rowCover);
        if (!cornerRow) continue;
        const float cy = py < arcTop ? arcTop : arcBottom;
        for (int i = 0; i < b.width; ++i) {
            const float px = b.x + i + 0.5f;
            if (px >= arcLeft && px <= arcRight) continue;
            if (columnCover[i] <= 0.0f) continue;
            const float cx = px < arcLeft ? arcLeft : arcRight;
            out[i] = ToByte(CornerCoverage(px, py, cx, cy, rx, ry));
        }
    }
}

Mask RoundedRectCoverage(const Rect& bounds, const RectF& shape, float radiusX, float radiusY) {
    Mask m(bounds);
    FillRoundedRectCoverage(m.View(), shape, radiusX, radiusY);
    return m;
}

RectF InsetClipRect(const RectF& visual, float left, float top, float right, float bottom) {
    return {visual.x + left, visual.y + top, std::max(visual.width - left - right, 0.0f),
            std::max(visual.height - top - bottom, 0.0f)};
}

void IntersectCoverage(MaskView mask, ConstMaskView other) {
    const Rect& b = mask.bounds;
    const Rect both = Intersect(b, other.bounds);
    for (int y = b.y; y < b.Bottom(); ++y) {
        uint8_t* out = mask.Span(b.x, y);  // out[i] is image column b.x + i
        if (y < both.y || y >= both.Bottom()) {
            std::fill_n(out, b.width, uint8_t{0});
            continue;
        }
        const uint8_t* in = other.Span(both.x, y);
        std::fill(out, out + (both.x - b.x), uint8_t{0});
        for (int x = both.x; x < both.Right(); ++x)
            out[x - b.x] = static_cast<uint8_t>(Mul255(out[x - b.x], in[x - both.x]));
        std::fill(out + (both.Right() - b.x), out + b.width, uint8_t{0});
    }
}

void SubtractCoverage(MaskView mask, ConstMaskView other) {
    const Rect both = Intersect(mask.bounds, other.bounds);
    for (int y = both.y; y < both.Bottom(); ++y) {
        uint8_t* out = mask.Span(both.x, y);
        const uint8_t* in = other.Span(both.x, y);
        for (int i = 0; i < both.width; ++i) out[i] = static_cast<uint8_t>(std::max(0, out[i] - in[i]));
    }
}

}  // namespace raster
