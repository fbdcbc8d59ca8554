#pragma once
// Sub-pixel translation of an image by bilinear resampling, as the glass's
// refracted rim shifts its backdrop.

#include "render/raster/Blend.h"
#include "render/raster/Image.h"

namespace raster {

// src, whose (0, 0) lies on dst's (0, 0), drawn moved by (dx, dy). With
// EdgeMode::Hard the moved image keeps hard edges: a destination pixel shows it
// when its centre lies inside the moved bounds, sampled with the edges clamped,
// and stays transparent otherwise (so a move by 7.5 leaves rows 0 to 6 empty and
// row 7 a copy of source row 0). With EdgeMode::Soft the edges fade.
// In BlendMode::Copy every destination pixel in the clip is written.
void DrawTranslated(ImageView dst, ConstImageView src, float dx, float dy, EdgeMode edges,
                    const DrawOptions& options = {});

}  // namespace raster
