#pragma once
// What a sprite visual paints: a colour, a drawing surface, a nine-grid over
// another brush, a brush masked by another's alpha, an effect graph over named
// sources, or the host backdrop (what lies behind the window).

#include <string>

#include "render/comp/DrawingSurface.h"
#include "render/comp/Handle.h"
#include "render/comp/Nodes.h"

namespace comp {

class CompositionBrush : public Handle<detail::BrushNode> {
public:
    using Handle::Handle;
};

class CompositionColorBrush : public CompositionBrush {
public:
    using CompositionBrush::CompositionBrush;
    comp::Color Color() const { return Get().color; }
    void Color(comp::Color value);
};

class CompositionSurfaceBrush : public CompositionBrush {
public:
    using CompositionBrush::CompositionBrush;
    CompositionDrawingSurface Surface() const { return CompositionDrawingSurface(Get().surface); }
    void Surface(const CompositionDrawingSurface& surface);
    CompositionStretch Stretch() const { return Get().stretch; }
    void Stretch(CompositionStretch value);
};

class CompositionNineGridBrush : public CompositionBrush {
public:
    using CompositionBrush::CompositionBrush;
    CompositionBrush Source() const { return CompositionBrush(Get().source); }
    void Source(const CompositionBrush& source);
    void SetInsets(float inset) { SetInsets(inset, inset, inset, inset); }
    void SetInsets(float left, float top, float right, float bottom);
    float LeftInset() const { return Get().insets[0]; }
    float TopInset() const { return Get().insets[1]; }
    float RightInset() const { return Get().insets[2]; }
    float BottomInset() const { return Get().insets[3]; }
};

class CompositionMaskBrush : public CompositionBrush {
public:
    using CompositionBrush::CompositionBrush;
    CompositionBrush Source() const { return CompositionBrush(Get().source); }
    void Source(const CompositionBrush& source);
    CompositionBrush Mask() const { return CompositionBrush(Get().mask); }
    void Mask(const CompositionBrush& mask);
};

class CompositionBackdropBrush : public CompositionBrush {
public:
    using CompositionBrush::CompositionBrush;
};

class CompositionEffectBrush : public CompositionBrush {
public:
    using CompositionBrush::CompositionBrush;
    // Binds a named source of the effect graph; an unknown name fails.
    void SetSourceParameter(const std::wstring& name, const CompositionBrush& source);
    CompositionBrush GetSourceParameter(const std::wstring& name) const;
};

class CompositionEffectFactory : public Handle<detail::EffectFactoryNode> {
public:
    using Handle::Handle;
    CompositionEffectBrush CreateBrush() const;
};

}  // namespace comp
