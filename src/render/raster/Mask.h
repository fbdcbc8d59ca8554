#pragma once
// Multiplying an image by a mask: what a mask brush does to its source, and how
// a clip's coverage is applied to an already composed layer.

#include "render/raster/Image.h"

namespace raster {

// Every channel of img times the alpha of the mask image's pixel at the same
// place; pixels beyond the mask become transparent.
void MultiplyByMaskAlpha(ImageView img, ConstImageView mask);

// Every channel of img times the coverage at the same place (img's (0, 0) is the
// mask's image origin); pixels outside the mask's bounds become transparent.
void MultiplyByCoverage(ImageView img, ConstMaskView coverage);

}  // namespace raster
