#include "render/comp/RendererBrushes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/comp/RendererGeometry.h"
#include "render/comp/RendererScratch.h"
#include "render/raster/Blur.h"
#include "render/raster/ColorMatrix.h"
#include "render/raster/Mask.h"
#include "render/raster/NineGrid.h"
#include "render/raster/Stretch.h"
#include "render/raster/Translate.h"

namespace comp::detail {

namespace {

raster::Rect Shift(const raster::Rect& r, int dx, int dy) { return {r.x + dx, r.y + dy, r.width, r.height}; }

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
            raster::Rect fitted =
                PixelRect(target.x + (target.width - w) / 2, target.y + (target.height - h) / 2, w, h);
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

}  // namespace

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

namespace {

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

}  // namespace

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

}  // namespace comp::detail
