// What a click on a running application does to its windows, and the rows of
// the dock's context menus.
#include <gtest/gtest.h>

#include <set>

#include "dock/DockMenuRows.h"
#include "dock/WindowCycling.h"

namespace {

HWND Handle(uintptr_t n) { return reinterpret_cast<HWND>(n); }

const HWND a = Handle(0x10), b = Handle(0x20), c = Handle(0x30), other = Handle(0x99);

WindowClickChoice Click(const std::vector<HWND>& windows, HWND foreground, std::set<HWND> iconic = {},
                        std::set<HWND> dead = {}) {
    return ChooseWindowForClick(
        windows, foreground, [&](HWND w) { return iconic.count(w) != 0; },
        [&](HWND w) { return dead.count(w) == 0; });
}

std::vector<int> Ids(const std::vector<MacMenuItem>& rows) {
    std::vector<int> ids;
    for (const auto& row : rows) ids.push_back(row.separator ? 0 : row.id);
    return ids;
}

}  // namespace

TEST(WindowCycling, SeveralWindowsAreRaisedInTurn) {
    EXPECT_EQ(Click({a, b, c}, b).window, c);
    EXPECT_EQ(Click({a, b, c}, c).window, a);
    EXPECT_EQ(Click({a, b, c}, other).window, a);
    EXPECT_EQ(Click({a, b, c}, nullptr).window, a);
    EXPECT_EQ(Click({a, b, c}, b).action, WindowClickAction::Activate);
    EXPECT_EQ(Click({a, b, c}, b, {}, {c}).action, WindowClickAction::None) << "the next one is gone";
}

TEST(WindowCycling, TheOnlyWindowMinimisesWhenInFrontElseComesForward) {
    WindowClickChoice front = Click({a}, a);
    EXPECT_EQ(front.action, WindowClickAction::Minimize);
    EXPECT_EQ(front.window, a);
    EXPECT_EQ(Click({a}, a, {a}).action, WindowClickAction::Activate) << "minimised: restored";
    EXPECT_EQ(Click({a}, other).action, WindowClickAction::Activate);
    EXPECT_EQ(Click({a}, a, {}, {a}).action, WindowClickAction::None) << "a destroyed window is left alone";
    EXPECT_EQ(Click({}, a).action, WindowClickAction::None);
}

TEST(DockMenuRows, ApplicationMenuFollowsTheItemsState) {
    DockItem running;
    running.kind = DockItemKind::App;
    running.path = L"C:\\Apps\\app.exe";
    running.pinned = true;
    running.running = true;
    running.windows = {a};
    std::vector<MacMenuItem> rows = AppMenuRows(running);
    EXPECT_EQ(Ids(rows), (std::vector<int>{1001, 1003, 1004, 0, 1005}));
    EXPECT_EQ(rows[0].label, L"激活 / 切换窗口");
    EXPECT_EQ(rows[1].label, L"从程序坞取消固定");
    EXPECT_TRUE(rows[1].checked);
    EXPECT_EQ(rows[2].label, L"打开文件所在位置");
    EXPECT_FALSE(rows[2].disabled);
    EXPECT_TRUE(rows[3].separator);
    EXPECT_EQ(rows[4].label, L"关闭");
    EXPECT_TRUE(rows[4].destructive);

    DockItem stopped;
    stopped.kind = DockItemKind::App;
    rows = AppMenuRows(stopped);
    EXPECT_EQ(Ids(rows), (std::vector<int>{1001, 1003, 1004}));
    EXPECT_EQ(rows[0].label, L"打开");
    EXPECT_EQ(rows[1].label, L"固定到程序坞");
    EXPECT_FALSE(rows[1].checked);
    EXPECT_TRUE(rows[2].disabled) << "no path, no location";
    for (const auto& row : rows) EXPECT_FALSE(row.destructive);
}

TEST(DockMenuRows, BinGlassAndLaunchpad) {
    DockItem bin;
    bin.kind = DockItemKind::RecycleBin;
    std::vector<MacMenuItem> rows = ContextMenuRowsFor(&bin, false);
    EXPECT_EQ(Ids(rows), (std::vector<int>{1006, 1007}));
    EXPECT_EQ(rows[0].label, L"打开回收站");
    EXPECT_EQ(rows[1].label, L"清空回收站...");

    for (bool hidden : {true, false}) {
        rows = ContextMenuRowsFor(nullptr, hidden);
        EXPECT_EQ(Ids(rows), (std::vector<int>{1008, 1009, 1010, 0, 1011}));
        EXPECT_EQ(rows[0].label, L"全部应用");
        EXPECT_EQ(rows[0].trailingText, L"⌥ Space");
        EXPECT_EQ(rows[1].label, L"程序坞设置...");
        EXPECT_EQ(rows[2].label, hidden ? L"显示 Windows 原生任务栏" : L"隐藏 Windows 原生任务栏");
        EXPECT_EQ(rows[2].trailingText, L"⌃⌥ T");
        EXPECT_EQ(rows[4].label, L"退出 Vantreel");
        EXPECT_TRUE(rows[4].destructive);
    }
    DockItem separator;
    separator.kind = DockItemKind::Separator;
    EXPECT_EQ(Ids(ContextMenuRowsFor(&separator, false)), Ids(DockMenuRows(false)));

    DockItem launchpad;
    launchpad.kind = DockItemKind::Launchpad;
    EXPECT_TRUE(ContextMenuRowsFor(&launchpad, false).empty());
}
