// The status refresh with recorded services: snapshot equality, the tick's
// redraw, tray and banner decisions, the one-at-a-time worker and the
// foreground application.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "notify/NotificationStore.h"
#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"
#include "render/MacMenuWindow.h"
#include "support/TestSupport.h"
#include "support/ToastDatabase.h"
#include "topbar/TopBarWindow.h"

using vantreel::SystemStatusSnapshot;

namespace {

// A bar whose services answer from plain values and whose workers wait to be run.
struct FakeBar {
    GraphicsDevice graphics;
    CompositionHost host;
    MacMenuWindow menu;
    TopBarWindow bar;
    SystemStatusSnapshot fast;   // the clock and indicator a fast collection renews
    SystemStatusSnapshot full;   // what a full collection returns
    std::vector<TrayIconInfo> tray;
    vantreel::ForegroundAppInfo app;
    std::wstring indicator = L"中";
    std::vector<std::function<void()>> workers;
    int layouts = 0;

    FakeBar() {
        fast.clockText = L"12月9日 周二  07:12";
        full = fast;
        bar.system.collectStatus = [this](bool isFull, const SystemStatusSnapshot* previous, HWND) {
            if (isFull || !previous) return full;
            SystemStatusSnapshot renewed = *previous;
            renewed.clockText = fast.clockText;
            renewed.inputIndicator = fast.inputIndicator;
            return renewed;
        };
        bar.system.trayIcons = [this] { return tray; };
        bar.system.foregroundApp = [this](const vantreel::ForegroundAppInfo*) { return app; };
        bar.system.inputIndicator = [this](HWND) { return indicator; };
        bar.system.startWorker = [this](std::function<void()> body) { workers.push_back(std::move(body)); };
        bar.system.startTrayMonitor = [] {};
        // A store that never opens: nothing changes in it.
        bar.store.openAttempted = true;
        bar.Initialize(nullptr, graphics, host, menu, {});
        RunWorkers();
        bar.ConsumeAsyncStatus();
    }

    void RunWorkers() {
        auto pending = std::move(workers);
        workers.clear();
        for (auto& body : pending) body();
    }
};

TrayIconInfo Icon(const std::wstring& key, uint32_t pid) {
    TrayIconInfo icon;
    icon.key = key;
    icon.displayName = key;
    icon.exePath = L"c:\\" + key + L".exe";
    icon.pid = pid;
    return icon;
}

// Points the bar's store at a database that another store has opened.
void ShareOpenStore(NotificationStore& into, const NotificationStore& opened) {
    into.openAttempted = true;
    into.available = opened.available;
    into.sqlite = opened.sqlite;
    into.databasePath = opened.databasePath;
    into.databasePathUtf8 = opened.databasePathUtf8;
    into.walPath = opened.walPath;
}

}  // namespace

TEST(TopBarStatus, SnapshotsCompareVolumeInWholePercent) {
    SystemStatusSnapshot a, b;
    a.volume = 0.5f;
    b.volume = 0.504f;
    EXPECT_TRUE(a == b);
    b.volume = 0.506f;
    EXPECT_FALSE(a == b);
    b = a;
    b.batteryLifeSeconds = 10;
    EXPECT_FALSE(a == b);
    b = a;
    b.clockText = L"x";
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(IsLayoutRelevantChange(b, a)) << "the clock's length changed";
    b = a;
    b.wifiConnected = true;
    EXPECT_FALSE(IsLayoutRelevantChange(b, a)) << "a glyph change only repaints";
    b = a;
    b.bluetoothOn = b.bluetoothStale = true;  // a radio service that has not answered: none known, or its last "on"
    EXPECT_TRUE(!(a == b) && !BluetoothGlyphLit(b) && IsLayoutRelevantChange(b, a)) << "shown unlit, not as no radio";
}

TEST(TopBarStatus, TrayChangesThatCountAndThoseThatDoNot) {
    FakeBar f;
    f.tray = {Icon(L"a", 1), Icon(L"b", 2)};
    f.bar.StatusTick();
    ASSERT_EQ(f.bar.shownTrayIcons.size(), 2u);

    f.tray[0].exePath = L"d:\\elsewhere.exe";
    f.bar.StatusTick();
    EXPECT_EQ(f.bar.trayIcons[0].exePath, L"c:\\a.exe") << "an executable path alone is not picked up";

    std::swap(f.tray[0], f.tray[1]);
    f.bar.StatusTick();
    ASSERT_EQ(f.bar.shownTrayIcons.size(), 2u);
    EXPECT_EQ(f.bar.shownTrayIcons[0].key, L"b") << "a new order rebuilds the shown icons";

    f.bar.config.hiddenTrayApps = {L"a"};
    f.bar.RebuildTrayItems();
    ASSERT_EQ(f.bar.shownTrayIcons.size(), 1u);
    EXPECT_EQ(f.bar.shownTrayIcons[0].key, L"b");
}

TEST(TopBarStatus, WorkerRunsOneAtATimeAndNeverBringsBackAnOlderClock) {
    FakeBar f;
    f.bar.RefreshStatusAsync();
    f.bar.RefreshStatusAsync();
    EXPECT_EQ(f.workers.size(), 1u) << "a request while one runs is dropped";
    f.full.volume = 0.9f;
    f.full.clockText = L"worker clock";
    f.fast.clockText = L"12月9日 周二  07:13";
    f.bar.StatusTick();  // the tick renews the clock first
    f.RunWorkers();
    EXPECT_FALSE(f.bar.busyFlag->load());
    f.bar.ConsumeAsyncStatus();
    EXPECT_FLOAT_EQ(f.bar.status.volume, 0.9f);
    EXPECT_EQ(f.bar.status.clockText, L"12月9日 周二  07:13");

    for (int i = 0; i < 2; ++i) f.bar.StatusTick();
    EXPECT_EQ(f.workers.size(), 1u) << "every third tick starts a worker";
    f.RunWorkers();

    // A starter that cannot make a thread: the error goes on, the flag is cleared.
    f.bar.system.startWorker = [](std::function<void()>) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    EXPECT_THROW(f.bar.RefreshStatusAsync(), std::system_error);
    EXPECT_FALSE(f.bar.busyFlag->load());
    f.bar.system.startWorker = [&](std::function<void()> body) { f.workers.push_back(std::move(body)); };
    f.bar.RefreshStatusAsync();
    EXPECT_EQ(f.workers.size(), 1u) << "the next request starts a worker";
    f.RunWorkers();

    // A collection that throws keeps the previous values.
    f.bar.system.collectStatus = [](bool, const SystemStatusSnapshot*, HWND) -> SystemStatusSnapshot {
        throw std::runtime_error("service");
    };
    f.bar.RefreshStatusAsync();
    f.RunWorkers();
    f.bar.ConsumeAsyncStatus();
    EXPECT_FLOAT_EQ(f.bar.status.volume, 0.9f);
}

TEST(TopBarStatus, PopoverChangesLeaveTheFullStatusToTheWorker) {
    FakeBar f;
    int full = 0;
    f.bar.system.collectStatus = [&](bool isFull, const SystemStatusSnapshot*, HWND) {
        full += isFull;
        return f.full;
    };
    for (int step = 0; step < 5; ++step) f.bar.OnPopoverStatusChanged();  // a volume drag
    EXPECT_EQ(full, 0);
    EXPECT_EQ(f.workers.size(), 1u);
    f.RunWorkers();
    f.bar.HandleMessage(WM_TOPBAR_STATUS_READY, 0, 0);
    EXPECT_EQ(f.workers.size(), 1u) << "asked once more: the first worker may have read before the last step";
    f.RunWorkers();
    f.bar.HandleMessage(WM_TOPBAR_STATUS_READY, 0, 0);
    EXPECT_TRUE(f.workers.empty());
    EXPECT_EQ(full, 2);
}

TEST(TopBarStatus, ActiveAppChangesRelayoutOnlyWhenTheNameOrIndicatorChanges) {
    FakeBar f;
    f.bar.window = GetDesktopWindow();  // any live window: the bar only checks it is there
    f.app.hwnd = reinterpret_cast<HWND>(0x10);
    f.app.displayName = L"记事本";
    f.bar.RefreshActiveApp();
    ASSERT_EQ(f.bar.items.size(), 11u);
    EXPECT_EQ(f.bar.items[1].label, L"记事本");

    f.bar.items.clear();
    f.app.hwnd = reinterpret_cast<HWND>(0x20);
    f.bar.RefreshActiveApp();
    EXPECT_EQ(f.bar.foreground.hwnd, reinterpret_cast<HWND>(0x20)) << "the new window is stored";
    EXPECT_TRUE(f.bar.items.empty()) << "without a relayout";

    f.indicator = L"英";
    f.bar.RefreshActiveApp();
    EXPECT_EQ(f.bar.status.inputIndicator, L"英");
    EXPECT_FALSE(f.bar.items.empty());
    f.bar.window = nullptr;
}

TEST(TopBarStatus, NewToastsBecomeBannersOnlyWhenNothingSilencesThem) {
    testing_support::TempDir dir;
    testing_support::ToastDatabase db(dir.Path());
    ASSERT_TRUE(db.Ok()) << db.LastError();
    ASSERT_TRUE(db.AddHandler(1, "App.Id", "app:desktop", std::string("应用")));
    ASSERT_TRUE(db.AddNotification(1, 1, 132000000000000000LL, db.ToastXml({"one"})));
    NotificationStoreOps ops = DefaultNotificationStoreOps();
    ops.localAppDataFolder = [&] { return dir.Path(); };
    NotificationStore opened(ops);
    ASSERT_TRUE(opened.EnsureOpen());

    FakeBar f;
    ShareOpenStore(f.bar.store, opened);
    std::vector<NotificationItem> ignored;
    f.bar.store.Poll(ignored, true);
    // A tick asks for a read on a worker; its result comes back as a message.
    const auto tick = [&f] {
        f.bar.StatusTick();
        f.RunWorkers();
        f.bar.HandleMessage(WM_TOPBAR_NOTIFICATIONS_READY, 0, 0);
    };
    tick();
    EXPECT_TRUE(f.bar.center.Banners().empty()) << "nothing new";

    int64_t next = 2;
    auto arrive = [&] {
        ASSERT_TRUE(db.AddNotification(next, 1, 132000000000000000LL + next, db.ToastXml({"new"})));
        ++next;
        Sleep(20);
    };
    arrive();
    tick();
    EXPECT_EQ(f.bar.center.Banners().size(), 1u);
    f.bar.center.HideBanners();

    f.bar.config.doNotDisturb = true;
    arrive();
    tick();
    EXPECT_TRUE(f.bar.center.Banners().empty()) << "do-not-disturb";
    f.bar.config.doNotDisturb = false;

    f.bar.hiddenForFullscreen = true;
    arrive();
    tick();
    EXPECT_TRUE(f.bar.center.Banners().empty()) << "full screen";
    f.bar.hiddenForFullscreen = false;

    // The center opens only where it can be drawn.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(CreateGraphicsFactories(f.graphics));
    ASSERT_TRUE(f.graphics.Create());
    ASSERT_TRUE(f.host.Initialize(owner, f.graphics));
    f.bar.ShowNotificationCenter();
    EXPECT_EQ(f.bar.activeItemId, kTopBarNotifications);
    EXPECT_EQ(f.bar.store.unreadCount, 0);
    ASSERT_TRUE(f.bar.center.CenterVisible()) << "shown before the database is read";
    ASSERT_FALSE(f.workers.empty());
    const size_t listed = f.bar.center.Items().size();
    // A name of 300,000 characters is cut before the center lays it out.
    std::string longName;
    for (int i = 0; i < 300000; ++i) longName += "\xE5\x90\x8D";
    ASSERT_TRUE(db.AddHandler(2, "Long.Name_x!App", "app:immersive", longName));
    ASSERT_TRUE(db.AddNotification(next, 2, 132000000000000000LL + next, db.ToastXml({"long"})));
    f.RunWorkers();
    f.bar.HandleMessage(WM_TOPBAR_NOTIFICATIONS_READY, 0, 0);
    EXPECT_TRUE(f.bar.center.Banners().empty()) << "an open center takes them";
    EXPECT_EQ(f.bar.center.Items().size(), listed + 1);
    EXPECT_EQ(f.bar.center.Items().front().appName.back(), L'\u2026');
    EXPECT_EQ(f.bar.store.unreadCount, 0) << "marked read at once";
    EXPECT_EQ(f.bar.center.Items().size(), f.bar.store.items.size());

    int closed = 0;
    f.bar.callbacks.onPopupClosed = [&] { ++closed; };
    f.bar.center.HideCenter();
    EXPECT_EQ(f.bar.activeItemId, 0);
    EXPECT_EQ(closed, 1);

    // A left click on the bell opens the center, a second one closes it.
    f.bar.Layout();
    auto bell = std::find_if(f.bar.items.begin(), f.bar.items.end(),
                             [](const TopBarItem& item) { return item.id == kTopBarNotifications; });
    ASSERT_NE(bell, f.bar.items.end());
    const LPARAM onBell = MAKELPARAM(static_cast<int>((bell->left + bell->right) / 2 * f.bar.scale), 10);
    f.bar.HandleMessage(WM_LBUTTONUP, 0, onBell);
    EXPECT_TRUE(f.bar.center.CenterVisible());
    EXPECT_EQ(f.bar.activeItemId, kTopBarNotifications);
    f.bar.HandleMessage(WM_LBUTTONUP, 0, onBell);
    EXPECT_FALSE(f.bar.center.CenterVisible());
    EXPECT_EQ(f.bar.activeItemId, 0);
    EXPECT_EQ(closed, 2);
    f.bar.center.Shutdown();
    DestroyWindow(owner);
    CoUninitialize();
}
