#include "render/comp/Renderer.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "render/comp/RendererBrushes.h"
#include "render/comp/RendererGeometry.h"
#include "render/comp/RendererScratch.h"
#include "render/raster/Blend.h"
#include "render/raster/Coverage.h"
#include "render/raster/Mask.h"

namespace comp::detail {

namespace {

struct ClipState {
    raster::Rect rect;
    const raster::ConstMaskView* coverage = nullptr;
};

// Children [firstChild, lastChild) only; the visual's own brush only with the first.
void ComposeVisual(const VisualNode& visual, float parentX, float parentY, Vector2 parentSize, float opacity,
                   const ClipState& clip, ComposeContext& context, size_t firstChild = 0, size_t lastChild = SIZE_MAX) {
    if (!visual.visible) return;
    opacity *= visual.opacity;
    if (!(opacity > 0.0f)) return;
    Placement p = Place(visual, parentX, parentY, parentSize);

    ClipState inner = clip;
    std::optional<ScratchMask> mask;
    raster::ConstMaskView maskView;
    if (visual.clip) {
        const ClipNode& c = *visual.clip;
        if (c.kind == ClipNode::Kind::Inset) {
            raster::RectF kept = raster::InsetClipRect({p.x, p.y, p.width, p.height}, c.left, c.top, c.right, c.bottom);
            inner.rect = raster::Intersect(inner.rect, PixelRect(kept.x, kept.y, kept.width, kept.height));
        } else if (c.geometry) {
            const GeometryNode& g = *c.geometry;
            raster::RectF shape = {p.x + g.offset.x, p.y + g.offset.y, std::max(0.0f, g.size.x),
                                   std::max(0.0f, g.size.y)};
            inner.rect =
                raster::Intersect(inner.rect, Inflate(PixelRect(shape.x, shape.y, shape.width, shape.height), 1));
            if (inner.rect.IsEmpty()) return;
            mask.emplace(context.scratch, inner.rect);
            raster::FillRoundedRectCoverage((*mask)->View(), shape, g.cornerRadius.x, g.cornerRadius.y);
            if (clip.coverage) raster::IntersectCoverage((*mask)->View(), *clip.coverage);
            maskView = static_cast<const raster::Mask&>(**mask).View();
            inner.coverage = &maskView;
        }
    }
    if (inner.rect.IsEmpty()) return;

    if (visual.isSprite && visual.brush && firstChild == 0) {
        raster::DrawOptions options;
        options.opacity = opacity;
        options.clip = inner.rect;
        options.coverage = inner.coverage;
        PaintBrush(*visual.brush, context.buffer, PixelRect(p.x, p.y, p.width, p.height), options,
                   {context.screenOrigin, context.backdrop, context.scratch, context.screenOrigin.y,
                    context.screenOrigin.y + context.buffer.height});
    }
    for (size_t i = firstChild; i < std::min(lastChild, visual.children.size()); ++i) {
        ComposeVisual(*visual.children[i], p.x, p.y, {p.width, p.height}, opacity, inner, context);
    }
}

}  // namespace

void ComposeTree(const VisualNode& root, Vector2 rootParentSize, ComposeContext& context) {
    ComposeChildren(root, 0, SIZE_MAX, rootParentSize, context, true);
}

void ComposeChildren(const VisualNode& root, size_t firstChild, size_t lastChild, Vector2 rootParentSize,
                     ComposeContext& context, bool clear) {
    raster::Rect damage = raster::Intersect(context.damage, context.buffer.Bounds());
    if (damage.IsEmpty()) return;
    if (clear) raster::ClearRect(context.buffer, damage, 0);
    ClipState clip;
    clip.rect = damage;
    ComposeVisual(root, 0, 0, rootParentSize, 1.0f, clip, context, firstChild, lastChild);
}

}  // namespace comp::detail
