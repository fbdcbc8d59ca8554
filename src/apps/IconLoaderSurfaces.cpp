// The icon loader's surfaces: every one is painted in one drawing pass of the
// surface host, or, for an icon without a count, put together from pixels.

#include "apps/IconExtraction.h"
#include "apps/IconLoader.h"
#include "apps/IconRendering.h"
#include "apps/IconSquare.h"
#include "render/raster/Stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool IconLoader::ComposeIconPixels(const IconBitmap& bitmap, int size, bool macStyle, IconBitmap& out) {
    if (bitmap.pixels.size() < static_cast<size_t>(bitmap.width) * bitmap.height * 4) return false;
    if (!macStyle) {
        out = FitIconToSquare(bitmap, size);
        return out.Usable();
    }
    // The plate is the placeholder's, drawn once for the size; the icon goes
    // over its inner square. Scaling down by more than half is left to the
    // drawing pass, whose filter keeps a large icon from aliasing.
    const int inset = static_cast<int>(std::lround(kIconInnerInset * static_cast<float>(size)));
    if (std::max(bitmap.width, bitmap.height) > 2 * (size - 2 * inset)) return false;
    const IconSurfaceRef plate = PlaceholderTile(size, true, 0);
    if (!plate || !host->ReadPixels(*plate, out) || out.width != size || out.height != size) return false;
    raster::Image tile(size, size);
    raster::Image source(bitmap.width, bitmap.height);
    std::memcpy(tile.Data(), out.pixels.data(), out.pixels.size());
    std::memcpy(source.Data(), bitmap.pixels.data(), static_cast<size_t>(bitmap.width) * bitmap.height * 4);
    raster::DrawStretched(tile.View(), {inset, inset, size - 2 * inset, size - 2 * inset}, source.View());
    std::memcpy(out.pixels.data(), tile.Data(), out.pixels.size());
    return true;
}

IconSurfaceRef IconLoader::SurfaceFromBitmap(const IconBitmap& bitmap, int size, bool macStyle, int count) {
    if (!host || !bitmap.Usable()) return nullptr;
    IconSurfaceRef surface = host->CreateDrawingSurface(size, size);
    if (!surface) return nullptr;
    // Icons arrive a page at a time: each drawing pass waits for the device,
    // pixels put together here do not.
    IconBitmap composed;
    if (count < 2 && ComposeIconPixels(bitmap, size, macStyle, composed) && host->PutPixels(*surface, composed)) {
        return surface;
    }
    host->DrawSurface(*surface, [&](ID2D1DeviceContext* context) {
        if (macStyle || count >= 2) {
            DrawIconPixels(context, bitmap, macStyle, size, count);
        } else {
            PaintIconBitmapPlain(context, FitIconToSquare(bitmap, size));
        }
    });
    return surface;
}

void IconLoader::DrawIconPixels(ID2D1DeviceContext* context, const IconBitmap& bitmap, bool macStyle, int size,
                                int count) {
    PaintIconPixels(context, graphics ? graphics->dwrite : nullptr, bitmap, macStyle, size, count);
}

IconSurfaceRef IconLoader::RenderBuiltinGlyph(int size, BuiltinIconKind kind, int count) {
    if (!host) return nullptr;
    IconSurfaceRef surface = host->CreateDrawingSurface(size, size);
    if (!surface) return nullptr;
    IDWriteFactory* dwrite = graphics ? graphics->dwrite : nullptr;
    host->DrawSurface(*surface,
                      [&](ID2D1DeviceContext* context) { PaintBuiltinIcon(context, dwrite, size, kind, count); });
    return surface;
}

IconSurfaceRef IconLoader::SurfaceFromHIcon(HICON icon, int size) {
    if (!icon || !graphics || !graphics->imaging || !host) return nullptr;
    IconBitmap bitmap;
    if (!BitmapFromHIcon(graphics->imaging, icon, ClampIconSize(size), bitmap)) return nullptr;
    return SurfaceFromBitmap(bitmap, ClampIconSize(size), false, 0);
}
