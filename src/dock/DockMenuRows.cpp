#include "dock/DockMenuRows.h"

std::vector<MacMenuItem> AppMenuRows(const DockItem& item) {
    const bool hasWindows = item.running && !item.windows.empty();
    std::vector<MacMenuItem> rows;
    rows.push_back(MenuRow(kDockMenuActivate, item.running ? L"激活 / 切换窗口" : L"打开"));
    MacMenuItem pin = MenuRow(kDockMenuPinToggle, item.pinned ? L"从程序坞取消固定" : L"固定到程序坞");
    pin.checked = item.pinned;
    rows.push_back(pin);
    MacMenuItem location = MenuRow(kDockMenuOpenLocation, L"打开文件所在位置");
    location.disabled = item.path.empty();
    rows.push_back(location);
    if (hasWindows) {
        rows.push_back(MenuSeparator());
        MacMenuItem close = MenuRow(kDockMenuClose, L"关闭");
        close.destructive = true;
        rows.push_back(close);
    }
    return rows;
}

std::vector<MacMenuItem> RecycleBinMenuRows() {
    return {MenuRow(kDockMenuOpenBin, L"打开回收站"), MenuRow(kDockMenuEmptyBin, L"清空回收站...")};
}

std::vector<MacMenuItem> DockMenuRows(bool taskbarHidden) {
    std::vector<MacMenuItem> rows;
    MacMenuItem allApps = MenuRow(kDockMenuAllApps, L"全部应用");
    allApps.trailingText = L"⌥ Space";
    rows.push_back(allApps);
    rows.push_back(MenuRow(kDockMenuSettings, L"程序坞设置..."));
    MacMenuItem taskbar =
        MenuRow(kDockMenuTaskbar, taskbarHidden ? L"显示 Windows 原生任务栏" : L"隐藏 Windows 原生任务栏");
    taskbar.trailingText = L"⌃⌥ T";
    rows.push_back(taskbar);
    rows.push_back(MenuSeparator());
    MacMenuItem quit = MenuRow(kDockMenuQuit, L"退出 Vantreel");
    quit.destructive = true;
    rows.push_back(quit);
    return rows;
}

std::vector<MacMenuItem> ContextMenuRowsFor(const DockItem* item, bool taskbarHidden) {
    if (!item) return DockMenuRows(taskbarHidden);
    switch (item->kind) {
        case DockItemKind::Launchpad:
            return {};
        case DockItemKind::App:
            return AppMenuRows(*item);
        case DockItemKind::RecycleBin:
            return RecycleBinMenuRows();
        default:
            return DockMenuRows(taskbarHidden);
    }
}
