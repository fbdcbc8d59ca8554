#include "render/raster/Stretch.h"

#include "platform/PerThread.h"
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
    // Only the drawn part's taps: a nine-grid cell or a band of a wide glass
    // is drawn piece by piece, often a few pixels of a long run.
    Taps& columns = platform::PerThread<Taps, struct ColumnTaps>();
    Taps& rows = platform::PerThread<Taps, struct RowTaps>();
    StretchTaps(target.width, src.width, area.x - target.x, area.width, columns);
    StretchTaps(target.height, src.height, area.y - target.y, area.height, rows);
    ResampleInto(dst, area, src, columns, rows, {area.x, area.y}, options);
}

}  // namespace raster
