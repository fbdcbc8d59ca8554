#include "render/comp/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

#include "render/comp/RendererGeometry.h"

namespace comp::detail {

namespace {

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
        const bool same =
            a.rounded == b.rounded &&
            (across == 0 ? a.shape.x == b.shape.x && a.shape.width == b.shape.width && a.radius.x == b.radius.x
                         : a.shape.y == b.shape.y && a.shape.height == b.shape.height && a.radius.y == b.radius.y);
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

}  // namespace

void DamageBetween(const TreeSnapshot& before, const TreeSnapshot& after, DamageRegion& damage, DamageRegion* bottom,
                   int bottomChildren, uint64_t* wholeGroups) {
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
