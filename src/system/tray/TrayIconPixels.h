#pragma once
// Pixel work on tray icon bitmaps: premultiplied BGRA, rows top-down, 4 bytes a
// pixel. Crops to the visible content and scales it to about 80-90 percent of a
// square, and turns a 48x48 icon into a grey template for a dark or light bar.
// No Windows headers: plain bytes in, plain bytes out.

#include <cstdint>
#include <vector>

// Smallest and largest x and y of the pixels whose alpha reaches the threshold;
// false when none does.
bool FindOpaqueBounds(const std::vector<uint8_t>& pixels, int width, int height, int alphaThreshold, int& minX,
                      int& minY, int& maxX, int& maxY);

// A target x target bitmap with the content centred; empty on bad input; a fully
// transparent source gives a transparent square.
std::vector<uint8_t> FitIconPixels(const std::vector<uint8_t>& pixels, int width, int height, int target);

// Grey template of a 48x48 icon (exactly 9216 bytes, else empty); an icon without
// visible pixels comes back unchanged.
std::vector<uint8_t> MakeTemplateIcon(const std::vector<uint8_t>& pixels, int edge, bool dark);
