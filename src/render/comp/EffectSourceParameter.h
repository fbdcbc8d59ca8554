#pragma once
// A named input of an effect graph ("backdrop"), bound to a brush later with
// CompositionEffectBrush::SetSourceParameter.

#include <wrl/client.h>

#include <string>

#include "platform/GraphicsEffects.h"

namespace comp {

Microsoft::WRL::ComPtr<IGraphicsEffectSource> CompositionEffectSourceParameter(const std::wstring& name);

// The name of a source made above; false for any other source.
bool TryGetSourceParameterName(IGraphicsEffectSource* source, std::wstring& name);

}  // namespace comp
