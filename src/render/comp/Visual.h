#pragma once
// The visual tree: containers hold children (later ones drawn on top), sprites
// also paint a brush over their own rectangle. Offsets are relative to the
// parent; a size may follow the parent's through RelativeSizeAdjustment;
// opacity multiplies down the tree; a hidden visual hides its subtree.

#include "render/comp/Brush.h"
#include "render/comp/Clip.h"
#include "render/comp/Handle.h"
#include "render/comp/Nodes.h"

namespace comp {

class Visual : public Handle<detail::VisualNode> {
public:
    using Handle::Handle;

    Vector3 Offset() const { return Get().offset; }
    void Offset(Vector3 value);
    Vector2 Size() const { return Get().size; }
    void Size(Vector2 value);
    Vector2 RelativeSizeAdjustment() const { return Get().relativeSize; }
    void RelativeSizeAdjustment(Vector2 value);
    float Opacity() const { return Get().opacity; }
    void Opacity(float value);
    bool IsVisible() const { return Get().visible; }
    void IsVisible(bool value);
    CompositionClip Clip() const { return CompositionClip(Get().clip); }
    void Clip(const CompositionClip& clip);
    // The parent container, or null.
    bool HasParent() const { return Get().parent != nullptr || Get().isTargetRoot; }
};

class VisualCollection {
public:
    explicit VisualCollection(std::shared_ptr<detail::VisualNode> owner) : owner_(std::move(owner)) {}

    // A visual that already has a parent (or is a target's root) is refused.
    void InsertAtTop(const Visual& child);
    void InsertAtBottom(const Visual& child);
    void Remove(const Visual& child);
    void RemoveAll();
    int Count() const { return static_cast<int>(owner_->children.size()); }

private:
    std::shared_ptr<detail::VisualNode> owner_;
};

class ContainerVisual : public Visual {
public:
    using Visual::Visual;
    VisualCollection Children() const;
};

class SpriteVisual : public ContainerVisual {
public:
    using ContainerVisual::ContainerVisual;
    CompositionBrush Brush() const { return CompositionBrush(Get().brush); }
    void Brush(const CompositionBrush& brush);
};

}  // namespace comp
