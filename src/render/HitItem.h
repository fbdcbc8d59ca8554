#pragma once
// A clickable rectangle recorded while a window paints. Every paint clears the
// list and appends one item per clickable element in drawing order, so hit
// testing sees exactly what was drawn last.

#include <cstdint>
#include <vector>

struct HitItem {
    int32_t id = 0;  // what the rectangle stands for; each window has its own ids
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
    int32_t index = 0;  // sub-index inside one id; 0 where an id has one rectangle
};

// The first item whose closed rectangle holds the point (a point on the right
// or bottom edge hits), so an earlier-painted item wins where two overlap.
inline const HitItem* FindHitItem(const std::vector<HitItem>& items, float x, float y) {
    for (const HitItem& item : items) {
        if (item.left <= x && x <= item.right && item.top <= y && y <= item.bottom) return &item;
    }
    return nullptr;
}
