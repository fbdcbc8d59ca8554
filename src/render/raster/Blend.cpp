#include "render/raster/Blend.h"

#include <algorithm>
#include <cstring>

#include "render/raster/PixelVector.h"

namespace raster {
namespace {

// The blends below work on pairs of pixels.
inline void StorePair(uint32_t* p, Pair v) {
    v = v > 255 ? Pair{} + 255 : v;  // only reached by colour above alpha; never wrap
    const PairBytes b = __builtin_convertvector(v, PairBytes);
    std::memcpy(p, &b, sizeof b);
}

inline Pair Scale(Pair v, Pair f) {
    const Pair t = v * f + 128;
    return (t + (t >> 8)) >> 8;
}

inline Pair Over(Pair s, Pair d) { return s + Scale(d, 255 - __builtin_shufflevector(s, s, 3, 3, 3, 3, 7, 7, 7, 7)); }

inline Pair Factors(uint32_t f0, uint32_t f1) {
    const uint16_t a = static_cast<uint16_t>(f0), b = static_cast<uint16_t>(f1);
    return Pair{a, a, a, a, b, b, b, b};
}

inline uint32_t Over(uint32_t s, uint32_t d) { return s + ScalePixel(d, 255u - (s >> 24)); }

void OverRow(uint32_t* __restrict dst, const uint32_t* __restrict src, int count) {
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const uint64_t both = static_cast<uint64_t>(src[i]) | (static_cast<uint64_t>(src[i + 1]) << 32);
        if (both == 0) continue;
        if ((src[i] >> 24) == 255u && (src[i + 1] >> 24) == 255u) {
            dst[i] = src[i];
            dst[i + 1] = src[i + 1];
            continue;
        }
        StorePair(dst + i, Over(LoadPair(src + i), LoadPair(dst + i)));
    }
    if (i < count) dst[i] = Over(src[i], dst[i]);
}

// Source times per-pair factors, then over (or instead of) the destination.
template <bool kCopy, typename FactorOf>
void ScaledRow(uint32_t* __restrict dst, const uint32_t* __restrict src, int count, FactorOf factorOf) {
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const Pair s = Scale(LoadPair(src + i), Factors(factorOf(i), factorOf(i + 1)));
        StorePair(dst + i, kCopy ? s : Over(s, LoadPair(dst + i)));
    }
    if (i < count) {
        const uint32_t s = ScalePixel(src[i], factorOf(i));
        dst[i] = kCopy ? s : Over(s, dst[i]);
    }
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
    const bool copy = mode == BlendMode::Copy;
    if (!coverage) {
        auto fixed = [opacity](int) { return opacity; };
        if (copy && opacity == 255u) {
            std::copy(src, src + count, dst);
        } else if (copy) {
            ScaledRow<true>(dst, src, count, fixed);
        } else if (opacity == 255u) {
            OverRow(dst, src, count);
        } else if (opacity != 0u) {
            ScaledRow<false>(dst, src, count, fixed);
        }
        return;
    }
    auto covered = [opacity, coverage](int i) { return Mul255(opacity, coverage[i]); };
    if (copy) {
        ScaledRow<true>(dst, src, count, covered);
    } else {
        ScaledRow<false>(dst, src, count, covered);
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
