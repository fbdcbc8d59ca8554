#pragma once
// The notification center and its banners as the top bar drives them. This
// version opens no window: it keeps the list and flags it is given, records
// the banners it was asked to show and reports the center's hiding, so the bar
// works and can be watched before the windows themselves exist.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "config/DockConfig.h"
#include "notify/NotificationItem.h"

class GraphicsDevice;
class CompositionHost;

class NotificationCenterWindow {
public:
    struct Callbacks {
        std::function<void(int64_t)> onDismiss;
        std::function<void()> onClearAll;
        std::function<void(bool)> onSetDoNotDisturb;
        std::function<void()> onHidden;
    };

    NotificationCenterWindow() = default;
    NotificationCenterWindow(const NotificationCenterWindow&) = delete;
    NotificationCenterWindow& operator=(const NotificationCenterWindow&) = delete;
    ~NotificationCenterWindow() { Shutdown(); }

    // Also hides the banners.
    void ShowCenter(HMONITOR monitor, const DockConfig& config, float scale, const std::vector<NotificationItem>& items,
                    bool doNotDisturb);
    // Fires onHidden when the center was visible.
    void HideCenter();
    void UpdateItems(const std::vector<NotificationItem>& items, bool doNotDisturb);
    void ShowBanners(const std::vector<NotificationItem>& items, HMONITOR monitor, const DockConfig& config,
                     float scale);
    void HideBanners();
    void UpdateConfig(const DockConfig& config, float scale);
    void Shutdown();

    HINSTANCE instance = nullptr;
    GraphicsDevice* device = nullptr;
    CompositionHost* host = nullptr;
    Callbacks callbacks;
    bool centerVisible = false;
    bool doNotDisturb = false;
    bool shutDown = false;
    HMONITOR monitor = nullptr;
    DockConfig config;
    float scale = 1.0f;
    std::vector<NotificationItem> items;
    std::vector<NotificationItem> banners;  // what is shown as banners now
    int bannerCalls = 0;
    int updateItemsCount = 0;
    int updateConfigCount = 0;
};
