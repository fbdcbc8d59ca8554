#include "notify/NotificationCenterWindow.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <exception>

#include "platform/Log.h"

NotificationCenterWindow::~NotificationCenterWindow() { Shutdown(); }

void NotificationCenterWindow::ShowCenter(HMONITOR onMonitor, const DockConfig& configuration, float newScale,
                                          const std::vector<NotificationItem>& list, bool quiet) {
    if (shutDown) return;
    try {
        HideBanners();
        monitor = onMonitor;
        config = configuration;
        scale = std::max(newScale, 1.0f);
        panel.Show(list, quiet);
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::ShowCenter winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::HideCenter() { panel.Hide(); }

void NotificationCenterWindow::UpdateItems(const std::vector<NotificationItem>& list, bool quiet) {
    panel.UpdateItems(list, quiet);
}

void NotificationCenterWindow::UpdateConfig(const DockConfig& configuration, float newScale) {
    config = configuration;
    scale = std::max(newScale, 1.0f);
    try {
        panel.Restyle();
        banners.Restyle();
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::UpdateConfig winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::Shutdown() {
    if (shutDown) return;
    shutDown = true;
    // Runs from the destructor too: nothing may escape.
    try {
        panel.Hide();
    } catch (...) {
        platform::LogCaughtException(L"NotificationCenterWindow::Shutdown");
    }
    try {
        banners.Hide();
    } catch (...) {
        platform::LogCaughtException(L"NotificationCenterWindow::Shutdown");
    }
    panel.Destroy();
    banners.Destroy();
}

void NotificationCenterWindow::ShowBanners(const std::vector<NotificationItem>& newItems, HMONITOR onMonitor,
                                           const DockConfig& configuration, float newScale) {
    if (newItems.empty() || panel.visible || shutDown) return;
    try {
        monitor = onMonitor;
        config = configuration;
        scale = std::max(newScale, 1.0f);
        banners.Show(newItems);
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::ShowBanners winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterWindow::HideBanners() { banners.Hide(); }
