#pragma once
// The glass's drop shadow as pixels: a soft dark rounded rectangle, a little
// lower than the panel, with the panel's own area cut out so that translucent
// glass never shows its shadow through itself. Built in pixel code because the
// blur and the clearing blend it needs are not available on every Direct2D.

#include "render/raster/Image.h"

struct GlassShadowShape {
    int side = 0;         // the square texture's side S
    float shadowPad = 0;  // margin between the texture's edge and the panel
    float radius = 0;     // the panel's corner radius
    float scale = 1;      // per-monitor scale
    bool dark = true;     // dark glass casts a denser shadow
};

// Premultiplied black: the shadow of a rounded panel spanning (pad, pad) to
// (S - pad, S - pad), cast downwards by min(pad / 4, 3 x scale), blurred with a
// deviation of 9 x scale, transparent where the panel itself lies.
raster::Image BuildGlassShadowMask(const GlassShadowShape& shape);
