#include "notify/NotificationCenterWindow.h"

#include <algorithm>

void NotificationCenterWindow::ShowCenter(HMONITOR onMonitor, const DockConfig& configuration, float newScale,
                                          const std::vector<NotificationItem>& list, bool quiet) {
    if (shutDown) return;
    monitor = onMonitor;
    config = configuration;
    scale = std::max(newScale, 1.0f);
    items = list;
    doNotDisturb = quiet;
    HideBanners();
    centerVisible = true;
}

void NotificationCenterWindow::HideCenter() {
    if (!centerVisible) return;
    centerVisible = false;
    if (callbacks.onHidden) callbacks.onHidden();
}

void NotificationCenterWindow::UpdateItems(const std::vector<NotificationItem>& list, bool quiet) {
    items = list;
    doNotDisturb = quiet;
    ++updateItemsCount;
}

void NotificationCenterWindow::ShowBanners(const std::vector<NotificationItem>& list, HMONITOR onMonitor,
                                           const DockConfig& configuration, float newScale) {
    if (shutDown) return;
    monitor = onMonitor;
    config = configuration;
    scale = std::max(newScale, 1.0f);
    banners.insert(banners.end(), list.begin(), list.end());
    ++bannerCalls;
}

void NotificationCenterWindow::HideBanners() { banners.clear(); }

void NotificationCenterWindow::UpdateConfig(const DockConfig& configuration, float newScale) {
    config = configuration;
    scale = std::max(newScale, 1.0f);
    ++updateConfigCount;
}

void NotificationCenterWindow::Shutdown() {
    if (shutDown) return;
    shutDown = true;
    HideCenter();
    HideBanners();
}
