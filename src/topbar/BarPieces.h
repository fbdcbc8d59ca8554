#pragma once
// The bar's picture as a row of pieces, one per item, each painted once and
// kept: what decides a piece's pixels is its key, where it stands its box.
// Between two pictures only the areas where a piece changed are put together
// again, from every piece that reaches into them, so the result is the same
// as putting the whole row together.

#include <string>
#include <vector>

#include "render/raster/Image.h"

struct BarPiece {
    std::wstring key;
    raster::Rect box;  // bar pixels, the full height of the bar
};

// The areas to put together again to go from `shown` to `next` (pieces
// compared in order): the old and new boxes of every piece that changed,
// merged where they meet, clipped to `whole`. All of `whole` when the number
// of pieces differs.
std::vector<raster::Rect> ChangedBarAreas(const std::vector<BarPiece>& shown, const std::vector<BarPiece>& next,
                                          const raster::Rect& whole);
