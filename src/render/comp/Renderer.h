#pragma once
// Composes a visual tree into a window's buffer, and works out which part of
// the buffer a change touched.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <vector>

#include "render/comp/DamageRegion.h"
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
    raster::ImageView buffer;     // the window's pixels, (0, 0) at its top-left
    raster::Rect damage;          // only these pixels are redrawn
    POINT screenOrigin = {0, 0};  // screen position of the buffer's (0, 0)
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

// A clip a visual is drawn through, placed in the window.
struct ClipShape {
    bool rounded = false;
    raster::RectF shape;  // rounded: the geometry; inset: the whole pixels it keeps
    Vector2 radius;
    friend bool operator==(const ClipShape&, const ClipShape&) = default;
};

// How a visual's pixels follow the ends of its target along one axis.
struct AxisFollow {
    static constexpr int kMaxLines = 3;
    // How many pixels in from the near and far end the pixels depend on where
    // that end is. Between those bands each pixel is the same wherever the
    // ends are (a colour, the backdrop, a stretched run of equal columns).
    // -1: every pixel depends on them.
    int nearBand = -1;
    int farBand = -1;
    // Lines across the axis (rows, for x) whose pixels depend on the ends all
    // along it (a gradient stretched along them), in window coordinates.
    int lines[kMaxLines][2] = {};  // [from, to); empty ones have to <= from
};

// What each visual looked like when drawn: where, and which versions of
// itself, its ancestors, its clip and its brushes it showed.
struct VisualRecord {
    static constexpr int kMaxClips = 3;

    const VisualNode* visual = nullptr;
    int group = -1;       // which of the root's children it is or is under; -1: the root
    raster::Rect bounds;  // what it may draw; empty when it draws nothing itself
    uint64_t version = 0;
    uint64_t content = 0;  // the same, leaving out changes of place and size
    raster::Rect target;   // where its brush is drawn
    AxisFollow follow[2];  // along x, along y
    // The clips of the visual and its ancestors, innermost last; more than
    // kMaxClips: not kept, and every change redraws the whole visual.
    ClipShape clips[kMaxClips];
    int clipCount = 0;
    // A sprite that shows a surface with Fill: the surface, its version and
    // the version of everything else the record depends on, so that a change
    // to part of the surface damages only that part.
    const SurfaceNode* surface = nullptr;
    uint64_t surfaceVersion = 0;
    uint64_t versionBesideSurface = 0;
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

// Everything that differs between two snapshots, added to damage: old and new
// places of changed, added and removed visuals; of a visual that only moved or
// changed size, only the bands along its edges whose pixels depend on where
// the edges are.
// What lies in the root's first bottomChildren children (and the root's own
// brush) is also added to bottom, when given. wholeGroups, when given, gets
// bit i set when something under the root's child i is redrawn in full rather
// than by its edges (all bits for a change of the root itself).
void DamageBetween(const TreeSnapshot& before, const TreeSnapshot& after, DamageRegion& damage,
                   DamageRegion* bottom = nullptr, int bottomChildren = 0, uint64_t* wholeGroups = nullptr);

}  // namespace comp::detail
