#include "topbar/TopBarPopover.h"

#include <algorithm>

TopBarPopover::Callbacks& TopBarPopover::Callbacks::operator=(Callbacks&& other) noexcept {
    if (this == &other) return *this;
    onStatusChanged = std::move(other.onStatusChanged);
    onThemeChange = std::move(other.onThemeChange);
    onToggleNativeTaskbar = std::move(other.onToggleNativeTaskbar);
    onOpenNotificationCenter = std::move(other.onOpenNotificationCenter);
    onHiddenTrayAppToggled = std::move(other.onHiddenTrayAppToggled);
    onHidden = std::move(other.onHidden);
    onSwitchKind = std::move(other.onSwitchKind);
    return *this;
}

TopBarPopover::~TopBarPopover() = default;

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
}
