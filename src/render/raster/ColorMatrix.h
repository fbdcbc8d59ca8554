#pragma once
// Colour matrices over premultiplied pixels, and the saturation matrix the
// glass backdrop uses.

#include "render/raster/Image.h"

namespace raster {

// Rows are the input R, G, B, A and a constant 1; columns the output R, G, B,
// A: out = [r g b a 1] x m, on straight (non-premultiplied) colour in 0..1, the
// result clamped to 0..1.
struct ColorMatrix {
    float m[5][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {0, 0, 0, 0}};
};

// Luminance weights of the saturation matrix: those of the 2D graphics
// library's saturation effect (the same as SVG's "saturate" colour matrix).
inline constexpr float kSaturationRedWeight = 0.213f;
inline constexpr float kSaturationGreenWeight = 0.715f;
inline constexpr float kSaturationBlueWeight = 0.072f;

// 0 gives grey (every channel = the weighted sum), 1 the identity, values above
// 1 push colours away from that grey. Negative and NaN values count as 0.
ColorMatrix SaturationMatrix(float saturation);

// Applies m to the pixels of img inside clip (in img's pixels).
void ApplyColorMatrix(ImageView img, const ColorMatrix& m, const Rect& clip = Rect::Everything());

// ApplyColorMatrix with SaturationMatrix(saturation).
void Saturate(ImageView img, float saturation, const Rect& clip = Rect::Everything());

}  // namespace raster
