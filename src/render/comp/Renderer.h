#pragma once
// Composes a visual tree into a window's buffer, and works out which part of
// the buffer a change touched.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <vector>

#include "render/comp/HostBackdrop.h"
#include "render/comp/Nodes.h"
#include "render/raster/Image.h"

namespace comp::detail {

// Pixel and coverage buffers a window keeps from frame to frame, so that a
// frame allocates nothing once they have grown to its largest use. Buffers are
// lent out and given back in nested order, as the tree is walked.
struct ComposeScratch {
    std::deque<raster::Image> images;
    std::deque<raster::Mask> masks;
    size_t imagesLent = 0;
    size_t masksLent = 0;
};

struct ComposeContext {
    raster::ImageView buffer;      // the window's pixels, (0, 0) at its top-left
    raster::Rect damage;           // only these pixels are redrawn
    POINT screenOrigin = {0, 0};   // screen position of the buffer's (0, 0)
    HostBackdrop* backdrop = nullptr;
    ComposeScratch* scratch = nullptr;  // none: every buffer is made for the frame
};

// Clears the damaged area and draws the tree into it. rootParentSize is what the
// root's relative size refers to (the window's size).
void ComposeTree(const VisualNode& root, Vector2 rootParentSize, ComposeContext& context);
// The same for the root's children [firstChild, lastChild) only (the root's own
// brush belongs to the first child's part), over the buffer as it is unless
// clear: composing [0, k) and then [k, end) gives what ComposeTree gives.
void ComposeChildren(const VisualNode& root, size_t firstChild, size_t lastChild, Vector2 rootParentSize,
                     ComposeContext& context, bool clear);

// What each visual looked like when drawn: where, and which versions of
// itself, its ancestors, its clip and its brushes it showed.
struct VisualRecord {
    const VisualNode* visual = nullptr;
    raster::Rect bounds;
    uint64_t version = 0;
    friend bool operator==(const VisualRecord&, const VisualRecord&) = default;
};
// Sorted by visual, one record each.
using TreeSnapshot = std::vector<VisualRecord>;

TreeSnapshot TakeSnapshot(const VisualNode& root, Vector2 rootParentSize);
// The same into an existing snapshot, reusing its memory.
void TakeSnapshot(const VisualNode& root, Vector2 rootParentSize, TreeSnapshot& snapshot);

// The newest version of anything in the tree (visuals, clips, brushes,
// surfaces): a tree whose newest version is not newer than at its last frame
// has not changed since.
uint64_t NewestVersion(const VisualNode& root);
// The same for the visual alone (itself, its clip and its brush), without its children.
uint64_t OwnVersion(const VisualNode& visual);

// Everything that differs between two snapshots: old and new places of changed,
// added and removed visuals.
raster::Rect DamageBetween(const TreeSnapshot& before, const TreeSnapshot& after);

}  // namespace comp::detail
