#pragma once
// The bar's drop-down panel as the bar drives it: shown under an item for one
// kind of content, hidden, and told configuration changes. This version opens
// no window; it records what it was asked and reports its hiding, so the bar
// works and can be watched before the panel itself exists.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "config/DockConfig.h"
#include "topbar/PopoverKind.h"
#include "render/GlassTheme.h"

class GraphicsDevice;
class CompositionHost;

class TopBarPopover {
public:
    struct Callbacks {
        std::function<void()> onStatusChanged;
        std::function<void(GlassTheme)> onThemeChange;
        std::function<void()> onToggleNativeTaskbar;
        std::function<void()> onOpenNotificationCenter;
        std::function<void(const std::wstring&)> onHiddenTrayAppToggled;
        std::function<void()> onHidden;
        std::function<void(PopoverKind)> onSwitchKind;
    };

    TopBarPopover() = default;
    TopBarPopover(const TopBarPopover&) = delete;
    TopBarPopover& operator=(const TopBarPopover&) = delete;

    // Kind None hides.
    void Show(PopoverKind kind, HMONITOR monitor, POINT anchor, const DockConfig& config, float scale);
    // Fires onHidden when it was visible.
    void Hide();
    void UpdateConfig(const DockConfig& config, float scale);

    HINSTANCE instance = nullptr;
    GraphicsDevice* device = nullptr;
    CompositionHost* host = nullptr;
    Callbacks callbacks;
    bool visible = false;
    PopoverKind kind = PopoverKind::None;
    HMONITOR monitor = nullptr;
    POINT anchor = {0, 0};
    DockConfig config;
    float scale = 1.0f;
    int showCount = 0;
    int updateConfigCount = 0;
};
