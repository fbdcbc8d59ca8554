#include "topbar/ControlCenterGrid.h"

ControlCenterLayout LayoutControlCenter(float panelWidth, size_t tiles, bool showBrightness, bool showVolume) {
    ControlCenterLayout layout;
    const float tileWidth = (panelWidth - 28.0f - 8.0f) / 2.0f;
    float y = 14.0f;
    for (size_t i = 0; i < tiles; ++i) {
        const bool spansRow = (tiles % 2 == 1) && i + 1 == tiles;
        const float x = 14.0f + (tileWidth + 8.0f) * static_cast<float>(i % 2);
        const float top = 14.0f + 64.0f * static_cast<float>(i / 2);
        const float width = spansRow ? panelWidth - 28.0f : tileWidth;
        layout.tiles.push_back({x, top, x + width, top + kControlCenterTileHeight});
        y = top + kControlCenterTileHeight;
    }
    if (tiles > 0 && (showBrightness || showVolume)) y += 10.0f;
    layout.gridBottom = y;

    if (showBrightness) {
        layout.hasBrightness = true;
        layout.brightnessCard = {14.0f, y, panelWidth - 14.0f, y + kControlCenterModuleHeight};
        layout.brightnessTrack = {26.0f, y + 30.0f, panelWidth - 26.0f, y + 52.0f};
        y += kControlCenterModuleHeight;
        if (showVolume) y += 8.0f;
    }
    if (showVolume) {
        layout.hasVolume = true;
        layout.volumeCard = {14.0f, y, panelWidth - 14.0f, y + kControlCenterModuleHeight};
        layout.volumeTrack = {26.0f, y + 30.0f, panelWidth - 26.0f, y + 52.0f};
    }
    return layout;
}
