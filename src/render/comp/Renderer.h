#pragma once
// Composes a visual tree into a window's buffer, and works out which part of
// the buffer a change touched.

#include <windows.h>

#include <cstdint>
#include <unordered_map>

#include "render/comp/HostBackdrop.h"
#include "render/comp/Nodes.h"
#include "render/raster/Image.h"

namespace comp::detail {

struct ComposeContext {
    raster::ImageView buffer;      // the window's pixels, (0, 0) at its top-left
    raster::Rect damage;           // only these pixels are redrawn
    POINT screenOrigin = {0, 0};   // screen position of the buffer's (0, 0)
    HostBackdrop* backdrop = nullptr;
};

// Clears the damaged area and draws the tree into it. rootParentSize is what the
// root's relative size refers to (the window's size).
void ComposeTree(const VisualNode& root, Vector2 rootParentSize, ComposeContext& context);

// What each visual looked like when drawn: where, and which versions of
// itself, its ancestors, its clip and its brushes it showed.
struct VisualRecord {
    raster::Rect bounds;
    uint64_t version = 0;
    friend bool operator==(const VisualRecord&, const VisualRecord&) = default;
};
using TreeSnapshot = std::unordered_map<const VisualNode*, VisualRecord>;

TreeSnapshot TakeSnapshot(const VisualNode& root, Vector2 rootParentSize);

// Everything that differs between two snapshots: old and new places of changed,
// added and removed visuals.
raster::Rect DamageBetween(const TreeSnapshot& before, const TreeSnapshot& after);

}  // namespace comp::detail
