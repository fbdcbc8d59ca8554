#pragma once
// One frame's layout applied to the dock's visuals: the glass slides and fades
// with the hide progress, every item's container follows its slot and bounce,
// and the running indicator stays on the glass while its icon hops.

#include <vector>

#include "dock/DockItem.h"
#include "dock/DockItemVisual.h"
#include "dock/DockLayout.h"
#include "dock/LaunchBounce.h"
#include "render/comp/Compositor.h"

struct DockPlacementInput {
    float hideProgress = 0.0f;  // the hide spring's value; clamped to 0..1
    float scale = 1.0f;
    float bottomMargin = 8.0f;  // dip
};

struct DockGlassPlacement {
    float x = 0, y = 0, width = 0, height = 0, cornerRadius = 0;  // pixels
    float opacity = 1.0f;
};

// Indicator pill size in dip for an item's state: the active flag decides first.
comp::Vector2 IndicatorSizeDip(const DockItem& item);

// Places itemsRoot and every item visual (as many as both lists hold) and
// returns where the glass goes and how opaque it is.
DockGlassPlacement PlaceDockVisuals(const DockLayoutResult& layout, const std::vector<DockItem>& items,
                                    std::vector<DockItemVisual>& visuals, const LaunchBounceMap& bounces,
                                    const DockPlacementInput& input, comp::ContainerVisual itemsRoot);
