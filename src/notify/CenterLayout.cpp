#include "notify/CenterLayout.h"

#include <algorithm>

namespace {
constexpr float kMaxCap = 620.0f;
constexpr float kMinCap = 240.0f;
constexpr float kNoMonitorCap = 560.0f;
constexpr float kRowPitch = 92.0f;
constexpr float kHeader = 50.0f;
constexpr float kGapAndFooter = 8.0f + 44.0f;
}  // namespace

CenterLayout LayoutCenterPanel(int32_t workAreaHeightPx, float scale, int32_t itemCount, int32_t scrollRow) {
    CenterLayout layout;
    if (scale < 1.0f) scale = 1.0f;
    if (workAreaHeightPx >= 0) {
        layout.cap = std::clamp(static_cast<float>(workAreaHeightPx) / scale - 24.0f, kMinCap, kMaxCap);
    } else {
        layout.cap = kNoMonitorCap;
    }
    layout.visibleRows = std::max(1, static_cast<int32_t>((std::max(layout.cap - 106.0f, 120.0f) + 8.0f) / kRowPitch));
    if (itemCount <= 0) {
        layout.panelHeight = 232.0f;
        layout.scrollRow = 0;
        return layout;
    }
    int32_t shown = std::min(layout.visibleRows, itemCount);
    layout.scrollRow = std::clamp(scrollRow, 0, std::max(itemCount - shown, 0));
    layout.panelHeight = kHeader + kRowPitch * static_cast<float>(shown) + kGapAndFooter;
    return layout;
}

int32_t ScrollAfterWheel(int32_t scrollRow, int wheelDelta, int32_t itemCount, int32_t visibleRows) {
    if (itemCount <= visibleRows) return scrollRow;
    int32_t next = wheelDelta < 0 ? scrollRow + 1 : scrollRow - 1;
    return std::clamp(next, 0, itemCount - visibleRows);
}
