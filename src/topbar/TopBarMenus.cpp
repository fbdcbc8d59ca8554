#include "topbar/TopBarMenus.h"

#include <algorithm>
#include <cmath>

std::vector<MacMenuItem> BarLogoMenuRows() {
    return {MenuRow(kBarAbout, L"关于本机"), MenuSeparator(), MenuRow(kBarSettings, L"Vantreel 设置..."),
            MenuSeparator(), MenuRow(kBarQuit, L"退出 Vantreel", true, true)};
}

std::vector<MacMenuItem> BarApplicationMenuRows(const BarWindowState& window) {
    const bool w = window.hasWindow;
    return {MenuRow(kBarMinimize, L"最小化当前窗口", w),
            MenuRow(kBarMaximizeOrRestore, window.zoomed ? L"还原窗口大小" : L"最大化窗口", w),
            MenuRow(kBarToggleTopmost, window.topmost ? L"取消窗口置顶" : L"置顶当前窗口", w),
            MenuRow(kBarOpenLocation, L"打开程序所在位置", window.hasPath),
            MenuSeparator(),
            MenuRow(kBarCloseWindow, L"关闭当前窗口", w, true)};
}

std::vector<MacMenuItem> BarWindowMenuRows(bool hasWindow) {
    return {MenuRow(kBarSnapLeft, L"左半屏贴靠", hasWindow), MenuRow(kBarSnapRight, L"右半屏贴靠", hasWindow),
            MenuRow(kBarCentre, L"居中大窗展示", hasWindow), MenuSeparator(),
            MenuRow(kBarShowDesktop, L"显示桌面 (Win+D)"),   MenuRow(kBarTaskView, L"任务视图 (Win+Tab)")};
}

std::vector<MacMenuItem> BarGoMenuRows() {
    return {MenuRow(kBarGoDesktop, L"显示桌面"), MenuRow(kBarGoDownloads, L"下载"), MenuRow(kBarGoDocuments, L"文档"),
            MenuRow(kBarGoThisPc, L"此电脑"), MenuRow(kBarGoControlPanel, L"控制面板")};
}

std::vector<MacMenuItem> BarInputMenuRows(const std::vector<BarInputProfileRow>& profiles) {
    std::vector<MacMenuItem> rows;
    const size_t listed = std::min(profiles.size(), kBarMaxInputProfiles);
    for (size_t i = 0; i < listed; ++i) {
        rows.push_back(MenuRow(kBarInputProfileBase + static_cast<int32_t>(i),
                               (profiles[i].active ? L"✓ " : L"   ") + profiles[i].name));
    }
    if (listed > 0) rows.push_back(MenuSeparator());
    rows.push_back(MenuRow(kBarToggleInputMode, L"切换中 / 英模式"));
    rows.push_back(MenuRow(kBarNextInputMethod, L"切换下一个输入法 (Win+Space)"));
    rows.push_back(MenuRow(kBarEmojiPanel, L"表情符号面板 (Win+.)"));
    rows.push_back(MenuSeparator());
    rows.push_back(MenuRow(kBarLanguageSettings, L"输入法与语言设置..."));
    rows.push_back(MenuRow(kBarTypingSettings, L"键盘与输入设置..."));
    return rows;
}

std::vector<MacMenuItem> BarNotificationMenuRows(bool centerVisible, bool doNotDisturb, bool storeHasItems) {
    return {MenuRow(kBarToggleCenter, centerVisible ? L"关闭通知中心" : L"打开通知中心"),
            MenuRow(kBarToggleDoNotDisturb, doNotDisturb ? L"关闭勿扰模式" : L"开启勿扰模式"),
            MenuRow(kBarClearNotifications, L"清除全部通知", storeHasItems),
            MenuSeparator(),
            MenuRow(kBarNotificationSettings, L"系统通知设置..."),
            MenuRow(kBarQuietHoursSettings, L"专注时段设置..."),
            MenuRow(kBarNativeNotifications, L"打开 Windows 原生通知栏 (Win+N)")};
}

std::vector<MacMenuItem> BarTrayToggleMenuRows(bool collapsed, bool anyHiddenKeys, size_t hiddenNow) {
    std::vector<MacMenuItem> rows = {
        MenuRow(kBarTrayToggleCollapse, collapsed ? L"展开托盘图标栏" : L"折叠托盘图标栏"),
        MenuRow(kBarTrayManage, L"管理全部托盘图标..."),
    };
    if (anyHiddenKeys) {
        rows.push_back(MenuSeparator());
        std::wstring label = L"恢复所有已隐藏图标";
        if (hiddenNow > 0) label += L" (" + std::to_wstring(hiddenNow) + L")";
        rows.push_back(MenuRow(kBarTrayRestoreHidden, std::move(label)));
    }
    return rows;
}

std::vector<MacMenuItem> BarTrayIconMenuRows(const std::wstring& displayName) {
    return {MenuRow(kBarTrayOpen, L"打开「" + displayName + L"」"), MenuRow(kBarTrayLocation, L"打开文件所在位置"),
            MenuRow(kBarTrayHide, L"隐藏此托盘图标"), MenuSeparator(), MenuRow(kBarTrayClose, L"关闭程序", true, true)};
}

POINT BarAnchorAt(const RECT& monitorRect, float xDip, float scale) {
    return POINT{monitorRect.left + static_cast<LONG>(std::round(xDip * scale)),
                 monitorRect.top + static_cast<LONG>(std::round(36.0f * scale))};
}

POINT BarRightClickAnchor(const RECT& monitorRect, float itemRightDip, float scale) {
    return BarAnchorAt(monitorRect, std::max(itemRightDip - 140.0f, 8.0f), scale);
}
