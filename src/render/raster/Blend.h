#pragma once
// Drawing one premultiplied image (or one colour) over another: source-over with
// opacity and an optional coverage mask, or a plain copy. Every drawing
// operation of the compositor ends in BlendRow, so the per-pixel arithmetic
// lives in one place.

#include <cstdint>

#include "render/raster/Image.h"

namespace raster {

enum class BlendMode {
    SourceOver,  // result = source + destination * (1 - source alpha)
    Copy,        // result = source; the destination is replaced
};

// What every compositing draw shares. The clip is in destination pixels; the
// coverage mask (if any) is in destination pixels too, and nothing is drawn
// outside its bounds.
struct DrawOptions {
    float opacity = 1.0f;
    Rect clip = Rect::Everything();
    const ConstMaskView* coverage = nullptr;
    BlendMode mode = BlendMode::SourceOver;
};

// The destination pixels a draw into `target` may touch.
Rect DrawArea(const ImageView& dst, const Rect& target, const DrawOptions& options);

// count pixels of src onto dst. opacity is 0..255; coverage may be null (all 255).
void BlendRow(uint32_t* dst, const uint32_t* src, int count, uint32_t opacity, const uint8_t* coverage, BlendMode mode);

// One colour (premultiplied) onto count pixels.
void BlendColorRow(uint32_t* dst, uint32_t color, int count, uint32_t opacity, const uint8_t* coverage, BlendMode mode);

// src with its top-left at (x, y) of dst.
void DrawImage(ImageView dst, ConstImageView src, int x, int y, const DrawOptions& options = {});

// A premultiplied colour over the area of dst.
void FillRect(ImageView dst, const Rect& area, uint32_t color, const DrawOptions& options = {});

// Every pixel of the area becomes value, with no blending and no mask.
void ClearRect(ImageView dst, const Rect& area, uint32_t value = 0);

}  // namespace raster
