#pragma once
// Bilinear resampling shared by stretching, nine-grids and translation: the
// caller says, for each destination column and row, which two source columns
// (rows) to mix and with what weight; the rows are then blended like any draw.

#include <cstdint>
#include <vector>

#include "render/raster/Blend.h"
#include "render/raster/Image.h"

namespace raster {

// Index kOutside reads transparent black.
struct Taps {
    static constexpr int kOutside = -1;
    std::vector<int> first;
    std::vector<int> second;
    std::vector<uint16_t> weight;  // share of `second`, 0..256

    void Resize(int n) {
        first.assign(n, 0);
        second.assign(n, 0);
        weight.assign(n, 0);
    }
    int Size() const { return static_cast<int>(first.size()); }
};

// Taps for drawing srcCount source pixels over dstCount destination pixels,
// sampling at pixel centres and clamping at the source's edges.
Taps StretchTaps(int dstCount, int srcCount);
// The same for the destination pixels [from, from + count) only, into taps
// (index 0 is destination pixel from), reusing their memory.
void StretchTaps(int dstCount, int srcCount, int from, int count, Taps& taps);

// Taps for a shift by `offset` pixels (destination i samples source i - offset)
// of n destination pixels starting at dstStart, over srcCount source pixels.
// hardEdges: only the destination pixels whose centres fall inside the shifted
// source are drawn, sampled with the edges clamped; otherwise transparent black
// lies beyond the source and the edge fades over one pixel.
Taps ShiftTaps(int dstStart, int n, int srcCount, float offset, bool hardEdges);

// Draws over `area` of dst; destination column x uses columns[x - origin.x] and
// row y uses rows[y - origin.y]. area must lie inside DrawArea of the options
// and inside the taps.
struct TapOrigin {
    int x = 0;
    int y = 0;
};
void ResampleInto(ImageView dst, const Rect& area, ConstImageView src, const Taps& columns, const Taps& rows,
                  TapOrigin origin, const DrawOptions& options);

}  // namespace raster
