#pragma once
// A plain tinted, rounded panel with the glass layer's interface, standing in
// for the dock's blurred glass until the real layer is wired in (see the
// DockGlass alias in DockWindow.h). Same tree root, same tint colours, same
// dark/light decision; no backdrop, shadow or rim.

#include "render/CompositionHost.h"
#include "render/GlassTheme.h"
#include "render/comp/Compositor.h"

class DockGlassStandIn {
public:
    // Builds the tree; exceptions of the compositor propagate to the owner.
    void Initialize(CompositionHost& host, float blurAmount, GlassStyle style);
    void UpdateTint(GlassTheme theme, float opacity, float scale);
    void SetBounds(float x, float y, float width, float height, float cornerRadius);

    CompositionHost* host = nullptr;
    comp::ContainerVisual root{nullptr};
    comp::SpriteVisual tintSprite{nullptr};
    comp::CompositionColorBrush tintBrush{nullptr};
    comp::SpriteVisual rimSprite{nullptr};
    comp::CompositionColorBrush rimBrush{nullptr};
    comp::CompositionRoundedRectangleGeometry clipGeometry{nullptr};
    comp::CompositionRoundedRectangleGeometry rimClipGeometry{nullptr};
    GlassStyle style = GlassStyle::Dock;
    float blurAmount = 13.0f;
    bool dark = true;
    GlassTheme theme = 0;
    float opacity = 0.62f;
    float cornerRadius = 18.0f;
    float scale = 1.0f;
};
