#include "render/comp/Brush.h"

namespace comp {

void CompositionColorBrush::Color(comp::Color value) { detail::SetAndTouch(Get(), Get().color, value); }

void CompositionSurfaceBrush::Surface(const CompositionDrawingSurface& surface) {
    Get().surface = surface.Node();
    Get().Touch();
}

void CompositionSurfaceBrush::Stretch(CompositionStretch value) { detail::SetAndTouch(Get(), Get().stretch, value); }

void CompositionNineGridBrush::Source(const CompositionBrush& source) {
    Get().source = source.Node();
    Get().Touch();
}

void CompositionNineGridBrush::SetInsets(float left, float top, float right, float bottom) {
    auto& brush = Get();
    brush.insets[0] = left;
    brush.insets[1] = top;
    brush.insets[2] = right;
    brush.insets[3] = bottom;
    brush.Touch();
}

void CompositionMaskBrush::Source(const CompositionBrush& source) {
    Get().source = source.Node();
    Get().Touch();
}

void CompositionMaskBrush::Mask(const CompositionBrush& mask) {
    Get().mask = mask.Node();
    Get().Touch();
}

void CompositionEffectBrush::SetSourceParameter(const std::wstring& name, const CompositionBrush& source) {
    auto& brush = Get();
    if (name != brush.program.sourceName) ThrowHResult(E_INVALIDARG);
    brush.parameters[name] = source.Node();
    brush.Touch();
}

CompositionBrush CompositionEffectBrush::GetSourceParameter(const std::wstring& name) const {
    auto it = Get().parameters.find(name);
    return it == Get().parameters.end() ? CompositionBrush(nullptr) : CompositionBrush(it->second);
}

CompositionEffectBrush CompositionEffectFactory::CreateBrush() const {
    auto brush = std::make_shared<detail::BrushNode>(Get().owner, detail::BrushNode::Kind::Effect);
    brush->program = Get().program;
    return CompositionEffectBrush(brush);
}

}  // namespace comp
