#include "notify/NotificationPlacement.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kShadowMargin = 14.0f;
constexpr float kRightGap = 12.0f;

// Both panels hug the monitor's right edge under the top bar; the margin keeps
// the shadow inside the window.
PanelPlacement Place(const RECT& monitor, float scale, float panelWidth, float panelHeight, float top, float radius) {
    PanelPlacement out;
    int margin = RoundPixels(kShadowMargin * scale);
    int width = RoundPixels(panelWidth * scale);
    int gap = RoundPixels(kRightGap * scale);
    int topPx = RoundPixels(top * scale);
    int x = std::max(static_cast<int>(monitor.right) - width - gap, static_cast<int>(monitor.left) + 8) - margin;
    int y = static_cast<int>(monitor.top) + topPx - margin;
    int windowWidth = RoundPixels((panelWidth + 2.0f * kShadowMargin) * scale);
    int windowHeight = RoundPixels((panelHeight + 2.0f * kShadowMargin) * scale);
    out.window = {x, y, x + windowWidth, y + windowHeight};
    out.glassLeft = margin;
    out.glassTop = margin;
    out.glassWidth = width;
    out.glassHeight = RoundPixels(panelHeight * scale);
    out.cornerRadius = radius * scale;
    return out;
}

}  // namespace

int RoundPixels(float value) { return static_cast<int>(std::lround(value)); }

PanelPlacement PlaceCenterPanel(const RECT& monitor, float scale, float panelWidth, float panelHeight) {
    return Place(monitor, std::max(scale, 1.0f), panelWidth, panelHeight, 40.0f, 18.0f);
}

PanelPlacement PlaceBannerPanel(const RECT& monitor, float scale, float panelHeight) {
    return Place(monitor, std::max(scale, 1.0f), 336.0f, panelHeight, 42.0f, 16.0f);
}

float BannerPanelHeight(int bannerCount) {
    if (bannerCount <= 0) return 84.0f;
    return 82.0f * static_cast<float>(bannerCount) + 8.0f * static_cast<float>(bannerCount - 1);
}
