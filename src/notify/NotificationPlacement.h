#pragma once
// Where the notification center and the banner stack stand on a monitor: the
// window rectangle with its shadow margin and the glass inside it, in pixels.

#include <windows.h>

struct PanelPlacement {
    RECT window{};      // screen pixels, shadow margin included
    int glassLeft = 0;  // glass bounds inside the window, pixels
    int glassTop = 0;
    int glassWidth = 0;
    int glassHeight = 0;
    float cornerRadius = 0.0f;  // pixels
};

// Half away from zero, as every DIP-to-pixel conversion of these windows.
int RoundPixels(float value);

PanelPlacement PlaceCenterPanel(const RECT& monitor, float scale, float panelWidth, float panelHeight);
PanelPlacement PlaceBannerPanel(const RECT& monitor, float scale, float panelHeight);

// The banner stack's height in DIP for a number of cards.
float BannerPanelHeight(int bannerCount);
