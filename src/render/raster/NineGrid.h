#pragma once
// Nine-grid drawing: the corners of the source keep their size, its edges
// stretch along one axis and its centre along both.

#include "render/raster/Blend.h"
#include "render/raster/Image.h"

namespace raster {

struct NineGridInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr NineGridInsets Uniform(int inset) { return {inset, inset, inset, inset}; }
};

// The insets used on a target of the given size. When a target is too small for
// the insets, they shrink in proportion so the corners still meet: equal insets
// shrink by one factor for both axes (min(w, h) / (2 x inset)), so rounded
// corners stay round; unequal ones shrink per axis (w / (left + right) and
// h / (top + bottom)). Fractions are dropped; the centre takes what is left.
NineGridInsets TargetInsets(const NineGridInsets& insets, int targetWidth, int targetHeight);

// src drawn as a nine-grid over target. The insets are in source pixels; the
// source must be larger than them for the centre to show.
void DrawNineGrid(ImageView dst, const Rect& target, ConstImageView src, const NineGridInsets& insets,
                  const DrawOptions& options = {});

}  // namespace raster
