#pragma once
// Boxed values handed across the effect-description interfaces, as the Windows
// Runtime boxes them: scalars and float arrays behind IPropertyValue.

#include <wrl/client.h>

#include <vector>

#include "platform/GraphicsEffects.h"

namespace comp {

Microsoft::WRL::ComPtr<IPropertyValue> BoxSingle(float value);
Microsoft::WRL::ComPtr<IPropertyValue> BoxUInt32(UINT32 value);
Microsoft::WRL::ComPtr<IPropertyValue> BoxSingleArray(std::vector<float> values);

}  // namespace comp
