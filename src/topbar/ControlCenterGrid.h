#pragma once
// The control center's layout in DIP: tiles in rows of two (an odd last tile
// spans the row), then the brightness and volume modules below them.

#include <cstddef>
#include <vector>

struct PopoverRectF {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

inline constexpr float kControlCenterTileHeight = 56.0f;
inline constexpr float kControlCenterModuleHeight = 62.0f;

struct ControlCenterLayout {
    std::vector<PopoverRectF> tiles;  // one per configured tile, in order
    float gridBottom = 14.0f;         // running y after the grid (and its 10-DIP gap)
    bool hasBrightness = false;
    PopoverRectF brightnessCard;   // the module card, when shown
    PopoverRectF brightnessTrack;  // its slider track
    bool hasVolume = false;
    PopoverRectF volumeCard;
    PopoverRectF volumeTrack;
};

// panelWidth is the popover's width (332 for the control center).
ControlCenterLayout LayoutControlCenter(float panelWidth, size_t tiles, bool showBrightness, bool showVolume);
