#pragma once
// Where the dock's input window goes: over the glass (reaching up over the
// magnified icons while the pointer is on the dock), or, while the dock is
// hidden, a thin strip along the monitor's bottom edge that brings it back.

#include <windows.h>

#include "dock/DockLayout.h"

struct DockInputRectInput {
    float layoutX = 0.0f;  // dip, band coordinates
    float layoutY = 0.0f;
    float layoutWidth = 0.0f;
    float layoutHeight = 0.0f;
    float iconSize = 48.0f;  // the configured icon size, dip
    float scale = 1.0f;
    int originX = 0;  // top-left pixel of the band
    int originY = 0;
    RECT monitor = {0, 0, 0, 0};
    bool hidden = false;    // hide target above one half and progress above 0.65
    bool reaching = false;  // hovering or dragging
    bool revealed = false;  // auto-hidden, brought back by the pointer at the bottom edge
};

// Screen rectangle in pixels.
RECT ComputeDockInputRect(const DockInputRectInput& input);

// True when every edge lies within 2 px of the current rectangle, so the
// window need not move.
bool InputRectNearlyEqual(const RECT& a, const RECT& b);
