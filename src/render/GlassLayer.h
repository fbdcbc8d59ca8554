#pragma once
// The glass under every window: a small visual tree that shows the desktop
// behind the window blurred and saturated (the live backdrop), a tint, a soft
// drop shadow, rim highlights and, on the dock, a refracted lens rim.
//
// Our host backdrop is the wallpaper alone, not the windows between it and
// the glass: a translucent tint would let those windows through sharp, where
// the system's glass blurs them. So the wallpaper, blurred, lies at full
// alpha under the tint wherever what is above does not cover the panel
// already (the base); only the clip's anti-aliased edge lets anything through.
//
// The owner calls Initialize once per (re)built device, inserts root into its
// own tree, calls UpdateTint (the all-apps window UpdateLauncherTint) when
// theme, opacity or scale change, and SetBounds on every layout.

#include "render/CompositionHost.h"
#include "render/GlassTheme.h"
#include "render/comp/Compositor.h"

class GlassLayer {
public:
    GlassLayer() = default;
    GlassLayer(const GlassLayer&) = delete;
    GlassLayer& operator=(const GlassLayer&) = delete;

    // Builds the tree; compositor errors propagate (comp::HResultError).
    void Initialize(CompositionHost& host, float blurAmount, GlassStyle style);
    void UpdateTint(GlassTheme theme, float opacity, float scale);
    void UpdateLauncherTint(GlassTheme theme, float opacity, float scale);
    void RebuildSurfaces(float radius, float scale);
    void SetBounds(float x, float y, float width, float height, float radius);
    // Starts filtering, on a worker, the backdrop a glass of this blur and
    // style shows in a window over the screen rows [top, bottom), so that its
    // first frame finds it done. Needs no device.
    static void PrepareBackdrop(comp::HostBackdrop& backdrop, float blurAmount, GlassStyle style, int top, int bottom);

    CompositionHost* host = nullptr;
    comp::ContainerVisual root;
    comp::SpriteVisual shadowSprite;
    comp::ContainerVisual body;
    comp::SpriteVisual baseSprite;  // the blurred wallpaper under a translucent tint
    comp::CompositionEffectBrush baseBrush;
    comp::CompositionRoundedRectangleGeometry clipGeometry;
    comp::SpriteVisual backdropSprite;
    comp::CompositionBackdropBrush hostBackdropBrush;
    comp::CompositionEffectBrush blurBrush;
    comp::SpriteVisual lensSprite;
    comp::CompositionEffectBrush refractionBrush;
    comp::SpriteVisual tintSprite;
    comp::CompositionColorBrush tintBrush;
    comp::SpriteVisual highlightSprite;
    comp::SpriteVisual rimSprite;
    comp::CompositionDrawingSurface shadowSurface;
    comp::CompositionDrawingSurface fadeSurface;
    comp::CompositionDrawingSurface lensSurface;
    comp::CompositionDrawingSurface highlightSurface;
    comp::CompositionDrawingSurface rimSurface;
    GlassStyle style = GlassStyle::Dock;
    float blurAmount = 13.0f;
    bool backdropOn = false;
    bool refractionOn = false;
    bool dark = true;
    GlassTheme theme = kGlassThemeSystem;
    float opacity = 0.62f;
    float cornerRadius = 18.0f;
    float shadowPad = 24.0f;
    float scale = 1.0f;
    bool masksBuilt = false;
    // The radius the surfaces were last built for: layouts that creep by small
    // steps must still rebuild once they are far from it.
    float surfacesRadius = 18.0f;

private:
    comp::CompositionEffectBrush BuildBlurBrush(const comp::Compositor& compositor,
                                                const comp::CompositionBackdropBrush& backdrop, float amount,
                                                GlassStyle forStyle);
    comp::CompositionEffectBrush BuildRefractionBrush();
    bool IsLive() const;
    void ShowBase(bool needed);
    void RebuildShadow(float r);
    void RebuildTopBarBackdrop(bool live);
    void RebuildLens(bool live, float r);
    void RebuildHighlight(bool live);
    void RebuildRim(float r);
    comp::CompositionNineGridBrush NineGridOver(const comp::CompositionDrawingSurface& surface, float inset) const;

    void PaintShadowMask(const comp::CompositionDrawingSurface& surface, int side, float r);
    void PaintRimGradient(const comp::CompositionDrawingSurface& surface, D2D1_COLOR_F color, float topAlpha);
    void PaintLensHighlights(const comp::CompositionDrawingSurface& surface, float side, float r);
};
