// The per-frame step: the page slide, the hover field over the grid, the
// magnified index letters, and paging by wheel.
#include <algorithm>
#include <cmath>

#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsWindow.h"

namespace {

constexpr float kSlideDistance = 58.0f;
constexpr float kSlideStartOpacity = 0.62f;
constexpr float kSlideRate = 24.0f;
constexpr float kTileRate = 20.0f;
constexpr int kWheelNotch = 120;
constexpr uint64_t kWheelGapMs = 220;
constexpr uint64_t kFinePageGapMs = 150;

bool Settled(const Spring& spring) { return spring.Settled(); }

}  // namespace

bool AllAppsWindow::IsAnimating() const {
    if (!visible) return false;
    return !(Settled(gridSpring) && Settled(indexSpring) && !tilesAnimating && !indexAnimating && !sliding);
}

void AllAppsWindow::ApplyPageOffset() {
    if (!tileContainer) return;
    tileContainer.Offset({slideOffset * scale, 0.0f, 0.0f});
    tileContainer.Opacity(std::clamp(slideOpacity, 0.0f, 1.0f));
}

void AllAppsWindow::GoToPage(int targetPage, int direction) {
    const int target = std::clamp(targetPage, 0, std::max(pageCount - 1, 0));
    if (target == page) return;
    page = target;
    hoveredSlot = -1;
    RedrawPageDots();
    RebuildPageVisuals(LabelPace::WithinShare);
    RedrawHover();
    slideOpacity = kSlideStartOpacity;
    sliding = true;
    slideOffset = direction >= 0 ? kSlideDistance : -kSlideDistance;
    ApplyPageOffset();
    FireRequestFrame();
}

void AllAppsWindow::HandleWheel(int delta, bool horizontal) {
    if (pageCount <= 1 || delta == 0) return;
    const int d = horizontal ? delta : -delta;
    const uint64_t now = tickCount();
    if (now - lastWheelAt > kWheelGapMs || (wheelAccum != 0 && (d > 0) != (wheelAccum > 0))) wheelAccum = 0;
    wheelAccum += d;
    lastWheelAt = now;
    const bool fine = std::abs(delta) < kWheelNotch;
    while (std::abs(wheelAccum) >= kWheelNotch) {
        if (fine && now - lastWheelPageAt < kFinePageGapMs) {
            wheelAccum = std::clamp(wheelAccum, -kWheelNotch + 1, kWheelNotch - 1);
            break;
        }
        const int dir = wheelAccum > 0 ? 1 : -1;
        wheelAccum -= dir * kWheelNotch;
        if (fine) wheelAccum = 0;
        lastWheelPageAt = now;
        if (page + dir >= 0 && page + dir <= pageCount - 1) GoToPage(page + dir, dir);
    }
}

void AllAppsWindow::Tick(float dt) {
    if (!visible || !TreeReady()) {
        tilesAnimating = indexAnimating = sliding = false;
        return;
    }
    if (sliding && !dragging) {
        slideOffset = ExpApproach(slideOffset, 0.0f, kSlideRate, dt);
        slideOpacity = ExpApproach(slideOpacity, 1.0f, kSlideRate, dt);
        if (std::fabs(slideOffset) < 0.25f && std::fabs(slideOpacity - 1.0f) < 0.01f) {
            slideOffset = 0.0f;
            slideOpacity = 1.0f;
            sliding = false;
        }
        ApplyPageOffset();
    }

    const bool indexWasMoving = !indexSpring.Settled();
    gridSpring.Step(dt);
    indexSpring.Step(dt);

    const float a = magnifyEnabled ? std::clamp(gridSpring.value, 0.0f, 1.0f) : 0.0f;
    bool moving = false;
    for (AllAppsTileSlot& slot : tileSlots) {
        if (!slot.visible) continue;
        HoverTarget want;
        if (a > 0.001f && pointerInGrid) want = GridHoverTarget(slot.centerX - pointerX, slot.centerY - pointerY, a);
        slot.scale = ExpApproach(slot.scale, want.scale, kTileRate, dt);
        slot.offsetX = ExpApproach(slot.offsetX, want.x, kTileRate, dt);
        slot.offsetY = ExpApproach(slot.offsetY, want.y, kTileRate, dt);
        if (std::fabs(slot.scale - want.scale) > 0.002f || std::fabs(slot.offsetX - want.x) > 0.02f ||
            std::fabs(slot.offsetY - want.y) > 0.02f) {
            moving = true;
        } else {
            slot.scale = want.scale;
            slot.offsetX = want.x;
            slot.offsetY = want.y;
        }
    }
    tilesAnimating = moving;
    UpdateTileTransforms();

    if (indexLetters.size() < 2) {
        // No bar is drawn for fewer than two letters: nothing of it is moving
        // (a search can empty it while its letters were still growing).
        indexAnimating = false;
        return;
    }
    if (letterScales.size() != indexLetters.size()) letterScales.resize(indexLetters.size(), 1.0f);
    if (letterLifts.size() != indexLetters.size()) letterLifts.resize(indexLetters.size(), 0.0f);
    const float ia = magnifyEnabled ? std::clamp(indexSpring.value, 0.0f, 1.0f) : 0.0f;
    const float k = 1.0f - std::exp(-22.0f * std::clamp(dt, 0.001f, 0.05f));
    const IndexBarLayout bar = IndexBarFor(panelWidth, indexLetters.size());
    bool lettersMoving = false;
    for (size_t i = 0; i < indexLetters.size(); ++i) {
        LetterTarget want;
        if (ia > 0.001f && pointerOnIndexBar) want = IndexLetterTarget(LetterCenterX(bar, i) - indexPointerX, ia);
        float& s = letterScales[i];
        float& lift = letterLifts[i];
        s += (want.scale - s) * k;
        if (std::fabs(want.scale - s) < 0.001f) s = want.scale;
        lift += (want.lift - lift) * k;
        if (std::fabs(want.lift - lift) < 0.001f) lift = want.lift;
        if (std::fabs(s - want.scale) > 0.002f || std::fabs(lift - want.lift) > 0.02f) {
            lettersMoving = true;
        } else {
            s = want.scale;
            lift = want.lift;
        }
    }
    if (lettersMoving) {
        indexAnimating = true;
        RedrawIndexBar();
        return;
    }
    const bool redrawSettled = indexWasMoving || !indexSpring.Settled() || indexAnimating;
    indexAnimating = false;
    if (redrawSettled) RedrawIndexBar();
}

void AllAppsWindow::UpdateTileTransforms() {
    const float s = scale;
    for (AllAppsTileSlot& slot : tileSlots) {
        if (!slot.visible || !slot.iconVisual || !slot.labelVisual) continue;
        const float size = slot.iconSize * slot.scale;
        slot.iconVisual.Size({size * s, size * s});
        slot.iconVisual.Offset({s * ((slot.cellWidth - size) * 0.5f + slot.offsetX),
                                s * (6.0f - (size - slot.iconSize) * 0.55f + slot.offsetY), 0.0f});
        slot.labelVisual.Offset({s * (slot.offsetX * 0.35f + 4.0f),
                                 s * (slot.iconSize + 11.0f + (size - slot.iconSize) * 0.32f + slot.offsetY * 0.4f),
                                 0.0f});
    }
}

std::vector<int> AllAppsWindow::SortIndexLettersByScale(std::vector<int> order) const {
    auto scaleOf = [&](int i) {
        return i >= 0 && static_cast<size_t>(i) < letterScales.size() ? letterScales[static_cast<size_t>(i)] : 1.0f;
    };
    std::stable_sort(order.begin(), order.end(), [&](int i, int j) {
        const float si = scaleOf(i);
        const float sj = scaleOf(j);
        if (std::fabs(si - sj) > 0.005f) return si < sj;
        return i != hoveredLetter && j == hoveredLetter;
    });
    return order;
}
