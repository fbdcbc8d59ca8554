#include "render/comp/Clip.h"

namespace comp {

void CompositionRoundedRectangleGeometry::Offset(Vector2 value) {
    detail::SetAndTouchPlacement(Get(), Get().offset, value);
}
void CompositionRoundedRectangleGeometry::Size(Vector2 value) {
    detail::SetAndTouchPlacement(Get(), Get().size, value);
}
void CompositionRoundedRectangleGeometry::CornerRadius(Vector2 value) {
    detail::SetAndTouch(Get(), Get().cornerRadius, value);
}

void InsetClip::LeftInset(float value) { detail::SetAndTouch(Get(), Get().left, value); }
void InsetClip::TopInset(float value) { detail::SetAndTouch(Get(), Get().top, value); }
void InsetClip::RightInset(float value) { detail::SetAndTouch(Get(), Get().right, value); }
void InsetClip::BottomInset(float value) { detail::SetAndTouch(Get(), Get().bottom, value); }

CompositionRoundedRectangleGeometry CompositionGeometricClip::Geometry() const {
    return CompositionRoundedRectangleGeometry(Get().geometry);
}

void CompositionGeometricClip::Geometry(const CompositionRoundedRectangleGeometry& geometry) {
    Get().geometry = geometry.Node();
    Get().Touch();
}

}  // namespace comp
