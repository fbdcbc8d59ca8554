#pragma once
// The part of a window a frame redraws: a few rectangles that do not overlap,
// so that moving things far apart (icons across a wide band, the two ends of
// a glass that widens) do not redraw everything between them.

#include <cstddef>
#include <vector>

#include "render/raster/Image.h"

namespace comp::detail {

class DamageRegion {
public:
    // Beyond this many separate rectangles the closest ones are joined:
    // every rectangle costs a walk of the tree.
    static constexpr size_t kMaxRects = 12;
    // Rectangles this close are merged when their union adds little to them:
    // at most kWaste pixels or a quarter of what they cover.
    static constexpr int kNear = 8;
    static constexpr long long kWaste = 1024;

    void Clear() { rects_.clear(); }
    void Add(const raster::Rect& rect);
    // Keeps only what lies inside bounds.
    void ClipTo(const raster::Rect& bounds);
    bool IsEmpty() const { return rects_.empty(); }
    // The smallest rectangle holding all of it.
    raster::Rect Bounds() const;
    const std::vector<raster::Rect>& Rects() const { return rects_; }

private:
    void Reduce();

    std::vector<raster::Rect> rects_;
    std::vector<raster::Rect> pieces_, cut_;  // kept for their memory
};

}  // namespace comp::detail
