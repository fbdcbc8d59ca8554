#pragma once
// What the icon loader needs of the compositor: square premultiplied BGRA
// drawing surfaces and a drawing pass over them. The composition host's
// adapter implements it; every call runs on the UI thread.

#include <windows.h>
#include <d2d1_1.h>
#include <dwrite.h>
#include <wincodec.h>

#include <functional>
#include <memory>

#include "apps/IconBitmap.h"

// One drawing surface; the adapter derives from it and keeps the real one.
class IconSurface {
public:
    virtual ~IconSurface() = default;
};

using IconSurfaceRef = std::shared_ptr<IconSurface>;

class IconSurfaceHost {
public:
    virtual ~IconSurfaceHost() = default;

    // A width x height surface (B8G8R8A8, premultiplied), or null.
    virtual IconSurfaceRef CreateDrawingSurface(int width, int height) = 0;

    // The drawing pass: begin drawing, set the transform to the surface's
    // offset, clear to transparent, run paint, end drawing. A failing begin
    // (paint is then not run) or end is reported as a draw failure, which also
    // records device loss. The surface stays usable by the caller either way.
    virtual void DrawSurface(IconSurface& surface, const std::function<void(ID2D1DeviceContext*)>& paint) = 0;

    // Ready-made pixels (premultiplied BGRA, the surface's size) become the
    // content without a drawing pass; false where the host cannot do that, and
    // the caller then draws.
    virtual bool PutPixels(IconSurface& /*surface*/, const IconBitmap& /*pixels*/) { return false; }
    // The surface's content as pixels; false where the host cannot read it.
    virtual bool ReadPixels(const IconSurface& /*surface*/, IconBitmap& /*pixels*/) { return false; }
};

// The factories the loader borrows from the owner's graphics device.
struct IconGraphics {
    IDWriteFactory* dwrite = nullptr;       // count badges
    IWICImagingFactory* imaging = nullptr;  // stock icons, synchronous extraction
};
