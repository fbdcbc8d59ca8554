#include "apps/IconBitmap.h"

#include <algorithm>
#include <cmath>

int ExtractionPixelSize(int size, bool macStyle) {
    const int s = ClampIconSize(size);
    if (!macStyle) return s;
    return std::max(static_cast<int>(std::lround(0.64 * s)), kMinIconSize);
}

bool HasVisibleContent(const IconBitmap& bitmap) {
    if (!bitmap.Usable() || (bitmap.width <= 1 && bitmap.height <= 1)) return false;
    for (size_t i = 3; i < bitmap.pixels.size(); i += 4) {
        if (bitmap.pixels[i] != 0) return true;
    }
    return false;
}
