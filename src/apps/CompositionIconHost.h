#pragma once
// The icon loader's surfaces on the composition host: each icon surface is a
// composition drawing surface, painted through the host's drawing pass.

#include "apps/IconSurfaceHost.h"
#include "render/CompositionHost.h"

class CompositionIconSurface : public IconSurface {
public:
    explicit CompositionIconSurface(comp::CompositionDrawingSurface s) : surface(std::move(s)) {}
    comp::CompositionDrawingSurface surface;
};

class CompositionIconHost : public IconSurfaceHost {
public:
    explicit CompositionIconHost(CompositionHost& host) : host_(host) {}

    IconSurfaceRef CreateDrawingSurface(int width, int height) override;
    void DrawSurface(IconSurface& surface, const std::function<void(ID2D1DeviceContext*)>& paint) override;
    bool PutPixels(IconSurface& surface, const IconBitmap& pixels) override;
    bool ReadPixels(const IconSurface& surface, IconBitmap& pixels) override;

private:
    CompositionHost& host_;
};

// The composition surface behind an icon surface made by CompositionIconHost; null otherwise.
comp::CompositionDrawingSurface CompositionSurfaceOf(const IconSurfaceRef& icon);
