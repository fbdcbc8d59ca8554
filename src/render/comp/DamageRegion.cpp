#include "render/comp/DamageRegion.h"

#include <algorithm>

namespace comp::detail {

namespace {

raster::Rect Union(const raster::Rect& a, const raster::Rect& b) {
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int right = std::max(a.Right(), b.Right()), bottom = std::max(a.Bottom(), b.Bottom());
    return {left, top, right - left, bottom - top};
}

long long Area(const raster::Rect& r) { return static_cast<long long>(r.width) * r.height; }

bool Near(const raster::Rect& a, const raster::Rect& b) {
    const int gap = DamageRegion::kNear;
    return a.x - gap < b.Right() && b.x - gap < a.Right() && a.y - gap < b.Bottom() && b.y - gap < a.Bottom();
}

// Whether drawing the union of the two costs about what drawing both does: a
// ring of bands must not become the whole area it surrounds.
bool CheapToMerge(const raster::Rect& a, const raster::Rect& b) {
    if (!Near(a, b)) return false;
    const long long covered = Area(a) + Area(b) - Area(raster::Intersect(a, b));
    const long long waste = Area(Union(a, b)) - covered;
    return waste <= DamageRegion::kWaste || 4 * waste <= covered;
}

// The parts of r outside cut: up to four rectangles.
void Subtract(const raster::Rect& r, const raster::Rect& cut, std::vector<raster::Rect>& pieces) {
    const raster::Rect overlap = raster::Intersect(r, cut);
    if (overlap.IsEmpty()) {
        pieces.push_back(r);
        return;
    }
    if (overlap.y > r.y) pieces.push_back({r.x, r.y, r.width, overlap.y - r.y});
    if (overlap.Bottom() < r.Bottom())
        pieces.push_back({r.x, overlap.Bottom(), r.width, r.Bottom() - overlap.Bottom()});
    if (overlap.x > r.x) pieces.push_back({r.x, overlap.y, overlap.x - r.x, overlap.height});
    if (overlap.Right() < r.Right()) {
        pieces.push_back({overlap.Right(), overlap.y, r.Right() - overlap.Right(), overlap.height});
    }
}

}  // namespace

void DamageRegion::Add(const raster::Rect& rect) {
    if (rect.IsEmpty()) return;
    raster::Rect grown = rect;
    // A merged rectangle may now be worth merging with others: look again
    // until none is.
    for (size_t i = 0; i < rects_.size();) {
        if (CheapToMerge(rects_[i], grown)) {
            grown = Union(grown, rects_[i]);
            rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
        } else {
            ++i;
        }
    }
    // What is left of it outside the others, so that no pixel is composed twice.
    pieces_.assign(1, grown);
    for (const raster::Rect& other : rects_) {
        cut_.clear();
        for (const raster::Rect& piece : pieces_) Subtract(piece, other, cut_);
        pieces_.swap(cut_);
    }
    rects_.insert(rects_.end(), pieces_.begin(), pieces_.end());
    Reduce();
}

void DamageRegion::Reduce() {
    // Too many rectangles: join the two whose union wastes least, again and
    // again. Which rectangles are here depends on the order they came in (a
    // band added across another is cut around it), and falling back to the
    // bounds of everything made a widening glass redraw all of itself in some
    // orders and only its edges in others.
    for (int rounds = 0; rects_.size() > kMaxRects; ++rounds) {
        if (rounds >= 4 * static_cast<int>(kMaxRects)) {
            rects_.assign(1, Bounds());
            return;
        }
        size_t first = 0, second = 1;
        long long leastWaste = -1;
        for (size_t i = 0; i < rects_.size(); ++i) {
            for (size_t j = i + 1; j < rects_.size(); ++j) {
                const long long waste = Area(Union(rects_[i], rects_[j])) - Area(rects_[i]) - Area(rects_[j]);
                if (leastWaste < 0 || waste < leastWaste) {
                    leastWaste = waste;
                    first = i;
                    second = j;
                }
            }
        }
        const raster::Rect joined = Union(rects_[first], rects_[second]);
        // The others keep only what lies outside the joined rectangle.
        cut_.clear();
        for (size_t i = 0; i < rects_.size(); ++i) {
            if (i != first && i != second) Subtract(rects_[i], joined, cut_);
        }
        cut_.push_back(joined);
        rects_.swap(cut_);
    }
}

void DamageRegion::ClipTo(const raster::Rect& bounds) {
    for (auto& rect : rects_) rect = raster::Intersect(rect, bounds);
    std::erase_if(rects_, [](const raster::Rect& rect) { return rect.IsEmpty(); });
}

raster::Rect DamageRegion::Bounds() const {
    if (rects_.empty()) return {};
    raster::Rect all = rects_.front();
    for (const auto& rect : rects_) all = Union(all, rect);
    return all;
}

}  // namespace comp::detail
