#include "config/ConfigMerge.h"

#include <algorithm>

namespace {

template <typename T>
void TakeChanged(const T& base, const T& live, T& out) {
    if (!(live == base)) out = live;
}

template <typename T>
bool Contains(const std::vector<T>& list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The entries of `list` that `other` holds too, in the order of `list`.
template <typename T>
std::vector<T> SharedWith(const std::vector<T>& list, const std::vector<T>& other) {
    std::vector<T> shared;
    for (const T& entry : list) {
        if (Contains(other, entry)) shared.push_back(entry);
    }
    return shared;
}

template <typename T>
void TakeListChanges(const std::vector<T>& base, const std::vector<T>& live, std::vector<T>& out) {
    std::erase_if(out, [&](const T& entry) { return Contains(base, entry) && !Contains(live, entry); });
    for (const T& entry : live) {
        if (!Contains(base, entry) && !Contains(out, entry)) out.push_back(entry);
    }
    // A drag in the dock is a change like any other: the file's order would
    // undo it. The entries the run kept go first in its order; the rest of the
    // file follows as it stood.
    std::vector<T> kept = SharedWith(live, base);
    if (kept == SharedWith(base, live)) return;
    std::erase_if(kept, [&](const T& entry) { return !Contains(out, entry); });
    std::erase_if(out, [&](const T& entry) { return Contains(kept, entry); });
    out.insert(out.begin(), kept.begin(), kept.end());
}

}  // namespace

DockConfig MergeConfigChanges(const DockConfig& base, const DockConfig& live, const DockConfig& file) {
    DockConfig out = file;
    TakeChanged(base.iconSize, live.iconSize, out.iconSize);
    TakeChanged(base.magnifyEnabled, live.magnifyEnabled, out.magnifyEnabled);
    TakeChanged(base.magnifyScale, live.magnifyScale, out.magnifyScale);
    TakeChanged(base.magnifySigma, live.magnifySigma, out.magnifySigma);
    TakeChanged(base.theme, live.theme, out.theme);
    TakeChanged(base.glassOpacity, live.glassOpacity, out.glassOpacity);
    TakeChanged(base.allAppsTransparency, live.allAppsTransparency, out.allAppsTransparency);
    TakeChanged(base.hideTaskbar, live.hideTaskbar, out.hideTaskbar);
    TakeChanged(base.hideDockOnFullscreen, live.hideDockOnFullscreen, out.hideDockOnFullscreen);
    TakeChanged(base.autoStart, live.autoStart, out.autoStart);
    TakeChanged(base.useMacIcons, live.useMacIcons, out.useMacIcons);
    TakeChanged(base.showTopBar, live.showTopBar, out.showTopBar);
    TakeChanged(base.topBarReserveSpace, live.topBarReserveSpace, out.topBarReserveSpace);
    TakeChanged(base.topBarTrayCollapsed, live.topBarTrayCollapsed, out.topBarTrayCollapsed);
    TakeChanged(base.topBarOriginalTrayIcons, live.topBarOriginalTrayIcons, out.topBarOriginalTrayIcons);
    TakeChanged(base.showLunarCalendar, live.showLunarCalendar, out.showLunarCalendar);
    TakeChanged(base.doNotDisturb, live.doNotDisturb, out.doNotDisturb);
    // A watermark only moves forward: an older one would bring cleared
    // notifications back.
    out.clearedNotifWatermark =
        std::max(file.clearedNotifWatermark, live.clearedNotifWatermark != base.clearedNotifWatermark
                                                 ? live.clearedNotifWatermark
                                                 : file.clearedNotifWatermark);
    TakeChanged(base.bottomMargin, live.bottomMargin, out.bottomMargin);
    TakeChanged(base.controlCenterTiles, live.controlCenterTiles, out.controlCenterTiles);
    TakeChanged(base.ccShowBrightness, live.ccShowBrightness, out.ccShowBrightness);
    TakeChanged(base.ccShowVolume, live.ccShowVolume, out.ccShowVolume);
    TakeListChanges(base.pinned, live.pinned, out.pinned);
    TakeListChanges(base.hiddenApps, live.hiddenApps, out.hiddenApps);
    TakeListChanges(base.hiddenTrayApps, live.hiddenTrayApps, out.hiddenTrayApps);
    DockConfig::Clamp(out);
    return out;
}
