// The tile and power menus' rows, and which paths the file manager can show.
#include <gtest/gtest.h>

#include "LauncherFixtures.h"
#include "allapps/AllAppsMenuRows.h"

namespace {

std::vector<int32_t> Ids(const std::vector<MacMenuItem>& rows) {
    std::vector<int32_t> ids;
    for (const MacMenuItem& row : rows) ids.push_back(row.id);
    return ids;
}

}  // namespace

TEST(LauncherMenuRows, FolderAppAndUnhideMenus) {
    const InstalledApp folder =
        MakeFolder(L"Tools", AppCategory::Other, L'T',
                   {MakeApp(L"first", L"C:\\a.lnk", AppCategory::Other, L'F'),
                    MakeApp(L"second", L"C:\\b.lnk", AppCategory::Other, L'S'),
                    MakeApp(L"third", L"C:\\c.lnk", AppCategory::Other, L'T')});
    TileMenuInput input;
    std::vector<MacMenuItem> rows = TileMenuRows(folder, input);
    EXPECT_EQ(Ids(rows), (std::vector<int32_t>{2001, 2005, 2002, 2008, 0, 2003}));
    EXPECT_EQ(rows[0].label, L"打开文件夹 (3 项)");
    EXPECT_EQ(rows[1].label, L"直接打开「first」");
    EXPECT_EQ(rows[2].label, L"固定「first」到程序坞");
    EXPECT_TRUE(rows[3].disabled) << "no location";
    EXPECT_TRUE(rows[4].separator);

    const InstalledApp app = MakeApp(L"App", L"C:\\app.lnk", AppCategory::Other, L'A');
    input.canUninstall = true;
    input.location = L"C:\\Windows";
    rows = TileMenuRows(app, input);
    EXPECT_EQ(Ids(rows), (std::vector<int32_t>{2001, 2002, 2008, 0, 2003, 2004}));
    EXPECT_FALSE(rows[2].disabled);
    EXPECT_TRUE(rows.back().destructive);
    EXPECT_EQ(rows.back().label, L"卸载...");

    input.unhideMenu = true;
    input.hiddenKeyCount = 1;
    EXPECT_EQ(Ids(TileMenuRows(app, input)), (std::vector<int32_t>{2006, 0, 2001, 2002, 2008, 0, 2004}));
    input.hiddenKeyCount = 2;
    input.canUninstall = false;
    EXPECT_EQ(Ids(TileMenuRows(app, input)), (std::vector<int32_t>{2006, 2007, 0, 2001, 2002, 2008}));
    EXPECT_EQ(Ids(TileMenuRows(folder, input)), (std::vector<int32_t>{2006, 2007, 0, 2001, 2005, 2002, 2008}));
}

TEST(LauncherMenuRows, LocationsThatCanBeShown) {
    for (const wchar_t* path : {L"", L"shell:x", L"a", L"C:\\vt-no-such-dir\\x.exe"}) {
        EXPECT_FALSE(IsLaunchTargetReachable(path)) << path;
    }
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_TRUE(IsLaunchTargetReachable(std::wstring(windows) + L"\\notepad.exe"));
    InstalledApp apps = MakeApp(L"X", L"X!App", AppCategory::Other, L'X', true, L"shell:AppsFolder\\X!App");
    EXPECT_EQ(EntryLocation(apps), L"");
}

TEST(LauncherMenuRows, PowerRowsAndAnchor) {
    const std::vector<MacMenuItem> rows = PowerMenuRows();
    EXPECT_EQ(Ids(rows), (std::vector<int32_t>{2101, 2102, 0, 2103, 2104}));
    EXPECT_TRUE(rows.back().destructive);
    const POINT one = PowerMenuAnchor(780.0f, 572.0f, 1.0f);
    EXPECT_EQ(one.x, 311);
    EXPECT_EQ(one.y, 586);
    const POINT big = PowerMenuAnchor(780.0f, 572.0f, 1.5f);
    EXPECT_EQ(big.x, 467);
    EXPECT_EQ(big.y, 878);
}
