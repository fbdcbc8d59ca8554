#pragma once
// The dock's geometry for one frame, as a pure function of a value record, plus
// the three queries input handling asks of it. Units are device-independent
// pixels relative to the dock's band window: x from the monitor's left edge, y
// from the band's top, growing downwards.

#include <cstdint>
#include <vector>

struct DockLayoutInput {
    std::vector<int32_t> kinds;  // DockItemKind of each item, in dock order
    float screenWidth = 1920.0f;
    float bandHeight = 200.0f;
    float iconSize = 48.0f;
    float spacing = 8.0f;
    float insetX = 12.0f;
    float insetY = 8.0f;
    float bottomMargin = 8.0f;
    float maxWidth = 1720.0f;
    bool magnifyEnabled = true;
    float magnifyScale = 1.55f;
    float magnifySigma = 110.0f;
    bool hovering = false;
    float cursorX = 0.0f;
    float magnifyAmount = 0.0f;
    int32_t dragIndex = -1;    // item being dragged for reordering, -1 when none
    float dragOffsetY = 0.0f;  // negative is upwards
    float dragX = 0.0f;
    int32_t dropIndex = -1;  // slot before which a gap opens for dragged files

    // Unmagnified glass width for these kinds at the given icon size and gap,
    // without any drop gap.
    float MeasureRowWidth(float iconSize, float spacing) const;

    // How many more icons the row takes before it overflows maxWidth even at the
    // smallest icon size the layout shrinks to.
    int RoomForIcons() const;

    // New index of the dragged item while reordering, in [first, first+count-1];
    // it sticks to the current slot until the pointer is 5 dip past a neighbour.
    int DropIndexForX(float x, int first, int count) const;
};

struct DockItemLayout {
    float centerX = 0.0f;
    float centerY = 0.0f;
    float size = 48.0f;   // drawn icon edge length
    float width = 48.0f;  // horizontal extent of the slot
    float scale = 1.0f;
    float opacity = 1.0f;
};

struct DockLayoutResult {
    float iconSize = 48.0f;  // after shrink-to-fit
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float cornerRadius = 18.0f;
    float centerY = 0.0f;
    std::vector<DockItemLayout> items;

    // Index of the item under the point, or -1. Slots are widened by 3 dip on
    // each side and the glass by 4 dip below; tolerance extends above the icon.
    int HitTestIcon(float x, float y, float tolerance) const;

    // Insertion index in [first, first+count] for files dropped at x, from the
    // current (magnified) centres.
    int SlotIndexAtX(float x, int first, int count) const;
};

DockLayoutResult ComputeDockLayout(const DockLayoutInput& input);
