#include "topbar/TopBarPopover.h"

#include <algorithm>

void TopBarPopover::Show(PopoverKind newKind, HMONITOR onMonitor, POINT at, const DockConfig& configuration,
                         float newScale) {
    if (newKind == PopoverKind::None) {
        Hide();
        return;
    }
    kind = newKind;
    monitor = onMonitor;
    anchor = at;
    config = configuration;
    scale = std::max(newScale, 1.0f);
    visible = true;
    ++showCount;
}

void TopBarPopover::Hide() {
    if (!visible) return;
    visible = false;
    kind = PopoverKind::None;
    if (callbacks.onHidden) callbacks.onHidden();
}

void TopBarPopover::UpdateConfig(const DockConfig& configuration, float newScale) {
    config = configuration;
    scale = std::max(newScale, 1.0f);
    ++updateConfigCount;
}
