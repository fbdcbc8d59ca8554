#pragma once
// Where the popover window goes: the panel's right edge at the anchor, kept
// 8 px inside the monitor, with the transparent shadow margin around it. All
// values are physical pixels.

#include <windows.h>

struct PopoverPlacement {
    int outerWidth = 0;  // window size, margin included
    int outerHeight = 0;
    int pad = 0;         // the margin on each side
    int panelWidth = 0;  // the glass panel itself
    int panelHeight = 0;
    int panelX = 0;  // the panel's top-left on the screen
    int panelY = 0;
    RECT window{};  // what SetWindowPos gets: (panelX - pad, panelY - pad) and the outer size
};

// width and height in DIP without the margin; monitorRect is the monitor's
// rcMonitor; anchor is x of the panel's right edge and y of its top.
PopoverPlacement PlacePopover(float width, float height, float scale, const RECT& monitorRect, POINT anchor);
