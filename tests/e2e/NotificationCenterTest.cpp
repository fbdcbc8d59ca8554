// The notification center and banners of the running program, fed from a
// toast database in the prefix's local application data, clicked with the X
// pointer and judged from the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "ScreenImage.h"
#include "XPointer.h"
#include "support/ToastDatabase.h"
#include "support/WindowProgram.h"

using testing_support::BinDir;
using testing_support::FileExists;
using testing_support::TempDir;
using testing_support::ToastDatabase;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr int64_t kMinute = 600000000ll;
// The center's panel and the banners' at scale 1 on a 1920 x 1080 screen.
constexpr RECT kCenterRect = {1546, 26, 1546 + 376, 26 + 590};
constexpr POINT kPanel = {1560, 40};
constexpr POINT kBannerPanel = {1572, 42};

bool FullHdScreen() { return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080; }

int64_t Now() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

POINT At(POINT origin, int x, int y) { return {origin.x + x, origin.y + y}; }

bool Shown(HWND window) { return window && IsWindowVisible(window); }

RECT RectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

// The system's toast database in the prefix's local application data with
// toasts of two sources: a copy of the launch recorder named "记录器", and a
// packaged app without a name. The database and the recorder's marker go at
// the end.
class ToastSetup {
public:
    ToastSetup() {
        PWSTR folder = nullptr;
        if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) return;
        localAppData_ = folder;
        CoTaskMemFree(folder);
        RemoveDatabase();
        recorder_ = helpers_.File(L"record_launch.exe");
        marker_ = helpers_.File(L"launched.txt");
        if (!CopyFileW((BinDir() + L"\\record_launch.exe").c_str(), recorder_.c_str(), FALSE)) return;
        // The program hands its environment to what it starts.
        SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", marker_.c_str());
        db_ = std::make_unique<ToastDatabase>(localAppData_);
        if (!db_->Ok() || !db_->AddHandler(1, testing_support::ToUtf8(recorder_), "app:desktop", std::string("记录器")) ||
            !db_->AddHandler(2, "Contoso.Notes_1a2b3c4d5e6f7!App", "app:immersive")) {
            db_.reset();
        }
    }
    ~ToastSetup() {
        db_.reset();
        RemoveDatabase();
        SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", nullptr);
    }
    bool Ok() const { return db_ != nullptr; }
    const std::string& Error() const {
        static const std::string none = "no toast database";
        return db_ ? db_->LastError() : none;
    }

    // Toast `id` arrived `minutesAgo` minutes ago, from the recorder or the packaged app.
    bool Add(int64_t id, bool fromRecorder, int64_t minutesAgo) {
        const std::string title = "toast " + std::to_string(id);
        lastArrival = Now() - minutesAgo * kMinute;
        return db_->AddNotification(id, fromRecorder ? 1 : 2, lastArrival,
                                    ToastDatabase::ToastXml({title, "body of " + title}));
    }
    // The twelve toasts the program finds at its start: odd ids from the recorder.
    bool AddTwelve() {
        for (int64_t id = 1; id <= 12; ++id) {
            if (!Add(id, id % 2 == 1, 60 - id)) return false;
        }
        return true;
    }
    bool Launched() const { return FileExists(marker_); }

    int64_t lastArrival = 0;

private:
    void RemoveDatabase() {
        const std::wstring database = ToastDatabase::PathIn(localAppData_);
        for (const wchar_t* suffix : {L"", L"-wal", L"-shm"}) DeleteFileW((database + suffix).c_str());
    }

    std::wstring localAppData_;
    TempDir helpers_;
    std::wstring recorder_;
    std::wstring marker_;
    std::unique_ptr<ToastDatabase> db_;
};

// The middle of the bar's notification item, from the last layout line.
bool BellPoint(const DockProcess& dock, POINT& bell) {
    const std::string log = dock.DebugLog();
    const size_t line = log.rfind("TopBar layout:");
    if (line == std::string::npos) return false;
    const size_t at = log.find(" 13:", line);
    int left = 0, right = 0;
    if (at == std::string::npos || std::sscanf(log.c_str() + at + 4, "%d-%d", &left, &right) != 2) return false;
    bell = {(left + right) / 2, 16};
    return true;
}

// Starts the program and clicks the bell until the center shows.
class RunningCenter {
public:
    bool Start(const DockConfig& config) {
        return StartAndWaitForWindowList(dock, config, kStartTimeoutMs) &&
               WaitUntil([&] { return BellPoint(dock, bell); }, 5000);
    }
    // The bar takes clicks a moment after its layout is logged: click again
    // while it has not said it took one. A second click it took would close
    // the center again.
    bool Open() {
        auto clicks = [&] {
            const std::string log = dock.DebugLog(), line = "] TopBar click";
            size_t count = 0;
            for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
            return count;
        };
        for (int attempt = 0; attempt < 4; ++attempt) {
            const size_t before = clicks();
            if (!XClickAt(bell)) return false;
            if (WaitUntil([&] { return clicks() > before; }, 5000)) {
                return WaitUntil([&] { return Shown(window = dock.FindWindowOfClass(L"VantreelNotifCenterWindow")); },
                                 15000);
            }
        }
        return false;
    }
    bool Click(int x, int y) { return XClickAt(At(kPanel, x, y)); }
    HWND Banners() const { return dock.FindWindowOfClass(L"VantreelNotifBannerWindow"); }

    DockProcess dock;
    POINT bell = {};
    HWND window = nullptr;
};

// The ticks of the program's log lines "<what> ... at tick N", oldest first.
std::vector<uint64_t> LoggedTicks(const DockProcess& dock, const std::string& what) {
    const std::string log = dock.DebugLog();
    std::vector<uint64_t> ticks;
    for (size_t at = log.find("] " + what); at != std::string::npos; at = log.find("] " + what, at + 1)) {
        const size_t tick = log.find(" at tick ", at);
        if (tick < log.find('\n', at)) ticks.push_back(std::strtoull(log.c_str() + tick + 9, nullptr, 10));
    }
    return ticks;
}

std::vector<uint32_t> FirstCard() {
    const ScreenImage shot = CaptureScreen({kPanel.x + 14, kPanel.y + 54, kPanel.x + 334, kPanel.y + 138});
    return shot.pixels;
}

}  // namespace

TEST(RunningNotificationCenter, TheBellOpensAListThatScrollsLosesRowsAndOpensTheirSource) {
    if (!FullHdScreen()) GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen";
    ToastSetup toasts;
    ASSERT_TRUE(toasts.Ok()) << toasts.Error();
    ASSERT_TRUE(toasts.AddTwelve());
    DockConfig config = TestDockConfig();
    config.theme = 1;
    RunningCenter run;
    ASSERT_TRUE(run.Start(config)) << run.dock.DebugLog();
    ASSERT_TRUE(run.Open()) << run.dock.DebugLog();
    RECT rect = RectOf(run.window);
    EXPECT_EQ(rect.left, kCenterRect.left);
    EXPECT_EQ(rect.top, kCenterRect.top);
    EXPECT_EQ(rect.right - rect.left, 376);
    EXPECT_EQ(rect.bottom - rect.top, 590);

    // The screen as a PNG beside the tests, read back from the file.
    XMoveTo(At(kPanel, 170, 30));  // on the header, over no button
    const std::wstring png = BinDir() + L"\\notification_center.png";
    DeleteFileW(png.c_str());
    // The window's shadow margin reaches 2 pixels past the screen's right edge.
    // Its frame reaches the X server in its own time: read until the list shows.
    ScreenImage saved;
    WaitUntil([&] {
        saved = SavePng(CaptureScreen({rect.left, rect.top, 1920, rect.bottom}), png) ? LoadPng(png) : ScreenImage();
        return !saved.Empty() && saved.ColoursIn(28, 78, 54, 104) > 20u;
    }, kLeastWaitMs);
    ASSERT_EQ(saved.width, 374);
    ASSERT_EQ(saved.height, 590);
    EXPECT_GT(saved.BrightnessIn(14, 14, 362, 576), 60.0) << "the panel is lit";
    EXPECT_GT(saved.ColoursIn(14, 14, 362, 576), 300u) << "cards, letter tiles and text";
    EXPECT_GT(saved.ColoursIn(28, 78, 54, 104), 20u) << "the first card's letter tile and its letter";

    const std::vector<uint32_t> top = FirstCard();
    ASSERT_TRUE(Xdotool(L"click --repeat 2 --delay 150 5"));
    EXPECT_TRUE(WaitUntil([&] { return FirstCard() != top; }, 2000)) << "the wheel scrolls the list";
    ASSERT_TRUE(Xdotool(L"click --repeat 2 --delay 150 4"));
    EXPECT_TRUE(WaitUntil([&] { return FirstCard() == top; }, 2000)) << "and back";

    // Close buttons of the first row, newest first, until four rows are left.
    for (int closed = 1; closed <= 8; ++closed) {
        const std::vector<uint32_t> before = FirstCard();
        ASSERT_TRUE(run.Click(317, 71));
        ASSERT_TRUE(WaitUntil([&] { return FirstCard() != before; }, 3000)) << "close " << closed;
        if (closed < 8) {
            EXPECT_EQ(RectOf(run.window).bottom - rect.top, 590) << "five rows still fill it";
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return RectOf(run.window).bottom - RectOf(run.window).top == 498; }, 2000));
    EXPECT_TRUE(Shown(run.window));

    // Left: 4, 3, 2, 1; the second row is the recorder's toast 3.
    ASSERT_TRUE(run.Click(100, 54 + 92 + 40));
    EXPECT_TRUE(WaitUntil([&] { return !Shown(run.window); }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return toasts.Launched(); }, 10000)) << "the recorder was not started";
    EXPECT_EQ(run.dock.CloseAndWait(), 0u) << run.dock.DebugLog();
    EXPECT_EQ(run.dock.DebugLog().find("exception"), std::string::npos);
}

TEST(RunningNotificationCenter, NewToastsShowAsBannersThatNeverTakeTheFocus) {
    if (!FullHdScreen()) GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen";
    ToastSetup toasts;
    ASSERT_TRUE(toasts.Ok()) << toasts.Error();
    ASSERT_TRUE(toasts.AddTwelve());
    RunningCenter run;
    ASSERT_TRUE(run.Start(TestDockConfig())) << run.dock.DebugLog();
    testing_support::WindowProgram program(BinDir() + L"\\foreground_window_gui.exe", L"VantreelBannerProbe Probe");
    ASSERT_NE(program.Window(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == program.Window(); }, 3000));
    XMoveTo({300, 700});

    // Five at once, the newest from the recorder.
    for (int64_t id = 13; id <= 17; ++id) ASSERT_TRUE(toasts.Add(id, id == 17, 17 - id));
    HWND banners = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return Shown(banners = run.Banners()); }, 10000));
    const RECT rect = RectOf(banners);
    EXPECT_EQ(rect.left, 1558);
    EXPECT_EQ(rect.top, 28);
    EXPECT_EQ(rect.right - rect.left, 364);
    EXPECT_EQ(rect.bottom - rect.top, 290);
    EXPECT_EQ(GetForegroundWindow(), program.Window());
    // How long they stayed, by the clock the program keeps them with.
    ASSERT_TRUE(WaitUntil([&] { return !LoggedTicks(run.dock, "Banners hidden").empty(); }, 30000));
    const uint64_t lasted = LoggedTicks(run.dock, "Banners hidden")[0] - LoggedTicks(run.dock, "Banners shown")[0];
    EXPECT_GE(lasted, 5500u);
    EXPECT_LE(lasted, 9000u);
    EXPECT_TRUE(WaitUntil([&] { return !Shown(banners); }, 10000));
    EXPECT_EQ(GetForegroundWindow(), program.Window()) << "the banners never took the foreground";

    // A click on the top banner starts its source, the newest toast's.
    ASSERT_TRUE(toasts.Add(18, false, 1));
    ASSERT_TRUE(toasts.Add(19, true, 0));
    ASSERT_TRUE(WaitUntil([&] { return Shown(banners); }, 10000));
    EXPECT_EQ(RectOf(banners).bottom - RectOf(banners).top, 110 + 90);
    ASSERT_TRUE(XClickAt(At(kBannerPanel, 100, 40)));
    EXPECT_TRUE(WaitUntil([&] { return toasts.Launched(); }, 10000)) << "the recorder was not started";
    EXPECT_TRUE(WaitUntil([&] { return RectOf(banners).bottom - RectOf(banners).top == 110; }, 10000))
        << "the clicked banner went, the other stays";

    // Under a resting pointer the banners stay; once it leaves, they go.
    ASSERT_TRUE(toasts.Add(20, false, 0));
    ASSERT_TRUE(WaitUntil([&] { return Shown(banners); }, 10000));
    const size_t hides = LoggedTicks(run.dock, "Banners hidden").size();
    ASSERT_TRUE(XMoveTo(At(kBannerPanel, 150, 60)));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::string log = run.dock.DebugLog();
            const size_t over = log.rfind("] Banners: pointer over"), left = log.rfind("] Banners: pointer left");
            return over != std::string::npos && (left == std::string::npos || over > left);
        },
        10000))
        << "the program saw the pointer come to rest on the banners";
    ASSERT_TRUE(WaitUntil([&] { return !LoggedTicks(run.dock, "Banners: kept past their time").empty(); }, 30000));
    EXPECT_TRUE(Shown(banners)) << "gone under the pointer";
    EXPECT_EQ(LoggedTicks(run.dock, "Banners hidden").size(), hides);
    ASSERT_TRUE(XMoveTo({300, 700}));
    ASSERT_TRUE(WaitUntil([&] { return LoggedTicks(run.dock, "Banners hidden").size() > hides; }, 30000));
    EXPECT_LE(LoggedTicks(run.dock, "Banners hidden").back() - LoggedTicks(run.dock, "Banners: pointer left").back(),
              1000u)
        << "still there a second after the pointer left";
    EXPECT_TRUE(WaitUntil([&] { return !Shown(banners); }, 10000));

    program.Close();
    EXPECT_EQ(run.dock.CloseAndWait(), 0u);
    EXPECT_EQ(run.dock.DebugLog().find("exception"), std::string::npos);
}

TEST(RunningNotificationCenter, PillsAreSavedAndTheCenterHidesWhenLeft) {
    if (!FullHdScreen()) GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen";
    ToastSetup toasts;
    ASSERT_TRUE(toasts.Ok()) << toasts.Error();
    ASSERT_TRUE(toasts.AddTwelve());
    DockConfig saved;
    {
        RunningCenter run;
        ASSERT_TRUE(run.Start(TestDockConfig())) << run.dock.DebugLog();
        ASSERT_TRUE(run.Open()) << run.dock.DebugLog();
        ASSERT_TRUE(run.Click(239, 25));  // do not disturb
        EXPECT_TRUE(WaitUntil(
            [&] { return run.dock.ConfigFileText().find("\"doNotDisturb\": true") != std::string::npos; }, 3000));
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        EXPECT_TRUE(WaitUntil([&] { return !Shown(run.window); }, 2000)) << "Esc";

        ASSERT_TRUE(toasts.Add(13, true, 0));
        const int64_t newest = toasts.lastArrival;
        const std::string keptBack = "Banners: 1 new toasts kept back (do not disturb)";
        ASSERT_TRUE(WaitUntil([&] { return run.dock.DebugLog().find(keptBack) != std::string::npos; }, kLeastWaitMs));
        EXPECT_FALSE(Shown(run.Banners())) << "no banner while do-not-disturb is on";

        ASSERT_TRUE(run.Open()) << run.dock.DebugLog();
        ASSERT_TRUE(run.Click(302, 25));  // clear all
        EXPECT_TRUE(WaitUntil(
            [&] {
                return DockConfig::FromJson(run.dock.ConfigFileText(), saved) &&
                       saved.clearedNotifWatermark >= static_cast<uint64_t>(newest);
            },
            3000));
        EXPECT_TRUE(WaitUntil([&] { return RectOf(run.window).bottom - RectOf(run.window).top == 260; }, 2000));
        EXPECT_EQ(run.dock.CloseAndWait(), 0u);
    }
    EXPECT_TRUE(saved.doNotDisturb);

    // Started again with what it saved: nothing is listed.
    testing_support::WindowProgram program(BinDir() + L"\\foreground_window_gui.exe", L"VantreelCenterProbe Probe");
    ASSERT_NE(program.Window(), nullptr);
    SetWindowPos(program.Window(), HWND_TOP, 200, 300, 400, 300, SWP_SHOWWINDOW);
    RunningCenter run;
    ASSERT_TRUE(run.Start(saved)) << run.dock.DebugLog();
    ASSERT_TRUE(run.Open()) << run.dock.DebugLog();
    const RECT rect = RectOf(run.window);
    EXPECT_EQ(rect.left, kCenterRect.left);
    EXPECT_EQ(rect.top, kCenterRect.top);
    EXPECT_EQ(rect.right - rect.left, 376);
    EXPECT_EQ(rect.bottom - rect.top, 260);
    ASSERT_TRUE(XClickAt({400, 450}));  // the helper's window
    EXPECT_TRUE(WaitUntil([&] { return !Shown(run.window); }, 15000)) << "a click elsewhere hides it";
    program.Close();
    EXPECT_EQ(run.dock.CloseAndWait(), 0u);
    EXPECT_EQ(run.dock.DebugLog().find("exception"), std::string::npos);
}
