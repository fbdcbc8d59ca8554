#pragma once
// What one pointer move does to a press on an icon of the application run:
// when it turns into a drag, how far the icon is lifted, whether releasing it
// would unpin it, and which slot it moves to. Plain values in, plain values out.

#include <windows.h>

#include "dock/DockLayout.h"

// A press becomes a drag once the pointer has moved more than 8 dip (rounded
// to whole pixels at the monitor's scale) from where the button went down.
bool DragThresholdCrossed(POINT pressPoint, POINT cursor, float scale);

struct DockDragInput {
    POINT pressPoint = {0, 0};  // screen pixels
    POINT cursor = {0, 0};      // screen pixels
    float scale = 1.0f;
    bool dragging = false;  // the press is a drag already
    bool pinned = false;    // only a pinned item can be unpinned by lifting it away
    int pressedIndex = -1;
    float cursorDipX = 0.0f;  // pointer x in the band window, dip
    int runFirst = 0;         // the application run: [runFirst, runFirst + runCount)
    int runCount = 0;
    int itemCount = 0;  // items of the layout
};

struct DockDragStep {
    bool dragging = false;
    bool started = false;      // this move turned the press into a drag
    float dragOffsetY = 0.0f;  // dip, negative is upwards
    bool unpinIntent = false;
    int reorderTo = -1;        // the dragged item's new index, -1 when it keeps its slot
    bool moveInModel = false;  // both indices lie in the run, so the item itself moves
};

// Lifted more than this, a pinned icon is unpinned on release.
inline constexpr float kUnpinLiftDip = 85.0f;
// Within this vertical distance of its row the icon reorders; beyond it, it only follows.
inline constexpr float kReorderBandDip = 60.0f;

// `layout` is the dock's layout input for this frame; its dragIndex is taken
// as the pressed index.
DockDragStep StepDockDrag(const DockDragInput& in, const DockLayoutInput& layout);
