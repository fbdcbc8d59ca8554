#include "render/GlassLayer.h"

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "render/CompositionEffects.h"
#include "render/GlassShadow.h"
#include "render/GradientPixels.h"
#include "render/comp/EffectCompiler.h"
#include "render/comp/EffectSourceParameter.h"

namespace {

unsigned Hex(HRESULT hr) { return static_cast<unsigned>(hr); }

comp::CompositionEffectBrush BrushOverBackdrop(const comp::Compositor& compositor,
                                               const Microsoft::WRL::ComPtr<IGraphicsEffect>& graph,
                                               const comp::CompositionBackdropBrush& backdrop) {
    if (!graph) comp::ThrowHResult(E_OUTOFMEMORY);
    comp::CompositionEffectFactory factory = compositor.CreateEffectFactory(graph.Get());
    comp::CompositionEffectBrush brush = factory.CreateBrush();
    brush.SetSourceParameter(L"backdrop", backdrop);
    return brush;
}

// Saturation, then blur, over the named backdrop source.
Microsoft::WRL::ComPtr<IGraphicsEffect> SaturatedBlur(float saturation, float deviation) {
    auto saturated = SaturationEffect::Make(comp::CompositionEffectSourceParameter(L"backdrop"), saturation);
    return GaussianBlurEffect::Make(AsEffectSource(saturated), deviation);
}

float BackdropSaturation(GlassStyle style) {
    return style == GlassStyle::Dock ? 1.48f : style == GlassStyle::TopBar ? 1.12f : 1.4f;
}

// The lens rim shows the backdrop shifted down, as if refracted.
Microsoft::WRL::ComPtr<IGraphicsEffect> RefractedBackdrop() {
    return Transform2DEffect::Make(AsEffectSource(SaturatedBlur(1.8f, 1.4f)), 0.0f, 7.5f);
}

}  // namespace

void GlassLayer::PrepareBackdrop(comp::HostBackdrop& backdrop, float blur, GlassStyle glassStyle, int top, int bottom) {
    try {
        auto prepare = [&](const Microsoft::WRL::ComPtr<IGraphicsEffect>& graph) {
            if (graph) backdrop.Prepare(comp::detail::CompileEffect(graph.Get()).steps, top, bottom);
        };
        // Panels and popups show it only as the base under a translucent tint.
        prepare(SaturatedBlur(BackdropSaturation(glassStyle), std::max(blur, 2.0f)));
        if (glassStyle == GlassStyle::Dock) prepare(RefractedBackdrop());
    } catch (const comp::HResultError&) {
        // The glass takes its fallback when it is built; nothing to prepare.
    }
}

void GlassLayer::Initialize(CompositionHost& compositionHost, float blur, GlassStyle glassStyle) {
    host = &compositionHost;
    style = glassStyle;
    blurAmount = blur;
    backdropOn = false;
    const comp::Compositor& compositor = host->compositor;

    root = compositor.CreateContainerVisual();
    shadowSprite = compositor.CreateSpriteVisual();
    if (style == GlassStyle::TopBar) shadowSprite.IsVisible(false);
    body = compositor.CreateContainerVisual();
    clipGeometry = compositor.CreateRoundedRectangleGeometry();
    if (style != GlassStyle::TopBar) body.Clip(compositor.CreateGeometricClip(clipGeometry));

    backdropSprite = compositor.CreateSpriteVisual();
    backdropSprite.RelativeSizeAdjustment({1.0f, 1.0f});
    lensSprite = compositor.CreateSpriteVisual();
    lensSprite.RelativeSizeAdjustment({1.0f, 1.0f});

    if (style == GlassStyle::Panel || style == GlassStyle::Popup) {
        backdropOn = false;
        backdropSprite.IsVisible(false);
        lensSprite.IsVisible(false);
    } else {
        try {
            hostBackdropBrush = compositor.CreateHostBackdropBrush();
            blurBrush = BuildBlurBrush(compositor, hostBackdropBrush, blurAmount, style);
            backdropSprite.Brush(blurBrush);
            backdropOn = true;
            if (style == GlassStyle::TopBar) {
                refractionBrush = nullptr;
                refractionOn = false;
                lensSprite.IsVisible(false);
            } else {
                try {
                    refractionBrush = BuildRefractionBrush();
                } catch (const comp::HResultError& error) {
                    LogMessage(L"LiquidGlass BuildRefractionBrush failed (0x%08X)", Hex(error.code()));
                    refractionBrush = nullptr;
                    refractionOn = false;
                }
            }
        } catch (const comp::HResultError& error) {
            LogMessage(L"HostBackdropBrush unavailable (0x%08X), using liquid fallback", Hex(error.code()));
            blurBrush = nullptr;
            backdropSprite.Brush(nullptr);
            backdropOn = false;
        }
    }

    // The base under everything else on the glass. Panels and popups show no
    // live backdrop, but a translucent tint of theirs still needs the
    // wallpaper under it; a backdrop it cannot have leaves the tint alone.
    baseSprite = compositor.CreateSpriteVisual();
    baseSprite.RelativeSizeAdjustment({1.0f, 1.0f});
    baseSprite.IsVisible(false);
    if (backdropOn) {
        baseBrush = blurBrush;
    } else if (style == GlassStyle::Panel || style == GlassStyle::Popup) {
        try {
            baseBrush = BuildBlurBrush(compositor, compositor.CreateHostBackdropBrush(), blurAmount, style);
        } catch (const comp::HResultError&) {
            baseBrush = nullptr;
        }
    }
    baseSprite.Brush(baseBrush);

    tintBrush = compositor.CreateColorBrush();
    tintSprite = compositor.CreateSpriteVisual();
    tintSprite.RelativeSizeAdjustment({1.0f, 1.0f});
    tintSprite.Brush(tintBrush);
    highlightSprite = compositor.CreateSpriteVisual();
    highlightSprite.RelativeSizeAdjustment({1.0f, 1.0f});
    rimSprite = compositor.CreateSpriteVisual();

    body.Children().InsertAtTop(baseSprite);
    body.Children().InsertAtTop(backdropSprite);
    body.Children().InsertAtTop(lensSprite);
    body.Children().InsertAtTop(tintSprite);
    body.Children().InsertAtTop(highlightSprite);
    root.Children().InsertAtTop(shadowSprite);
    root.Children().InsertAtTop(body);
    root.Children().InsertAtTop(rimSprite);
}

comp::CompositionEffectBrush GlassLayer::BuildBlurBrush(const comp::Compositor& compositor,
                                                        const comp::CompositionBackdropBrush& backdrop, float amount,
                                                        GlassStyle forStyle) {
    return BrushOverBackdrop(compositor, SaturatedBlur(BackdropSaturation(forStyle), std::max(amount, 2.0f)), backdrop);
}

comp::CompositionEffectBrush GlassLayer::BuildRefractionBrush() {
    const comp::Compositor& compositor = host->compositor;
    try {
        comp::CompositionEffectBrush brush = BrushOverBackdrop(compositor, RefractedBackdrop(), hostBackdropBrush);
        refractionOn = true;
        return brush;
    } catch (const comp::HResultError& error) {
        LogMessage(L"LiquidGlass Transform2D unavailable (0x%08X), using clear lens rim fallback", Hex(error.code()));
    }
    refractionOn = false;
    return BrushOverBackdrop(compositor, SaturatedBlur(1.8f, 1.4f), hostBackdropBrush);
}

bool GlassLayer::IsLive() const {
    const bool opaque = style == GlassStyle::Panel || style == GlassStyle::Popup;
    return !opaque && backdropOn && IsTransparencyEnabled() && opacity > 0.01f;
}

void GlassLayer::UpdateTint(GlassTheme newTheme, float newOpacity, float newScale) {
    theme = newTheme;
    opacity = std::clamp(newOpacity, 0.0f, 0.85f);
    dark = IsDarkGlass(theme);
    scale = std::max(newScale, 1.0f);
    if (!tintBrush) return;

    const bool opaque = style == GlassStyle::Panel || style == GlassStyle::Popup;
    const bool live = IsLive();
    backdropSprite.IsVisible(live);
    if (style == GlassStyle::TopBar) {
        backdropSprite.Opacity(live ? std::clamp(opacity / 0.55f, 0.0f, 1.0f) : 0.0f);
    } else {
        backdropSprite.Opacity(1.0f);
    }
    if (!live) lensSprite.IsVisible(false);

    if (style == GlassStyle::TopBar) {
        tintSprite.IsVisible(false);
    } else {
        tintSprite.IsVisible(true);
        if (opaque) {
            tintBrush.Color(dark ? comp::Color{255, 30, 33, 42} : comp::Color{255, 238, 241, 247});
        } else {
            const float a =
                live ? std::clamp(opacity * 0.14f, 0.01f, 0.22f) : std::clamp(opacity * 0.18f, 0.03f, 0.20f);
            const auto alpha = static_cast<uint8_t>(std::lround(255.0f * a));
            tintBrush.Color(dark ? comp::Color{alpha, 10, 14, 22} : comp::Color{alpha, 255, 255, 255});
        }
    }
    highlightSprite.Opacity(opaque ? 0.28f : 1.0f);
    shadowSprite.Opacity(1.0f);
    // The dock's live backdrop is the base itself, whole and unmasked.
    ShowBase(!opaque && !(live && style == GlassStyle::Dock));
    RebuildSurfaces(cornerRadius, scale);
}

void GlassLayer::UpdateLauncherTint(GlassTheme newTheme, float newOpacity, float newScale) {
    theme = newTheme;
    opacity = std::clamp(newOpacity, 0.0f, 1.0f);
    dark = IsDarkGlass(theme);
    scale = std::max(newScale, 1.0f);
    if (!tintBrush) return;

    backdropSprite.IsVisible(false);
    lensSprite.IsVisible(false);
    const auto alpha = static_cast<uint8_t>(std::lround(255.0f * opacity));
    tintBrush.Color(dark ? comp::Color{alpha, 20, 24, 34} : comp::Color{alpha, 246, 248, 252});
    ShowBase(alpha < 255);
    RebuildSurfaces(cornerRadius, scale);
    highlightSprite.Opacity(std::clamp(0.75f * opacity, 0.0f, 0.55f));
    shadowSprite.Opacity(std::clamp(2.5f * opacity, 0.0f, 1.0f));
}

void GlassLayer::ShowBase(bool needed) { baseSprite.IsVisible(needed && baseBrush); }

void GlassLayer::RebuildSurfaces(float radius, float newScale) {
    if (!host) return;
    scale = std::max(newScale, 1.0f);
    const bool topBar = style == GlassStyle::TopBar;
    const float r = topBar && radius <= 0.5f ? 0.0f : std::max(radius, 4.0f);
    const bool live = IsLive();

    RebuildShadow(r);
    if (topBar) {
        RebuildTopBarBackdrop(live);
    } else {
        RebuildLens(live, r);
    }
    RebuildHighlight(live);
    RebuildRim(r);
    masksBuilt = true;
    surfacesRadius = radius;
}

comp::CompositionNineGridBrush GlassLayer::NineGridOver(const comp::CompositionDrawingSurface& surface,
                                                        float inset) const {
    comp::CompositionSurfaceBrush source = host->compositor.CreateSurfaceBrush(surface);
    source.Stretch(comp::CompositionStretch::Fill);
    comp::CompositionNineGridBrush grid = host->compositor.CreateNineGridBrush();
    grid.Source(source);
    grid.SetInsets(inset);
    return grid;
}

void GlassLayer::RebuildShadow(float r) {
    if (style == GlassStyle::TopBar) {
        shadowSprite.Brush(nullptr);
        shadowSprite.IsVisible(false);
        return;
    }
    shadowPad = std::ceil(22.5f * scale);
    const float k = std::ceil(shadowPad + r);
    const int side = static_cast<int>(2.0f * k + 4.0f);
    shadowSurface = host->CreateDrawingSurface(side, side);
    if (!shadowSurface) {
        shadowSprite.Brush(nullptr);
        shadowSprite.IsVisible(false);
        return;
    }
    PaintShadowMask(shadowSurface, side, r);
    shadowSprite.Brush(NineGridOver(shadowSurface, k));
    shadowSprite.IsVisible(true);
}

void GlassLayer::RebuildTopBarBackdrop(bool live) {
    lensSprite.Brush(nullptr);
    lensSprite.IsVisible(false);
    if (!live || !blurBrush) {
        backdropSprite.Brush(blurBrush);
        return;
    }
    try {
        fadeSurface = host->CreateDrawingSurface(16, 128);
        if (!fadeSurface) {
            backdropSprite.Brush(blurBrush);
            return;
        }
        host->PaintFadeTexture(fadeSurface);
        comp::CompositionSurfaceBrush fade = host->compositor.CreateSurfaceBrush(fadeSurface);
        fade.Stretch(comp::CompositionStretch::Fill);
        comp::CompositionMaskBrush masked = host->compositor.CreateMaskBrush();
        masked.Source(blurBrush);
        masked.Mask(fade);
        backdropSprite.Brush(masked);
    } catch (const comp::HResultError& error) {
        LogMessage(L"TopBar MaskBrush failed (0x%08X), using unmasked backdrop", Hex(error.code()));
        backdropSprite.Brush(blurBrush);
    }
}

void GlassLayer::RebuildLens(bool live, float r) {
    if (!live || !refractionBrush) {
        lensSprite.Brush(nullptr);
        lensSprite.IsVisible(false);
        return;
    }
    try {
        const float width = 10.0f * scale;
        const float k = std::ceil(width + r) + 4.0f;
        const float side = 2.0f * k + 8.0f;
        lensSurface = host->CreateDrawingSurface(static_cast<int>(side), static_cast<int>(side));
        if (!lensSurface) {
            lensSprite.IsVisible(false);
            return;
        }
        host->PaintRoundedMaskTexture(lensSurface, side, side, side, width, r);
        comp::CompositionMaskBrush masked = host->compositor.CreateMaskBrush();
        masked.Source(refractionBrush);
        masked.Mask(NineGridOver(lensSurface, k));
        lensSprite.Brush(masked);
        lensSprite.IsVisible(true);
    } catch (const comp::HResultError& error) {
        LogMessage(L"LiquidGlass MaskBrush failed (0x%08X)", Hex(error.code()));
        lensSprite.IsVisible(false);
    }
}

void GlassLayer::RebuildHighlight(bool live) {
    highlightSurface = host->CreateDrawingSurface(16, 128);
    if (!highlightSurface) {
        highlightSprite.Brush(nullptr);
        return;
    }
    if (style == GlassStyle::TopBar) {
        const D2D1_COLOR_F color =
            dark ? D2D1_COLOR_F{0.04f, 0.055f, 0.085f, 1.0f} : D2D1_COLOR_F{0.97f, 0.98f, 1.0f, 1.0f};
        const float cap = live ? 0.36f : 0.42f;
        const float factor = live ? (dark ? 0.28f : 0.34f) : (dark ? 0.34f : 0.38f);
        PaintRimGradient(highlightSurface, color, std::clamp(factor * opacity, 0.0f, cap));
    } else {
        const bool dock = style == GlassStyle::Dock;
        const float a0 = dock ? (dark ? 0.28f : 0.44f) : (dark ? 0.18f : 0.28f);
        const float a1 = dark ? 0.05f : 0.08f;
        const float a2 = dark ? 0.14f : 0.22f;
        host->PaintEdgeSheenTexture(highlightSurface, a0, a1, a2);
    }
    comp::CompositionSurfaceBrush brush = host->compositor.CreateSurfaceBrush(highlightSurface);
    brush.Stretch(comp::CompositionStretch::Fill);
    highlightSprite.Brush(brush);
}

void GlassLayer::RebuildRim(float r) {
    if (style == GlassStyle::TopBar) {
        rimSurface = nullptr;
        rimSprite.Brush(nullptr);
        rimSprite.IsVisible(false);
        return;
    }
    rimSprite.IsVisible(true);
    const float k = std::ceil(r) + 6.0f;
    const int side = static_cast<int>(2.0f * k + 12.0f);
    rimSurface = host->CreateDrawingSurface(side, side);
    if (!rimSurface) {
        rimSprite.Brush(nullptr);
        return;
    }
    PaintLensHighlights(rimSurface, static_cast<float>(side), r);
    rimSprite.Brush(NineGridOver(rimSurface, k));
}

void GlassLayer::SetBounds(float x, float y, float width, float height, float radius) {
    if (!root) return;
    const float h = std::max(height, 1.0f);
    const float w = std::max(width, 1.0f);
    const bool unrounded = style == GlassStyle::TopBar && radius <= 0.5f;
    const float r = unrounded ? 0.0f : std::min(radius, 0.48f * h);
    cornerRadius = r;
    if (masksBuilt && std::fabs(r - surfacesRadius) > 2.0f) RebuildSurfaces(r, scale);

    root.Offset({x, y, 0.0f});
    root.Size({w, h});
    body.Size({w, h});
    if (unrounded) {
        body.Clip(nullptr);
    } else {
        if (!body.Clip()) body.Clip(host->compositor.CreateGeometricClip(clipGeometry));
        clipGeometry.Size({w, h});
        clipGeometry.CornerRadius({r, r});
    }
    rimSprite.Size({w, h});
    if (style == GlassStyle::TopBar) {
        shadowSprite.IsVisible(false);
    } else {
        shadowSprite.IsVisible(true);
        shadowSprite.Offset({-shadowPad, -shadowPad, 0.0f});
        shadowSprite.Size({w + 2.0f * shadowPad, h + 2.0f * shadowPad});
    }
}

void GlassLayer::PaintShadowMask(const comp::CompositionDrawingSurface& surface, int side, float r) {
    const raster::Image pixels = BuildGlassShadowMask({side, shadowPad, r, scale, dark});
    host->PaintPixels(surface, pixels);
}

void GlassLayer::PaintRimGradient(const comp::CompositionDrawingSurface& surface, D2D1_COLOR_F color, float topAlpha) {
    auto stop = [&](float position, float alpha) { return GradientStop{position, color.r, color.g, color.b, alpha}; };
    const raster::Image pixels =
        VerticalGradientImage(16, 128, 128.0f,
                              {stop(0.0f, topAlpha), stop(0.35f, 0.82f * topAlpha), stop(0.62f, 0.45f * topAlpha),
                               stop(0.82f, 0.14f * topAlpha), stop(0.93f, 0.03f * topAlpha), stop(1.0f, 0.0f)});
    host->PaintPixels(surface, pixels);
}

void GlassLayer::PaintLensHighlights(const comp::CompositionDrawingSurface& surface, float side, float r) {
    auto white = [](float position, float alpha) { return GradientStop{position, 1.0f, 1.0f, 1.0f, alpha}; };
    const int pixelsSide = static_cast<int>(side);
    raster::Image pixels(pixelsSide, pixelsSide);
    // A dark hairline at the very edge, a bright sheen ring inside it, and a
    // faint cyan-to-violet ring inside that.
    StrokeRoundedSquare(pixels, side, 0.5f, r, 1.0f, {{0.0f, 0.05f, 0.08f, 0.14f, dark ? 0.44f : 0.16f}}, side);
    StrokeRoundedSquare(pixels, side, 1.2f, std::max(r - 0.8f, 2.0f), 1.5f,
                        {white(0.0f, dark ? 0.78f : 0.96f), white(0.45f, 0.18f), white(1.0f, dark ? 0.48f : 0.76f)},
                        side);
    StrokeRoundedSquare(pixels, side, 2.6f, std::max(r - 2.2f, 2.0f), 2.0f,
                        {{0.0f, 0.48f, 0.85f, 1.0f, dark ? 0.22f : 0.28f},
                         white(0.5f, 0.0f),
                         {1.0f, 0.84f, 0.66f, 1.0f, dark ? 0.20f : 0.24f}},
                        side);
    host->PaintPixels(surface, pixels);
}
