// The rows of the launcher's tile and power menus.
#include "allapps/AllAppsMenuRows.h"

#include <windows.h>

#include <cmath>

#include "config/PathText.h"

namespace {

bool HasChildren(const InstalledApp& entry) { return entry.isFolder && !entry.children.empty(); }

}  // namespace

bool IsLaunchTargetReachable(const std::wstring& path) {
    if (path.empty()) return false;
    const std::wstring key = NormalizePathKey(path);
    if (key.size() >= 6 && key.compare(0, 6, L"shell:") == 0) return false;
    // Both reads stay inside the string: a one-unit path has no second unit.
    if (path.find(L'\\') == std::wstring::npos && (path.size() < 2 || path[1] != L':')) return false;
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring EntryLocation(const InstalledApp& entry) {
    if (HasChildren(entry)) {
        const InstalledApp& first = entry.children.front();
        if (IsLaunchTargetReachable(first.targetPath)) return first.targetPath;
        if (IsLaunchTargetReachable(first.launchId)) return first.launchId;
    }
    if (IsLaunchTargetReachable(entry.targetPath)) return entry.targetPath;
    if (IsLaunchTargetReachable(entry.launchId)) return entry.launchId;
    return L"";
}

std::vector<MacMenuItem> TileMenuRows(const InstalledApp& entry, const TileMenuInput& input) {
    std::vector<MacMenuItem> rows;
    const bool folder = HasChildren(entry);
    const bool noLocation = input.location.empty();
    if (input.unhideMenu) {
        rows.push_back(MenuRow(2006, L"取消隐藏"));
        if (input.hiddenKeyCount > 1) rows.push_back(MenuRow(2007, L"恢复全部已隐藏"));
        rows.push_back(MenuSeparator());
    }
    if (folder) {
        const std::wstring& first = entry.children.front().name;
        rows.push_back(MenuRow(2001, L"打开文件夹 (" + std::to_wstring(entry.children.size()) + L" 项)"));
        rows.push_back(MenuRow(2005, L"直接打开「" + first + L"」"));
        rows.push_back(MenuRow(2002, L"固定「" + first + L"」到程序坞"));
        rows.push_back(MenuRow(2008, L"打开文件所在位置", !noLocation));
        if (!input.unhideMenu) {
            rows.push_back(MenuSeparator());
            rows.push_back(MenuRow(2003, L"隐藏"));
        }
        return rows;
    }
    rows.push_back(MenuRow(2001, L"打开"));
    rows.push_back(MenuRow(2002, L"固定到程序坞"));
    rows.push_back(MenuRow(2008, L"打开文件所在位置", !noLocation));
    if (input.unhideMenu) {
        if (input.canUninstall) {
            rows.push_back(MenuSeparator());
            rows.push_back(MenuRow(2004, L"卸载...", true, true));
        }
        return rows;
    }
    rows.push_back(MenuSeparator());
    rows.push_back(MenuRow(2003, L"隐藏"));
    if (input.canUninstall) rows.push_back(MenuRow(2004, L"卸载...", true, true));
    return rows;
}

std::vector<MacMenuItem> PowerMenuRows() {
    return {MenuRow(2101, L"睡眠"), MenuRow(2102, L"锁屏"), MenuSeparator(), MenuRow(2103, L"重新启动..."),
            MenuRow(2104, L"关机...", true, true)};
}

POINT PowerMenuAnchor(float panelWidth, float panelHeight, float s) {
    return {static_cast<LONG>(std::lround((panelWidth * 0.5f + 16.0f - 95.0f) * s)),
            static_cast<LONG>(std::lround((panelHeight - 26.0f + 16.0f + 17.5f + 6.0f) * s))};
}
