#include "dock/DockLayout.h"

#include <algorithm>
#include <cmath>

#include "dock/DockItemKind.h"

namespace {

constexpr float kSeparatorWidth = 14.0f;
constexpr float kMinIconSize = 16.0f;
constexpr float kMinSpacing = 2.0f;
// Below this the dock is too small for shrinking to make sense.
constexpr float kShrinkFloor = 120.0f;
constexpr float kSlotSlack = 3.0f;
constexpr float kBelowGlassSlack = 4.0f;
constexpr float kReorderHysteresis = 5.0f;
// A dragged icon starts fading once it is lifted this far, as a hint that
// letting go will unpin it.
constexpr float kFadeStartLift = 55.0f;
constexpr float kFadeDistance = 50.0f;
constexpr float kMinDragOpacity = 0.25f;

bool IsSeparator(int32_t kind) { return kind == static_cast<int32_t>(DockItemKind::Separator); }

float BaseWidth(int32_t kind, float iconSize) { return IsSeparator(kind) ? kSeparatorWidth : iconSize; }

struct Sizes {
    float icon;
    float gap;
};

// Scales icons and gaps down together so a row of the given width fits the
// allowed glass width; the separator keeps its width.
Sizes ShrinkToFit(const DockLayoutInput& in, float rowWidth) {
    Sizes s{in.iconSize, in.spacing};
    if (rowWidth > in.maxWidth && in.maxWidth > kShrinkFloor) {
        const float ratio =
            std::max(in.maxWidth - 2.0f * in.insetX, 60.0f) / std::max(rowWidth - 2.0f * in.insetX, 1.0f);
        s.icon = std::max(ratio * s.icon, kMinIconSize);
        s.gap = std::max(ratio * s.gap, kMinSpacing);
    }
    return s;
}

}  // namespace

float DockLayoutInput::MeasureRowWidth(float icon, float gap) const {
    float w = 2.0f * insetX;
    if (kinds.empty()) return w;
    for (int32_t kind : kinds) w += BaseWidth(kind, icon);
    w += static_cast<float>(kinds.size() - 1) * gap;
    return w;
}

int DockLayoutInput::RoomForIcons() const {
    constexpr int kMostAtOnce = 4096;  // far past any screen's room
    const auto fits = [this](int extra) {
        const float grown = MeasureRowWidth(iconSize, spacing) + static_cast<float>(extra) * (iconSize + spacing);
        const Sizes s = ShrinkToFit(*this, grown);
        // The separator keeps its width while the rest shrinks: a row that fits
        // overshoots by at most that much.
        return MeasureRowWidth(s.icon, s.gap) + static_cast<float>(extra) * (s.icon + s.gap) <=
               maxWidth + kSeparatorWidth;
    };
    int room = 0;
    while (room < kMostAtOnce && fits(room + 1)) ++room;
    return room;
}

int DockLayoutInput::DropIndexForX(float x, int first, int count) const {
    const int n = static_cast<int>(kinds.size());
    const int lo = std::max(first, 0);
    const int hi = std::min(first + count, n);
    if (n <= 0 || count < 1 || lo >= hi) return lo;

    const Sizes sz = ShrinkToFit(*this, MeasureRowWidth(iconSize, spacing));
    const float rowWidth = MeasureRowWidth(sz.icon, sz.gap);

    // Centres of the row as it would be without the dragged item in it, but with
    // its slot still taken, so the target slot does not jump while dragging.
    std::vector<float> centres;
    centres.reserve(kinds.size());
    float left = (screenWidth - rowWidth) * 0.5f + insetX;
    for (int i = 0; i < n; ++i) {
        const float w = BaseWidth(kinds[i], sz.icon);
        if (i != dragIndex) centres.push_back(left + w * 0.5f);
        left += w + sz.gap;
    }

    int k = 0;
    for (float c : centres)
        if (c < x) ++k;

    if (dragIndex >= 0) {
        const int cur = std::clamp(dragIndex, lo, hi - 1);
        const int recorded = static_cast<int>(centres.size());
        if (k == cur + 1 && cur < recorded && x < centres[cur] + kReorderHysteresis) {
            k = cur;
        } else if (k == cur - 1 && cur - 1 >= 0 && cur - 1 < recorded && x > centres[cur - 1] - kReorderHysteresis) {
            k = cur;
        }
    }
    return std::clamp(k, lo, hi - 1);
}

DockLayoutResult ComputeDockLayout(const DockLayoutInput& in) {
    DockLayoutResult r;
    const size_t n = in.kinds.size();
    if (n == 0) return r;

    const bool hasDrop = in.dropIndex >= 0;
    float rowWidth = in.MeasureRowWidth(in.iconSize, in.spacing);
    if (hasDrop) rowWidth += in.spacing + in.iconSize;
    const Sizes sz = ShrinkToFit(in, rowWidth);
    const float s = sz.icon;
    const float g = sz.gap;
    r.iconSize = s;

    r.height = 2.0f * in.insetY + s;
    r.cornerRadius = std::min(0.3f * r.height, 20.0f);
    r.y = in.bandHeight - in.bottomMargin - r.height;
    r.centerY = r.y + r.height * 0.5f;

    // Magnification follows the unmagnified centres, so the bell does not chase
    // its own growth.
    std::vector<float> baseCentres(n);
    float content = 0.0f;
    for (int32_t kind : in.kinds) content += BaseWidth(kind, s);
    content += static_cast<float>(n - 1) * g;
    if (hasDrop) content += g + s;
    float left = (in.screenWidth - content) * 0.5f;
    for (size_t i = 0; i < n; ++i) {
        if (static_cast<int32_t>(i) == in.dropIndex) left += g + s;
        const float w = BaseWidth(in.kinds[i], s);
        baseCentres[i] = left + w * 0.5f;
        left += w + g;
    }

    const float amount = (in.magnifyEnabled && in.hovering) ? std::clamp(in.magnifyAmount, 0.0f, 1.0f) : 0.0f;
    const float sigma = std::max(in.magnifySigma, 30.0f);

    r.items.resize(n);
    for (size_t i = 0; i < n; ++i) {
        DockItemLayout& item = r.items[i];
        if (IsSeparator(in.kinds[i])) {
            item.scale = 1.0f;
            item.size = s;
            item.width = kSeparatorWidth;
            continue;
        }
        float scale = 1.0f;
        if (amount > 0.001f && in.magnifyScale > 1.0f) {
            float w = 1.0f;
            if (static_cast<int32_t>(i) != in.dragIndex) {
                const float d = in.cursorX - baseCentres[i];
                w = std::exp(-(d * d) / (2.0f * sigma * sigma));
            }
            scale = 1.0f + (in.magnifyScale - 1.0f) * amount * w;
        }
        item.scale = scale;
        item.size = scale * s;
        item.width = scale * s;
    }

    float total = 2.0f * in.insetX;
    for (const DockItemLayout& item : r.items) total += item.width;
    total += static_cast<float>(n - 1) * g;
    if (hasDrop) total += g + s;
    r.width = total;
    r.x = (in.screenWidth - r.width) * 0.5f;

    left = r.x + in.insetX;
    for (size_t i = 0; i < n; ++i) {
        DockItemLayout& item = r.items[i];
        if (static_cast<int32_t>(i) == in.dropIndex) left += g + s;
        item.centerX = left + item.width * 0.5f;
        // A magnified icon grows upwards: its bottom stays on the glass.
        item.centerY = r.centerY - (item.size - s) * 0.5f;
        item.opacity = 1.0f;
        left += item.width + g;
    }

    if (in.dragIndex >= 0 && static_cast<size_t>(in.dragIndex) < n) {
        DockItemLayout& dragged = r.items[in.dragIndex];
        dragged.centerX = in.dragX;
        dragged.centerY += in.dragOffsetY;
        if (in.dragOffsetY < -kFadeStartLift) {
            dragged.opacity =
                std::clamp(1.0f - (-in.dragOffsetY - kFadeStartLift) / kFadeDistance, kMinDragOpacity, 1.0f);
        }
    }
    return r;
}

int DockLayoutResult::HitTestIcon(float px, float py, float tolerance) const {
    const float bottom = y + height + kBelowGlassSlack;
    for (size_t i = 0; i < items.size(); ++i) {
        const DockItemLayout& it = items[i];
        const float half = it.width * 0.5f + kSlotSlack;
        if (it.centerX - half <= px && px <= it.centerX + half && py >= it.centerY - (it.size * 0.5f + tolerance) &&
            py <= bottom) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DockLayoutResult::SlotIndexAtX(float px, int first, int count) const {
    if (count <= 0) return first;
    const int end = std::min(first + count, static_cast<int>(items.size()));
    for (int i = std::max(first, 0); i < end; ++i) {
        if (items[i].centerX > px) return i;
    }
    return end;
}
