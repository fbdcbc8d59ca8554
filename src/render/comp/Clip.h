#pragma once
// Clips of a visual and its subtree: an inset rectangle, or a geometric clip
// over a rounded rectangle (anti-aliased).

#include "render/comp/Handle.h"
#include "render/comp/Nodes.h"

namespace comp {

class CompositionRoundedRectangleGeometry : public Handle<detail::GeometryNode> {
public:
    using Handle::Handle;
    Vector2 Offset() const { return Get().offset; }
    void Offset(Vector2 value);
    Vector2 Size() const { return Get().size; }
    void Size(Vector2 value);
    Vector2 CornerRadius() const { return Get().cornerRadius; }
    void CornerRadius(Vector2 value);
};

class CompositionClip : public Handle<detail::ClipNode> {
public:
    using Handle::Handle;
};

class InsetClip : public CompositionClip {
public:
    using CompositionClip::CompositionClip;
    float LeftInset() const { return Get().left; }
    void LeftInset(float value);
    float TopInset() const { return Get().top; }
    void TopInset(float value);
    float RightInset() const { return Get().right; }
    void RightInset(float value);
    float BottomInset() const { return Get().bottom; }
    void BottomInset(float value);
};

class CompositionGeometricClip : public CompositionClip {
public:
    using CompositionClip::CompositionClip;
    CompositionRoundedRectangleGeometry Geometry() const;
    void Geometry(const CompositionRoundedRectangleGeometry& geometry);
};

}  // namespace comp
