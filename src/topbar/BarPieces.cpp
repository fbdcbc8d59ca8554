#include "topbar/BarPieces.h"

#include <algorithm>

namespace {

raster::Rect Span(const raster::Rect& a, const raster::Rect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    return {x0, y0, std::max(a.Right(), b.Right()) - x0, std::max(a.Bottom(), b.Bottom()) - y0};
}

bool Meet(const raster::Rect& a, const raster::Rect& b) {
    return a.x <= b.Right() && b.x <= a.Right() && a.y <= b.Bottom() && b.y <= a.Bottom();
}

}  // namespace

std::vector<raster::Rect> ChangedBarAreas(const std::vector<BarPiece>& shown, const std::vector<BarPiece>& next,
                                          const raster::Rect& whole) {
    if (shown.size() != next.size()) return {whole};
    std::vector<raster::Rect> areas;
    for (size_t i = 0; i < next.size(); ++i) {
        if (shown[i].key == next[i].key && shown[i].box == next[i].box) continue;
        raster::Rect area = raster::Intersect(Span(shown[i].box, next[i].box), whole);
        if (area.IsEmpty()) continue;
        // Merging may make an area reach another one merged before it: again until none meet.
        for (bool merged = true; merged;) {
            merged = false;
            for (auto other = areas.begin(); other != areas.end(); ++other) {
                if (!Meet(*other, area)) continue;
                area = Span(*other, area);
                areas.erase(other);
                merged = true;
                break;
            }
        }
        areas.push_back(area);
    }
    return areas;
}
