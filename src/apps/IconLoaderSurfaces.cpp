// The icon loader's surfaces: every one is painted in one drawing pass of the
// surface host.

#include "apps/IconExtraction.h"
#include "apps/IconLoader.h"
#include "apps/IconRendering.h"
#include "apps/IconSquare.h"

IconSurfaceRef IconLoader::SurfaceFromBitmap(const IconBitmap& bitmap, int size, bool macStyle, int count) {
    if (!host || !bitmap.Usable()) return nullptr;
    IconSurfaceRef surface = host->CreateDrawingSurface(size, size);
    if (!surface) return nullptr;
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
