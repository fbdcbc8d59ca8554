#include "render/raster/NineGrid.h"

#include <algorithm>
#include <cmath>

#include "render/raster/Stretch.h"

namespace raster {

namespace {

bool IsTransparent(ConstImageView cell) {
    for (int y = 0; y < cell.height; ++y) {
        const uint32_t* row = cell.Row(y);
        for (int x = 0; x < cell.width; ++x) {
            if (row[x]) return false;
        }
    }
    return true;
}

}  // namespace

NineGridInsets TargetInsets(const NineGridInsets& in, int w, int h) {
    NineGridInsets i{std::max(in.left, 0), std::max(in.top, 0), std::max(in.right, 0), std::max(in.bottom, 0)};
    w = std::max(w, 0);
    h = std::max(h, 0);
    auto shrink = [](int value, double factor) { return static_cast<int>(std::floor(value * factor + 1e-9)); };
    const bool equal = i.left == i.top && i.left == i.right && i.left == i.bottom;
    if (equal) {
        if (i.left > 0 && (w < 2 * i.left || h < 2 * i.left)) {
            const double f = std::min(w, h) / (2.0 * i.left);
            const int v = shrink(i.left, f);
            return NineGridInsets::Uniform(v);
        }
        return i;
    }
    if (i.left + i.right > w) {
        const double f = static_cast<double>(w) / (i.left + i.right);
        i.left = shrink(i.left, f);
        i.right = shrink(i.right, f);
    }
    if (i.top + i.bottom > h) {
        const double f = static_cast<double>(h) / (i.top + i.bottom);
        i.top = shrink(i.top, f);
        i.bottom = shrink(i.bottom, f);
    }
    return i;
}

void DrawNineGrid(ImageView dst, const Rect& target, ConstImageView src, const NineGridInsets& insets,
                  const DrawOptions& options) {
    if (target.IsEmpty() || src.width <= 0 || src.height <= 0) return;
    NineGridInsets s{std::clamp(insets.left, 0, src.width), std::clamp(insets.top, 0, src.height),
                     std::clamp(insets.right, 0, src.width), std::clamp(insets.bottom, 0, src.height)};
    s.right = std::min(s.right, src.width - s.left);
    s.bottom = std::min(s.bottom, src.height - s.top);
    const NineGridInsets d = TargetInsets(s, target.width, target.height);

    const int srcX[4] = {0, s.left, src.width - s.right, src.width};
    const int srcY[4] = {0, s.top, src.height - s.bottom, src.height};
    const int dstX[4] = {target.x, target.x + d.left, target.Right() - d.right, target.Right()};
    const int dstY[4] = {target.y, target.y + d.top, target.Bottom() - d.bottom, target.Bottom()};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const Rect cellDst{dstX[col], dstY[row], dstX[col + 1] - dstX[col], dstY[row + 1] - dstY[row]};
            const Rect cellSrc{srcX[col], srcY[row], srcX[col + 1] - srcX[col], srcY[row + 1] - srcY[row]};
            if (cellDst.IsEmpty() || cellSrc.IsEmpty()) continue;
            const ConstImageView cell = src.Sub(cellSrc);
            // A hollow grid (a ring, a rim) draws nothing over its centre; every
            // sample of a transparent cell is transparent, so source-over keeps
            // the destination as it is.
            if (DrawArea(dst, cellDst, options).IsEmpty()) continue;
            if (options.mode == BlendMode::SourceOver && IsTransparent(cell)) continue;
            DrawStretched(dst, cellDst, cell, options);
        }
    }
}

}  // namespace raster
