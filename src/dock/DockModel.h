#pragma once
// The dock's ordered slots: the launchpad, the applications (pinned ones and
// running unpinned ones, in the order they arrived), the separator and the
// recycle bin. Built from the pinned list, merged with the running
// applications on every window-list refresh, edited by pinning, unpinning and
// reordering. UI thread only; holds no system state but window handles.

#include <cstdint>
#include <vector>

#include "config/DockConfig.h"
#include "dock/DockItem.h"
#include "dock/RunningApp.h"

class DockModel {
public:
    int64_t nextId = 1;  // only ever incremented, so ids survive reloads unique
    std::vector<DockItem> items;

    // Rebuilds the items from the pinned list; entries without a path are skipped.
    void LoadFromConfig(const DockConfig& config);
    // Adds the launchpad, separator and recycle bin when missing.
    void EnsureSpecialItems();
    // Marks running applications, drops unpinned ones that stopped and adds new
    // ones before the separator. True when an id, flag or window list changed.
    bool SyncRunningApps(const std::vector<RunningApp>& apps);
    // The pinned applications in dock order, for saving.
    std::vector<PinnedApp> GetPinnedApps() const;
    // Pins the matching application in place, or inserts a new one at
    // insertIndex clamped into the application run (negative: at its end).
    // False when the path is empty or the application is already pinned.
    bool PinApp(const PinnedApp& app, int insertIndex);
    // Unpins an application; it stays while it runs. False for special items.
    bool Unpin(int64_t id);

    int IndexOfId(int64_t id) const;
    int FirstNonLaunchpadIndex() const;
    // End of the application run that starts after the launchpad.
    int PinnedRunEnd() const;
    int PinnedCount() const;
    bool IsInPinnedRange(int index) const;

private:
    DockItem MakeItem(DockItemKind kind);
};
