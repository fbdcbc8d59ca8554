#pragma once
// Reads an effect graph through IGraphicsEffectD2D1Interop into the steps our
// compositor runs. Exactly three effects are understood: saturation, Gaussian
// blur and a 2D affine transform that only translates; the graph must be a
// chain ending in one named source parameter. Anything else fails, so callers
// take their fallbacks.

#include "platform/GraphicsEffects.h"
#include "render/comp/Nodes.h"

namespace comp::detail {

// Throws HResultError when the graph cannot be run here.
EffectProgram CompileEffect(IGraphicsEffect* effect);

}  // namespace comp::detail
