#include "render/raster/Blend.h"

#include <algorithm>

namespace raster {
namespace {


inline uint32_t Over(uint32_t s, uint32_t d) { return s + ScalePixel(d, 255u - (s >> 24)); }

void OverRow(uint32_t* __restrict dst, const uint32_t* __restrict src, int count) {
    for (int i = 0; i < count; ++i) {
        const uint32_t s = src[i];
        const uint32_t a = s >> 24;
        if (a == 255u) {
            dst[i] = s;
        } else if (s != 0) {
            dst[i] = Over(s, dst[i]);
        }
    }
}

void OverRowScaled(uint32_t* __restrict dst, const uint32_t* __restrict src, int count, uint32_t f) {
    for (int i = 0; i < count; ++i) dst[i] = Over(ScalePixel(src[i], f), dst[i]);
}

}  // namespace

Rect DrawArea(const ImageView& dst, const Rect& target, const DrawOptions& options) {
    Rect area = Intersect(Intersect(target, dst.Bounds()), options.clip);
    if (options.coverage) area = Intersect(area, options.coverage->bounds);
    return area;
}

void BlendRow(uint32_t* dst, const uint32_t* src, int count, uint32_t opacity, const uint8_t* coverage,
              BlendMode mode) {
    if (count <= 0) return;
    if (!coverage) {
        if (mode == BlendMode::Copy) {
            if (opacity == 255u) {
                std::copy(src, src + count, dst);
            } else {
                for (int i = 0; i < count; ++i) dst[i] = ScalePixel(src[i], opacity);
            }
        } else if (opacity == 255u) {
            OverRow(dst, src, count);
        } else if (opacity != 0u) {
            OverRowScaled(dst, src, count, opacity);
        }
        return;
    }
    if (mode == BlendMode::Copy) {
        for (int i = 0; i < count; ++i) dst[i] = ScalePixel(src[i], Mul255(opacity, coverage[i]));
        return;
    }
    for (int i = 0; i < count; ++i) {
        const uint32_t f = Mul255(opacity, coverage[i]);
        if (f == 0u) continue;
        dst[i] = Over(f == 255u ? src[i] : ScalePixel(src[i], f), dst[i]);
    }
}

void BlendColorRow(uint32_t* dst, uint32_t color, int count, uint32_t opacity, const uint8_t* coverage,
                   BlendMode mode) {
    if (count <= 0) return;
    if (!coverage) {
        const uint32_t s = ScalePixel(color, opacity);
        if (mode == BlendMode::Copy || (s >> 24) == 255u) {
            std::fill(dst, dst + count, s);
        } else if (s != 0) {
            const uint32_t inv = 255u - (s >> 24);
            for (int i = 0; i < count; ++i) dst[i] = s + ScalePixel(dst[i], inv);
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const uint32_t s = ScalePixel(color, Mul255(opacity, coverage[i]));
        dst[i] = mode == BlendMode::Copy ? s : Over(s, dst[i]);
    }
}

void DrawImage(ImageView dst, ConstImageView src, int x, int y, const DrawOptions& options) {
    const Rect area = DrawArea(dst, {x, y, src.width, src.height}, options);
    if (area.IsEmpty()) return;
    const uint32_t opacity = OpacityToByte(options.opacity);
    if (opacity == 0u && options.mode == BlendMode::SourceOver) return;
    for (int row = area.y; row < area.Bottom(); ++row) {
        const uint8_t* cov = options.coverage ? options.coverage->Span(area.x, row) : nullptr;
        BlendRow(dst.Row(row) + area.x, src.Row(row - y) + (area.x - x), area.width, opacity, cov, options.mode);
    }
}

void FillRect(ImageView dst, const Rect& area, uint32_t color, const DrawOptions& options) {
    const Rect a = DrawArea(dst, area, options);
    if (a.IsEmpty()) return;
    const uint32_t opacity = OpacityToByte(options.opacity);
    for (int row = a.y; row < a.Bottom(); ++row) {
        const uint8_t* cov = options.coverage ? options.coverage->Span(a.x, row) : nullptr;
        BlendColorRow(dst.Row(row) + a.x, color, a.width, opacity, cov, options.mode);
    }
}

void ClearRect(ImageView dst, const Rect& area, uint32_t value) {
    const Rect a = Intersect(area, dst.Bounds());
    for (int row = a.y; row < a.Bottom(); ++row) std::fill_n(dst.Row(row) + a.x, a.width, value);
}

}  // namespace raster
