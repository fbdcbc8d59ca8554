#pragma once
// Bringing icon pixels of any size to the square of the surface they fill.

#include "apps/IconBitmap.h"

// size x size pixels: the bitmap itself when it has that size, else scaled
// (bilinear) until its longer side spans the square, keeping its aspect, and
// centred on transparent pixels. The shell's own file icons come at its icon
// size (32 or 48), not at the size asked for.
IconBitmap FitIconToSquare(const IconBitmap& bitmap, int size);
