// The notification center and banners as real windows under Wine, drawn by
// our compositor with Direct2D; pixels are read back from the real surfaces
// and input arrives as window messages at client pixels.

#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "notify/NotificationCenterWindow.h"
#include "notify/NotificationStore.h"
#include "platform/Log.h"
#include "support/CompositorTest.h"
#include "support/SurfacePixels.h"
#include "support/TestSupport.h"
#include "support/ToastDatabase.h"

namespace {

NotificationItem Item(int64_t id, const std::wstring& app, const std::wstring& title = L"标题") {
    NotificationItem item;
    item.id = id;
    item.appName = app;
    item.title = title;
    item.body = L"正文";
    return item;
}

class CenterTest : public testing_support::CompositorTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartCompositor());
        center.instance = GetModuleHandleW(nullptr);
        center.device = &graphics;
        center.host = &host;
        center.system.tickCount = [this] { return now; };
        center.system.foregroundWindow = [this] { return foreground; };
        center.system.activate = [this](const NotificationItem& item) { activated.push_back(item.id); };
        center.system.shellOpen = [this](const std::wstring& target) { opened.push_back(target); };
        center.system.sendWinKeyChord = [this](uint16_t key) {
            chords.push_back(key);
            return 0u;
        };
        auto realIcon = center.system.loadFileIcon;
        center.system.loadFileIcon = [this, realIcon](const std::wstring& path, IWICImagingFactory* f, int edge) {
            ++iconLoads;
            return realIcon(path, f, edge);
        };
        center.callbacks.onHidden = [this] { ++hidden; };
        config.theme = kGlassThemeDark;
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    void TearDown() override {
        center.Shutdown();
        StopCompositor();
    }

    void Show(const std::vector<NotificationItem>& items, bool quiet = false) {
        center.ShowCenter(nullptr, config, 1.0f, items, quiet);
        ASSERT_TRUE(center.panel.visible);
    }
    // A message at panel DIP (x, y), at scale 1.
    LRESULT Send(HWND hwnd, UINT message, float x, float y, WPARAM wParam = 0) {
        return SendMessageW(hwnd, message, wParam, MAKELPARAM(static_cast<int>(x + 14), static_cast<int>(y + 14)));
    }
    void Click(float x, float y) { Send(center.panel.window, WM_LBUTTONUP, x, y); }
    void Pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        MSG msg;
        while (GetTickCount() < end) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        }
    }

    NotificationCenterWindow center;
    DockConfig config;
    ULONGLONG now = 100000;
    HWND foreground = nullptr;
    std::vector<int64_t> activated;
    std::vector<std::wstring> opened;
    std::vector<uint16_t> chords;
    int iconLoads = 0;
    int hidden = 0;
};

TEST_F(CenterTest, EmptyStateRingAndDoNotDisturbCrescent) {
    Show({});
    RECT rect = {};
    GetWindowRect(center.panel.window, &rect);
    EXPECT_EQ(rect.right - rect.left, 376);
    EXPECT_EQ(rect.bottom - rect.top, 260);
    EXPECT_TRUE(Near(SurfacePixel(center.panel.surface, 174, 71), {20, 20, 20, 20}, 2));

    center.UpdateItems({}, true);
    EXPECT_TRUE(Near(SurfacePixel(center.panel.surface, 174, 71), {43, 17, 17, 46}, 3));
    center.HideCenter();
    config.theme = kGlassThemeLight;
    Show({});
    EXPECT_TRUE(Near(SurfacePixel(center.panel.surface, 174, 71), {0, 0, 0, 13}, 2)) << "light from the first frame on";
    config.theme = kGlassThemeDark;
    center.HideCenter();
    Show({});
    center.UpdateItems({}, true);
    Bgra crescent = SurfacePixel(center.panel.surface, 166, 94);
    EXPECT_GE(crescent.r, 245);
    EXPECT_GE(crescent.g, 245);
    Bgra bite = SurfacePixel(center.panel.surface, 177, 92);
    EXPECT_GT(bite.b, bite.g + 100) << "the accent shows through the bite";
    EXPECT_EQ(center.panel.hits.size(), 3u) << "do-not-disturb and the two footer buttons";
}

TEST_F(CenterTest, LetterTileFromTheStoreAndOneIconLoadPerExecutable) {
    testing_support::TempDir dir;
    testing_support::ToastDatabase db(dir.Path());
    ASSERT_TRUE(db.Ok()) << db.LastError();
    ASSERT_TRUE(db.AddHandler(1, "Contoso.Notes_1a2b3c4d5e6f7!App", "app:immersive", std::string("Notes")));
    ASSERT_TRUE(db.AddNotification(1, 1, 132000000000000000LL, db.ToastXml({"买牛奶", "下班路上"})));
    NotificationStoreOps ops = DefaultNotificationStoreOps();
    ops.localAppDataFolder = [&] { return dir.Path(); };
    NotificationStore store(ops);
    ASSERT_TRUE(store.EnsureOpen());
    std::vector<NotificationItem> fresh;
    store.Poll(fresh, true);
    ASSERT_EQ(store.items.size(), 1u);
    ASSERT_EQ(store.items[0].appName, L"Notes");

    Show(store.items);
    EXPECT_TRUE(Near(SurfacePixel(center.panel.surface, 27, 77), {113, 61, 206, 245}, 3));
    EXPECT_EQ(iconLoads, 0) << "no executable, no icon lookup";

    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring exe(module);
    NotificationItem app = Item(2, L"Vantreel");
    app.exePath = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"vantreel.exe";
    center.UpdateItems({app}, false);
    Bgra icon = SurfacePixel(center.panel.surface, 37, 77);
    center.UpdateItems({app}, false);
    center.UpdateItems({app}, false);
    EXPECT_EQ(iconLoads, 1);
    EXPECT_EQ(center.iconPixels.begin()->second.size(), 4096u) << "the program's own icon";
    Bgra tile = SurfacePixel(center.panel.surface, 27, 77);
    EXPECT_FALSE(Near(tile, {113, 61, 206, 245}, 10)) << "an icon, not a letter tile";
    EXPECT_GT(icon.a, 0);
}

TEST_F(CenterTest, ClicksDismissHideAndOpen) {
    std::vector<NotificationItem> list = {Item(7, L"A"), Item(6, L"B"), Item(5, L"C")};
    std::vector<int64_t> dismissed;
    center.callbacks.onDismiss = [&](int64_t id) {
        dismissed.push_back(id);
        std::erase_if(list, [id](const NotificationItem& item) { return item.id == id; });
        center.UpdateItems(list, false);
    };
    Show(list);
    Click(317, 71);  // close button of the first row
    EXPECT_EQ(dismissed, (std::vector<int64_t>{7}));
    EXPECT_TRUE(center.panel.visible);
    EXPECT_TRUE(activated.empty());
    ASSERT_EQ(center.panel.items.size(), 2u);
    // A list from before the dismiss never brings the row back.
    center.UpdateItems({Item(7, L"A"), Item(6, L"B"), Item(5, L"C")}, false);
    EXPECT_EQ(center.panel.items.size(), 2u);

    Click(100, 54 + 92 + 40);  // the second card, whose owner list shrinks under it
    EXPECT_EQ(dismissed.back(), 5);
    EXPECT_FALSE(center.panel.visible);
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(activated, (std::vector<int64_t>{5}));

    Show({Item(1, L"A")});
    center.panel.items.clear();  // the hits still name row 0
    Click(100, 100);
    EXPECT_TRUE(center.panel.visible) << "a stale index does nothing";
    Click(20, 194 - 20);  // settings footer button of a one-row panel
    EXPECT_FALSE(center.panel.visible);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:notifications"}));

    Show({});
    Click(300, 215);
    EXPECT_FALSE(center.panel.visible);
    EXPECT_EQ(chords, (std::vector<uint16_t>{'N'}));

    Show({});
    Click(-5, 100);
    EXPECT_FALSE(center.panel.visible) << "the shadow margin";
    Show({});
    SendMessageW(center.panel.window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(center.panel.visible);
    EXPECT_FALSE(IsWindowVisible(center.panel.window));
}

TEST_F(CenterTest, KeptPixelsMatchAWholePaint) {
    FILETIME fixed = {};
    fixed.dwHighDateTime = 31200000;
    center.system.systemTime = [&] { return fixed; };
    const uint64_t nowValue = (static_cast<uint64_t>(fixed.dwHighDateTime) << 32) | fixed.dwLowDateTime;
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring exe(module);
    std::vector<NotificationItem> list;
    for (int i = 0; i < 9; ++i) {
        NotificationItem item = Item(50 - i, L"App " + std::to_wstring(i % 4), i == 2 ? L"" : L"标题 " + std::to_wstring(i));
        item.arrivalTime = nowValue - static_cast<uint64_t>(i) * 900000000ull;
        if (i == 3) item.body.clear();
        if (i % 3 == 1) item.exePath = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"vantreel.exe";
        list.push_back(item);
    }
    for (float scale : {1.0f, 1.25f, 1.5f}) {
        SCOPED_TRACE(scale);
        center.ShowCenter(nullptr, config, scale, list, false);
        ASSERT_TRUE(center.panel.visible);
        auto send = [&](UINT message, float x, float y, WPARAM wParam = 0) {
            SendMessageW(center.panel.window, message, wParam,
                         MAKELPARAM(static_cast<int>((x + 14) * scale), static_cast<int>((y + 14) * scale)));
        };
        // The frame put together from kept pixels against the same state painted in one go.
        auto matches = [&](const char* step) {
            SCOPED_TRACE(step);
            const raster::Image kept = center.panel.surface.Pixels();
            comp::CompositionDrawingSurface whole = host.CreateDrawingSurface(kept.Width(), kept.Height());
            ASSERT_TRUE(host.Paint(whole, [&](ID2D1DeviceContext* context) { center.panel.PaintCenter(context, fixed); }));
            const raster::Image& painted = whole.Pixels();
            // Wine's anti-aliasing rounds a few edge pixels of a shape one
            // level apart at another whole-pixel place on the surface.
            int differ = 0, worst = 0;
            for (int y = 0; y < kept.Height(); ++y) {
                for (int x = 0; x < kept.Width(); ++x) {
                    const uint32_t a = kept.At(x, y), b = painted.At(x, y);
                    if (a == b) continue;
                    ++differ;
                    for (int shift = 0; shift < 32; shift += 8) {
                        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                                         static_cast<int>((b >> shift) & 0xFF)));
                    }
                }
            }
            EXPECT_LE(worst, 1);
            EXPECT_LE(differ, kept.Width() * kept.Height() / 2000);
        };
        matches("first frame");
        // Idle, the center paints the cards next to those shown where they will come in.
        for (MSG msg; PeekMessageW(&msg, center.panel.window, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        EXPECT_EQ(center.panel.cards.rows.size(), center.panel.items.size());
        send(WM_MOUSEMOVE, 100, 54 + 92 + 30);  // the second card
        matches("card hovered");
        send(WM_MOUSEMOVE, 317, 54 + 17);  // the first card's close button
        matches("close button hovered");
        send(WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, -WHEEL_DELTA));
        send(WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, -WHEEL_DELTA));
        matches("two rows down");
        send(WM_MOUSEMOVE, 239, 25);  // do-not-disturb pill
        send(WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, WHEEL_DELTA));
        matches("one row up, a pill hovered");
        fixed.dwHighDateTime += 20;  // about 24 minutes later
        SendMessageW(center.panel.window, WM_TIMER, NotificationCenterPanel::kTimer, 0);
        matches("the ages moved on");
        send(WM_LBUTTONUP, 317, 54 + 17);  // dismiss the first row shown
        matches("a row dismissed");
        SendMessageW(center.panel.window, WM_MOUSELEAVE, 0, 0);
        matches("pointer gone");
        center.HideCenter();
    }
}

// A body of five lines shows the whole lines its box holds, in the center and
// in a banner at every scale, and nothing of it below the box.
TEST_F(CenterTest, ALongBodyStaysInsideItsBox) {
    NotificationItem oneLine = Item(7, L"App"), fiveLines = oneLine;
    fiveLines.body = std::wstring(40, L'长') + L"\n三\n四\n五";
    for (const auto& [scale, banner] : {std::pair{1.0f, false}, {1.0f, true}, {1.5f, false}, {1.5f, true}}) {
        auto shown = [&](const NotificationItem& item) {
            center.HideCenter(), center.HideBanners();
            banner ? center.ShowBanners({item}, nullptr, config, scale)
                   : center.ShowCenter(nullptr, config, scale, {item}, false);
            return (banner ? center.banners.surface : center.panel.surface).Pixels();
        };
        const raster::Image longer = shown(fiveLines), shorter = shown(oneLine);
        const int below = static_cast<int>((banner ? 76.0f : 54.0f + 78.0f) * scale) + 1;  // whole pixels at both scales
        int differ[2] = {};  // above the box's bottom, below it
        for (int i = 0; i < longer.Width() * longer.Height(); ++i) {
            differ[i / longer.Width() >= below] += longer.Data()[i] != shorter.Data()[i];
        }
        EXPECT_TRUE(differ[0] > 100 && differ[1] == 0) << scale << banner << " " << differ[0] << " " << differ[1];
    }
}

TEST_F(CenterTest, EachOpeningShowsItsOwnFrameAtItsOwnSize) {
    Show({Item(1, L"A")});
    center.HideCenter();
    std::vector<NotificationItem> five;
    for (int i = 0; i < 5; ++i) five.push_back(Item(10 + i, L"App"));
    Show(five);
    // Nothing pumped since: what the window shows was presented by the opening itself.
    raster::Image shown = center.panel.target.PresentedPixels();
    RECT rect = {};
    GetWindowRect(center.panel.window, &rect);
    EXPECT_EQ(shown.Width(), rect.right - rect.left);
    EXPECT_EQ(shown.Height(), rect.bottom - rect.top);
    ASSERT_EQ(shown.Height(), 590);
    EXPECT_GT(shown.At(200, 14 + 54 + 4 * 92 + 40) >> 24, 0u) << "the fifth card";

    center.HideCenter();
    center.ShowBanners({Item(30, L"X")}, nullptr, config, 1.0f);
    ASSERT_TRUE(center.banners.visible);
    center.ShowBanners({Item(31, L"Y")}, nullptr, config, 1.0f);
    shown = center.banners.target.PresentedPixels();
    EXPECT_EQ(shown.Height(), 110 + 90) << "two banners, presented while shown";
}

TEST_F(CenterTest, WheelScrollsOneRowAtATime) {
    std::vector<NotificationItem> many;
    for (int i = 0; i < 20; ++i) many.push_back(Item(100 - i, L"App " + std::to_wstring(i)));
    Show(many);
    int rows = center.panel.visibleRows;
    ASSERT_LT(rows, 20);
    for (int i = 0; i < 30; ++i) Send(center.panel.window, WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, -WHEEL_DELTA));
    EXPECT_EQ(center.panel.scrollRow, 20 - rows);
    EXPECT_EQ(center.panel.hits[2].index, 20 - rows) << "the first row shown is hit-tested under its index";
    Send(center.panel.window, WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, WHEEL_DELTA));
    EXPECT_EQ(center.panel.scrollRow, 19 - rows);
}

TEST_F(CenterTest, DeactivationWaitsForTheGraceTime) {
    Show({});
    now += 50;
    SendMessageW(center.panel.window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(center.panel.visible);
    now += 100;
    Pump(250);
    EXPECT_FALSE(center.panel.visible) << "checked again once the grace time is over";

    Show({});
    now += 200;
    SendMessageW(center.panel.window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(center.panel.visible);
}

TEST_F(CenterTest, DeviceLossIsReportedAndShutdownRunsTwice) {
    Show({Item(1, L"A")});
    host.graphicsDevice.InjectFailure(static_cast<HRESULT>(0x887A0005));
    center.UpdateItems({Item(1, L"A"), Item(2, L"B")}, false);
    EXPECT_TRUE(host.TakeDeviceLost());
    center.Shutdown();
    center.Shutdown();
    EXPECT_EQ(center.panel.window, nullptr);
    EXPECT_EQ(hidden, 1);
}

TEST_F(CenterTest, BannersNeverTakeTheFocusAndGoByClickOrTime) {
    Show({});
    center.ShowBanners({Item(1, L"A")}, nullptr, config, 1.0f);
    EXPECT_TRUE(center.banners.stack.empty()) << "the open center takes them";
    center.HideCenter();

    center.ShowBanners({Item(3, L"C"), Item(2, L"B"), Item(1, L"A")}, nullptr, config, 1.0f);
    ASSERT_TRUE(center.banners.visible);
    Pump(50);
    EXPECT_NE(GetForegroundWindow(), center.banners.window);
    EXPECT_NE(GetActiveWindow(), center.banners.window);
    RECT rect = {};
    GetWindowRect(center.banners.window, &rect);
    EXPECT_EQ(rect.right - rect.left, 364);
    EXPECT_EQ(rect.bottom - rect.top, 290);
    EXPECT_EQ(SendMessageW(center.banners.window, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);

    Send(center.banners.window, WM_RBUTTONUP, 100, 40);  // top card, right button
    EXPECT_TRUE(activated.empty());
    ASSERT_EQ(center.banners.stack.size(), 2u);
    Send(center.banners.window, WM_LBUTTONUP, 336 - 18, 17);  // close button of the new top one
    EXPECT_TRUE(activated.empty());
    ASSERT_EQ(center.banners.stack.size(), 1u);
    EXPECT_EQ(center.banners.stack[0].item.id, 1);
    Send(center.banners.window, WM_LBUTTONUP, 100, 40);
    EXPECT_EQ(activated, (std::vector<int64_t>{1}));
    EXPECT_FALSE(center.banners.visible);
    EXPECT_FALSE(IsWindowVisible(center.banners.window));
    EXPECT_FALSE(KillTimer(center.banners.window, BannerWindow::kTimer)) << "no timer left";

    center.ShowBanners({Item(4, L"D")}, nullptr, config, 1.0f);
    Send(center.banners.window, WM_MOUSEMOVE, 100, 40);
    now += 20000;
    SendMessageW(center.banners.window, WM_TIMER, BannerWindow::kTimer, 0);
    EXPECT_EQ(center.banners.stack.size(), 1u) << "hovered banners stay";
    SendMessageW(center.banners.window, WM_MOUSELEAVE, 0, 0);
    SendMessageW(center.banners.window, WM_TIMER, BannerWindow::kTimer, 0);
    EXPECT_TRUE(center.banners.stack.empty());
    EXPECT_FALSE(center.banners.visible);

    center.Shutdown();
    center.ShowBanners({Item(5, L"E")}, nullptr, config, 1.0f);
    EXPECT_TRUE(center.banners.stack.empty());
}

TEST_F(CenterTest, AThrowingHandlerIsLoggedAndTheWindowsGoOnAnswering) {
    testing_support::TempDir dir;
    InitializeLog(true, dir.Path());
    auto log = [&] {
        auto bytes = testing_support::ReadFileBytes(dir.File(L"vantreel.log"));
        return std::string(bytes.begin(), bytes.end());
    };
    auto clock = center.system.tickCount;
    Show({Item(1, L"A")});
    center.system.tickCount = []() -> ULONGLONG { throw std::runtime_error("clock gone"); };
    SendMessageW(center.panel.window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_NE(log().find("NotificationCenterPanel::HandleCenterMessage std::exception: clock gone"), std::string::npos)
        << log();
    center.system.tickCount = clock;
    SendMessageW(center.panel.window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(center.panel.visible) << "the center still answers";

    center.ShowBanners({Item(2, L"B")}, nullptr, config, 1.0f);
    ASSERT_TRUE(center.banners.visible);
    center.system.tickCount = []() -> ULONGLONG { throw 7; };
    Send(center.banners.window, WM_MOUSEMOVE, 100, 40);
    EXPECT_NE(log().find("BannerWindow::HandleBannerMessage unknown exception"), std::string::npos)
        << log();
    center.system.tickCount = clock;
    EXPECT_EQ(SendMessageW(center.banners.window, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    Send(center.banners.window, WM_LBUTTONUP, 100, 40);
    EXPECT_EQ(activated, (std::vector<int64_t>{2})) << "the banners still answer";
    InitializeLog(false);
}

}  // namespace
