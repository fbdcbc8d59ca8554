#include "render/comp/Visual.h"

#include <algorithm>

namespace comp {

namespace {

void Adopt(detail::VisualNode& parent, const Visual& child) {
    auto node = child.Node();
    if (!node) ThrowHResult(E_POINTER);
    if (node->parent || node->isTargetRoot || node.get() == &parent) ThrowHResult(E_INVALIDARG);
    for (auto* up = parent.parent; up; up = up->parent) {
        if (up == node.get()) ThrowHResult(E_INVALIDARG);  // no cycles
    }
    node->parent = &parent;
}

}  // namespace

namespace detail {

VisualNode::~VisualNode() {
    for (auto& child : children) {
        if (child->parent == this) child->parent = nullptr;
    }
}

}  // namespace detail

void Visual::Offset(Vector3 value) { detail::SetAndTouchPlacement(Get(), Get().offset, value); }
void Visual::Size(Vector2 value) { detail::SetAndTouchPlacement(Get(), Get().size, value); }
void Visual::RelativeSizeAdjustment(Vector2 value) { detail::SetAndTouchPlacement(Get(), Get().relativeSize, value); }
void Visual::Opacity(float value) { detail::SetAndTouch(Get(), Get().opacity, value); }
void Visual::IsVisible(bool value) { detail::SetAndTouch(Get(), Get().visible, value); }

void Visual::Clip(const CompositionClip& clip) {
    if (Get().clip == clip.Node()) return;
    Get().clip = clip.Node();
    Get().Touch();
}

void VisualCollection::InsertAtTop(const Visual& child) {
    Adopt(*owner_, child);
    owner_->children.push_back(child.Node());
    owner_->Touch();
}

void VisualCollection::InsertAtBottom(const Visual& child) {
    Adopt(*owner_, child);
    owner_->children.insert(owner_->children.begin(), child.Node());
    owner_->Touch();
}

void VisualCollection::Remove(const Visual& child) {
    auto& children = owner_->children;
    auto it = std::find(children.begin(), children.end(), child.Node());
    if (it == children.end()) return;
    (*it)->parent = nullptr;
    children.erase(it);
    owner_->Touch();
}

void VisualCollection::RemoveAll() {
    if (owner_->children.empty()) return;
    for (auto& child : owner_->children) child->parent = nullptr;
    owner_->children.clear();
    owner_->Touch();
}

VisualCollection ContainerVisual::Children() const {
    Get();
    return VisualCollection(node_);
}

void SpriteVisual::Brush(const CompositionBrush& brush) {
    if (Get().brush == brush.Node()) return;
    Get().brush = brush.Node();
    Get().Touch();
}

}  // namespace comp
