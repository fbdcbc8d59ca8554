#include "render/raster/Image.h"

#include <cmath>

namespace raster {

Rect Intersect(const Rect& a, const Rect& b) {
    const int x0 = std::max(a.x, b.x);
    const int y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.Right(), b.Right());
    const int y1 = std::min(a.Bottom(), b.Bottom());
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect PixelsCovering(const RectF& area) {
    const int x0 = static_cast<int>(std::floor(area.x));
    const int y0 = static_cast<int>(std::floor(area.y));
    return {x0, y0, std::max(static_cast<int>(std::ceil(area.x + area.width)) - x0, 0),
            std::max(static_cast<int>(std::ceil(area.y + area.height)) - y0, 0)};
}

uint32_t OpacityToByte(float opacity) {
    if (!(opacity > 0.0f)) return 0;  // also NaN
    if (opacity >= 1.0f) return 255;
    return static_cast<uint32_t>(std::lround(opacity * 255.0f));
}

ImageView ImageView::Sub(const Rect& r) const {
    const Rect c = Intersect(r, Bounds());
    if (c.IsEmpty()) return {pixels, 0, 0, stride};
    return {pixels + c.y * stride + c.x, c.width, c.height, stride};
}

ConstImageView ConstImageView::Sub(const Rect& r) const {
    const Rect c = Intersect(r, Bounds());
    if (c.IsEmpty()) return {pixels, 0, 0, stride};
    return {pixels + c.y * stride + c.x, c.width, c.height, stride};
}

Image::Image(int width, int height, uint32_t fill) { Reset(width, height, fill); }

void Image::Reset(int width, int height, uint32_t fill) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * height_, fill);
}

Mask::Mask(const Rect& bounds, uint8_t fill) { Reset(bounds, fill); }

void Mask::Reset(const Rect& bounds, uint8_t fill) {
    bounds_ = bounds.IsEmpty() ? Rect{bounds.x, bounds.y, 0, 0} : bounds;
    values_.assign(static_cast<std::size_t>(bounds_.width) * bounds_.height, fill);
}

}  // namespace raster
