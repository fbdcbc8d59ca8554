#include "dock/DockConfigChanges.h"

#include "config/DockConfigFields.h"

DockConfigChanges CompareDockConfigs(const DockConfig& live, const DockConfig& incoming) {
    uint8_t shows = kShowsNoWindow;
    for (const DockConfigField& field : DockConfigFields()) {
        if (field.shows != kShowsNoWindow && FieldDiffers(field, live, incoming)) shows |= field.shows;
    }
    DockConfigChanges changes;
    changes.glass = (shows & kShowsGlass) != 0;
    changes.iconStyle = (shows & kShowsIconStyle) != 0;
    changes.transparency = (shows & kShowsLauncherTransparency) != 0;
    changes.topBar = (shows & kShowsTopBar) != 0;
    changes.taskbar = (shows & kShowsTaskbar) != 0;
    return changes;
}
