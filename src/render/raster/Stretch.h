#pragma once
// A surface drawn stretched to fill a rectangle (bilinear, pixel centres mapped
// onto pixel centres, edges clamped), as a surface brush with Fill stretch.

#include "render/raster/Blend.h"
#include "render/raster/Image.h"

namespace raster {

// src scaled to cover target (in dst pixels) exactly.
void DrawStretched(ImageView dst, const Rect& target, ConstImageView src, const DrawOptions& options = {});

}  // namespace raster
