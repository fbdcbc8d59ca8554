#pragma once
// How tall the notification center is and which rows it shows, from the
// monitor's work area and the list alone, so it can be checked without a window.

#include <cstdint>

struct CenterLayout {
    float cap = 560.0f;       // the tallest the panel may grow, in DIP
    int32_t visibleRows = 1;  // rows that fit under the cap
    float panelWidth = 348.0f;
    float panelHeight = 232.0f;
    int32_t scrollRow = 0;  // first row shown, clamped to the list
};

// workAreaHeightPx < 0 means the monitor could not be asked.
CenterLayout LayoutCenterPanel(int32_t workAreaHeightPx, float scale, int32_t itemCount, int32_t scrollRow);

// The first row after one wheel notch (delta < 0 scrolls down); unchanged when
// every row already shows.
int32_t ScrollAfterWheel(int32_t scrollRow, int wheelDelta, int32_t itemCount, int32_t visibleRows);
