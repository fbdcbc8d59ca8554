#pragma once
// Catalog fixtures of the launcher's tests.

#include <string>
#include <vector>

#include "apps/InstalledApp.h"
#include "config/PathText.h"

inline InstalledApp MakeApp(const std::wstring& name, const std::wstring& launchId, AppCategory category,
                            wchar_t initial, bool primary = true, const std::wstring& target = L"") {
    InstalledApp app;
    app.name = name;
    app.launchId = launchId;
    app.targetPath = target;
    app.nameKey = NormalizePathKey(name);
    app.category = category;
    app.initial = initial;
    app.isPrimary = primary;
    return app;
}

inline InstalledApp MakeFolder(const std::wstring& name, AppCategory category, wchar_t initial,
                               std::vector<InstalledApp> children) {
    InstalledApp folder = MakeApp(name, children.empty() ? L"" : children.front().launchId, category, initial);
    folder.isFolder = true;
    folder.children = std::move(children);
    return folder;
}

// Alpha; an uninstaller; the folder Corp Tools (its namesake, Calc Helper and
// Zed Viewer); Rechner, found by its target calc.exe; Calc Helper again at the
// top level with the folder child's launch id.
inline std::vector<InstalledApp> FilterFixture() {
    return {
        MakeApp(L"Alpha", L"C:\\Apps\\alpha.lnk", AppCategory::Office, L'A'),
        MakeApp(L"Beta Uninstall", L"C:\\Apps\\beta-uninstall.lnk", AppCategory::Other, L'B', false,
                L"C:\\Beta\\unins000.exe"),
        MakeFolder(L"Corp Tools", AppCategory::Other, L'C',
                   {MakeApp(L"Corp Tools", L"C:\\Apps\\Corp\\corp.lnk", AppCategory::Office, L'C'),
                    MakeApp(L"Calc Helper", L"C:\\Apps\\Corp\\calchelper.lnk", AppCategory::Office, L'C'),
                    MakeApp(L"Zed Viewer", L"C:\\Apps\\Corp\\zed.lnk", AppCategory::Media, L'Z')}),
        MakeApp(L"Rechner", L"C:\\Apps\\rechner.lnk", AppCategory::Other, L'R', true, L"C:\\Windows\\calc.exe"),
        MakeApp(L"Calc Helper", L"C:\\Apps\\Corp\\calchelper.lnk", AppCategory::Office, L'C'),
    };
}

// n distinct primary apps "App 00".. in catalog order.
inline std::vector<InstalledApp> NumberedApps(int n, const std::wstring& prefix = L"App ") {
    std::vector<InstalledApp> apps;
    for (int i = 0; i < n; ++i) {
        wchar_t digits[8];
        digits[0] = static_cast<wchar_t>(L'0' + i / 10);
        digits[1] = static_cast<wchar_t>(L'0' + i % 10);
        digits[2] = 0;
        apps.push_back(MakeApp(prefix + digits, L"C:\\vt-launcher-test\\" + prefix + digits + L".exe",
                               AppCategory::Other, L'A'));
        apps.back().targetPath = apps.back().launchId;
    }
    return apps;
}
