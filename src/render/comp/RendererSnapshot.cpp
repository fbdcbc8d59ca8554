#include "render/comp/Renderer.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "render/comp/RendererFollow.h"
#include "render/comp/RendererGeometry.h"
#include "render/raster/Coverage.h"

namespace comp::detail {

namespace {

uint64_t BrushVersion(const BrushNode* brush, int depth = 0) {
    if (!brush || depth > 16) return 0;
    uint64_t version = brush->version;
    if (brush->surface) version = std::max(version, brush->surface->version);
    version = std::max(version, BrushVersion(brush->source.get(), depth + 1));
    version = std::max(version, BrushVersion(brush->mask.get(), depth + 1));
    for (const auto& [name, parameter] : brush->parameters) {
        version = std::max(version, BrushVersion(parameter.get(), depth + 1));
    }
    return version;
}

uint64_t ClipVersion(const ClipNode* clip) {
    if (!clip) return 0;
    return std::max(clip->version, clip->geometry ? clip->geometry->version : 0);
}

uint64_t ClipContentVersion(const ClipNode* clip) {
    if (!clip) return 0;
    return std::max(clip->contentVersion, clip->geometry ? clip->geometry->contentVersion : 0);
}

struct ClipChain {
    ClipShape shapes[VisualRecord::kMaxClips];
    int count = 0;
};

void AddClip(const VisualNode& visual, const Placement& p, ClipChain& chain) {
    if (!visual.clip) return;
    const ClipNode& c = *visual.clip;
    ClipShape shape;
    if (c.kind == ClipNode::Kind::Inset) {
        raster::RectF kept = raster::InsetClipRect({p.x, p.y, p.width, p.height}, c.left, c.top, c.right, c.bottom);
        raster::Rect pixels = PixelRect(kept.x, kept.y, kept.width, kept.height);
        shape.shape = {static_cast<float>(pixels.x), static_cast<float>(pixels.y), static_cast<float>(pixels.width),
                       static_cast<float>(pixels.height)};
    } else if (c.geometry) {
        const GeometryNode& g = *c.geometry;
        shape.rounded = true;
        shape.shape = {p.x + g.offset.x, p.y + g.offset.y, std::max(0.0f, g.size.x), std::max(0.0f, g.size.y)};
        shape.radius = g.cornerRadius;
    } else {
        return;
    }
    if (chain.count < VisualRecord::kMaxClips) chain.shapes[chain.count] = shape;
    chain.count = std::min(chain.count + 1, VisualRecord::kMaxClips + 1);
}

void Record(const VisualNode& visual, float parentX, float parentY, Vector2 parentSize, uint64_t inherited,
            uint64_t inheritedContent, ClipChain chain, int group, TreeSnapshot& snapshot) {
    if (!visual.visible) return;
    Placement p = Place(visual, parentX, parentY, parentSize);
    uint64_t own = std::max({inherited, visual.version, ClipVersion(visual.clip.get())});
    uint64_t ownContent = std::max({inheritedContent, visual.contentVersion, ClipContentVersion(visual.clip.get())});
    AddClip(visual, p, chain);
    VisualRecord record;
    record.visual = &visual;
    record.group = group;
    record.target = PixelRect(p.x, p.y, p.width, p.height);
    record.version = std::max(own, visual.isSprite ? BrushVersion(visual.brush.get()) : 0);
    // Brushes have no place or size of their own: every change of one is to its content.
    record.content = std::max(ownContent, visual.isSprite ? BrushVersion(visual.brush.get()) : 0);
    if (visual.isSprite && visual.brush) {
        // One pixel more on every side: anti-aliased edges and rounding.
        record.bounds = Inflate(record.target, 1);
        const Follow follow = FollowOf(*visual.brush, record.target);
        record.follow[0] = follow[0];
        record.follow[1] = follow[1];
        const BrushNode& brush = *visual.brush;
        if (brush.kind == BrushNode::Kind::Surface && brush.surface && brush.stretch == CompositionStretch::Fill) {
            record.surface = brush.surface.get();
            record.surfaceVersion = brush.surface->version;
            record.versionBesideSurface = std::max(own, brush.version);
        }
    }
    record.clipCount = chain.count;
    for (int i = 0; i < std::min(chain.count, VisualRecord::kMaxClips); ++i) record.clips[i] = chain.shapes[i];
    snapshot.push_back(record);
    const bool root = group < 0;
    for (size_t i = 0; i < visual.children.size(); ++i) {
        Record(*visual.children[i], p.x, p.y, {p.width, p.height}, own, ownContent, chain,
               root ? static_cast<int>(i) : group, snapshot);
    }
}

uint64_t Newest(const VisualNode& visual, int depth) {
    uint64_t newest = std::max(visual.version, ClipVersion(visual.clip.get()));
    newest = std::max(newest, BrushVersion(visual.brush.get()));
    if (depth > 256) return newest;
    for (const auto& child : visual.children) newest = std::max(newest, Newest(*child, depth + 1));
    return newest;
}

}  // namespace

TreeSnapshot TakeSnapshot(const VisualNode& root, Vector2 rootParentSize) {
    TreeSnapshot snapshot;
    TakeSnapshot(root, rootParentSize, snapshot);
    return snapshot;
}

void TakeSnapshot(const VisualNode& root, Vector2 rootParentSize, TreeSnapshot& snapshot) {
    snapshot.clear();
    Record(root, 0, 0, rootParentSize, 0, 0, ClipChain(), -1, snapshot);
    std::sort(snapshot.begin(), snapshot.end(),
              [](const VisualRecord& a, const VisualRecord& b) { return std::less<>()(a.visual, b.visual); });
}

uint64_t NewestVersion(const VisualNode& root) { return Newest(root, 0); }

}  // namespace comp::detail
