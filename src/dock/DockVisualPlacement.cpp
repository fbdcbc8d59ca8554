#include "dock/DockVisualPlacement.h"

#include <algorithm>

namespace {
constexpr float kSlideExtraDip = 28.0f;
constexpr float kIndicatorLiftDip = 3.6f;
constexpr float kSeparatorHeightFactor = 0.68f;
}  // namespace

comp::Vector2 IndicatorSizeDip(const DockItem& item) {
    if (item.active) return {16.5f, 6.2f};
    if (item.allMinimized) return {13.5f, 6.2f};
    return {12.5f, 6.0f};
}

DockGlassPlacement PlaceDockVisuals(const DockLayoutResult& layout, const std::vector<DockItem>& items,
                                    std::vector<DockItemVisual>& visuals, const LaunchBounceMap& bounces,
                                    const DockPlacementInput& input, comp::ContainerVisual itemsRoot) {
    const float s = input.scale;
    const float p = std::clamp(input.hideProgress, 0.0f, 1.0f);
    const float alpha = std::clamp(1.0f - 1.15f * p, 0.0f, 1.0f);
    const float slide = (input.bottomMargin + layout.height + kSlideExtraDip) * p;

    DockGlassPlacement glass;
    glass.x = layout.x * s;
    glass.y = (layout.y + slide) * s;
    glass.width = layout.width * s;
    glass.height = layout.height * s;
    glass.cornerRadius = layout.cornerRadius * s;
    glass.opacity = alpha;

    if (itemsRoot) {
        itemsRoot.Offset({0.0f, slide * s, 0.0f});
        itemsRoot.Opacity(alpha);
    }

    size_t count = std::min({visuals.size(), layout.items.size(), items.size()});
    for (size_t i = 0; i < count; ++i) {
        DockItemVisual& visual = visuals[i];
        const DockItemLayout& slot = layout.items[i];
        const DockItem& item = items[i];
        if (!visual.container) continue;
        if (item.kind == DockItemKind::Separator) {
            float h = kSeparatorHeightFactor * layout.iconSize * s;
            visual.container.Offset({(slot.centerX - 1.0f) * s, layout.centerY * s - h / 2.0f, 0.0f});
            visual.container.Size({2.0f * s, h});
            if (visual.separator) visual.separator.Size({2.0f * s, h});
            continue;
        }
        float d = 0.0f;
        auto bounce = bounces.find(static_cast<uint64_t>(item.id));
        if (bounce != bounces.end()) d = bounce->second.offset;
        float e = slot.size * s;
        float containerY = (slot.centerY + d) * s - e / 2.0f;
        visual.container.Offset({slot.centerX * s - e / 2.0f, containerY, 0.0f});
        visual.container.Size({e, e});
        visual.container.Opacity(slot.opacity);
        if (visual.icon) visual.icon.Size({e, e});
        if (visual.indicator && visual.indicator.IsVisible()) {
            comp::Vector2 dip = IndicatorSizeDip(item);
            float w = dip.x * s;
            float h = dip.y * s;
            float centerY = (layout.y + layout.height - kIndicatorLiftDip) * s - containerY;
            visual.indicator.Size({w, h});
            visual.indicator.Offset({(e - w) / 2.0f, centerY - h / 2.0f, 0.0f});
        }
    }
    return glass;
}
