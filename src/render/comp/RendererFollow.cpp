#include "render/comp/RendererFollow.h"

#include <algorithm>
#include <cstdint>

#include "render/comp/RendererBrushes.h"
#include "render/comp/RendererGeometry.h"
#include "render/raster/NineGrid.h"

namespace comp::detail {

namespace {

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
AxisFollow NineGridFollow(const raster::Image& pixels, const raster::NineGridInsets& s, const raster::NineGridInsets& d,
                          const raster::Rect& target, int axis) {
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

}  // namespace

Follow FollowOf(const BrushNode& brush, const raster::Rect& target, int depth) {
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
            raster::NineGridInsets s{
                std::clamp(Round(brush.insets[0]), 0, width), std::clamp(Round(brush.insets[1]), 0, height),
                std::clamp(Round(brush.insets[2]), 0, width), std::clamp(Round(brush.insets[3]), 0, height)};
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

}  // namespace comp::detail
