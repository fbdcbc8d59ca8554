#include "dock/DockDragStep.h"

#include <cmath>

namespace {

constexpr float kDragThresholdDip = 8.0f;

bool InRun(int index, int first, int count) { return index >= first && index < first + count; }

}  // namespace

bool DragThresholdCrossed(POINT pressPoint, POINT cursor, float scale) {
    const long long t = std::lround(kDragThresholdDip * scale);
    const long long dx = cursor.x - pressPoint.x;
    const long long dy = cursor.y - pressPoint.y;
    return dx * dx + dy * dy > t * t;
}

DockDragStep StepDockDrag(const DockDragInput& in, const DockLayoutInput& layout) {
    DockDragStep step;
    step.dragging = in.dragging;
    if (!step.dragging) {
        if (!DragThresholdCrossed(in.pressPoint, in.cursor, in.scale)) return step;
        step.dragging = true;
        step.started = true;
    }
    const float scale = in.scale > 0.0f ? in.scale : 1.0f;
    step.dragOffsetY = static_cast<float>(in.cursor.y - in.pressPoint.y) / scale;
    if (in.pinned && step.dragOffsetY < -kUnpinLiftDip) {
        step.unpinIntent = true;
        return step;
    }
    if (std::fabs(step.dragOffsetY) >= kReorderBandDip) return step;

    int slot;
    if (layout.dragIndex == in.pressedIndex) {
        slot = layout.DropIndexForX(in.cursorDipX, in.runFirst, in.runCount);
    } else {
        DockLayoutInput own = layout;
        own.dragIndex = in.pressedIndex;
        slot = own.DropIndexForX(in.cursorDipX, in.runFirst, in.runCount);
    }
    if (slot == in.pressedIndex || in.pressedIndex < 0 || in.pressedIndex >= in.itemCount) return step;
    step.reorderTo = slot;
    step.moveInModel = InRun(in.pressedIndex, in.runFirst, in.runCount) && InRun(slot, in.runFirst, in.runCount);
    return step;
}
