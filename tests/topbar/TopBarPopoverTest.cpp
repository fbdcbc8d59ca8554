// The bar's drop-down panel as a real window under our compositor, its system
// calls answered from a recorded machine: windows and surfaces per kind,
// showing, hiding and the timers, slider drags, every kind of click and the
// control center's tiles.

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "PopoverRig.h"
#include "platform/DetachedThread.h"
#include "support/SurfacePixels.h"
#include "topbar/PopoverTexts.h"

namespace {

using Log = std::vector<std::wstring>;

// Only the entries that start with one of the prefixes.
Log Only(const Log& log, std::initializer_list<const wchar_t*> prefixes) {
    Log kept;
    for (const auto& line : log) {
        for (const wchar_t* prefix : prefixes) {
            if (line.rfind(prefix, 0) == 0) {
                kept.push_back(line);
                break;
            }
        }
    }
    return kept;
}

struct KindCase {
    PopoverKind kind;
    RECT window;  // left, top, right, bottom
    int surfaceWidth, surfaceHeight;
    Log reads;  // what opening it asks the machine
};

class PopoverTest : public PopoverRig {};

TEST_F(PopoverTest, EveryKindOpensUnderItsAnchorWithItsSizeAndReads) {
    const KindCase cases[] = {
        {PopoverKind::Sound, {1482, 22, 1814, 322}, 304, 272, {L"collectStatus", L"audioOutputDevices"}},
        {PopoverKind::Wifi, {1462, 22, 1814, 412}, 324, 362, {L"collectStatus", L"scanWifi 1"}},
        {PopoverKind::Bluetooth, {1486, 22, 1814, 226}, 300, 176, {L"collectStatus", L"bluetoothDevices"}},
        {PopoverKind::Battery, {1510, 22, 1814, 202}, 276, 152, {L"collectStatus"}},
        {PopoverKind::ControlCenter,
         {1454, 22, 1814, 404},
         332,
         354,
         {L"collectStatus", L"scanWifi 0", L"bluetoothDevices", L"desktopIconsVisible", L"displayBrightness"}},
        {PopoverKind::Calendar, {1470, 22, 1814, 462}, 316, 412, {L"collectStatus"}},
        {PopoverKind::TrayApps, {1486, 22, 1814, 226}, 300, 176, {L"collectStatus", L"trayIcons"}},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const size_t mark = Mark();
        Open(c.kind);
        EXPECT_EQ(Since(mark), c.reads);
        const RECT rect = WindowRect();
        EXPECT_EQ(rect.left, c.window.left);
        EXPECT_EQ(rect.top, c.window.top);
        EXPECT_EQ(rect.right, c.window.right);
        EXPECT_EQ(rect.bottom, c.window.bottom);
        EXPECT_TRUE(IsWindowVisible(popover.window));
        EXPECT_EQ(popover.surfaceWidth, c.surfaceWidth);
        EXPECT_EQ(popover.surfaceHeight, c.surfaceHeight);
        EXPECT_EQ(Count(L"hidden"), 0u) << "switching in place does not hide";
    }

    // At 1.5 everything is rounded pixels, the margin 21.
    popover.Hide();
    Open(PopoverKind::Sound, 1.5f, {1800, 54});
    const RECT rect = WindowRect();
    EXPECT_EQ(rect.left, 1323);
    EXPECT_EQ(rect.top, 33);
    EXPECT_EQ(rect.right - rect.left, 498);
    EXPECT_EQ(rect.bottom - rect.top, 450);
    EXPECT_EQ(popover.surfaceWidth, 456);
    EXPECT_EQ(popover.surfaceHeight, 408);

    // Near the right edge the panel stays 8 px inside the monitor.
    Open(PopoverKind::Battery, 1.0f, {1915, 36});
    EXPECT_EQ(WindowRect().right, 1912 + 14);
}

TEST_F(PopoverTest, HidingShowingTimersAndEscape) {
    Open(PopoverKind::Sound);
    popover.Show(PopoverKind::None, nullptr, {1800, 36}, config, 1.0f);
    EXPECT_FALSE(popover.visible);
    EXPECT_EQ(popover.kind, PopoverKind::None);
    EXPECT_FALSE(IsWindowVisible(popover.window));
    EXPECT_FALSE(popover.surface) << "the hidden panel keeps no pixels";
    popover.Hide();
    EXPECT_EQ(Count(L"hidden"), 1u) << "hiding a hidden panel reports nothing";

    // Timer 1 repaints the calendar only: a repaint empties the hit list.
    const HitItem marker{999, 0, 0, 1, 1, -1};
    Open(PopoverKind::Sound);
    popover.hits.push_back(marker);
    SendMessageW(popover.window, WM_TIMER, TopBarPopover::kClockTimer, 0);
    EXPECT_EQ(popover.hits.back().id, 999);
    Open(PopoverKind::Calendar);
    popover.hits.push_back(marker);
    SendMessageW(popover.window, WM_TIMER, TopBarPopover::kClockTimer, 0);
    EXPECT_TRUE(popover.hits.empty() || popover.hits.back().id != 999);

    // Hide ends timers 1, 2 and 4; the screen-off timer 3 outlives it.
    SetTimer(popover.window, TopBarPopover::kWifiTimer, 60000, nullptr);
    SetTimer(popover.window, TopBarPopover::kScreenOffTimer, 60000, nullptr);
    SetTimer(popover.window, TopBarPopover::kHotspotTimer, 60000, nullptr);
    popover.hotspotSwitching = true;
    Post(WM_KEYDOWN, 0, 0, VK_ESCAPE);
    EXPECT_FALSE(popover.visible) << "Escape hides";
    EXPECT_FALSE(popover.hotspotSwitching);
    EXPECT_FALSE(TimerRunning(TopBarPopover::kClockTimer));
    EXPECT_FALSE(TimerRunning(TopBarPopover::kWifiTimer));
    EXPECT_FALSE(TimerRunning(TopBarPopover::kHotspotTimer));
    EXPECT_TRUE(TimerRunning(TopBarPopover::kScreenOffTimer));
}

// What the window looked like the moment it was asked to show.
struct ShowingSnapshot {
    int shows = 0;
    bool framePending = true;
    bool contentHasBrush = false;
    int surfaceWidth = 0;
};
ShowingSnapshot* gShowing = nullptr;
TopBarPopover* gShowingPopover = nullptr;
WNDPROC gPopoverProc = nullptr;

LRESULT CALLBACK WatchShowing(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING && (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) &&
        !IsWindowVisible(hwnd)) {
        ++gShowing->shows;
        gShowing->framePending = gShowingPopover->host->compositor.CommitPending();
        gShowing->contentHasBrush = static_cast<bool>(gShowingPopover->content.Brush());
        gShowing->surfaceWidth = gShowingPopover->surfaceWidth;
    }
    return CallWindowProcW(gPopoverProc, hwnd, message, wParam, lParam);
}

TEST_F(PopoverTest, ReopenedPanelPresentsItsNewFrameBeforeItShows) {
    Open(PopoverKind::Sound);
    popover.Hide();
    ShowingSnapshot seen;
    gShowing = &seen;
    gShowingPopover = &popover;
    gPopoverProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(popover.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchShowing)));
    Open(PopoverKind::Battery);
    SetWindowLongPtrW(popover.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPopoverProc));
    EXPECT_EQ(seen.shows, 1);
    EXPECT_FALSE(seen.framePending) << "everything drawn was presented before the window showed";
    EXPECT_TRUE(seen.contentHasBrush);
    EXPECT_EQ(seen.surfaceWidth, 276) << "the battery's frame, not the sound panel's";
    EXPECT_TRUE(popover.root) << "one tree for the window's life";
}

TEST_F(PopoverTest, NewConfigurationResizesOnlyWhatItChanges) {
    Open(PopoverKind::ControlCenter);
    DockConfig next = config;
    next.theme = kGlassThemeLight;
    size_t mark = Mark();
    popover.UpdateConfig(next, 1.0f);
    EXPECT_TRUE(Since(mark).empty()) << "a new theme re-tints and repaints, reading nothing";
    EXPECT_FALSE(popover.glass.dark);

    next.controlCenterTiles = {L"wifi", L"lock", L"snip"};
    next.ccShowVolume = false;
    mark = Mark();
    popover.UpdateConfig(next, 1.0f);
    EXPECT_EQ(Since(mark),
              (Log{L"collectStatus", L"scanWifi 0", L"desktopIconsVisible", L"displayBrightness"}));
    EXPECT_EQ(WindowRect().bottom - WindowRect().top, 14 + 56 * 2 + 8 + 10 + 62 + 14 + 28);

    Open(PopoverKind::Calendar);
    next.showLunarCalendar = false;
    popover.UpdateConfig(next, 1.0f);
    EXPECT_EQ(WindowRect().right - WindowRect().left, 298 + 28);
    EXPECT_EQ(WindowRect().bottom - WindowRect().top, 338 + 28);

    popover.Hide();
    next.showLunarCalendar = true;
    mark = Mark();
    popover.UpdateConfig(next, 1.5f);
    EXPECT_TRUE(Since(mark).empty());
    EXPECT_FLOAT_EQ(popover.scale, 1.5f) << "kept for the next opening";
}

TEST_F(PopoverTest, DeactivationHidesOnlyAfterTheFirst120Ms) {
    HWND other = owner;
    Open(PopoverKind::Sound);
    now += 50;
    SendMessageW(popover.window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(popover.visible) << "the click that opened it may still be settling";
    now += 70;
    foreground = popover.window;
    Pump(200);
    EXPECT_TRUE(popover.visible) << "back in front when looked at again";

    now += 10;
    Open(PopoverKind::Sound);
    now += 50;
    SendMessageW(popover.window, WM_ACTIVATE, WA_INACTIVE, 0);
    foreground = other;
    now += 70;
    Pump(200);
    EXPECT_FALSE(popover.visible) << "another window is in front after 120 ms";

    Open(PopoverKind::Wifi);
    now += 500;
    popover.modalOpen = true;
    SendMessageW(popover.window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(popover.visible) << "never while the key prompt runs";
    popover.modalOpen = false;
    SendMessageW(popover.window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(popover.visible);
}

TEST_F(PopoverTest, VolumeDragSetsEveryStepAndUnmutesOnlyAboveOnePercent) {
    Open(PopoverKind::Sound);
    const HitItem* track = Hit(101);
    ASSERT_NE(track, nullptr);
    EXPECT_FLOAT_EQ(popover.volumeTrack.left, 14.0f);
    EXPECT_FLOAT_EQ(popover.volumeTrack.right, 290.0f);
    const size_t mark = Mark();
    Post(WM_LBUTTONDOWN, 83, 60);  // t 0.25
    Post(WM_MOUSEMOVE, 14, 60);    // t 0: shown muted, the endpoint is not muted
    EXPECT_TRUE(popover.muted);
    Post(WM_MOUSEMOVE, 400, 60);   // beyond the track: 1
    Post(WM_LBUTTONUP, 16, 60);    // t 0.007: above 0.005, not above 0.01
    EXPECT_FALSE(popover.muted);
    EXPECT_EQ(popover.dragSlider, 0);
    EXPECT_EQ(Only(Since(mark), {L"setVolume", L"setMute", L"statusChanged"}),
              (Log{L"setVolume 0.25", L"setMute 0", L"statusChanged", L"setVolume 0.00", L"statusChanged",
                   L"setVolume 1.00", L"setMute 0", L"statusChanged", L"setVolume 0.01", L"statusChanged"}));

    // A failed level leaves the mute alone.
    endpoint->setLevelResult = E_NOTIMPL;
    const size_t failed = Mark();
    Post(WM_LBUTTONDOWN, 152, 60);
    Post(WM_LBUTTONUP, 152, 60);
    EXPECT_EQ(Only(Since(failed), {L"setVolume", L"setMute"}), (Log{L"setVolume 0.50", L"setVolume 0.50"}));

    // A click on the track is one step; the wheel steps by 4 %.
    const size_t click = Mark();
    ClickHit(101);
    EXPECT_EQ(Only(Since(click), {L"setVolume", L"statusChanged"}), (Log{L"setVolume 0.50", L"statusChanged"}));
    const size_t wheel = Mark();
    Post(WM_MOUSEWHEEL, 150, 60, MAKEWPARAM(0, WHEEL_DELTA));
    Post(WM_MOUSEWHEEL, 150, 60, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    EXPECT_EQ(Only(Since(wheel), {L"adjust", L"collectStatus", L"statusChanged"}),
              (Log{L"adjustVolumeBy +0.04", L"collectStatus", L"statusChanged", L"adjustVolumeBy -0.04",
                   L"collectStatus", L"statusChanged"}));
}

TEST_F(PopoverTest, SlowReadsFillThePanelInWhenTheyAnswer) {
    HANDLE radio = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    popover.services.startWorker = [](std::function<void()> body) { platform::StartDetachedThread(std::move(body)); };
    popover.services.collectStatus = [] { return vantreel::SystemStatusSnapshot{}; };
    popover.services.bluetoothDevices = [this, radio] {
        WaitForSingleObject(radio, 10000);
        return machine.bluetooth;
    };
    Open(PopoverKind::Bluetooth);
    EXPECT_TRUE(popover.bluetooth.devices.empty()) << "shown while the radio has not answered";
    const int32_t before = popover.surfaceHeight;
    SetEvent(radio);
    for (int i = 0; i < 400 && popover.bluetooth.devices.empty(); ++i) Pump(10);
    EXPECT_EQ(popover.bluetooth.devices.size(), 2u);
    EXPECT_EQ(popover.surfaceHeight, before + 34) << "resized for its second row";

    // An answer that comes once the panel has closed counts for its kind.
    ResetEvent(radio);
    popover.services.audioOutputDevices = [this, radio] {
        WaitForSingleObject(radio, 10000);
        return machine.outputs;
    };
    Open(PopoverKind::Sound);
    popover.Hide();
    SetEvent(radio);
    for (int i = 0; i < 400 && popover.audioDevices.empty(); ++i) Pump(10);
    EXPECT_TRUE((popover.answeredKinds >> static_cast<int>(PopoverKind::Sound)) & 1u)
        << "its next opening does not wait for its reads again";
    CloseHandle(radio);
}

TEST_F(PopoverTest, BrightnessDragWritesAtMostEvery50MsAndAlwaysOnRelease) {
    Open(PopoverKind::ControlCenter);
    const HitItem* track = Hit(507);
    ASSERT_NE(track, nullptr);
    const float left = popover.brightnessTrack.left;
    const float span = popover.brightnessTrack.right - left;
    const float y = (track->top + track->bottom) / 2;
    const size_t mark = Mark();
    Post(WM_LBUTTONDOWN, left + span * 0.5f, y);
    now += 20;
    Post(WM_MOUSEMOVE, left + span * 0.6f, y);
    now += 40;
    Post(WM_MOUSEMOVE, left + span * 0.8f, y);
    now += 10;
    Post(WM_LBUTTONUP, left + span * 0.9f, y);
    EXPECT_EQ(Only(Since(mark), {L"setDisplayBrightness"}),
              (Log{L"setDisplayBrightness 50", L"setDisplayBrightness 80", L"setDisplayBrightness 90"}));
    EXPECT_EQ(popover.brightness.percent, 90);
    EXPECT_EQ(GetCapture(), nullptr);
    // A click on the track is a press and a release there.
    now += 100;
    const size_t click = Mark();
    ClickHit(507);
    EXPECT_EQ(Only(Since(click), {L"setDisplayBrightness"}),
              (Log{L"setDisplayBrightness 50", L"setDisplayBrightness 50"}));

    // A display that stopped answering DDC: pressing where the track was does nothing.
    popover.brightness.supported = false;
    const size_t unsupported = Mark();
    Post(WM_LBUTTONDOWN, left + span * 0.2f, y);
    EXPECT_EQ(popover.dragSlider, 0);
    Post(WM_LBUTTONUP, left + span * 0.2f, y);
    EXPECT_TRUE(Only(Since(unsupported), {L"setDisplayBrightness"}).empty());
    EXPECT_EQ(popover.brightness.percent, 50);

    // A release inside with no hit does nothing; one on the shadow margin hides.
    const size_t inside = Mark();
    Post(WM_LBUTTONUP, 2, 2);
    EXPECT_TRUE(popover.visible);
    EXPECT_TRUE(Since(inside).empty());
    Post(WM_LBUTTONUP, -7, 40);
    EXPECT_FALSE(popover.visible);
}

TEST_F(PopoverTest, SoundBluetoothBatteryAndCalendarClicks) {
    Open(PopoverKind::Sound);
    size_t mark = Mark();
    ClickHit(102);
    EXPECT_EQ(Only(Since(mark), {L"setMute", L"collectStatus", L"statusChanged"}),
              (Log{L"setMute 1", L"collectStatus", L"statusChanged"}));
    mark = Mark();
    ClickHit(103, 1);
    EXPECT_EQ(Since(mark), (Log{L"setDefaultEndpoint {0.0.0.00000000}.{bb}", L"collectStatus", L"audioOutputDevices",
                                L"statusChanged"}));
    machine.outputs.clear();
    popover.audioDevices.clear();
    mark = Mark();
    popover.OnClick(HitItem{103, 14, 118, 290, 148, 1}, 100, 130);
    EXPECT_TRUE(Since(mark).empty()) << "a stale row does nothing";
    mark = Mark();
    ClickHit(104);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"open ms-settings:sound"})) << "hidden first, then opened";

    Open(PopoverKind::Bluetooth);
    mark = Mark();
    ClickHit(301);
    EXPECT_EQ(Since(mark), (Log{L"setRadioState 3 0", L"collectStatus", L"bluetoothDevices", L"statusChanged"}));
    ClickHit(302);
    Open(PopoverKind::Battery);
    ClickHit(401);
    EXPECT_EQ(Only(log, {L"open"}),
              (Log{L"open ms-settings:sound", L"open ms-settings:bluetooth", L"open ms-settings:powersleep"}));

    today = {2026, 1, 4, 15, 8, 0, 0, 0};
    Open(PopoverKind::Calendar);
    ClickHit(601);
    EXPECT_EQ(std::make_pair(popover.calendarYear, popover.calendarMonth), std::make_pair(2025, 12));
    ClickHit(603);
    ClickHit(603);
    EXPECT_EQ(std::make_pair(popover.calendarYear, popover.calendarMonth), std::make_pair(2026, 2));
    ClickHit(602);
    EXPECT_EQ(std::make_pair(popover.calendarYear, popover.calendarMonth), std::make_pair(2026, 1));
    popover.calendarMonth = 12;
    ClickHit(603);
    EXPECT_EQ(std::make_pair(popover.calendarYear, popover.calendarMonth), std::make_pair(2027, 1));
    mark = Mark();
    ClickHit(605);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"open ms-settings:dateandtime"}));

    // Without the owner's callback the system's own pane opens.
    Open(PopoverKind::Calendar);
    mark = Mark();
    ClickHit(604);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"winKey N"}));
    popover.callbacks.onOpenNotificationCenter = [this] { log.push_back(L"openCenter"); };
    Open(PopoverKind::Calendar);
    mark = Mark();
    ClickHit(604);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"openCenter"}));
}

TEST_F(PopoverTest, WifiSwitchScanAndNetworks) {
    Open(PopoverKind::Wifi);
    const RECT opened = WindowRect();
    size_t mark = Mark();
    ClickHit(202);
    EXPECT_EQ(Since(mark), (Log{L"collectStatus", L"scanWifi 1"}));
    EXPECT_EQ(popover.statusLine, L"正在扫描附近无线网络...");
    EXPECT_EQ(WindowRect().bottom, opened.bottom) << "the scan does not resize";
    mark = Mark();
    Pump(1700);
    EXPECT_EQ(Since(mark), (Log{L"collectStatus", L"scanWifi 0", L"statusChanged"})) << "timer 2 at 1500 ms";
    EXPECT_TRUE(popover.statusLine.empty());

    // Nine networks: the wheel scrolls to at most the third.
    for (int i = 0; i < 4; ++i) Post(WM_MOUSEWHEEL, 100, 100, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    EXPECT_EQ(popover.wifiScroll, 2);
    Post(WM_MOUSEWHEEL, 100, 100, MAKEWPARAM(0, WHEEL_DELTA));
    EXPECT_EQ(popover.wifiScroll, 1);
    popover.wifiScroll = 0;
    popover.Redraw();

    mark = Mark();
    ClickHit(203, 0);  // Cafe, connected
    EXPECT_EQ(Since(mark), (Log{L"disconnectWifi", L"collectStatus", L"scanWifi 0", L"statusChanged"}));
    EXPECT_EQ(popover.statusLine, L"已断开「Cafe」");
    EXPECT_TRUE(TimerRunning(TopBarPopover::kWifiTimer));

    mark = Mark();
    ClickHit(203, 3);  // Guest, open
    EXPECT_EQ(Since(mark), (Log{L"connectWifi Guest []", L"statusChanged"}));
    EXPECT_EQ(popover.statusLine, L"正在连接「Guest」...");
    machine.connectStarts = false;
    ClickHit(203, 3);
    EXPECT_EQ(popover.statusLine, L"无法连接「Guest」") << "a refused connection says so";

    machine.promptAnswer = L"secret";
    mark = Mark();
    ClickHit(203, 2);  // Office, secured without a profile
    EXPECT_EQ(Since(mark), (Log{L"prompt Office", L"connectWifi Office [secret]", L"statusChanged"}));
    EXPECT_FALSE(popover.modalOpen);
    EXPECT_TRUE(TimerRunning(TopBarPopover::kWifiTimer));

    // Cancelled, or confirmed empty: nothing is connected, no line, no timer.
    for (std::optional<std::wstring> answer : {std::optional<std::wstring>(), std::optional<std::wstring>(L"")}) {
        machine.promptAnswer = answer;
        popover.statusLine.clear();
        mark = Mark();
        ClickHit(203, 2);
        EXPECT_EQ(Since(mark), (Log{L"prompt Office"}));
        EXPECT_TRUE(popover.statusLine.empty());
        EXPECT_FALSE(TimerRunning(TopBarPopover::kWifiTimer));
    }

    // A click that arrives while the prompt runs does nothing.
    const HitItem lab = *Hit(203, 4);
    popover.services.promptWifiPassword = [&](HINSTANCE, HWND, const std::wstring& ssid, float) {
        log.push_back(L"prompt " + ssid);
        SendMessageW(popover.window, WM_LBUTTONUP, 0,
                     MAKELPARAM(static_cast<int>(lab.left + 34), static_cast<int>(lab.top + 30)));
        return std::optional<std::wstring>(L"pw");
    };
    mark = Mark();
    ClickHit(203, 2);
    EXPECT_EQ(Since(mark), (Log{L"prompt Office", L"connectWifi Office [pw]", L"statusChanged"}));

    // Switching off and on.
    mark = Mark();
    ClickHit(201);
    EXPECT_EQ(Since(mark), (Log{L"setWifiEnabled 0", L"collectStatus", L"scanWifi 0", L"statusChanged"}));
    EXPECT_EQ(popover.statusLine, L"已关闭 Wi-Fi");
    EXPECT_EQ(WindowRect().bottom, opened.bottom + 24) << "the status line takes a row";
    machine.wifi.radioOn = false;
    machine.wifi.networks.clear();
    popover.RefreshData(false);
    popover.Redraw();
    mark = Mark();
    ClickHit(204);
    EXPECT_EQ(Since(mark), (Log{L"setWifiEnabled 1", L"collectStatus", L"scanWifi 1", L"statusChanged"}));
    EXPECT_EQ(popover.statusLine, L"正在开启 Wi-Fi...");
    mark = Mark();
    ClickHit(205);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"open ms-settings:network-wifi"}));
}

TEST_F(PopoverTest, TrayAppsOpenCloseAndHide) {
    machine.tray.insert(machine.tray.begin() + 1, machine.tray[0]);
    machine.tray[1].key = L"C:\\APPS\\CHAT.EXE";
    machine.tray.push_back(machine.tray[0]);
    machine.tray.back().key = L"c:/apps/chat.exe";
    Open(PopoverKind::TrayApps);
    ASSERT_EQ(popover.trayApps.size(), 5u);

    size_t mark = Mark();
    ClickHit(703, 2);
    EXPECT_EQ(popover.config.hiddenTrayApps, (std::vector<std::wstring>{L"c:\\apps\\sync.exe"}));
    ClickHit(703, 2);
    EXPECT_TRUE(popover.config.hiddenTrayApps.empty()) << "a second click shows it again";
    EXPECT_EQ(Since(mark), (Log{L"hiddenTrayAppToggled c:\\apps\\sync.exe", L"hiddenTrayAppToggled c:\\apps\\sync.exe"}));

    mark = Mark();
    ClickHit(702, 1);
    EXPECT_EQ(Since(mark), (Log{L"forgetTrayIcon c:\\apps\\chat.exe", L"closeTrayApp Chat", L"statusChanged"}));
    ASSERT_EQ(popover.trayApps.size(), 2u) << "every row of the application goes";
    EXPECT_EQ(popover.trayApps[0].displayName, L"Sync");
    EXPECT_EQ(popover.trayApps[1].displayName, L"Music");
    EXPECT_EQ(WindowRect().bottom - WindowRect().top, 68 + 72 + 28) << "and the panel shrinks";

    mark = Mark();
    ClickHit(701, 1);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"activate Music"}));
}

TEST_F(PopoverTest, ReopenedBatteryAndTrayAppsShowNoEarlierStateAndActOnNoDepartedApp) {
    machine.status.acOnline = true;  // what the first openings read: charging, three applications
    Open(PopoverKind::Battery);
    Open(PopoverKind::TrayApps);
    std::function<void()> lateReads;  // reopened, the reads come late: when the test runs them
    popover.services.startWorker = [&](std::function<void()> body) { lateReads = std::move(body); };
    Open(PopoverKind::Battery);
    EXPECT_LT(SurfacePixel(popover.surface, 20, 55).g, 100) << "no green bar of the charging read before";
    Open(PopoverKind::TrayApps);
    EXPECT_EQ(std::ranges::count_if(popover.hits, [](const HitItem& h) { return h.id > 700; }), 0) << "no rows read before";
    lateReads();
    Pump();
    machine.trayQuit = {L"c:\\apps\\chat.exe"};  // Chat quits while its row shows, before the monitor notices
    for (const int32_t id : {703, 702, 701}) ClickHit(id, 0);
    EXPECT_EQ(Only(log, {L"hid", L"forget", L"close", L"activate"}), Log{}) << "its row does nothing";
}

class ControlCenterTest : public PopoverRig {
protected:
    void OpenTiles(std::vector<std::wstring> tiles) {
        config.controlCenterTiles = std::move(tiles);
        Open(PopoverKind::ControlCenter);
    }
};

TEST_F(ControlCenterTest, SwitchesAndSettingsTiles) {
    OpenTiles({L"wifi", L"bluetooth", L"keep_awake", L"desktop_icons", L"theme_mode", L"snip"});
    size_t mark = Mark();
    ClickHit(501, 0);
    EXPECT_EQ(Only(Since(mark), {L"set", L"scanWifi", L"statusChanged"}),
              (Log{L"setWifiEnabled 0", L"scanWifi 0", L"statusChanged"}));
    EXPECT_TRUE(TimerRunning(TopBarPopover::kWifiTimer));
    mark = Mark();
    ClickHit(501, 1);
    EXPECT_EQ(Only(Since(mark), {L"set", L"bluetooth", L"statusChanged"}),
              (Log{L"setRadioState 3 0", L"bluetoothDevices", L"statusChanged"}));
    ClickHit(501, 2);
    EXPECT_TRUE(popover.keepAwake);
    mark = Mark();
    ClickHit(501, 3);
    EXPECT_EQ(Since(mark), (Log{L"findDesktopView", L"toggleDesktopIcons", L"desktopIconsVisible"}));
    EXPECT_FALSE(popover.desktopIconsVisible);
    mark = Mark();
    ClickHit(501, 4);
    EXPECT_EQ(Since(mark), (Log{L"themeChange 2"})) << "dark glass asks for the light theme";
    mark = Mark();
    ClickHit(501, 5);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"open ms-screenclip:"}));

    OpenTiles({L"lock", L"project", L"bogus"});
    popover.OnClick(HitItem{501, 0, 0, 1, 1, 2}, 0, 0);
    popover.OnClick(HitItem{501, 0, 0, 1, 1, 7}, 0, 0);
    EXPECT_TRUE(popover.visible) << "an unknown key or index does nothing";
    mark = Mark();
    ClickHit(501, 0);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"lockWorkStation"}));
    OpenTiles({L"lock", L"project"});
    mark = Mark();
    ClickHit(501, 1);
    EXPECT_EQ(Since(mark), (Log{L"hidden", L"open DisplaySwitch.exe"}));
}

TEST_F(ControlCenterTest, AReopeningShowsNoEarlierStateAndActsOnNoneUntilItsAnswer) {
    OpenTiles({L"wifi", L"bluetooth"});
    popover.Hide();
    machine.wifi.radioOn = machine.wifi.connected = false;  // switched off elsewhere; the reads come late
    HANDLE answer = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    popover.services.startWorker = [](std::function<void()> body) { platform::StartDetachedThread(std::move(body)); };
    popover.services.collectStatus = [this, answer] {
        WaitForSingleObject(answer, 10000);
        return machine.status;
    };
    Open(PopoverKind::ControlCenter);
    for (const wchar_t* tile : {L"wifi", L"bluetooth"}) {
        EXPECT_EQ(ControlCenterTileFaceFor(tile, popover.TileState()).status, kPopoverBeingRead) << tile;
        EXPECT_FALSE(ControlCenterTileFaceFor(tile, popover.TileState()).active) << tile;
    }
    EXPECT_TRUE(std::none_of(popover.hits.begin(), popover.hits.end(),
                             [](const HitItem& hit) { return hit.id == 101 || hit.id == 507; }))
        << "no slider to drag from a level not read";
    ClickHit(501, 0);
    EXPECT_EQ(Count(L"setWifiEnabled 0"), 0u) << "off already: the tile showed no state to switch from";
    SetEvent(answer);
    for (int i = 0; i < 400 && popover.awaitingAnswer; ++i) Pump(10);
    EXPECT_EQ(ControlCenterTileFaceFor(L"wifi", popover.TileState()).status, L"已关闭");
    CloseHandle(answer);
}

TEST_F(ControlCenterTest, ARadioOrHotspotWhoseServiceDidNotAnswerIsUnknownAndLeftAlone) {
    machine.wifi.radioStale = machine.bluetooth.radioStale = true;  // their last answers: on
    machine.hotspot = {false, false, 0, true};                       // none since the start
    OpenTiles({L"wifi", L"bluetooth", L"hotspot"});
    for (const wchar_t* tile : {L"wifi", L"bluetooth", L"hotspot"}) {
        EXPECT_EQ(ControlCenterTileFaceFor(tile, popover.TileState()).status, kPopoverBeingRead) << "not 已开启, not 不可用";
    }
    for (int32_t i = 0; i < 3; ++i) ClickHit(501, i);
    EXPECT_EQ(Only(log, {L"set"}), Log{}) << "no switch to the opposite of an unknown state";
    for (const PopoverKind kind : {PopoverKind::Wifi, PopoverKind::Bluetooth}) {
        Open(kind);
        EXPECT_TRUE(std::ranges::all_of(popover.hits, [](const HitItem& h) { return h.id == 205 || h.id == 302; }));
    }
}

TEST_F(ControlCenterTest, PowerModeStepsToTheNextScheme) {
    OpenTiles({L"power_mode"});
    size_t mark = Mark();
    ClickHit(501, 0);
    EXPECT_EQ(Since(mark), (Log{L"powerSchemes", L"setActivePowerScheme 3", L"powerSchemeSummary"}));

    machine.schemes[1].active = false;
    mark = Mark();
    ClickHit(501, 0);
    EXPECT_EQ(Since(mark), (Log{L"powerSchemes", L"setActivePowerScheme 2", L"powerSchemeSummary"}))
        << "none active: the second";

    machine.schemes.resize(1);
    mark = Mark();
    ClickHit(501, 0);
    EXPECT_EQ(Since(mark), (Log{L"powerSchemes", L"powerSchemeSummary"})) << "one scheme: only read again";
}

TEST_F(ControlCenterTest, HotspotSwitchesOnItsOwnThread) {
    std::atomic<int> switches{0};
    auto token = std::make_shared<int>(0);
    popover.services.setHotspotEnabled = [this, &switches, token](bool on) {
        machine.hotspot = machine.hotspotAfterSwitch;
        ++switches;
        return on;
    };
    const long baseline = token.use_count();
    OpenTiles({L"hotspot", L"screen_off"});
    EXPECT_EQ(Count(L"hotspotStatus"), 1u);
    ClickHit(501, 0);
    EXPECT_TRUE(popover.hotspotSwitching);
    EXPECT_TRUE(popover.hotspotTarget);
    ClickHit(501, 0);
    for (int i = 0; i < 200 && switches.load() == 0; ++i) Sleep(5);
    Pump(1900);
    EXPECT_EQ(switches.load(), 1) << "a second click while switching is ignored";
    EXPECT_FALSE(popover.hotspotSwitching) << "timer 4 ends the switch";
    EXPECT_EQ(Count(L"hotspotStatus"), 2u);
    EXPECT_TRUE(popover.hotspot.on);
    EXPECT_EQ(popover.hotspot.clientCount, 3u);
    EXPECT_EQ(token.use_count(), baseline) << "the thread freed what it was given";

    // A switch that throws on its thread leaves the process running.
    std::atomic<bool> thrown{false};
    popover.services.setHotspotEnabled = [&thrown, token](bool) -> bool {
        thrown = true;
        throw std::runtime_error("tethering failed");
    };
    const long withThrower = token.use_count();
    ClickHit(501, 0);
    for (int i = 0; i < 200 && !thrown.load(); ++i) Sleep(5);
    Sleep(50);
    EXPECT_TRUE(thrown.load());
    EXPECT_EQ(token.use_count(), withThrower);

    // No thread: the tile does not stay "switching".
    Pump(1900);
    popover.services.startThread = [this](LPTHREAD_START_ROUTINE, void*) {
        log.push_back(L"startThread");
        return false;
    };
    ClickHit(501, 0);
    EXPECT_EQ(Count(L"startThread"), 1u);
    EXPECT_FALSE(popover.hotspotSwitching);
    EXPECT_FALSE(TimerRunning(TopBarPopover::kHotspotTimer));
    EXPECT_EQ(token.use_count(), withThrower) << "and the request is freed";
    popover.services.startThread = [](LPTHREAD_START_ROUTINE, void*) -> bool { throw std::system_error(
                                                                                   std::make_error_code(std::errc::resource_unavailable_try_again)); };
    ClickHit(501, 0);
    EXPECT_FALSE(popover.hotspotSwitching);

    // The screen goes dark 220 ms after the panel hid, once.
    const size_t mark = Mark();
    ClickHit(501, 1);
    EXPECT_EQ(Since(mark), (Log{L"hidden"}));
    Pump(300);
    Pump(300);
    EXPECT_EQ(Count(L"monitorPowerOff"), 1u);
}

}  // namespace
