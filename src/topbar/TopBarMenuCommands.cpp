// The bar's menus and what their commands do. Every menu runs a nested message
// loop, so the bar's ticks, status messages and app-bar notifications go on
// meanwhile: commands act on copies taken before the loop, and a bar shut down
// inside the loop carries out nothing when the menu returns.
#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "config/PathText.h"
#include "render/MacMenuWindow.h"
#include "topbar/TopBarMenus.h"
#include "topbar/TopBarWindow.h"

namespace {

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLiveWindow(HWND window) { return window && IsWindow(window); }

}  // namespace

int TopBarWindow::RunMenu(POINT anchor, const std::vector<MacMenuItem>& rows) {
    if (showMenu) return showMenu(anchor, rows);
    return menu ? menu->ShowModal(anchor, rows, config, scale) : 0;
}

void TopBarWindow::OpenLeftMenu(const TopBarItem& item) {
    popover.Hide();
    if (!menu) return;
    const vantreel::ForegroundAppInfo front = foreground;
    const bool hasWindow = IsLiveWindow(front.hwnd);
    std::vector<MacMenuItem> rows;
    switch (item.id) {
        case kTopBarLogo:
            rows = BarLogoMenuRows();
            break;
        case kTopBarAppName:
            rows = BarApplicationMenuRows({hasWindow, front.zoomed, front.topmost, !front.exePath.empty()});
            break;
        case kTopBarWindowMenu:
            rows = BarWindowMenuRows(hasWindow);
            break;
        default:
            rows = BarGoMenuRows();
            break;
    }
    activeItemId = item.id;
    Redraw();
    const int chosen = RunMenu(BarAnchorAt(monitorRect, item.left, scale), rows);
    if (shutDown) return;
    activeItemId = 0;
    if (chosen != 0) RunLeftMenuCommand(chosen, front);
    Layout();
    Redraw();
    if (callbacks.onPopupClosed) callbacks.onPopupClosed();
}

void TopBarWindow::RunLeftMenuCommand(int command, const vantreel::ForegroundAppInfo& front) {
    HWND target = front.hwnd;
    switch (command) {
        case kBarAbout:
            actions.shellOpen(L"ms-settings:about", L"");
            return;
        case kBarSettings:
            if (callbacks.onOpenSettings) callbacks.onOpenSettings();
            return;
        case kBarQuit:
            if (callbacks.onQuit) callbacks.onQuit();
            return;
        case kBarOpenLocation:
            if (!front.exePath.empty()) actions.openFileLocation(front.exePath);
            return;
        case kBarShowDesktop:
        case kBarGoDesktop:
            actions.sendWinKeyChord('D');
            return;
        case kBarTaskView:
            actions.sendWinKeyChord(VK_TAB);
            return;
        case kBarGoDownloads:
            OpenDownloads();
            return;
        case kBarGoDocuments:
            OpenKnownFolder(actions, FOLDERID_Documents);
            return;
        case kBarGoThisPc:
            actions.shellOpen(L"explorer.exe", L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
            return;
        case kBarGoControlPanel:
            actions.launchApp(L"control.exe", L"");
            return;
        default:
            break;
    }
    // The window commands: the window may have gone while the menu showed.
    if (!IsLiveWindow(target)) return;
    switch (command) {
        case kBarMinimize:
            actions.showWindowAsync(target, SW_MINIMIZE);
            return;
        case kBarMaximizeOrRestore:
            actions.showWindowAsync(target, front.zoomed ? SW_RESTORE : SW_MAXIMIZE);
            return;
        case kBarToggleTopmost: {
            // The live style decides, not the flag that chose the label.
            const bool topmost = (GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            actions.setWindowPos(target, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return;
        }
        case kBarCloseWindow:
            actions.closeWindow(target);
            return;
        case kBarSnapLeft:
        case kBarSnapRight:
        case kBarCentre:
            PlaceFrontWindow(command, target);
            return;
        default:
            return;
    }
}

void TopBarWindow::PlaceFrontWindow(int command, HWND target) {
    HMONITOR on = monitor ? monitor : MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(on, &info)) return;
    const RECT work = info.rcWork;
    const int w = work.right - work.left;
    const int h = work.bottom - work.top;
    if (IsIconic(target) || IsZoomed(target)) actions.showWindow(target, SW_RESTORE);
    constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (command == kBarSnapLeft) {
        actions.setWindowPos(target, nullptr, work.left, work.top, w / 2, h, kFlags);
    } else if (command == kBarSnapRight) {
        actions.setWindowPos(target, nullptr, work.left + w / 2, work.top, w - w / 2, h, kFlags);
    } else {
        const int cw = static_cast<int>(w * 0.84);
        const int ch = static_cast<int>(h * 0.86);
        actions.setWindowPos(target, nullptr, work.left + (w - cw) / 2, work.top + (h - ch) / 2, cw, ch, kFlags);
    }
}

void TopBarWindow::OpenDownloads() {
    std::wstring path = actions.knownFolderPath(FOLDERID_Downloads, KF_FLAG_DEFAULT_PATH);
    if (path.empty() || !IsDirectory(path)) path = actions.knownFolderPath(FOLDERID_Downloads, 0);
    if (!path.empty()) actions.shellOpen(path, L"");
}

void TopBarWindow::ToggleTrayCollapsed() {
    trayCollapsed = !trayCollapsed;
    config.topBarTrayCollapsed = trayCollapsed;
    if (callbacks.onTrayCollapsedChanged) callbacks.onTrayCollapsedChanged(trayCollapsed);
    Layout();
    Redraw();
}

void TopBarWindow::ShowInputMenu(POINT anchor) {
    HWND target = foreground.hwnd;
    const std::vector<vantreel::InputProfile> profiles = actions.enumerateInputProfiles(target);
    std::vector<BarInputProfileRow> listed;
    for (const auto& profile : profiles) listed.push_back({profile.name, profile.active});
    const int chosen = RunMenu(anchor, BarInputMenuRows(listed));
    if (shutDown || chosen == 0) return;
    bool refreshIndicator = false;
    if (chosen == kBarToggleInputMode || chosen == kBarNextInputMethod || chosen == kBarEmojiPanel) {
        actions.bringToFront(target);
    }
    if (chosen == kBarToggleInputMode) {
        actions.toggleInputMode(target);
        refreshIndicator = true;
    } else if (chosen == kBarNextInputMethod) {
        actions.sendWinKeyChord(VK_SPACE);
        refreshIndicator = true;
    } else if (chosen == kBarEmojiPanel) {
        actions.sendWinKeyChord(VK_OEM_PERIOD);
    } else if (chosen == kBarLanguageSettings) {
        actions.shellOpen(L"ms-settings:regionlanguage", L"");
    } else if (chosen == kBarTypingSettings) {
        actions.shellOpen(L"ms-settings:typing", L"");
    } else if (chosen >= kBarInputProfileBase) {
        const size_t index = static_cast<size_t>(chosen - kBarInputProfileBase);
        if (index >= profiles.size() || index >= kBarMaxInputProfiles) return;
        actions.activateInputProfile(profiles[index], target);
        refreshIndicator = true;
    }
    if (refreshIndicator) {
        status.inputIndicator = system.inputIndicator(target);
        Redraw();
    }
}

void TopBarWindow::ShowNotificationMenu(POINT anchor) {
    const int chosen =
        RunMenu(anchor, BarNotificationMenuRows(center.CenterVisible(), config.doNotDisturb, !store.items.empty()));
    if (shutDown) return;
    switch (chosen) {
        case kBarToggleCenter:
            if (center.CenterVisible()) {
                center.HideCenter();
            } else {
                ShowNotificationCenter();
            }
            return;
        case kBarToggleDoNotDisturb:
            config.doNotDisturb = !config.doNotDisturb;
            if (callbacks.onDoNotDisturbChanged) callbacks.onDoNotDisturbChanged(config.doNotDisturb);
            if (config.doNotDisturb) center.HideBanners();
            center.UpdateItems(store.items, config.doNotDisturb);
            Redraw();
            return;
        case kBarClearNotifications: {
            const uint64_t watermark = store.ClearAll();
            config.clearedNotifWatermark = watermark;
            if (callbacks.onNotificationsCleared) callbacks.onNotificationsCleared(watermark);
            center.UpdateItems(store.items, config.doNotDisturb);
            Redraw();
            return;
        }
        case kBarNotificationSettings:
            actions.shellOpen(L"ms-settings:notifications", L"");
            return;
        case kBarQuietHoursSettings:
            actions.shellOpen(L"ms-settings:quiethours", L"");
            return;
        case kBarNativeNotifications:
            actions.sendWinKeyChord('N');
            return;
        default:
            return;
    }
}

void TopBarWindow::ShowTrayToggleMenu(POINT anchor) {
    size_t hiddenNow = 0;
    const bool anyHidden = !config.hiddenTrayApps.empty();
    if (anyHidden) {
        hiddenNow = actions.countHiddenTrayIcons(trayIcons, config.hiddenTrayApps);
        LogMessage(L"Tray menu: %llu icons hidden now, %llu keys in preference list",
                   static_cast<unsigned long long>(hiddenNow),
                   static_cast<unsigned long long>(config.hiddenTrayApps.size()));
    }
    const int chosen = RunMenu(anchor, BarTrayToggleMenuRows(trayCollapsed, anyHidden, hiddenNow));
    if (shutDown) return;
    switch (chosen) {
        case kBarTrayToggleCollapse:
            ToggleTrayCollapsed();
            return;
        case kBarTrayManage:
            popover.Show(PopoverKind::TrayApps, monitor, anchor, config, scale);
            return;
        case kBarTrayRestoreHidden:
            config.hiddenTrayApps.clear();
            if (callbacks.onHiddenTrayAppsChanged) callbacks.onHiddenTrayAppsChanged(config.hiddenTrayApps);
            RebuildTrayItems();
            Layout();
            Redraw();
            return;
        default:
            return;
    }
}

void TopBarWindow::ShowTrayIconMenu(POINT anchor, size_t index) {
    const TrayIconInfo icon = shownTrayIcons[index];
    const int chosen = RunMenu(anchor, BarTrayIconMenuRows(icon.displayName));
    if (shutDown) return;
    switch (chosen) {
        case kBarTrayOpen:
            actions.activateTrayIcon(icon);
            return;
        case kBarTrayLocation:
            actions.openFileLocation(icon.exePath);
            return;
        case kBarTrayHide: {
            const std::wstring key = NormalizePathKey(icon.key);
            auto& hidden = config.hiddenTrayApps;
            if (std::find(hidden.begin(), hidden.end(), key) == hidden.end()) {
                hidden.push_back(key);
                if (callbacks.onHiddenTrayAppsChanged) callbacks.onHiddenTrayAppsChanged(hidden);
            }
            RebuildTrayItems();
            Layout();
            Redraw();
            return;
        }
        case kBarTrayClose: {
            const std::wstring key = NormalizePathKey(icon.key);
            actions.forgetTrayIcon(key);
            actions.closeTrayApp(icon);
            std::erase_if(trayIcons, [&](const TrayIconInfo& entry) { return NormalizePathKey(entry.key) == key; });
            RebuildTrayItems();
            Layout();
            Redraw();
            return;
        }
        default:
            return;
    }
}
