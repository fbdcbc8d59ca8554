#include "render/comp/Renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "render/raster/Blend.h"
#include "render/raster/Blur.h"
#include "render/raster/ColorMatrix.h"
#include "render/raster/Coverage.h"
#include "render/raster/Mask.h"
#include "render/raster/NineGrid.h"
#include "render/raster/Stretch.h"
#include "render/raster/Translate.h"

namespace comp::detail {

namespace {

struct Placement {
    float x = 0, y = 0, width = 0, height = 0;
};

Placement Place(const VisualNode& visual, float parentX, float parentY, Vector2 parentSize) {
    Placement p;
    p.x = parentX + visual.offset.x;
    p.y = parentY + visual.offset.y;
    p.width = std::max(0.0f, visual.size.x + visual.relativeSize.x * parentSize.x);
    p.height = std::max(0.0f, visual.size.y + visual.relativeSize.y * parentSize.y);
    return p;
}

int Round(float value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<int>(std::lround(std::clamp(value, -1.0e8f, 1.0e8f)));
}

raster::Rect PixelRect(float x, float y, float width, float height) {
    int left = Round(x), top = Round(y);
    return {left, top, std::max(0, Round(x + width) - left), std::max(0, Round(y + height) - top)};
}

raster::Rect Inflate(const raster::Rect& r, int by) {
    if (r.IsEmpty()) return r;
    return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

raster::Rect Shift(const raster::Rect& r, int dx, int dy) { return {r.x + dx, r.y + dy, r.width, r.height}; }

struct PaintEnv {
    POINT screenOrigin;  // screen position of the destination's (0, 0)
    HostBackdrop* backdrop;
    ComposeScratch* scratch;
    // The window's screen rows: the backdrop is filtered for them, not for
    // each sprite, so a glass that moves or changes shape reuses its band.
    int windowTop;
    int windowBottom;
};

// A cleared image of the given size: from the window's scratch buffers when it
// keeps them, otherwise its own.
class ScratchImage {
public:
    ScratchImage(ComposeScratch* pool, int width, int height) : pool_(pool) {
        if (pool_) {
            if (pool_->imagesLent == pool_->images.size()) pool_->images.emplace_back();
            image_ = &pool_->images[pool_->imagesLent++];
        } else {
            image_ = &own_;
        }
        image_->Reset(width, height);
    }
    ~ScratchImage() {
        if (pool_) --pool_->imagesLent;
    }
    ScratchImage(const ScratchImage&) = delete;
    ScratchImage& operator=(const ScratchImage&) = delete;
    raster::Image& operator*() { return *image_; }
    raster::Image* operator->() { return image_; }

private:
    ComposeScratch* pool_;
    raster::Image own_;
    raster::Image* image_ = nullptr;
};

class ScratchMask {
public:
    ScratchMask(ComposeScratch* pool, const raster::Rect& bounds) : pool_(pool) {
        if (pool_) {
            if (pool_->masksLent == pool_->masks.size()) pool_->masks.emplace_back();
            mask_ = &pool_->masks[pool_->masksLent++];
        } else {
            mask_ = &own_;
        }
        mask_->Reset(bounds);
    }
    ~ScratchMask() {
        if (pool_) --pool_->masksLent;
    }
    ScratchMask(const ScratchMask&) = delete;
    ScratchMask& operator=(const ScratchMask&) = delete;
    raster::Mask& operator*() { return *mask_; }
    raster::Mask* operator->() { return mask_; }

private:
    ComposeScratch* pool_;
    raster::Mask own_;
    raster::Mask* mask_ = nullptr;
};

void PaintBrush(const BrushNode& brush, raster::ImageView dst, const raster::Rect& target,
                const raster::DrawOptions& options, const PaintEnv& env);

raster::DrawOptions ClippedTo(const raster::DrawOptions& options, const raster::Rect& area) {
    raster::DrawOptions clipped = options;
    clipped.clip = raster::Intersect(options.clip, area);
    return clipped;
}

void PaintSurface(const BrushNode& brush, raster::ImageView dst, const raster::Rect& target,
                  const raster::DrawOptions& options) {
    if (!brush.surface || brush.surface->pixels.IsEmpty() || target.IsEmpty()) return;
    const raster::Image& pixels = brush.surface->pixels;
    raster::DrawOptions inside = ClippedTo(options, target);
    float sw = static_cast<float>(pixels.Width()), sh = static_cast<float>(pixels.Height());
    switch (brush.stretch) {
    case CompositionStretch::None:
        raster::DrawImage(dst, pixels.View(), target.x + (target.width - pixels.Width()) / 2,
                          target.y + (target.height - pixels.Height()) / 2, inside);
        return;
    case CompositionStretch::Fill:
        if (pixels.Width() == target.width && pixels.Height() == target.height) {
            raster::DrawImage(dst, pixels.View(), target.x, target.y, inside);
        } else {
            raster::DrawStretched(dst, target, pixels.View(), inside);
        }
        return;
    case CompositionStretch::Uniform:
    case CompositionStretch::UniformToFill: {
        float sx = target.width / sw, sy = target.height / sh;
        float scale = brush.stretch == CompositionStretch::Uniform ? std::min(sx, sy) : std::max(sx, sy);
        float w = sw * scale, h = sh * scale;
        raster::Rect fitted = PixelRect(target.x + (target.width - w) / 2, target.y + (target.height - h) / 2, w, h);
        raster::DrawStretched(dst, fitted, pixels.View(), inside);
        return;
    }
    }
}

// The backdrop behind the destination, through the given steps.
void PaintBackdrop(const std::vector<EffectStep>& steps, raster::ImageView dst, const raster::Rect& target,
                   const raster::DrawOptions& options, const PaintEnv& env) {
    if (!env.backdrop) return;
    const BackdropPicture* picture = env.backdrop->Filtered(steps, env.windowTop, env.windowBottom);
    if (!picture) return;
    float dx = 0, dy = 0;
    for (const auto& step : steps) {
        if (step.kind == EffectStep::Kind::Translation) {
            dx += step.a;
            dy += step.b;
        }
    }
    float ox = static_cast<float>(picture->origin.x - env.screenOrigin.x) + dx;
    float oy = static_cast<float>(picture->origin.y - env.screenOrigin.y) + dy;
    raster::DrawTranslated(dst, picture->pixels.View(), ox, oy, raster::EdgeMode::Hard, ClippedTo(options, target));
}

void PaintEffect(const BrushNode& brush, raster::ImageView dst, const raster::Rect& target,
                 const raster::DrawOptions& options, const PaintEnv& env) {
    auto found = brush.parameters.find(brush.program.sourceName);
    if (found == brush.parameters.end() || !found->second) return;
    const BrushNode& source = *found->second;
    if (source.kind == BrushNode::Kind::HostBackdrop) {
        PaintBackdrop(brush.program.steps, dst, target, options, env);
        return;
    }
    raster::Rect visible = raster::Intersect(raster::Intersect(options.clip, dst.Bounds()), target);
    if (visible.IsEmpty()) return;
    // The whole source is needed: a blur reads beyond the visible part.
    ScratchImage input(env.scratch, target.width, target.height);
    PaintEnv inner = {{env.screenOrigin.x + target.x, env.screenOrigin.y + target.y},
                      env.backdrop,
                      env.scratch,
                      env.windowTop,
                      env.windowBottom};
    PaintBrush(source, input->View(), {0, 0, target.width, target.height}, {}, inner);
    float dx = 0, dy = 0;
    for (const auto& step : brush.program.steps) {
        switch (step.kind) {
        case EffectStep::Kind::Saturation:
            raster::Saturate(input->View(), step.a);
            break;
        case EffectStep::Kind::GaussianBlur:
            if (step.a > 0) raster::GaussianBlur(input->View(), input->View(), step.a, raster::EdgeMode::Hard);
            break;
        case EffectStep::Kind::Translation:
            dx += step.a;
            dy += step.b;
            break;
        }
    }
    raster::DrawTranslated(dst, input->View(), static_cast<float>(target.x) + dx, static_cast<float>(target.y) + dy,
                           raster::EdgeMode::Hard, ClippedTo(options, target));
}

// Brushes whose pixels do not depend on the part of them that is drawn, so
// they can be drawn piece by piece.
bool PaintsPixelByPixel(const BrushNode& brush) {
    switch (brush.kind) {
    case BrushNode::Kind::Color:
    case BrushNode::Kind::Surface:
    case BrushNode::Kind::NineGrid:
    case BrushNode::Kind::HostBackdrop:
        return true;
    case BrushNode::Kind::Effect: {
        auto found = brush.parameters.find(brush.program.sourceName);
        return found != brush.parameters.end() && found->second &&
               found->second->kind == BrushNode::Kind::HostBackdrop;
    }
    case BrushNode::Kind::Mask:
        return false;
    }
    return false;
}

// The parts of the mask that let anything through, as rectangles of whole
// tiles, row of tiles by row of tiles: a ring-shaped mask leaves its hollow
// centre out.
void OpaqueTileRuns(const raster::Image& mask, std::vector<raster::Rect>& runs) {
    constexpr int kTile = 16;
    runs.clear();
    const int columns = (mask.Width() + kTile - 1) / kTile;
    std::vector<bool> used(static_cast<size_t>(columns));
    for (int top = 0; top < mask.Height(); top += kTile) {
        const int height = std::min(kTile, mask.Height() - top);
        std::fill(used.begin(), used.end(), false);
        for (int y = top; y < top + height; ++y) {
            const uint32_t* row = mask.Data() + static_cast<size_t>(y) * mask.Width();
            for (int column = 0; column < columns; ++column) {
                if (used[column]) continue;
                const int end = std::min(mask.Width(), (column + 1) * kTile);
                for (int x = column * kTile; x < end; ++x) {
                    if (row[x] >> 24) {
                        used[column] = true;
                        break;
                    }
                }
            }
        }
        for (int column = 0; column < columns;) {
            if (!used[column]) {
                ++column;
                continue;
            }
            int last = column;
            while (last + 1 < columns && used[last + 1]) ++last;
            const int left = column * kTile, right = std::min(mask.Width(), (last + 1) * kTile);
            runs.push_back({left, top, right - left, height});
            column = last + 1;
        }
    }
}

void PaintMasked(const BrushNode& brush, raster::ImageView dst, const raster::Rect& target,
                 const raster::DrawOptions& options, const PaintEnv& env) {
    if (!brush.source || !brush.mask) return;
    raster::Rect area = raster::Intersect(raster::Intersect(options.clip, dst.Bounds()), target);
    if (area.IsEmpty()) return;
    ScratchImage mask(env.scratch, area.width, area.height);
    raster::Rect local = Shift(target, -area.x, -area.y);
    PaintEnv inner = {{env.screenOrigin.x + area.x, env.screenOrigin.y + area.y},
                      env.backdrop,
                      env.scratch,
                      env.windowTop,
                      env.windowBottom};
    PaintBrush(*brush.mask, mask->View(), local, {}, inner);
    // Where the mask is transparent the masked content is too: only the parts
    // the mask lets through are painted, multiplied and drawn.
    std::vector<raster::Rect> runs;
    if (options.mode == raster::BlendMode::SourceOver) {
        OpaqueTileRuns(*mask, runs);
    } else {
        runs.push_back({0, 0, area.width, area.height});
    }
    if (runs.empty()) return;
    ScratchImage content(env.scratch, area.width, area.height);
    const bool piecewise = PaintsPixelByPixel(*brush.source);
    if (!piecewise) PaintBrush(*brush.source, content->View(), local, {}, inner);
    for (const raster::Rect& run : runs) {
        raster::ImageView part = content->View().Sub(run);
        if (piecewise) {
            raster::DrawOptions only;
            only.clip = run;
            PaintBrush(*brush.source, content->View(), local, only, inner);
        }
        raster::MultiplyByMaskAlpha(part, static_cast<const raster::Image&>(*mask).View().Sub(run));
        raster::DrawImage(dst, part, area.x + run.x, area.y + run.y, options);
    }
}

void PaintBrush(const BrushNode& brush, raster::ImageView dst, const raster::Rect& target,
                const raster::DrawOptions& options, const PaintEnv& env) {
    if (target.IsEmpty()) return;
    switch (brush.kind) {
    case BrushNode::Kind::Color:
        if (brush.color.A) {
            raster::FillRect(dst, target,
                             raster::PremultiplyArgb(brush.color.A, brush.color.R, brush.color.G, brush.color.B),
                             options);
        }
        return;
    case BrushNode::Kind::Surface:
        PaintSurface(brush, dst, target, options);
        return;
    case BrushNode::Kind::NineGrid:
        if (brush.source && brush.source->kind == BrushNode::Kind::Surface && brush.source->surface &&
            !brush.source->surface->pixels.IsEmpty()) {
            raster::NineGridInsets insets = {Round(brush.insets[0]), Round(brush.insets[1]), Round(brush.insets[2]),
                                             Round(brush.insets[3])};
            raster::DrawNineGrid(dst, target, brush.source->surface->pixels.View(), insets,
                                 ClippedTo(options, target));
        }
        return;
    case BrushNode::Kind::Mask:
        PaintMasked(brush, dst, target, options, env);
        return;
    case BrushNode::Kind::Effect:
        PaintEffect(brush, dst, target, options, env);
        return;
    case BrushNode::Kind::HostBackdrop:
        PaintBackdrop({}, dst, target, options, env);
        return;
    }
}

struct ClipState {
    raster::Rect rect;
    const raster::ConstMaskView* coverage = nullptr;
};

// Children [firstChild, lastChild) only; the visual's own brush only with the first.
void ComposeVisual(const VisualNode& visual, float parentX, float parentY, Vector2 parentSize, float opacity,
                   const ClipState& clip, ComposeContext& context, size_t firstChild = 0,
                   size_t lastChild = SIZE_MAX) {
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
            inner.rect = raster::Intersect(
                inner.rect, Inflate(PixelRect(shape.x, shape.y, shape.width, shape.height), 1));
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

// Whether the surface's columns (rows) are all alike, worked out once per
// version. Each scan stops at the first pixel that differs: a picture with any
// detail answers within its first rows, not after reading all of it.
const SurfaceNode::Repeats& RepeatsOf(const SurfaceNode& surface) {
    SurfaceNode::Repeats& repeats = surface.repeats;
    if (repeats.version == surface.version && repeats.column.size() == 1 && repeats.row.size() == 1) return repeats;
    const raster::Image& pixels = surface.pixels;
    const int width = pixels.Width(), height = pixels.Height();
    bool columnsAlike = true;
    for (int y = 0; y < height && columnsAlike; ++y) {
        const uint32_t* row = pixels.Data() + static_cast<size_t>(y) * width;
        columnsAlike = std::all_of(row, row + width, [&](uint32_t p) { return p == row[0]; });
    }
    bool rowsAlike = true;
    for (int y = 1; y < height && rowsAlike; ++y) {
        const uint32_t* row = pixels.Data() + static_cast<size_t>(y) * width;
        rowsAlike = std::equal(row, row + width, row - width);
    }
    repeats.version = surface.version;
    repeats.column.assign(1, columnsAlike);
    repeats.row.assign(1, rowsAlike);
    return repeats;
}

using Follow = std::array<AxisFollow, 2>;

Follow Uniform() {
    Follow follow;
    for (auto& axis : follow) axis.nearBand = axis.farBand = 0;
    return follow;
}

void AddLine(AxisFollow& follow, int from, int to) {
    if (to <= from) return;
    for (auto& line : follow.lines) {
        if (line[1] <= line[0]) {
            line[0] = from;
            line[1] = to;
            return;
        }
    }
    // No room: one line over all of them.
    for (const auto& line : follow.lines) {
        from = std::min(from, line[0]);
        to = std::max(to, line[1]);
    }
    follow = AxisFollow{follow.nearBand, follow.farBand, {{from, to}}};
}

Follow Combine(const Follow& a, const Follow& b) {
    Follow both;
    for (int axis = 0; axis < 2; ++axis) {
        if (a[axis].nearBand < 0 || b[axis].nearBand < 0) continue;
        both[axis].nearBand = std::max(a[axis].nearBand, b[axis].nearBand);
        both[axis].farBand = std::max(a[axis].farBand, b[axis].farBand);
        for (const AxisFollow* part : {&a[axis], &b[axis]}) {
            for (const auto& line : part->lines) AddLine(both[axis], line[0], line[1]);
        }
    }
    return both;
}

// A nine-grid's pixels along one axis: the corner cells keep their size (d,
// the insets as drawn), so beyond them only the lines across whose middle
// run of source pixels (between the source insets s) is not all one value
// depend on the ends.
AxisFollow NineGridFollow(const raster::Image& pixels, const raster::NineGridInsets& s,
                          const raster::NineGridInsets& d, const raster::Rect& target, int axis) {
    const int along = axis == 0 ? pixels.Width() : pixels.Height();
    const int across = axis == 0 ? pixels.Height() : pixels.Width();
    const int nearInset = axis == 0 ? s.left : s.top, farInset = axis == 0 ? s.right : s.bottom;
    const int nearAcross = axis == 0 ? s.top : s.left, farAcross = axis == 0 ? s.bottom : s.right;
    const int drawnNearAcross = axis == 0 ? d.top : d.left, drawnFarAcross = axis == 0 ? d.bottom : d.right;
    const int targetFrom = axis == 0 ? target.y : target.x;
    const int targetTo = axis == 0 ? target.Bottom() : target.Right();
    auto at = [&](int a, int c) { return axis == 0 ? pixels.At(a, c) : pixels.At(c, a); };
    AxisFollow follow;
    follow.nearBand = axis == 0 ? d.left : d.top;
    follow.farBand = axis == 0 ? d.right : d.bottom;
    int nearFrom = across, nearTo = -1, farFrom = across, farTo = -1;
    bool middle = false;
    for (int c = 0; c < across; ++c) {
        bool same = true;
        for (int a = nearInset + 1; a < along - farInset && same; ++a) same = at(a, c) == at(a - 1, c);
        if (same) continue;
        if (c < nearAcross) {
            nearFrom = std::min(nearFrom, c);
            nearTo = c + 1;
        } else if (c >= across - farAcross) {
            farFrom = std::min(farFrom, c);
            farTo = c + 1;
        } else {
            middle = true;
        }
    }
    // Corner cells are drawn one to one across unless shrunk to fit (then a
    // line anywhere in one spreads over all of it); the middle is stretched.
    if (nearTo > nearFrom && drawnNearAcross != nearAcross) {
        nearFrom = 0;
        nearTo = drawnNearAcross;
    }
    AddLine(follow, targetFrom + nearFrom, targetFrom + nearTo);
    if (middle) AddLine(follow, targetFrom + drawnNearAcross, targetTo - drawnFarAcross);
    if (farTo > farFrom && drawnFarAcross != farAcross) {
        AddLine(follow, targetTo - drawnFarAcross, targetTo);
    } else {
        AddLine(follow, targetTo - (across - farFrom), targetTo - (across - farTo));
    }
    return follow;
}

// How the brush's pixels over target follow target's ends (see AxisFollow);
// it must match what PaintBrush draws.
Follow FollowOf(const BrushNode& brush, const raster::Rect& target, int depth = 0) {
    if (depth > 16) return {};
    switch (brush.kind) {
    case BrushNode::Kind::Color:
    case BrushNode::Kind::HostBackdrop:
        return Uniform();
    case BrushNode::Kind::Effect:
        // The backdrop through an effect is anchored to the screen; any other
        // source is filtered as a whole.
        return PaintsPixelByPixel(brush) ? Uniform() : Follow{};
    case BrushNode::Kind::Surface: {
        if (!brush.surface || brush.surface->pixels.IsEmpty()) return Uniform();
        if (brush.stretch != CompositionStretch::Fill) return {};
        const auto& repeats = RepeatsOf(*brush.surface);
        Follow follow;
        if (repeats.column[0]) follow[0].nearBand = follow[0].farBand = 0;
        if (repeats.row[0]) follow[1].nearBand = follow[1].farBand = 0;
        return follow;
    }
    case BrushNode::Kind::NineGrid: {
        if (!brush.source || brush.source->kind != BrushNode::Kind::Surface || !brush.source->surface ||
            brush.source->surface->pixels.IsEmpty()) {
            return Uniform();
        }
        const SurfaceNode& surface = *brush.source->surface;
        const raster::Image& pixels = surface.pixels;
        const int width = pixels.Width(), height = pixels.Height();
        // As DrawNineGrid takes them.
        raster::NineGridInsets s{std::clamp(Round(brush.insets[0]), 0, width),
                                 std::clamp(Round(brush.insets[1]), 0, height),
                                 std::clamp(Round(brush.insets[2]), 0, width),
                                 std::clamp(Round(brush.insets[3]), 0, height)};
        s.right = std::min(s.right, width - s.left);
        s.bottom = std::min(s.bottom, height - s.top);
        // Corners shrunk to fit a small target: their size across an axis
        // must not depend on the length along it (a glass lower than its
        // corners are wide keeps them while it widens).
        const raster::NineGridInsets d = raster::TargetInsets(s, target.width, target.height);
        constexpr int kUnlimited = 1 << 28;
        const raster::NineGridInsets wide = raster::TargetInsets(s, kUnlimited, target.height);
        const raster::NineGridInsets tall = raster::TargetInsets(s, target.width, kUnlimited);
        Follow follow;
        if (wide.top == d.top && wide.bottom == d.bottom) follow[0] = NineGridFollow(pixels, s, d, target, 0);
        if (tall.left == d.left && tall.right == d.right) follow[1] = NineGridFollow(pixels, s, d, target, 1);
        return follow;
    }
    case BrushNode::Kind::Mask:
        if (!brush.source || !brush.mask) return Uniform();
        return Combine(FollowOf(*brush.source, target, depth + 1), FollowOf(*brush.mask, target, depth + 1));
    }
    return {};
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

struct Span {
    int from = 0, to = 0;  // [from, to)
    bool IsEmpty() const { return to <= from; }
};

Span Along(const raster::Rect& r, int axis) { return axis == 0 ? Span{r.x, r.Right()} : Span{r.y, r.Bottom()}; }

Span Meet(Span a, Span b) { return {std::max(a.from, b.from), std::min(a.to, b.to)}; }

int Floor(float value) { return static_cast<int>(std::floor(std::clamp(value, -1.0e8f, 1.0e8f))); }
int Ceil(float value) { return static_cast<int>(std::ceil(std::clamp(value, -1.0e8f, 1.0e8f))); }

// Where along the axis the clip's coverage does not depend on where its ends
// are (the straight part of a rounded rectangle's sides).
Span ClipInterior(const ClipShape& clip, int axis) {
    const float start = axis == 0 ? clip.shape.x : clip.shape.y;
    const float length = axis == 0 ? clip.shape.width : clip.shape.height;
    if (!clip.rounded) return {Round(start), Round(start + length)};
    const float radius = axis == 0 ? clip.radius.x : clip.radius.y;
    if (!std::isfinite(start) || !std::isfinite(length) || !std::isfinite(radius) || !(length > 0.0f) ||
        !(clip.shape.width > 0.0f) || !(clip.shape.height > 0.0f)) {
        return {};
    }
    const float r = std::max(radius, 0.0f);
    return {Ceil(start + r) + 1, Floor(start + length - r) - 1};
}

// Adds to the frame's damage, and to the bottom part's for visuals in it.
struct DamageSink {
    DamageRegion& all;
    DamageRegion* bottom;
    int bottomChildren;
    uint64_t* wholeGroups;
    void Add(const raster::Rect& rect, int group) const {
        all.Add(rect);
        // The root's own brush is drawn with the bottom part.
        if (bottom && group < bottomChildren) bottom->Add(rect);
    }
    // A visual redrawn in full, not by its edges.
    void AddWhole(const raster::Rect& rect, int group) const {
        if (rect.IsEmpty()) return;
        Add(rect, group);
        if (!wholeGroups) return;
        if (group < 0) {
            *wholeGroups = ~uint64_t{0};  // the root changes everything under it
        } else if (group < 64) {
            *wholeGroups |= uint64_t{1} << group;
        }
    }
};

// The pixels of the visual that may differ between the two records when
// everything but its place along the axis is the same: the bands along its
// old and new ends. False when the records differ in more than that.
bool AddEdgeDamage(const VisualRecord& before, const VisualRecord& after, int axis, const DamageSink& damage) {
    const int across = 1 - axis;
    if (before.content != after.content || before.clipCount != after.clipCount ||
        before.clipCount > VisualRecord::kMaxClips) {
        return false;
    }
    if (before.follow[axis].nearBand < 0 || after.follow[axis].nearBand < 0) return false;
    const Span beforeAcross = Along(before.bounds, across), afterAcross = Along(after.bounds, across);
    if (beforeAcross.from != afterAcross.from || beforeAcross.to != afterAcross.to) return false;
    const Span targetAcross = Along(before.target, across), afterTargetAcross = Along(after.target, across);
    if (targetAcross.from != afterTargetAcross.from || targetAcross.to != afterTargetAcross.to) return false;
    Span kept[2];
    const VisualRecord* records[2] = {&before, &after};
    for (int i = 0; i < 2; ++i) {
        const VisualRecord& record = *records[i];
        const Span target = Along(record.target, axis);
        kept[i] = {target.from + record.follow[axis].nearBand, target.to - record.follow[axis].farBand};
        for (int c = 0; c < record.clipCount; ++c) kept[i] = Meet(kept[i], ClipInterior(record.clips[c], axis));
    }
    for (int c = 0; c < before.clipCount; ++c) {
        const ClipShape& a = before.clips[c];
        const ClipShape& b = after.clips[c];
        const bool same = a.rounded == b.rounded && (across == 0 ? a.shape.x == b.shape.x && a.shape.width == b.shape.width &&
                                                                       a.radius.x == b.radius.x
                                                                 : a.shape.y == b.shape.y &&
                                                                       a.shape.height == b.shape.height &&
                                                                       a.radius.y == b.radius.y);
        if (!same) return false;
    }
    const Span unchanged = Meet(kept[0], kept[1]);
    if (unchanged.IsEmpty()) return false;
    const Span beforeAlong = Along(before.bounds, axis), afterAlong = Along(after.bounds, axis);
    const Span extent = {std::min(beforeAlong.from, afterAlong.from), std::max(beforeAlong.to, afterAlong.to)};
    auto rectOf = [axis](Span along, Span across) {
        const int length = along.to - along.from, breadth = across.to - across.from;
        return axis == 0 ? raster::Rect{along.from, across.from, length, breadth}
                         : raster::Rect{across.from, along.from, breadth, length};
    };
    auto add = [&](Span along) {
        if (!along.IsEmpty()) damage.Add(rectOf(along, beforeAcross), after.group);
    };
    add({extent.from, std::min(unchanged.from, extent.to)});
    add({std::max(unchanged.to, extent.from), extent.to});
    // Lines whose pixels depend on the ends all along.
    for (const VisualRecord* record : records) {
        for (const auto& line : record->follow[axis].lines) {
            const Span lineAcross = Meet({line[0], line[1]}, beforeAcross);
            if (!lineAcross.IsEmpty()) damage.Add(rectOf(extent, lineAcross), after.group);
        }
    }
    return true;
}

// A sprite whose surface alone changed, and only in parts since the version
// the earlier record showed: those parts, in window pixels. False otherwise.
bool AddSurfacePartDamage(const VisualRecord& before, const VisualRecord& after, const DamageSink& damage) {
    const SurfaceNode* surface = after.surface;
    if (!surface || surface != before.surface || after.versionBesideSurface != before.versionBesideSurface ||
        !(after.bounds == before.bounds) || !(after.target == before.target) || after.group != before.group ||
        after.surfaceVersion <= before.surfaceVersion || after.surfaceVersion != surface->version) {
        return false;
    }
    const int sw = surface->pixels.Width(), sh = surface->pixels.Height();
    if (sw <= 0 || sh <= 0 || after.target.IsEmpty()) return false;
    const double fx = static_cast<double>(after.target.width) / sw;
    const double fy = static_cast<double>(after.target.height) / sh;
    raster::Rect parts[SurfaceNode::kPartialChangesKept];
    int count = 0;
    uint64_t version = after.surfaceVersion;
    const auto& changes = surface->partialChanges;
    for (auto change = changes.rbegin(); change != changes.rend() && version != before.surfaceVersion; ++change) {
        if (change->to != version) return false;
        // A stretched surface blends two source pixels into each window pixel
        // (DrawStretched): source pixel p reaches the window pixels whose
        // centres map within one pixel of it, (p - 0.5) f - 0.5 up to
        // (p + 1.5) f - 0.5, which at 4x is two pixels beyond the scaled area.
        const auto reach = [](int from, int to, double f, int origin, int& first, int& end) {
            first = origin + static_cast<int>(std::floor((from - 0.5) * f - 0.5));
            end = origin + static_cast<int>(std::ceil((to + 0.5) * f - 0.5));
        };
        int x0, x1, y0, y1;
        reach(change->area.x, change->area.Right(), fx, after.target.x, x0, x1);
        reach(change->area.y, change->area.Bottom(), fy, after.target.y, y0, y1);
        parts[count++] = raster::Intersect({x0, y0, x1 - x0, y1 - y0}, after.bounds);
        version = change->from;
    }
    if (version != before.surfaceVersion) return false;
    for (int i = 0; i < count; ++i) damage.AddWhole(parts[i], after.group);
    return true;
}

uint64_t Newest(const VisualNode& visual, int depth) {
    uint64_t newest = std::max(visual.version, ClipVersion(visual.clip.get()));
    newest = std::max(newest, BrushVersion(visual.brush.get()));
    if (depth > 256) return newest;
    for (const auto& child : visual.children) newest = std::max(newest, Newest(*child, depth + 1));
    return newest;
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

void DamageBetween(const TreeSnapshot& before, const TreeSnapshot& after, DamageRegion& damage,
                   DamageRegion* bottom, int bottomChildren, uint64_t* wholeGroups) {
    const DamageSink sink{damage, bottom, bottomChildren, wholeGroups};
    auto b = before.begin(), a = after.begin();
    std::less<> less;
    while (b != before.end() || a != after.end()) {
        if (a == after.end() || (b != before.end() && less(b->visual, a->visual))) {
            sink.AddWhole(b->bounds, b->group);  // removed
            ++b;
        } else if (b == before.end() || less(a->visual, b->visual)) {
            sink.AddWhole(a->bounds, a->group);  // added
            ++a;
        } else {
            if (a->version != b->version || !(a->bounds == b->bounds) || a->group != b->group) {
                if (a->group != b->group || (!AddSurfacePartDamage(*b, *a, sink) && !AddEdgeDamage(*b, *a, 0, sink) &&
                                             !AddEdgeDamage(*b, *a, 1, sink))) {
                    sink.AddWhole(b->bounds, b->group);
                    sink.AddWhole(a->bounds, a->group);
                }
            }
            ++a;
            ++b;
        }
    }
}

}  // namespace comp::detail
