// The tile menu (right click on a tile) and the power menu (the power button).
#include <windowsx.h>

#include "allapps/AllAppsMenuRows.h"
#include "allapps/AllAppsWindow.h"
#include "platform/Log.h"
#include "apps/Uninstall.h"
#include "config/PathText.h"
#include "render/MacMenuWindow.h"

namespace {

// Keeps menuOpen set while a nested loop or a box runs, so deactivation
// does not hide the panel under it.
class MenuOpenScope {
public:
    explicit MenuOpenScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~MenuOpenScope() { flag_ = false; }
    MenuOpenScope(const MenuOpenScope&) = delete;
    MenuOpenScope& operator=(const MenuOpenScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

int AllAppsWindow::RunMenu(POINT screenPoint, const std::vector<MacMenuItem>& rows) {
    MenuOpenScope scope(menuOpen);
    if (showMenu) return showMenu(screenPoint, rows);
    if (!menu) return 0;
    DockConfig config;
    config.theme = theme;
    config.glassOpacity = glassOpacity;
    return menu->ShowModal(screenPoint, rows, config, scale);
}

void AllAppsWindow::RefocusIfVisible() {
    if (visible && window && IsWindow(window)) ActivateForeground();
}

void AllAppsWindow::ActivateCopiedEntry(const InstalledApp& entry) {
    // The list may have been replaced while the menu ran: act on the copy, and
    // find a folder again by its name rather than by the slot it was in.
    if (entry.isFolder) {
        for (size_t i = 0; i < visibleEntries.size(); ++i) {
            if (visibleEntries[i]->isFolder && visibleEntries[i]->nameKey == entry.nameKey) {
                page = static_cast<int32_t>(i / kSlotsPerPage);
                ActivateEntry(static_cast<int>(i % kSlotsPerPage));
                return;
            }
        }
        return;
    }
    if (!StartEntry(entry)) RefocusIfVisible();
}

void AllAppsWindow::ShowTileMenu(int slot, POINT screenPoint) {
    if (slot < 0 || (!menu && !showMenu)) return;
    const size_t index = static_cast<size_t>(page) * kSlotsPerPage + static_cast<size_t>(slot);
    if (index >= visibleEntries.size()) return;
    InstalledApp entry = *visibleEntries[index];
    const bool folder = entry.isFolder && !entry.children.empty();
    TileMenuInput input;
    input.unhideMenu = hiddenView && (!openFolder || IsEntryHidden(entry));
    input.hiddenKeyCount = hiddenKeys.size();
    input.canUninstall = canUninstall && canUninstall(entry.name, entry.targetPath, entry.launchId);
    input.location = EntryLocation(entry);

    const int id = RunMenu(screenPoint, TileMenuRows(entry, input));
    switch (id) {
        case 0: {
            POINT cursor;
            RECT rect;
            if (window && GetCursorPos(&cursor) && GetWindowRect(window, &rect) && !PtInRect(&rect, cursor)) {
                Hide();
            } else {
                RefocusIfVisible();
            }
            break;
        }
        case 2001:
            ActivateCopiedEntry(entry);
            break;
        case 2002:
            if (!callbacks.onPinToDock) break;
            callbacks.onPinToDock(folder ? entry.children.front() : entry);
            RefocusIfVisible();
            break;
        case 2003: {
            InstalledApp hidden = entry;
            if (folder) hidden.launchId = L"folder:" + entry.nameKey;
            hiddenKeys.insert(NormalizePathKey(hidden.launchId));
            if (callbacks.onHideApp) callbacks.onHideApp(hidden);
            hoveredSlot = -1;
            RefreshAll();
            RefocusIfVisible();
            break;
        }
        case 2004: {
            int answer = IDNO;
            {
                MenuOpenScope scope(menuOpen);
                answer = powerOps.messageBox(window, L"确定要卸载「" + entry.name + L"」吗？", L"Vantreel 卸载确认",
                                             MB_ICONQUESTION | MB_YESNO);
            }
            if (answer == IDYES) {
                Hide();
                // The refresh waits for the uninstaller it is handed, so it starts
                // after it.
                ProcessHandle uninstaller;
                if (uninstall) uninstall(entry.name, entry.targetPath, &uninstaller);
                StartCatalogRefresh(std::move(uninstaller));
            } else {
                RefocusIfVisible();
            }
            break;
        }
        case 2005:
            if (folder && !StartEntry(entry.children.front())) RefocusIfVisible();
            break;
        case 2006:
        case 2007:
            if (id == 2007) {
                hiddenKeys.clear();
                if (callbacks.onUnhideAll) callbacks.onUnhideAll();
            } else {
                hiddenKeys.erase(NormalizePathKey(entry.launchId));
                if (entry.isFolder) hiddenKeys.erase(L"folder:" + entry.nameKey);
                if (callbacks.onUnhideApp) callbacks.onUnhideApp(entry);
            }
            hoveredSlot = -1;
            RefreshAll();
            RefocusIfVisible();
            break;
        case 2008:
            if (input.location.empty()) break;
            Hide();
            if (openFileLocation) openFileLocation(input.location);
            break;
        default:
            break;
    }
}

void AllAppsWindow::ShowPowerMenu() {
    if ((!menu && !showMenu) || !window) return;
    POINT anchor = PowerMenuAnchor(panelWidth, panelHeight, scale);
    ClientToScreen(window, &anchor);
    const int id = RunMenu(anchor, PowerMenuRows());
    switch (id) {
        case 0:
            RefocusIfVisible();
            break;
        case 2101:
        case 2102:
            Hide();
            // No owner: the panel is gone by now.
            PerformPowerAction(id == 2101 ? PowerAction::Sleep : PowerAction::Lock, nullptr, powerOps);
            break;
        case 2103:
        case 2104: {
            {
                MenuOpenScope scope(menuOpen);
                PerformPowerAction(id == 2103 ? PowerAction::Restart : PowerAction::ShutDown, window, powerOps);
            }
            RefocusIfVisible();
            break;
        }
        default:
            break;
    }
}
