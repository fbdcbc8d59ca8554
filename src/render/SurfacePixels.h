#pragma once
// Drawing ready-made pixels into a surface that is open for drawing: the way a
// painter hands over what it built in pixel code.

#include <d2d1_1.h>
#include <windows.h>

#include "render/raster/Image.h"

// Draws the premultiplied image unscaled with its top-left at (0, 0) of the
// context's current transform. The failure when the bitmap cannot be made.
HRESULT DrawPixels(ID2D1DeviceContext* context, const raster::Image& pixels);
