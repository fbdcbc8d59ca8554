#include "render/comp/Clip.h"

namespace comp {

namespace {
template <class T>
void Set(detail::Node& node, T& field, const T& value) {
    if (field == value) return;
    field = value;
    node.Touch();
}
}  // namespace

void CompositionRoundedRectangleGeometry::Offset(Vector2 value) { Set(Get(), Get().offset, value); }
void CompositionRoundedRectangleGeometry::Size(Vector2 value) { Set(Get(), Get().size, value); }
void CompositionRoundedRectangleGeometry::CornerRadius(Vector2 value) { Set(Get(), Get().cornerRadius, value); }

void InsetClip::LeftInset(float value) { Set(Get(), Get().left, value); }
void InsetClip::TopInset(float value) { Set(Get(), Get().top, value); }
void InsetClip::RightInset(float value) { Set(Get(), Get().right, value); }
void InsetClip::BottomInset(float value) { Set(Get(), Get().bottom, value); }

CompositionRoundedRectangleGeometry CompositionGeometricClip::Geometry() const {
    return CompositionRoundedRectangleGeometry(Get().geometry);
}

void CompositionGeometricClip::Geometry(const CompositionRoundedRectangleGeometry& geometry) {
    Get().geometry = geometry.Node();
    Get().Touch();
}

}  // namespace comp
