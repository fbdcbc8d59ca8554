#pragma once
// Text rasterized on the processor: DirectWrite lays it out and turns each
// glyph run into grayscale coverage, and the caller fills a colour through it.
// A text never shown before then costs a layout and a few glyph bitmaps, not
// a Direct2D draw and the read-back of its target, which waits for the whole
// device: what a keystroke in a search field and a page of new labels need.

#include <dwrite.h>

#include <cstddef>
#include <cstdint>

#include "render/raster/Image.h"

// The coverage of `layout` drawn with its layout box's top left at
// (originX, originY) of the pixels, each DIP of the layout `scale` pixels.
// Empty when there is nothing to draw or the text engine cannot rasterize it.
raster::Mask TextLayoutCoverage(IDWriteFactory* factory, IDWriteTextLayout* layout, float originX, float originY,
                                float scale);

// Glyphs rasterized so far by this process; a glyph kept from an earlier text
// costs nothing and is not counted again.
size_t TextGlyphsRasterized();

// `color` (premultiplied) through `coverage` onto the pixels, inside `clip`.
void FillCoverage(raster::ImageView pixels, const raster::Mask& coverage, uint32_t color,
                  const raster::Rect& clip = raster::Rect::Everything());
