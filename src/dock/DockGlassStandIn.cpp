#include "dock/DockGlassStandIn.h"

#include <algorithm>
#include <cmath>

void DockGlassStandIn::Initialize(CompositionHost& compositionHost, float blur, GlassStyle glassStyle) {
    host = &compositionHost;
    style = glassStyle;
    blurAmount = blur;
    const comp::Compositor& compositor = host->compositor;
    root = compositor.CreateContainerVisual();
    // A slightly brighter ring one pixel wide under the tint gives the panel an edge.
    rimSprite = compositor.CreateSpriteVisual();
    rimBrush = compositor.CreateColorBrush();
    rimSprite.Brush(rimBrush);
    rimClipGeometry = compositor.CreateRoundedRectangleGeometry();
    rimSprite.Clip(compositor.CreateGeometricClip(rimClipGeometry));
    tintSprite = compositor.CreateSpriteVisual();
    tintBrush = compositor.CreateColorBrush();
    tintSprite.Brush(tintBrush);
    clipGeometry = compositor.CreateRoundedRectangleGeometry();
    tintSprite.Clip(compositor.CreateGeometricClip(clipGeometry));
    root.Children().InsertAtTop(rimSprite);
    root.Children().InsertAtTop(tintSprite);
}

void DockGlassStandIn::UpdateTint(GlassTheme glassTheme, float glassOpacity, float scaleFactor) {
    theme = glassTheme;
    opacity = std::clamp(glassOpacity, 0.0f, 1.0f);
    scale = std::max(scaleFactor, 1.0f);
    dark = IsDarkGlass(theme);
    if (!tintBrush) return;
    // Without a live backdrop the panel must carry itself: never fainter than 0.55.
    auto alpha = static_cast<uint8_t>(std::lround(255.0f * std::max(opacity, 0.55f)));
    tintBrush.Color(dark ? comp::Color{alpha, 20, 24, 34} : comp::Color{alpha, 246, 248, 252});
    rimBrush.Color(dark ? comp::Color{150, 120, 130, 150} : comp::Color{200, 255, 255, 255});
}

void DockGlassStandIn::SetBounds(float x, float y, float width, float height, float radius) {
    if (!root) return;
    float w = std::max(width, 1.0f);
    float h = std::max(height, 1.0f);
    cornerRadius = std::min(radius, 0.48f * h);
    root.Offset({x, y, 0.0f});
    root.Size({w, h});
    rimSprite.Size({w, h});
    rimClipGeometry.Size({w, h});
    rimClipGeometry.CornerRadius({cornerRadius, cornerRadius});
    float inset = std::max(1.0f, scale);
    tintSprite.Offset({inset, inset, 0.0f});
    tintSprite.Size({std::max(w - 2 * inset, 1.0f), std::max(h - 2 * inset, 1.0f)});
    clipGeometry.Size({std::max(w - 2 * inset, 1.0f), std::max(h - 2 * inset, 1.0f)});
    float inner = std::max(cornerRadius - inset, 0.0f);
    clipGeometry.CornerRadius({inner, inner});
}
