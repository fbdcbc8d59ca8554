#include "render/GlassShadow.h"

#include <algorithm>

#include "render/raster/Blur.h"
#include "render/raster/Coverage.h"

raster::Image BuildGlassShadowMask(const GlassShadowShape& shape) {
    const int side = std::max(shape.side, 1);
    raster::Image image(side, side);
    const float pad = shape.shadowPad;
    const float extent = static_cast<float>(side) - 2.0f * pad;
    if (extent <= 0) return image;

    const float drop = std::min(pad / 4.0f, 3.0f * shape.scale);
    const raster::Rect all = image.View().Bounds();
    const raster::Mask cast =
        raster::RoundedRectCoverage(all, {pad, pad + drop, extent, extent}, shape.radius, shape.radius);
    const uint32_t alpha = raster::OpacityToByte(shape.dark ? 0.34f : 0.22f);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) image.At(x, y) = raster::Bgra(0, 0, 0, raster::Mul255(alpha, cast.At(x, y)));
    }
    raster::GaussianBlur(image.View(), image.View(), 9.0f * shape.scale, raster::EdgeMode::Soft);

    // The panel's own area is cleared, with its anti-aliased edge taking away
    // only what it covers.
    const raster::Mask panel = raster::RoundedRectCoverage(all, {pad, pad, extent, extent}, shape.radius, shape.radius);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            uint32_t keep = 255u - panel.At(x, y);
            if (keep != 255u) image.At(x, y) = raster::ScalePixel(image.At(x, y), keep);
        }
    }
    return image;
}
