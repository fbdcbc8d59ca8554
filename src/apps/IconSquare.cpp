#include "apps/IconSquare.h"

#include "render/raster/Stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

IconBitmap FitIconToSquare(const IconBitmap& bitmap, int size) {
    if (!bitmap.Usable() || size <= 0 || (bitmap.width == size && bitmap.height == size)) return bitmap;
    if (bitmap.pixels.size() < static_cast<size_t>(bitmap.width) * bitmap.height * 4) return bitmap;
    raster::Image source(bitmap.width, bitmap.height);
    std::memcpy(source.Data(), bitmap.pixels.data(), static_cast<size_t>(bitmap.width) * bitmap.height * 4);

    const double scale = std::min(static_cast<double>(size) / bitmap.width, static_cast<double>(size) / bitmap.height);
    const int width = std::clamp(static_cast<int>(std::lround(bitmap.width * scale)), 1, size);
    const int height = std::clamp(static_cast<int>(std::lround(bitmap.height * scale)), 1, size);
    raster::Image square(size, size);
    raster::DrawStretched(square.View(), {(size - width) / 2, (size - height) / 2, width, height}, source.View());

    IconBitmap out;
    out.width = size;
    out.height = size;
    out.pixels.resize(static_cast<size_t>(size) * size * 4);
    std::memcpy(out.pixels.data(), square.Data(), out.pixels.size());
    return out;
}
