#include "render/raster/Stretch.h"

#include "render/raster/Resample.h"

namespace raster {

void DrawStretched(ImageView dst, const Rect& target, ConstImageView src, const DrawOptions& options) {
    if (src.width <= 0 || src.height <= 0 || target.IsEmpty()) return;
    const Rect area = DrawArea(dst, target, options);
    if (area.IsEmpty()) return;
    if (target.width == src.width && target.height == src.height) {
        DrawImage(dst, src, target.x, target.y, options);
        return;
    }
    const Taps columns = StretchTaps(target.width, src.width);
    const Taps rows = StretchTaps(target.height, src.height);
    ResampleInto(dst, area, src, columns, rows, {target.x, target.y}, options);
}

}  // namespace raster
