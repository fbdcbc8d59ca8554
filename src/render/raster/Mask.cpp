#include "render/raster/Mask.h"

#include <algorithm>

namespace raster {
void MultiplyByMaskAlpha(ImageView img, ConstImageView mask) {
    const int w = std::min(img.width, mask.width);
    const int h = std::min(img.height, mask.height);
    for (int y = 0; y < img.height; ++y) {
        uint32_t* __restrict row = img.Row(y);
        if (y >= h) {
            std::fill_n(row, img.width, 0u);
            continue;
        }
        const uint32_t* __restrict m = mask.Row(y);
        for (int x = 0; x < w; ++x) row[x] = ScalePixel(row[x], m[x] >> 24);
        std::fill(row + w, row + img.width, 0u);
    }
}

void MultiplyByCoverage(ImageView img, ConstMaskView coverage) {
    const Rect both = Intersect(img.Bounds(), coverage.bounds);
    for (int y = 0; y < img.height; ++y) {
        uint32_t* __restrict row = img.Row(y);
        if (y < both.y || y >= both.Bottom()) {
            std::fill_n(row, img.width, 0u);
            continue;
        }
        const uint8_t* __restrict c = coverage.Span(both.x, y);
        std::fill(row, row + both.x, 0u);
        for (int x = both.x; x < both.Right(); ++x) row[x] = ScalePixel(row[x], c[x - both.x]);
        std::fill(row + both.Right(), row + img.width, 0u);
    }
}

}  // namespace raster
