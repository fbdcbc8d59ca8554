#include "render/raster/Translate.h"

#include <cmath>

#include "render/raster/Resample.h"

namespace raster {

void DrawTranslated(ImageView dst, ConstImageView src, float dx, float dy, EdgeMode edges, const DrawOptions& options) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    const Rect area = DrawArea(dst, dst.Bounds(), options);
    if (area.IsEmpty() || src.width <= 0 || src.height <= 0) return;
    // A whole-pixel shift samples every pixel exactly, and what lies beyond
    // the source draws nothing over: a plain copy gives the same pixels.
    if (options.mode == BlendMode::SourceOver && dx == std::floor(dx) && dy == std::floor(dy) &&
        std::fabs(dx) < 1.0e8f && std::fabs(dy) < 1.0e8f) {
        DrawImage(dst, src, static_cast<int>(dx), static_cast<int>(dy), options);
        return;
    }
    const bool hard = edges == EdgeMode::Hard;
    const Taps columns = ShiftTaps(area.x, area.width, src.width, dx, hard);
    const Taps rows = ShiftTaps(area.y, area.height, src.height, dy, hard);
    ResampleInto(dst, area, src, columns, rows, {area.x, area.y}, options);
}

}  // namespace raster
