#pragma once
// One painted element of the launcher: its sprite, surface, brush and the pixel
// size the surface was made for. The surface is made again only when that size
// changes.

#include <windows.h>

#include "render/CompositionHost.h"

// True with a surface of the wanted size on the sprite; false when none could be made.
bool EnsureSpriteSurface(CompositionHost& host, comp::SpriteVisual& sprite, comp::CompositionDrawingSurface& surface,
                         comp::CompositionSurfaceBrush& brush, SIZE& stored, SIZE wanted);
