#pragma once
// The tree a glass window starts from: the window's target, whose root (sized
// with the window) holds the glass and, above it, one content sprite.

#include <windows.h>

#include "render/CompositionHost.h"
#include "render/GlassLayer.h"
#include "render/comp/Compositor.h"

// Fills target, root, glass and content for `window`. False, with only the
// (empty) target set, when the host makes no target for the window. A failing
// compositor call throws; what was made before it stays in the out values.
bool BuildGlassWindowTree(CompositionHost& host, HWND window, float blurAmount, GlassStyle style,
                          comp::DesktopWindowTarget& target, comp::ContainerVisual& root, GlassLayer& glass,
                          comp::SpriteVisual& content);
