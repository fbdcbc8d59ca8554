#include "allapps/AllAppsSurfaces.h"

bool EnsureSpriteSurface(CompositionHost& host, comp::SpriteVisual& sprite, comp::CompositionDrawingSurface& surface,
                         comp::CompositionSurfaceBrush& brush, SIZE& stored, SIZE wanted) {
    if (surface && stored.cx == wanted.cx && stored.cy == wanted.cy) return true;
    comp::CompositionDrawingSurface next = host.CreateDrawingSurface(wanted.cx, wanted.cy);
    if (!next) return static_cast<bool>(surface);
    surface = next;
    brush = host.compositor.CreateSurfaceBrush(surface);
    brush.Stretch(comp::CompositionStretch::Fill);
    sprite.Brush(brush);
    stored = wanted;
    return true;
}
