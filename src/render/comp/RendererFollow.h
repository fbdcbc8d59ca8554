#pragma once
// How a brush's pixels depend on where the ends of its target are (see
// AxisFollow): what lets a visual that only moved or changed size redraw the
// bands along its edges instead of all of it.

#include <array>

#include "render/comp/Nodes.h"
#include "render/comp/Renderer.h"
#include "render/raster/Image.h"

namespace comp::detail {

using Follow = std::array<AxisFollow, 2>;

// How the brush's pixels over target follow target's ends (see AxisFollow);
// it must match what PaintBrush draws.
Follow FollowOf(const BrushNode& brush, const raster::Rect& target, int depth = 0);

}  // namespace comp::detail
