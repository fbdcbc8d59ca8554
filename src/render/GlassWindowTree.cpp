#include "render/GlassWindowTree.h"

bool BuildGlassWindowTree(CompositionHost& host, HWND window, float blurAmount, GlassStyle style,
                          comp::DesktopWindowTarget& target, comp::ContainerVisual& root, GlassLayer& glass,
                          comp::SpriteVisual& content) {
    target = host.CreateWindowTarget(window);
    if (!target) return false;
    root = host.compositor.CreateContainerVisual();
    root.RelativeSizeAdjustment({1.0f, 1.0f});
    target.Root(root);
    glass.Initialize(host, blurAmount, style);
    content = host.compositor.CreateSpriteVisual();
    root.Children().InsertAtTop(glass.root);
    root.Children().InsertAtTop(content);
    return true;
}

SurfaceFit FitContentSurface(CompositionHost& host, comp::SpriteVisual& content, int32_t w, int32_t h,
                             comp::CompositionDrawingSurface& surface, comp::CompositionSurfaceBrush& brush,
                             int32_t& surfaceWidth, int32_t& surfaceHeight) {
    if (surface && w == surfaceWidth && h == surfaceHeight) return SurfaceFit::Kept;
    surface = host.CreateDrawingSurface(w, h);
    if (!surface) return SurfaceFit::Failed;
    surfaceWidth = w;
    surfaceHeight = h;
    brush = host.compositor.CreateSurfaceBrush(surface);
    brush.Stretch(comp::CompositionStretch::Fill);
    content.Brush(brush);
    return SurfaceFit::MadeAnew;
}
