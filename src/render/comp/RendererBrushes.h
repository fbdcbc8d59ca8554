#pragma once
// Paints one brush of each kind into a buffer: colours, surfaces, nine-grids,
// masks, effects and the host backdrop.

#include <windows.h>

#include "render/comp/HostBackdrop.h"
#include "render/comp/Nodes.h"
#include "render/comp/Renderer.h"
#include "render/raster/Blend.h"
#include "render/raster/Image.h"

namespace comp::detail {

struct PaintEnv {
    POINT screenOrigin;  // screen position of the destination's (0, 0)
    HostBackdrop* backdrop;
    ComposeScratch* scratch;
    // The window's screen rows: the backdrop is filtered for them, not for
    // each sprite, so a glass that moves or changes shape reuses its band.
    int windowTop;
    int windowBottom;
};

void PaintBrush(const BrushNode& brush, raster::ImageView dst, const raster::Rect& target,
                const raster::DrawOptions& options, const PaintEnv& env);

// Brushes whose pixels do not depend on the part of them that is drawn, so
// they can be drawn piece by piece.
bool PaintsPixelByPixel(const BrushNode& brush);

}  // namespace comp::detail
