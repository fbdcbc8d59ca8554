// The bar's input on a real window: every menu's rows captured through the
// menu seam, anchors, right clicks, the commands (on real windows where they
// move one), the wheel, hover, a throwing action, app-bar notifications and
// what may happen while a menu's nested loop runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "TopBarFixture.h"
#include "platform/Log.h"
#include "config/Paths.h"
#include "support/TestSupport.h"
#include "topbar/TopBarMenus.h"

namespace {

struct ShownMenu {
    POINT anchor;
    std::vector<MacMenuItem> rows;
};

// "3001 关于本机|-|..." with " (off)" for a disabled row and "!" for a destructive one.
std::wstring Describe(const std::vector<MacMenuItem>& rows) {
    std::wstring text;
    for (const auto& row : rows) {
        if (!text.empty()) text += L"|";
        if (row.separator) {
            text += L"-";
            continue;
        }
        text += std::to_wstring(row.id) + L" " + row.label;
        if (row.disabled) text += L" (off)";
        if (row.destructive) text += L"!";
    }
    return text;
}

TrayIconInfo Icon(const std::wstring& key, const std::wstring& name) {
    TrayIconInfo icon;
    icon.key = key;
    icon.displayName = name;
    icon.exePath = key;
    return icon;
}

// A plain top-level window of this process for the window commands to move.
HWND MakeHelperWindow() {
    return CreateWindowExW(0, L"STATIC", L"helper", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                           nullptr, nullptr, nullptr);
}

// Counts the WM_CONTEXTMENU that the default procedure makes of a right click.
WNDPROC originalProc = nullptr;
int contextMenus = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CONTEXTMENU) ++contextMenus;
    return CallWindowProcW(originalProc, hwnd, message, wParam, lParam);
}

std::string ReadLog() {
    auto bytes = testing_support::ReadFileBytes(ExecutableDirectory() + L"\\vantreel.log");
    return std::string(bytes.begin(), bytes.end());
}

class TopBarInputTest : public TopBarWindowTest {
protected:
    void SetUp() override {
        TopBarWindowTest::SetUp();
        bar.showMenu = [this](POINT anchor, const std::vector<MacMenuItem>& rows) {
            shown.push_back({anchor, rows});
            activeWhileOpen = bar.activeItemId;
            return answer ? answer(rows) : 0;
        };
        TopBarActions& a = bar.actions;
        a.shellOpen = [this](const std::wstring& file, const std::wstring& parameters) {
            Did(L"open " + file + (parameters.empty() ? L"" : L" " + parameters));
        };
        a.sendWinKeyChord = [this](uint16_t key) { Did(L"chord " + std::to_wstring(key)); };
        a.toggleInputMode = [this](HWND) { Did(L"toggle input mode"); };
        a.enumerateInputProfiles = [this](HWND) { return profiles; };
        a.activateInputProfile = [this](const vantreel::InputProfile& p, HWND) { Did(L"activate " + p.name); };
        a.bringToFront = [this](HWND) { Did(L"front"); };
        a.activateTrayIcon = [this](const TrayIconInfo& icon) { Did(L"tray activate " + icon.key); };
        a.closeTrayApp = [this](const TrayIconInfo& icon) { Did(L"tray close " + icon.key); };
        a.forgetTrayIcon = [this](const std::wstring& key) { Did(L"forget " + key); };
        a.adjustVolumeBy = [this](float delta) { volumeSteps.push_back(delta); };
        a.openFileLocation = [this](const std::wstring& path) { Did(L"locate " + path); };
        a.launchApp = [this](const std::wstring& target, const std::wstring&) { Did(L"launch " + target); };
        a.showWindowAsync = [this](HWND, int command) { Did(L"show async " + std::to_wstring(command)); };
        auto realSetWindowPos = a.setWindowPos;
        a.setWindowPos = [this, realSetWindowPos](HWND w, HWND after, int x, int y, int cx, int cy, UINT flags) {
            ++placements;
            realSetWindowPos(w, after, x, y, cx, cy, flags);
        };
        bar.callbacks.onPopupClosed = [this] { ++popupsClosed; };
    }
    void TearDown() override {
        for (HWND w : helpers) DestroyWindow(w);
        TopBarInputTest::ReleaseLog();
        TopBarWindowTest::TearDown();
    }

    void Did(const std::wstring& what) { done.push_back(what); }

    POINT ItemPixel(int32_t id) const {
        const TopBarItem* item = Item(id);
        EXPECT_NE(item, nullptr) << id;
        if (!item) return {-100, -100};
        return {static_cast<LONG>(std::lround((item->left + item->right) / 2 * bar.scale)),
                static_cast<LONG>(std::lround(10 * bar.scale))};
    }
    LRESULT Send(UINT message, POINT at, WPARAM wParam = 0) {
        return SendMessageW(bar.Window(), message, wParam, MAKELPARAM(at.x, at.y));
    }
    LRESULT Click(int32_t id) { return Send(WM_LBUTTONUP, ItemPixel(id)); }
    LRESULT RightClick(int32_t id) { return Send(WM_RBUTTONUP, ItemPixel(id)); }
    // Opens the menu of an item and picks the command.
    void Choose(int32_t id, int command, bool right = false) {
        answer = [command](const std::vector<MacMenuItem>&) { return command; };
        right ? RightClick(id) : Click(id);
        answer = nullptr;
    }
    std::wstring LastRows() const { return shown.empty() ? L"" : Describe(shown.back().rows); }

    HWND Helper() {
        HWND w = MakeHelperWindow();
        helpers.push_back(w);
        return w;
    }

    void StartLog() {
        DeleteFileW((ExecutableDirectory() + L"\\vantreel.log").c_str());
        InitializeLog(true);
        logging = true;
    }
    void ReleaseLog() {
        if (logging) InitializeLog(false);
        logging = false;
    }

    std::vector<ShownMenu> shown;
    std::function<int(const std::vector<MacMenuItem>&)> answer;
    int32_t activeWhileOpen = -1;
    std::vector<std::wstring> done;
    std::vector<vantreel::InputProfile> profiles;
    std::vector<float> volumeSteps;
    std::vector<HWND> helpers;
    int placements = 0;
    int popupsClosed = 0;
    bool logging = false;
};

}  // namespace

TEST_F(TopBarInputTest, LeftClickMenusShowTheirRowsAndCloseWithTheirCallback) {
    Apply();
    Click(kTopBarLogo);
    EXPECT_EQ(LastRows(), L"3001 关于本机|-|3003 Vantreel 设置...|-|3011 退出 Vantreel!");
    EXPECT_EQ(activeWhileOpen, kTopBarLogo) << "the item is highlighted while its menu shows";
    EXPECT_EQ(bar.activeItemId, 0);
    EXPECT_EQ(popupsClosed, 1);

    Click(kTopBarAppName);  // the desktop: no window and no path
    EXPECT_EQ(LastRows(), L"3101 最小化当前窗口 (off)|3102 最大化窗口 (off)|3103 置顶当前窗口 (off)|"
                          L"3104 打开程序所在位置 (off)|-|3105 关闭当前窗口 (off)!");
    bar.foreground.hwnd = Helper();
    bar.foreground.exePath = L"C:\\Tools\\tool.exe";
    bar.foreground.zoomed = bar.foreground.topmost = true;
    Click(kTopBarAppName);
    EXPECT_EQ(LastRows(), L"3101 最小化当前窗口|3102 还原窗口大小|3103 取消窗口置顶|3104 打开程序所在位置|-|"
                          L"3105 关闭当前窗口!")
        << "the labels follow the stored flags";

    Click(kTopBarWindowMenu);
    EXPECT_EQ(LastRows(), L"3301 左半屏贴靠|3302 右半屏贴靠|3303 居中大窗展示|-|3304 显示桌面 (Win+D)|"
                          L"3305 任务视图 (Win+Tab)");
    Click(kTopBarGoMenu);
    EXPECT_EQ(LastRows(), L"3401 显示桌面|3402 下载|3403 文档|3404 此电脑|3405 控制面板");
    EXPECT_EQ(shown.back().anchor.x, bar.monitorRect.left + static_cast<LONG>(Item(kTopBarGoMenu)->left));
    EXPECT_EQ(shown.back().anchor.y, bar.monitorRect.top + 36);
    EXPECT_EQ(popupsClosed, 5);
    EXPECT_TRUE(done.empty()) << "nothing chosen, nothing done";
}

TEST_F(TopBarInputTest, RightClickMenusShowTheirRows) {
    tray = {Icon(L"C:\\Apps\\A.exe", L"A"), Icon(L"C:\\Apps\\B.exe", L"B"), Icon(L"C:\\Apps\\Shown.exe", L"Shown")};
    Apply();
    for (int i = 0; i < 13; ++i) {
        vantreel::InputProfile profile;
        profile.name = L"输入法" + std::to_wstring(i);
        profile.active = i == 1;
        profiles.push_back(profile);
    }
    RightClick(kTopBarInputMethod);
    std::wstring expected;
    for (int i = 0; i < 12; ++i) {
        expected += std::to_wstring(3720 + i) + (i == 1 ? L" ✓ " : L"    ") + L"输入法" + std::to_wstring(i) + L"|";
    }
    expected += L"-|3701 切换中 / 英模式|3702 切换下一个输入法 (Win+Space)|3703 表情符号面板 (Win+.)|-|"
                L"3704 输入法与语言设置...|3705 键盘与输入设置...";
    EXPECT_EQ(LastRows(), expected) << "twelve profiles at most";
    profiles.clear();
    RightClick(kTopBarInputMethod);
    EXPECT_EQ(shown.back().rows.front().id, kBarToggleInputMode) << "no leading separator without profiles";

    RightClick(kTopBarNotifications);
    EXPECT_EQ(LastRows(), L"3906 打开通知中心|3904 开启勿扰模式|3905 清除全部通知 (off)|-|3902 系统通知设置...|"
                          L"3903 专注时段设置...|3901 打开 Windows 原生通知栏 (Win+N)");
    bar.store.items.push_back(NotificationItem{});
    bar.config.doNotDisturb = true;
    bar.ShowNotificationCenter();
    RightClick(kTopBarNotifications);
    EXPECT_EQ(Describe({shown.back().rows.begin(), shown.back().rows.begin() + 3}),
              L"3906 关闭通知中心|3904 关闭勿扰模式|3905 清除全部通知");
    bar.center.HideCenter();
    popupsClosed = 0;

    StartLog();
    RightClick(kTopBarTrayToggle);
    EXPECT_EQ(LastRows(), L"3803 折叠托盘图标栏|3805 管理全部托盘图标...");
    config.hiddenTrayApps = {L"c:\\apps\\a.exe", L"c:\\apps\\b.exe", L"c:\\gone\\c.exe"};
    config.topBarTrayCollapsed = true;
    Apply();
    RightClick(kTopBarTrayToggle);
    EXPECT_EQ(LastRows(), L"3803 展开托盘图标栏|3805 管理全部托盘图标...|-|3807 恢复所有已隐藏图标 (2)");
    EXPECT_NE(ReadLog().find("Tray menu: 2 icons hidden now, 3 keys in preference list"), std::string::npos);
    tray.resize(1);
    tray[0] = Icon(L"C:\\Apps\\Shown.exe", L"Shown");
    Apply();
    RightClick(kTopBarTrayToggle);
    EXPECT_EQ(LastRows(), L"3803 展开托盘图标栏|3805 管理全部托盘图标...|-|3807 恢复所有已隐藏图标")
        << "no count when none of the hidden icons is present";

    config.topBarTrayCollapsed = false;
    Apply();
    RightClick(kTopBarTrayIconBase);
    EXPECT_EQ(LastRows(), L"3801 打开「Shown」|3802 打开文件所在位置|3806 隐藏此托盘图标|-|3804 关闭程序!");
    EXPECT_EQ(bar.activeItemId, 0);
    EXPECT_EQ(popupsClosed, 0) << "right-click menus belong to no item";
}

TEST_F(TopBarInputTest, AnchorsAndTheRightClickLogAtScaleOneAndAHalf) {
    Apply(1.5f);
    originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(bar.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    contextMenus = 0;
    // The 20-item layout of a 1280-DIP bar with battery, Bluetooth and nine tray icons.
    TopBarLayoutInput input;
    input.barWidthDip = 1280.0f;
    input.hasBattery = input.bluetoothPresent = true;
    for (int i = 0; i < 9; ++i) input.trayNames.push_back(L"app" + std::to_wstring(i));
    auto twenty = [&] { bar.items = LayoutTopBarItems(input, [](auto&&...) { return 60.0f; }); };
    for (int i = 0; i < 9; ++i) tray.push_back(Icon(L"c:\\apps\\app" + std::to_wstring(i) + L".exe", L"app"));
    bar.trayIcons = tray;
    bar.RebuildTrayItems();
    const LONG left = bar.monitorRect.left, top = bar.monitorRect.top;

    twenty();
    Click(kTopBarLogo);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].anchor.x - left, 12);
    EXPECT_EQ(shown[0].anchor.y - top, 54);
    twenty();
    RightClick(kTopBarInputMethod);
    EXPECT_EQ(shown.back().anchor.x - left, 1206);
    EXPECT_EQ(shown.back().anchor.y - top, 54);
    twenty();
    RightClick(kTopBarTrayToggle);
    EXPECT_EQ(shown.back().anchor.x - left, 858);
    EXPECT_EQ(contextMenus, 0);
    twenty();
    Click(kTopBarClock);
    EXPECT_EQ(bar.popover.anchor.x - left, 1908) << "the clock's panel under its right edge";
    EXPECT_EQ(bar.popover.anchor.y - top, 54);
    bar.popover.Hide();

    // The logo, the clock and a glyph have no right-click menu.
    StartLog();
    const size_t menus = shown.size();
    twenty();
    EXPECT_EQ(Send(WM_RBUTTONUP, {30, 15}), 0);
    for (int32_t id : {kTopBarClock, kTopBarSound}) RightClick(id);
    EXPECT_EQ(shown.size(), menus);
    EXPECT_EQ(contextMenus, 3) << "each went on to the default procedure";
    Apply();
    Send(WM_RBUTTONUP, {20, 10});
    Send(WM_RBUTTONUP, {20, 40});
    const std::string log = ReadLog();
    const std::string line = "TopBar rbutton dip=(20.0,10.0) idx=0 id=1";
    const size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(line, first + 1), std::string::npos) << "at scale 1 as at 1.5";
    EXPECT_NE(log.find("TopBar rbutton dip=(20.0,40.0) idx=-1 id=-1"), std::string::npos) << log;
    SetWindowLongPtrW(bar.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc));
}

TEST_F(TopBarInputTest, WindowCommandsActOnTheLiveWindowCopiedBeforeTheMenu) {
    Apply();
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    HWND window = Helper();
    HWND other = Helper();
    bar.foreground.hwnd = window;
    bar.foreground.topmost = true;  // stale: the window is not topmost

    Choose(kTopBarAppName, kBarToggleTopmost);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the live style decides";
    Choose(kTopBarAppName, kBarToggleTopmost);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    const RECT work = info.rcWork;
    if (work.left != 0 || work.top != 0 || work.right != 1920 || work.bottom != 1080) {
        GTEST_SKIP() << "the snapping places are for a 1920 x 1080 work area";
    }
    auto placed = [](HWND w) {
        RECT r = {};
        GetWindowRect(w, &r);
        return std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    RECT otherBefore = {};
    GetWindowRect(other, &otherBefore);
    // A tick inside the menu's loop names another application; the command
    // still acts on the window copied when the menu opened.
    answer = [&](const std::vector<MacMenuItem>&) {
        bar.foreground.hwnd = other;
        bar.HandleMessage(WM_TIMER, 1, 0);
        return static_cast<int>(kBarSnapLeft);
    };
    Click(kTopBarWindowMenu);
    EXPECT_EQ(placed(window), (std::vector<LONG>{0, 0, 960, 1080}));
    RECT otherAfter = {};
    GetWindowRect(other, &otherAfter);
    EXPECT_TRUE(EqualRect(&otherBefore, &otherAfter));

    bar.foreground.hwnd = window;
    ShowWindow(window, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(window));
    Choose(kTopBarWindowMenu, kBarSnapRight);
    EXPECT_FALSE(IsZoomed(window)) << "restored before snapping";
    EXPECT_EQ(placed(window), (std::vector<LONG>{960, 0, 960, 1080}));
    bar.foreground.hwnd = window;
    Choose(kTopBarWindowMenu, kBarCentre);
    EXPECT_EQ(placed(window), (std::vector<LONG>{154, 76, 1612, 928}));

    bar.foreground.hwnd = window;
    const int before = placements;
    answer = [&](const std::vector<MacMenuItem>&) {
        DestroyWindow(window);
        return static_cast<int>(kBarSnapLeft);
    };
    Click(kTopBarWindowMenu);
    EXPECT_EQ(placements, before) << "a window gone while the menu showed is left alone";
}

TEST_F(TopBarInputTest, LogoGoAndInputCommands) {
    Apply();
    int settings = 0;
    bar.callbacks.onOpenSettings = [&] { ++settings; };
    Choose(kTopBarLogo, kBarAbout);
    Choose(kTopBarLogo, kBarSettings);
    EXPECT_EQ(settings, 1);

    testing_support::TempDir dir;
    std::vector<DWORD> lookups;
    bar.actions.knownFolderPath = [&](REFKNOWNFOLDERID id, DWORD flags) -> std::wstring {
        lookups.push_back(flags);
        if (IsEqualGUID(id, FOLDERID_Documents)) return L"C:\\Docs";
        return flags == KF_FLAG_DEFAULT_PATH ? dir.File(L"missing") : dir.Path();
    };
    for (int command : {kBarGoDesktop, kBarGoDownloads, kBarGoDocuments, kBarGoThisPc, kBarGoControlPanel}) {
        Choose(kTopBarGoMenu, command);
    }
    EXPECT_EQ(lookups, (std::vector<DWORD>{KF_FLAG_DEFAULT_PATH, 0, 0})) << "Downloads asked twice, Documents once";
    Choose(kTopBarWindowMenu, kBarTaskView);
    profiles.resize(2);
    profiles[1].name = L"微软拼音";
    Choose(kTopBarInputMethod, kBarInputProfileBase + 1, true);
    Choose(kTopBarInputMethod, kBarEmojiPanel, true);
    Choose(kTopBarInputMethod, kBarLanguageSettings, true);
    EXPECT_EQ(done, (std::vector<std::wstring>{L"open ms-settings:about", L"chord 68", L"open " + dir.Path(),
                                                L"open C:\\Docs",
                                                L"open explorer.exe ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}",
                                                L"launch control.exe", L"chord 9", L"activate 微软拼音", L"front",
                                                L"chord 190", L"open ms-settings:regionlanguage"}));
}

TEST_F(TopBarInputTest, TrayMenuCommands) {
    tray = {Icon(L"C:\\Apps\\A.exe", L"A"), Icon(L"C:\\Apps\\B.exe", L"B")};
    Apply();
    std::vector<std::vector<std::wstring>> saved;
    bar.callbacks.onHiddenTrayAppsChanged = [&](const std::vector<std::wstring>& keys) { saved.push_back(keys); };

    // The key is hidden (from the popover's panel) while the menu shows.
    answer = [&](const std::vector<MacMenuItem>&) {
        bar.config.hiddenTrayApps.push_back(L"c:\\apps\\a.exe");
        return static_cast<int>(kBarTrayHide);
    };
    RightClick(kTopBarTrayIconBase);
    EXPECT_TRUE(saved.empty()) << "an already hidden key calls nothing";
    ASSERT_EQ(bar.shownTrayIcons.size(), 1u) << "but the icons are rebuilt";
    EXPECT_EQ(bar.shownTrayIcons[0].key, L"C:\\Apps\\B.exe");

    // Closing B: a tick inside the loop brings a second record of B.
    answer = [&](const std::vector<MacMenuItem>&) {
        bar.trayIcons.push_back(Icon(L"c:\\APPS\\b.exe", L"B again"));
        bar.shownTrayIcons.clear();
        return static_cast<int>(kBarTrayClose);
    };
    RightClick(kTopBarTrayIconBase);
    EXPECT_EQ(done, (std::vector<std::wstring>{L"forget c:\\apps\\b.exe", L"tray close C:\\Apps\\B.exe"}));
    ASSERT_EQ(bar.trayIcons.size(), 1u) << "every record of the key is dropped";
    EXPECT_EQ(bar.trayIcons[0].key, L"C:\\Apps\\A.exe");

    Choose(kTopBarTrayToggle, kBarTrayRestoreHidden, true);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0].empty());
    EXPECT_TRUE(bar.config.hiddenTrayApps.empty());
    EXPECT_EQ(bar.shownTrayIcons.size(), 1u) << "A shows again";

    bool collapsed = false;
    bar.callbacks.onTrayCollapsedChanged = [&](bool value) { collapsed = value; };
    Choose(kTopBarTrayToggle, kBarTrayToggleCollapse, true);
    EXPECT_TRUE(collapsed);
    EXPECT_EQ(Item(kTopBarTrayIconBase), nullptr);
    Choose(kTopBarTrayToggle, kBarTrayManage, true);
    EXPECT_TRUE(bar.popover.visible);
    EXPECT_EQ(bar.popover.kind, PopoverKind::TrayApps);
    EXPECT_EQ(bar.popover.anchor.x, shown.back().anchor.x) << "under the menu's anchor";
}

TEST_F(TopBarInputTest, NotificationMenuCommands) {
    Apply();
    std::vector<bool> dnd;
    std::vector<uint64_t> watermarks;
    bar.callbacks.onDoNotDisturbChanged = [&](bool on) { dnd.push_back(on); };
    bar.callbacks.onNotificationsCleared = [&](uint64_t w) { watermarks.push_back(w); };
    NotificationItem item;
    item.id = 7;
    item.arrivalTime = 133000000000000000ull;
    item.title = L"新消息";
    bar.center.ShowBanners({item}, nullptr, bar.config, 1.0f);
    ASSERT_TRUE(bar.center.BannersVisible());
    Choose(kTopBarNotifications, kBarToggleDoNotDisturb, true);
    EXPECT_EQ(dnd, std::vector<bool>{true});
    EXPECT_TRUE(bar.config.doNotDisturb);
    EXPECT_FALSE(bar.center.BannersVisible()) << "banners go when it is turned on";

    bar.store.items = {item};
    Choose(kTopBarNotifications, kBarClearNotifications, true);
    ASSERT_EQ(watermarks.size(), 1u);
    EXPECT_GE(watermarks[0], item.arrivalTime);
    EXPECT_EQ(bar.config.clearedNotifWatermark, watermarks[0]);
    EXPECT_TRUE(bar.store.items.empty());

    Choose(kTopBarNotifications, kBarToggleCenter, true);
    EXPECT_TRUE(bar.center.CenterVisible());
    EXPECT_EQ(bar.activeItemId, kTopBarNotifications);
    Choose(kTopBarNotifications, kBarToggleCenter, true);
    EXPECT_FALSE(bar.center.CenterVisible());
    EXPECT_EQ(bar.activeItemId, 0) << "the center's onHidden clears the item";
    for (int command : {kBarNotificationSettings, kBarQuietHoursSettings, kBarNativeNotifications}) {
        Choose(kTopBarNotifications, command, true);
    }
    EXPECT_EQ(done, (std::vector<std::wstring>{L"open ms-settings:notifications", L"open ms-settings:quiethours",
                                                L"chord 78"}));
}

TEST_F(TopBarInputTest, LeftClicksOnTheInputMethodTheToggleAndATrayIcon) {
    tray = {Icon(L"C:\\Apps\\A.exe", L"A")};
    Apply();
    bool collapsed = false;
    bar.callbacks.onTrayCollapsedChanged = [&](bool value) { collapsed = value; };
    Click(kTopBarTrayIconBase);
    const std::vector<uint32_t> before = Ink();
    status.inputIndicator = L"英";
    Click(kTopBarInputMethod);
    EXPECT_EQ(bar.status.inputIndicator, L"英");
    EXPECT_NE(Ink(), before) << "the box shows the new mode at once";
    bar.ShowNotificationCenter();
    Click(kTopBarTrayToggle);
    EXPECT_TRUE(collapsed);
    EXPECT_TRUE(bar.config.topBarTrayCollapsed);
    EXPECT_FALSE(bar.center.CenterVisible()) << "the toggle closes the center";
    EXPECT_EQ(done, (std::vector<std::wstring>{L"tray activate C:\\Apps\\A.exe", L"toggle input mode"}));
    EXPECT_TRUE(shown.empty());
}

TEST_F(TopBarInputTest, TheWheelStepsTheVolumeOverTheSpeakerOnly) {
    status.volume = 0.98f;
    status.volumeAvailable = true;
    Apply();
    int workers = 0;
    bar.system.startWorker = [&](std::function<void()>) { ++workers; };
    bar.busyFlag->store(false);
    auto wheel = [&](int32_t id, short delta) {
        POINT at = ItemPixel(id);
        ClientToScreen(bar.Window(), &at);
        return Send(WM_MOUSEWHEEL, at, MAKEWPARAM(0, static_cast<WORD>(delta)));
    };
    wheel(kTopBarClock, WHEEL_DELTA);
    EXPECT_TRUE(volumeSteps.empty());
    EXPECT_EQ(workers, 0);
    EXPECT_FLOAT_EQ(bar.status.volume, 0.98f);
    EXPECT_EQ(wheel(kTopBarSound, WHEEL_DELTA), 0);
    EXPECT_EQ(volumeSteps, std::vector<float>{0.04f});
    EXPECT_FLOAT_EQ(bar.status.volume, 1.0f) << "shown at once, clamped";
    EXPECT_EQ(workers, 1) << "and a full status is asked for";
    bar.busyFlag->store(false);
    wheel(kTopBarSound, -WHEEL_DELTA);
    EXPECT_EQ(volumeSteps.back(), -0.04f);
    EXPECT_FLOAT_EQ(bar.status.volume, 0.96f);
}

TEST_F(TopBarInputTest, HoverRedrawsOncePerItemChangeAndLeaveClearsIt) {
    Apply();
    const int cy = bar.surfaceHeight / 2;
    auto highlightAt = [&](int32_t id) {
        return static_cast<int>(raster::AlphaOf(bar.surface.Pixels().At(static_cast<int>(Item(id)->left) + 3, cy)));
    };
    auto blank = [&] { bar.surface.SetPixels(raster::Image(bar.surfaceWidth, bar.surfaceHeight)); };
    Send(WM_MOUSEMOVE, ItemPixel(kTopBarSound));
    EXPECT_EQ(bar.hoveredItemId, kTopBarSound);
    EXPECT_TRUE(bar.trackingMouse);
    EXPECT_GT(highlightAt(kTopBarSound), 30);
    blank();
    Send(WM_MOUSEMOVE, {ItemPixel(kTopBarSound).x + 2, 12});
    EXPECT_EQ(highlightAt(kTopBarSound), 0) << "the same item draws nothing again";
    Send(WM_MOUSEMOVE, ItemPixel(kTopBarNetwork));
    EXPECT_EQ(bar.hoveredItemId, kTopBarNetwork);
    EXPECT_GT(highlightAt(kTopBarNetwork), 30);
    EXPECT_EQ(highlightAt(kTopBarSound), 0);
    SendMessageW(bar.Window(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(bar.hoveredItemId, 0);
    EXPECT_FALSE(bar.trackingMouse);
    EXPECT_EQ(highlightAt(kTopBarNetwork), 0);
}

TEST_F(TopBarInputTest, AThrowingActionIsLoggedAndTheNextClickWorks) {
    Apply();
    StartLog();
    bar.actions.shellOpen = [](const std::wstring&, const std::wstring&) {
        throw std::runtime_error("the shell is gone");
    };
    Choose(kTopBarLogo, kBarAbout);
    EXPECT_NE(ReadLog().find("TopBarWindow::HandleMessage std::exception: the shell is gone"), std::string::npos);
    EXPECT_EQ(bar.activeItemId, 0);
    int settings = 0;
    bar.callbacks.onOpenSettings = [&] { ++settings; };
    Choose(kTopBarLogo, kBarSettings);
    EXPECT_EQ(settings, 1);
}

TEST_F(TopBarInputTest, AppBarNotifications) {
    Apply();
    HWND window = bar.Window();
    auto queries = [&] { return std::count_if(calls.begin(), calls.end(), [](auto& c) { return c.message == ABM_QUERYPOS; }); };
    const auto before = queries();
    SendMessageW(window, WM_TOPBAR_APPBAR_NOTIFY, ABN_POSCHANGED, 0);
    EXPECT_EQ(queries(), before + 1) << "placed again";

    // The center and the banners never show together: one round each.
    bar.ShowNotificationCenter();
    SendMessageW(window, WM_TOPBAR_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(bar.center.CenterVisible());
    bar.SetHiddenForFullscreen(false);
    EXPECT_FALSE(IsWindowVisible(window)) << "the dock's poll, which finds nothing, does not show it over the shell's word";
    SendMessageW(window, WM_TOPBAR_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 0);
    NotificationItem item;
    item.id = 1;
    item.title = L"x";
    bar.center.ShowBanners({item}, nullptr, bar.config, 1.0f);
    ASSERT_TRUE(bar.center.BannersVisible());
    bar.popover.Show(PopoverKind::Sound, nullptr, {0, 0}, config, 1.0f);
    SendMessageW(window, WM_TOPBAR_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(bar.popover.visible);
    EXPECT_FALSE(bar.center.BannersVisible());
    const size_t count = calls.size();
    for (WPARAM other : {WPARAM{0}, WPARAM{3}}) SendMessageW(window, WM_TOPBAR_APPBAR_NOTIFY, other, 0);
    EXPECT_FALSE(IsWindowVisible(window)) << "other notifications do nothing";
    EXPECT_EQ(calls.size(), count);
    SendMessageW(window, WM_TOPBAR_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 0);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(TopBarInputTest, ABarShutDownInsideTheMenuDoesNothingAfterIt) {
    Apply();
    int quits = 0;
    bar.callbacks.onQuit = [&] { ++quits; };
    answer = [&](const std::vector<MacMenuItem>&) {
        bar.Shutdown();
        return static_cast<int>(kBarQuit);
    };
    Click(kTopBarLogo);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(popupsClosed, 0);
    EXPECT_FALSE(IsWindow(bar.Window()));
}

TEST_F(TopBarInputTest, StatusItemsOpenAndCloseTheirPanels) {
    Apply();
    Click(kTopBarClock);
    ASSERT_TRUE(bar.popover.visible);
    EXPECT_EQ(bar.popover.kind, PopoverKind::Calendar);
    EXPECT_EQ(bar.activeItemId, kTopBarClock);
    EXPECT_TRUE(IsWindowVisible(bar.popover.window));
    Click(kTopBarClock);
    EXPECT_FALSE(bar.popover.visible) << "a second click closes it";
    EXPECT_EQ(bar.activeItemId, 0);
    EXPECT_EQ(popupsClosed, 1);

    Click(kTopBarSound);
    EXPECT_EQ(bar.popover.kind, PopoverKind::Sound);
    Click(kTopBarClock);
    EXPECT_TRUE(bar.popover.visible);
    EXPECT_EQ(bar.popover.kind, PopoverKind::Calendar) << "switched in place";
    EXPECT_EQ(bar.activeItemId, kTopBarClock);
    EXPECT_EQ(popupsClosed, 1) << "without onHidden";

    Click(kTopBarNotifications);
    EXPECT_FALSE(bar.popover.visible) << "the center replaces the panel";
    EXPECT_TRUE(bar.center.CenterVisible());
    EXPECT_EQ(bar.activeItemId, kTopBarNotifications);
    const int closedBefore = popupsClosed;
    Click(kTopBarNotifications);
    EXPECT_FALSE(bar.center.CenterVisible());
    EXPECT_EQ(bar.activeItemId, 0) << "the center's onHidden clears the item";
    EXPECT_EQ(popupsClosed, closedBefore + 1) << "and reports the closed popup";
}
