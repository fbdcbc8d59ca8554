#pragma once
// Anti-aliased clip shapes as 8-bit coverage masks: rounded rectangles (the
// rounded-rectangle geometry clip) and plain rectangles (inset clips).

#include "render/raster/Image.h"

namespace raster {

// Coverage of `shape` (in the mask's image coordinates) over every pixel of the
// mask. Radii below 0 count as 0 and radii above half the width (height) are
// clamped to it, as a rounded rectangle with oversized corners is drawn. Edges
// get their exact area coverage; pixels on a corner arc get 0.5 minus their
// centre's signed distance from the arc, clamped to 0..1.
void FillRoundedRectCoverage(MaskView mask, const RectF& shape, float radiusX, float radiusY);

// A new mask over `bounds` with the coverage above.
Mask RoundedRectCoverage(const Rect& bounds, const RectF& shape, float radiusX, float radiusY);

// The rectangle an inset clip keeps of a visual: each side moved inwards by its
// inset (negative insets widen it). Width and height never go below 0.
RectF InsetClipRect(const RectF& visual, float left, float top, float right, float bottom);

// mask *= other, pixel by pixel (other is 0 outside its bounds): the coverage of
// two clips applied together.
void IntersectCoverage(MaskView mask, ConstMaskView other);

// mask -= other, never below 0 (other is 0 outside its bounds): a shape less
// another, as an outline is its outer shape less its inner one.
void SubtractCoverage(MaskView mask, ConstMaskView other);

}  // namespace raster
