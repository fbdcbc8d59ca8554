#include "render/GradientPixels.h"

#include <algorithm>
#include <cmath>

#include "render/raster/Blend.h"
#include "render/raster/Coverage.h"

namespace {

uint32_t Channel(float value) { return static_cast<uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

uint32_t GradientPixel(const std::vector<GradientStop>& stops, float t) {
    if (stops.empty()) return 0;
    const GradientStop* low = &stops.front();
    const GradientStop* high = &stops.front();
    if (t <= stops.front().position) {
        high = low;
    } else if (t >= stops.back().position) {
        low = high = &stops.back();
    } else {
        for (size_t i = 1; i < stops.size(); ++i) {
            if (t <= stops[i].position) {
                low = &stops[i - 1];
                high = &stops[i];
                break;
            }
        }
    }
    const float span = high->position - low->position;
    const float f = span > 0 ? (t - low->position) / span : 0.0f;
    auto mix = [f](float a, float b) { return a + (b - a) * f; };
    const float alpha = mix(low->a, high->a);
    const float r = mix(low->r * low->a, high->r * high->a);
    const float g = mix(low->g * low->a, high->g * high->a);
    const float b = mix(low->b * low->a, high->b * high->a);
    const uint32_t a8 = Channel(alpha);
    return raster::Bgra(std::min(Channel(b), a8), std::min(Channel(g), a8), std::min(Channel(r), a8), a8);
}

uint32_t PremultipliedPixel(float r, float g, float b, float a) { return GradientPixel({{0.0f, r, g, b, a}}, 0.0f); }

void FillRoundedRect(raster::Image& image, const raster::RectF& shape, float radiusX, float radiusY, uint32_t colour) {
    // Only the pixels the shape touches: a small shape on a large image
    // costs its own size.
    const raster::Rect area = raster::Intersect(image.View().Bounds(), raster::PixelsCovering(shape));
    if (area.IsEmpty()) return;
    const raster::Mask coverage = raster::RoundedRectCoverage(area, shape, radiusX, radiusY);
    const raster::ConstMaskView view = coverage.View();
    for (int y = area.y; y < area.Bottom(); ++y) {
        raster::BlendColorRow(&image.At(area.x, y), colour, area.width, 255, view.Span(area.x, y),
                              raster::BlendMode::SourceOver);
    }
}

raster::Image VerticalGradientImage(int width, int height, float length, const std::vector<GradientStop>& stops) {
    raster::Image image(std::max(width, 1), std::max(height, 1));
    if (!(length > 0)) return image;
    for (int y = 0; y < image.Height() && y < length; ++y) {
        const uint32_t pixel = GradientPixel(stops, (static_cast<float>(y) + 0.5f) / length);
        for (int x = 0; x < image.Width(); ++x) image.At(x, y) = pixel;
    }
    return image;
}

void StrokeRoundedSquare(raster::Image& image, float side, float inset, float radius, float strokeWidth,
                         const std::vector<GradientStop>& stops, float gradientEnd) {
    if (image.IsEmpty() || !(strokeWidth > 0)) return;
    const float half = strokeWidth / 2.0f;
    const raster::Rect all = image.View().Bounds();
    const float outerInset = inset - half, innerInset = inset + half;
    raster::Mask ring = raster::RoundedRectCoverage(
        all, {outerInset, outerInset, side - 2 * outerInset, side - 2 * outerInset}, radius + half, radius + half);
    // An inner square of no size covers nothing: so wide a stroke fills the square.
    const float innerExtent = side - 2 * innerInset;
    const float innerRadius = std::max(radius - half, 0.0f);
    const raster::Mask inner =
        raster::RoundedRectCoverage(all, {innerInset, innerInset, innerExtent, innerExtent}, innerRadius, innerRadius);
    raster::SubtractCoverage(ring.View(), inner.View());
    const float length = 2.0f * gradientEnd;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const uint8_t coverage = ring.At(x, y);
            if (coverage == 0) continue;
            const float t = length > 0 ? (static_cast<float>(x) + static_cast<float>(y) + 1.0f) / length : 0.0f;
            const uint32_t colour = GradientPixel(stops, t);
            raster::BlendColorRow(&image.At(x, y), colour, 1, 255, &coverage, raster::BlendMode::SourceOver);
        }
    }
}
