#include "dock/DockConfigChanges.h"

#include <cmath>

namespace {
constexpr float kOpacityTolerance = 0.005f;
}

DockConfigChanges CompareDockConfigs(const DockConfig& live, const DockConfig& incoming) {
    DockConfigChanges changes;
    changes.glass =
        live.theme != incoming.theme || std::fabs(live.glassOpacity - incoming.glassOpacity) > kOpacityTolerance;
    changes.iconStyle = live.useMacIcons != incoming.useMacIcons;
    changes.transparency = std::fabs(live.allAppsTransparency - incoming.allAppsTransparency) > kOpacityTolerance;
    changes.topBar = live.showTopBar != incoming.showTopBar || live.topBarReserveSpace != incoming.topBarReserveSpace ||
                     live.topBarOriginalTrayIcons != incoming.topBarOriginalTrayIcons ||
                     live.showLunarCalendar != incoming.showLunarCalendar ||
                     live.doNotDisturb != incoming.doNotDisturb || live.hiddenTrayApps != incoming.hiddenTrayApps ||
                     live.controlCenterTiles != incoming.controlCenterTiles ||
                     live.ccShowBrightness != incoming.ccShowBrightness || live.ccShowVolume != incoming.ccShowVolume;
    changes.taskbar = live.hideTaskbar != incoming.hideTaskbar;
    return changes;
}
