#pragma once
// Our compositor, with the object model the windows are written against: it
// makes visuals, brushes, clips, effect factories, graphics devices and window
// targets. Changes are composed and presented by one commit that the first
// change after a present posts to the UI thread (it also runs inside nested
// message loops); tests can commit at once.

#include <d2d1_1.h>
#include <windows.h>

#include <memory>

#include "platform/GraphicsEffects.h"
#include "render/comp/Brush.h"
#include "render/comp/Clip.h"
#include "render/comp/DesktopWindowTarget.h"
#include "render/comp/DrawingSurface.h"
#include "render/comp/HostBackdrop.h"
#include "render/comp/Visual.h"

namespace comp {

namespace detail {
struct CompositorState;
}

class Compositor {
public:
    // A new compositor, bound to the calling (UI) thread.
    Compositor();
    Compositor(std::nullptr_t) {}
    explicit operator bool() const { return state_ != nullptr; }
    friend bool operator==(const Compositor& a, std::nullptr_t) { return a.state_ == nullptr; }

    ContainerVisual CreateContainerVisual() const;
    SpriteVisual CreateSpriteVisual() const;
    CompositionColorBrush CreateColorBrush() const;
    CompositionColorBrush CreateColorBrush(Color color) const;
    CompositionSurfaceBrush CreateSurfaceBrush() const;
    CompositionSurfaceBrush CreateSurfaceBrush(const CompositionDrawingSurface& surface) const;
    CompositionNineGridBrush CreateNineGridBrush() const;
    CompositionMaskBrush CreateMaskBrush() const;
    // Fails (HResultError) where the host backdrop is not available.
    CompositionBackdropBrush CreateHostBackdropBrush() const;
    // Reads the graph through IGraphicsEffectD2D1Interop; fails for effects we cannot run.
    CompositionEffectFactory CreateEffectFactory(IGraphicsEffect* effect) const;
    CompositionRoundedRectangleGeometry CreateRoundedRectangleGeometry() const;
    CompositionGeometricClip CreateGeometricClip() const;
    CompositionGeometricClip CreateGeometricClip(const CompositionRoundedRectangleGeometry& geometry) const;
    InsetClip CreateInsetClip() const;
    InsetClip CreateInsetClip(float left, float top, float right, float bottom) const;

    // The window becomes a layered window presented by this compositor.
    DesktopWindowTarget CreateDesktopWindowTarget(HWND window, bool isTopmost) const;
    CompositionGraphicsDevice CreateGraphicsDevice(ID2D1Device* device) const;

    // Composes and presents every changed target now.
    void Commit() const;
    bool CommitPending() const;
    // Frees the buffers the windows keep between frames only for speed (they
    // grow again with the next frames); for when nothing moves.
    void ReleaseScratch() const;
    HostBackdrop& Backdrop() const;

private:
    detail::CompositorState& State() const;
    std::shared_ptr<detail::CompositorState> state_;
};

}  // namespace comp
