#pragma once
// The tree a glass window starts from: the window's target, whose root (sized
// with the window) holds the glass and, above it, one content sprite.

#include <windows.h>

#include <cstdint>

#include "render/CompositionHost.h"
#include "render/GlassLayer.h"
#include "render/comp/Compositor.h"

// Fills target, root, glass and content for `window`. False, with only the
// (empty) target set, when the host makes no target for the window. A failing
// compositor call throws; what was made before it stays in the out values.
bool BuildGlassWindowTree(CompositionHost& host, HWND window, float blurAmount, GlassStyle style,
                          comp::DesktopWindowTarget& target, comp::ContainerVisual& root, GlassLayer& glass,
                          comp::SpriteVisual& content);

enum class SurfaceFit { Kept, MadeAnew, Failed };

// The content sprite's drawing surface at w x h pixels: kept while its size
// holds, otherwise made anew with the brush that stretches it over `content`.
// Failed, with no surface, when the host could not make one.
SurfaceFit FitContentSurface(CompositionHost& host, comp::SpriteVisual& content, int32_t w, int32_t h,
                             comp::CompositionDrawingSurface& surface, comp::CompositionSurfaceBrush& brush,
                             int32_t& surfaceWidth, int32_t& surfaceHeight);
