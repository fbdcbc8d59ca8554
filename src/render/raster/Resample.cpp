#include "render/raster/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/PerThread.h"
#include "render/raster/PixelVector.h"

namespace raster {
namespace {

uint16_t Weight256(float fraction) {
    return static_cast<uint16_t>(std::clamp(static_cast<int>(std::lround(fraction * 256.0f)), 0, 256));
}

// Two pixels' channels as 16-bit lanes for the vertical mix, and one pixel's
// as 32-bit lanes for the horizontal one, whose sums need the width. Plain
// SSE2 runs both; the integer arithmetic is the same as channel by channel.
typedef uint32_t Quad __attribute__((vector_size(16)));
typedef uint16_t Quad16 __attribute__((vector_size(8)));
typedef uint8_t QuadBytes __attribute__((vector_size(4)));

// m[x * 4 + ch] = channel ch of r0[x] * w0 + r1[x] * w1, a missing row read as
// transparent black.
void MixRows(uint16_t* m, const uint32_t* r0, const uint32_t* r1, int span, uint16_t w0, uint16_t w1) {
    static const uint32_t kZeros[2] = {0, 0};
    int x = 0;
    for (; x + 2 <= span; x += 2) {
        const Pair mixed = LoadPair(r0 ? r0 + x : kZeros) * w0 + LoadPair(r1 ? r1 + x : kZeros) * w1;
        std::memcpy(m + x * 4, &mixed, sizeof mixed);
    }
    for (; x < span; ++x) {
        const uint32_t p0 = r0 ? r0[x] : 0u;
        const uint32_t p1 = r1 ? r1[x] : 0u;
        for (int ch = 0; ch < 4; ++ch) {
            const uint32_t a = (p0 >> (8 * ch)) & 0xFFu;
            const uint32_t b = (p1 >> (8 * ch)) & 0xFFu;
            m[x * 4 + ch] = static_cast<uint16_t>(a * w0 + b * w1);
        }
    }
}

inline Quad LoadQuad(const uint16_t* p) {
    Quad16 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Quad);
}

inline uint32_t MixColumns(const uint16_t* a, const uint16_t* b, uint32_t f0, uint32_t f1) {
    const Quad q = (LoadQuad(a) * f0 + LoadQuad(b) * f1 + 32768u) >> 16;  // at most 255
    const QuadBytes bytes = __builtin_convertvector(q, QuadBytes);
    uint32_t p;
    std::memcpy(&p, &bytes, sizeof p);
    return p;
}

}  // namespace

Taps StretchTaps(int dstCount, int srcCount) {
    Taps t;
    StretchTaps(dstCount, srcCount, 0, dstCount, t);
    return t;
}

void StretchTaps(int dstCount, int srcCount, int from, int count, Taps& t) {
    t.Resize(std::max(count, 0));
    if (dstCount <= 0 || srcCount <= 0) return;
    const double scale = static_cast<double>(srcCount) / dstCount;
    for (int k = 0; k < count; ++k) {
        const int i = from + k;
        const double s = std::clamp((i + 0.5) * scale - 0.5, 0.0, static_cast<double>(srcCount - 1));
        const int i0 = static_cast<int>(std::floor(s));
        t.first[k] = i0;
        t.second[k] = std::min(i0 + 1, srcCount - 1);
        t.weight[k] = Weight256(static_cast<float>(s - i0));
    }
}

Taps ShiftTaps(int dstStart, int n, int srcCount, float offset, bool hardEdges) {
    Taps t;
    t.Resize(std::max(n, 0));
    for (int i = 0; i < n; ++i) {
        const int d = dstStart + i;
        const double s = d - static_cast<double>(offset);
        if (hardEdges) {
            const double centre = d + 0.5 - offset;
            if (centre < 0.0 || centre >= srcCount || srcCount <= 0) {
                t.first[i] = t.second[i] = Taps::kOutside;
                continue;
            }
            const double c = std::clamp(s, 0.0, static_cast<double>(srcCount - 1));
            const int i0 = static_cast<int>(std::floor(c));
            t.first[i] = i0;
            t.second[i] = std::min(i0 + 1, srcCount - 1);
            t.weight[i] = Weight256(static_cast<float>(c - i0));
        } else {
            const int i0 = static_cast<int>(std::floor(s));
            const int i1 = i0 + 1;
            t.first[i] = (i0 >= 0 && i0 < srcCount) ? i0 : Taps::kOutside;
            t.second[i] = (i1 >= 0 && i1 < srcCount) ? i1 : Taps::kOutside;
            t.weight[i] = Weight256(static_cast<float>(s - i0));
        }
    }
    return t;
}

void ResampleInto(ImageView dst, const Rect& area, ConstImageView src, const Taps& columns, const Taps& rows,
                  TapOrigin origin, const DrawOptions& options) {
    const int cx = area.x - origin.x;
    const int ry = area.y - origin.y;
    if (area.IsEmpty() || src.width <= 0 || src.height <= 0) return;
    const uint32_t opacity = OpacityToByte(options.opacity);
    if (opacity == 0u && options.mode == BlendMode::SourceOver) return;

    // Source columns this area reads; the vertical mix covers only them, plus
    // one zero pixel at the end for kOutside.
    int lo = src.width, hi = -1;
    for (int i = 0; i < area.width; ++i) {
        for (int c : {columns.first[cx + i], columns.second[cx + i]}) {
            if (c == Taps::kOutside) continue;
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        }
    }
    const int span = hi >= lo ? hi - lo + 1 : 0;
    // Kept per thread: a frame draws many small pieces.
    std::vector<uint16_t>& mixed = platform::PerThread<std::vector<uint16_t>>();
    std::vector<uint32_t>& out = platform::PerThread<std::vector<uint32_t>>();
    std::vector<int>& c0 = platform::PerThread<std::vector<int>, struct FirstColumns>();
    std::vector<int>& c1 = platform::PerThread<std::vector<int>, struct SecondColumns>();
    mixed.assign(static_cast<std::size_t>(span + 1) * 4, 0);  // channel x 256
    out.resize(static_cast<std::size_t>(area.width));
    c0.resize(static_cast<std::size_t>(area.width));
    c1.resize(static_cast<std::size_t>(area.width));
    for (int i = 0; i < area.width; ++i) {
        const int a = columns.first[cx + i], b = columns.second[cx + i];
        c0[i] = (a == Taps::kOutside ? span : a - lo) * 4;
        c1[i] = (b == Taps::kOutside ? span : b - lo) * 4;
    }

    for (int r = 0; r < area.height; ++r) {
        const int y0 = rows.first[ry + r], y1 = rows.second[ry + r];
        const uint32_t w1 = rows.weight[ry + r], w0 = 256u - w1;
        const uint32_t* r0 = y0 == Taps::kOutside ? nullptr : src.Row(y0) + lo;
        const uint32_t* r1 = y1 == Taps::kOutside ? nullptr : src.Row(y1) + lo;
        uint16_t* m = mixed.data();
        MixRows(m, r0, r1, span, static_cast<uint16_t>(w0), static_cast<uint16_t>(w1));
        for (int i = 0; i < area.width; ++i) {
            const uint32_t f1 = columns.weight[cx + i];
            out[i] = MixColumns(m + c0[i], m + c1[i], 256u - f1, f1);
        }
        const int y = area.y + r;
        const uint8_t* cov = options.coverage ? options.coverage->Span(area.x, y) : nullptr;
        BlendRow(dst.Row(y) + area.x, out.data(), area.width, opacity, cov, options.mode);
    }
}

}  // namespace raster
