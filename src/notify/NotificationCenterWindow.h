#pragma once
// The notifications' face to the top bar: the center, a glass panel under the
// right end of the bar that lists the system's toasts, and the banner stack
// that briefly shows new ones. This owner holds what both share and keeps the
// rules between them: an opening center takes the banners, and no banner
// shows over an open center or after shutdown. Everything runs on the UI
// thread.

#include <windows.h>

#include <vector>

#include "config/DockConfig.h"
#include "notify/BannerStack.h"
#include "notify/BannerWindow.h"
#include "notify/NotificationCenterPanel.h"
#include "notify/NotificationContext.h"
#include "notify/NotificationItem.h"

class NotificationCenterWindow : public NotificationContext {
public:
    using Callbacks = NotificationCenterCallbacks;

    NotificationCenterWindow() = default;
    NotificationCenterWindow(const NotificationCenterWindow&) = delete;
    NotificationCenterWindow& operator=(const NotificationCenterWindow&) = delete;
    ~NotificationCenterWindow();

    // Also hides the banners.
    void ShowCenter(HMONITOR monitor, const DockConfig& config, float scale, const std::vector<NotificationItem>& items,
                    bool doNotDisturb);
    // Fires onHidden when the center was visible.
    void HideCenter();
    // Rows dismissed here never come back, whatever list the owner hands in.
    void UpdateItems(const std::vector<NotificationItem>& items, bool doNotDisturb);
    void UpdateConfig(const DockConfig& config, float scale);
    void Shutdown();
    void ShowBanners(const std::vector<NotificationItem>& newItems, HMONITOR monitor, const DockConfig& config,
                     float scale);
    void HideBanners();

    bool CenterVisible() const { return panel.visible; }
    bool BannersVisible() const { return banners.visible; }
    // What the center lists, less the rows dismissed there.
    const std::vector<NotificationItem>& Items() const { return panel.items; }
    const std::vector<NotificationBanner>& Banners() const { return banners.stack; }

    Callbacks callbacks;
    bool shutDown = false;
    NotificationCenterPanel panel{*this, callbacks};
    BannerWindow banners{*this};
};
