// The settings window as a real window in this process: pointer messages at
// DIP x scale, what each control hands to its owner, the pixels it paints, and
// (through a whole dock) changes made elsewhere while it is open.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/StartupTask.h"
#include "config/ConfigFile.h"
#include "config/PathText.h"
#include "dock/DockWindow.h"
#include "dock/FooterNotice.h"
#include "dock/SettingsPaintKit.h"
#include "dock/SettingsWindow.h"
#include "render/PaintedPictures.h"
#include "render/GraphicsDevice.h"
#include "render/WallpaperLuminance.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LPARAM At(const SettingsWindow& window, float x, float y) {
    float s = window.Scale();
    return MAKELPARAM(static_cast<int>(std::lround(x * s)), static_cast<int>(std::lround(y * s)));
}

void Send(SettingsWindow& window, UINT message, float x, float y) {
    SendMessageW(window.Window(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, At(window, x, y));
}

// A press and a release at one point, then the repaint that rebuilds the hit list.
void Click(SettingsWindow& window, float x, float y) {
    Send(window, WM_LBUTTONDOWN, x, y);
    Send(window, WM_LBUTTONUP, x, y);
    if (window.Window()) UpdateWindow(window.Window());
}

void ShowSection(SettingsWindow& window, int section) { Click(window, 88, 96 + 42.0f * section); }

// The screen's pixel at a client point in DIP, as the display shows it.
COLORREF ScreenPixel(const SettingsWindow& window, float x, float y) {
    POINT p = {static_cast<LONG>(std::lround(x * window.Scale())), static_cast<LONG>(std::lround(y * window.Scale()))};
    ClientToScreen(window.Window(), &p);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool Near(COLORREF c, int r, int g, int b) {
    return std::abs(GetRValue(c) - r) <= 3 && std::abs(GetGValue(c) - g) <= 3 && std::abs(GetBValue(c) - b) <= 3;
}

// For a colour that is not there: the window itself and every visible
// top-level window over the point, topmost first.
std::string WindowsAt(const SettingsWindow& window, float x, float y) {
    POINT p = {static_cast<LONG>(std::lround(x * window.Scale())), static_cast<LONG>(std::lround(y * window.Scale()))};
    ClientToScreen(window.Window(), &p);
    std::string text = "at " + std::to_string(p.x) + "," + std::to_string(p.y) + "; settings window " +
                       (IsWindowVisible(window.Window()) ? "shown" : "hidden") + (IsIconic(window.Window()) ? ", minimised" : "");
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        RECT r = {};
        char name[128] = {};
        if (!IsWindowVisible(w) || !GetWindowRect(w, &r) || !PtInRect(&r, p)) continue;
        GetClassNameA(w, name, sizeof(name));
        text += std::string("; over it: ") + name + " (" + std::to_string(r.left) + "," + std::to_string(r.top) + " - " +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ", ex-style " +
                std::to_string(GetWindowLongW(w, GWL_EXSTYLE)) + ")";
        if (w == window.Window()) break;
    }
    return text;
}

// The display takes a drawn frame a moment later than the paint returns.
void ExpectColour(const SettingsWindow& window, float x, float y, int r, int g, int b, const char* what) {
    COLORREF c = ScreenPixel(window, x, y);
    for (ULONGLONG end = GetTickCount64() + 3000; !Near(c, r, g, b) && GetTickCount64() < end;) {
        Pump();
        Sleep(20);
        c = ScreenPixel(window, x, y);
    }
    EXPECT_TRUE(Near(c, r, g, b)) << what << ": (" << int(GetRValue(c)) << "," << int(GetGValue(c)) << ","
                                  << int(GetBValue(c)) << "), " << WindowsAt(window, x, y);
}

// Counts the program's calls of LoadImageW through its import slot (Wine
// keeps no count of a process's icon handles).
extern "C" HANDLE(WINAPI* __imp_LoadImageW)(HINSTANCE, LPCWSTR, UINT, int, int, UINT);
using LoadImageCall = decltype(__imp_LoadImageW);
LoadImageCall g_realLoadImage = nullptr;
int g_imageLoads = 0;
HANDLE WINAPI CountedLoadImage(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    ++g_imageLoads;
    return g_realLoadImage(module, name, type, cx, cy, flags);
}
LoadImageCall SwapLoadImage(LoadImageCall to) {
    DWORD old = 0;
    VirtualProtect(&__imp_LoadImageW, sizeof(to), PAGE_READWRITE, &old);
    std::swap(to, __imp_LoadImageW);
    return to;
}

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedAutoStart_ = AutoStartSystem();
        // No task store and no Run value may change here: auto-start is off and
        // every attempt to turn it on fails, as on a system that refuses it.
        AutoStartSystem().executablePath = [] { return std::wstring(); };
        AutoStartSystem().registerTask = [](const std::wstring&) { return false; };
        AutoStartSystem().isInstalled = [] { return false; };
        AutoStartSystem().uninstall = [] { return true; };
        oleReady_ = SUCCEEDED(OleInitialize(nullptr));
        ASSERT_TRUE(CreateGraphicsFactories(graphics_));
        ASSERT_TRUE(graphics_.Create());
        config_.hideTaskbar = false;
    }

    void TearDown() override {
        window_.Close();
        AutoStartSystem() = savedAutoStart_;
        if (oleReady_) OleUninitialize();
    }

    SettingsWindow::Callbacks Recording() {
        SettingsWindow::Callbacks callbacks;
        callbacks.onConfigChanged = [this](const DockConfig& c) {
            calls_.push_back("changed");
            committed_ = c;
        };
        callbacks.onToggleNativeTaskbar = [this] { calls_.push_back("taskbar"); };
        callbacks.onRestoreDefaults = [this] { calls_.push_back("defaults"); };
        return callbacks;
    }

    void Open() {
        window_.Open(GetModuleHandleW(nullptr), &graphics_, config_, Recording());
        ASSERT_NE(window_.Window(), nullptr);
        UpdateWindow(window_.Window());
        ASSERT_FALSE(window_.HitItems().empty()) << "the first paint records the clickable elements";
    }

    AutoStartCalls savedAutoStart_;
    bool oleReady_ = false;
    GraphicsDevice graphics_;
    SettingsWindow window_;
    DockConfig config_;
    DockConfig committed_;
    std::vector<std::string> calls_;
};

}  // namespace

TEST_F(SettingsWindowTest, OpensCentredAtTheFreshSizeAndReopensOnTheSameSection) {
    for (int page = 0; page < 4; ++page) EXPECT_TRUE(window_.WarmNextPage(&graphics_)) << "a page a call";
    EXPECT_FALSE(window_.WarmNextPage(&graphics_)) << "five pages in all";
    EXPECT_EQ(window_.Section(), 0) << "drawing the pages ahead opens none of them";
    EXPECT_TRUE(window_.HitItems().empty());
    Open();
    RECT client = {};
    GetClientRect(window_.Window(), &client);
    EXPECT_EQ(client.right, std::lround(680 * window_.Scale()));
    EXPECT_EQ(client.bottom, std::lround(540 * window_.Scale()));
    RECT frame = {};
    GetWindowRect(window_.Window(), &frame);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);

    ShowSection(window_, 2);
    EXPECT_EQ(window_.Section(), 2);
    HWND first = window_.Window();
    config_.iconSize = 60.0f;
    config_.autoStart = true;  // the file's flag; the system says otherwise
    window_.Open(GetModuleHandleW(nullptr), &graphics_, config_, Recording());
    EXPECT_EQ(window_.Window(), first) << "opening an open window raises it";
    EXPECT_EQ(window_.Section(), 2);
    EXPECT_EQ(window_.Config().iconSize, 60.0f) << "with the owner's current configuration";
    EXPECT_FALSE(window_.Config().autoStart) << "the auto-start row shows the system's state";

    SendMessageW(window_.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window_.Window(), nullptr);
    g_realLoadImage = SwapLoadImage(&CountedLoadImage);
    window_.Open(GetModuleHandleW(nullptr), &graphics_, config_, Recording());
    SwapLoadImage(g_realLoadImage);
    EXPECT_EQ(window_.Section(), 2) << "a new window opens on the page it was left on";
    EXPECT_EQ(g_imageLoads, 0) << "the class took its icons once; no more are made per window";
    EXPECT_TRUE(calls_.empty());
}

TEST_F(SettingsWindowTest, EscCloseAndDoneCallNothingWhileTheButtonsCallTheirOwnCallbackFirst) {
    Open();
    SendMessageW(window_.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(window_.Window(), nullptr);
    Open();
    SendMessageW(window_.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window_.Window(), nullptr);
    Open();
    Click(window_, 610, 512);  // 完成
    EXPECT_EQ(window_.Window(), nullptr);
    EXPECT_TRUE(calls_.empty());

    config_.hiddenTrayApps = {L"c:\\tray.exe"};
    config_.iconSize = 40.0f;
    config_.clearedNotifWatermark = 1234;
    Open();
    ShowSection(window_, 3);
    Click(window_, 300, 423);  // 切换显示 Windows 任务栏, the wide one beside the tray button
    EXPECT_EQ(calls_, (std::vector<std::string>{"taskbar"}));
    Click(window_, 507, 512);  // 恢复默认
    EXPECT_EQ(calls_, (std::vector<std::string>{"taskbar", "defaults"})) << "and never a configuration change";
    EXPECT_EQ(window_.Config().iconSize, 48.0f);
    EXPECT_TRUE(window_.Config().hiddenTrayApps.empty());
    EXPECT_EQ(window_.Config().clearedNotifWatermark, 1234u) << "cleared notifications stay cleared";
}

TEST_F(SettingsWindowTest, SwitchesSegmentsTilesAndTheTrayButtonCommitAtOnce) {
    config_.hiddenTrayApps = {L"c:\\tray.exe"};
    Open();
    Click(window_, 500, 188);  // 启用鼠标鱼眼放大
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_FALSE(committed_.magnifyEnabled);
    float scaleBefore = window_.Config().magnifyScale;
    Send(window_, WM_LBUTTONDOWN, 428, 254);  // 放大倍率 while inert
    EXPECT_EQ(window_.DraggedSlider(), 0) << "an inert slider takes no press";
    Send(window_, WM_LBUTTONUP, 428, 254);
    EXPECT_EQ(calls_.size(), 1u);
    EXPECT_EQ(window_.Config().magnifyScale, scaleBefore);

    ShowSection(window_, 1);
    for (int theme : {1, 2, 0, 0}) {
        Click(window_, 437 + 80.0f * theme, 129);
        EXPECT_EQ(committed_.theme, theme);
    }
    EXPECT_EQ(calls_.size(), 5u) << "the selected segment commits again";

    ShowSection(window_, 2);
    Click(window_, 200 + 228 * (9 % 2) + 114, 117 + 38 * (9 / 2));  // 深浅模式
    Click(window_, 200 + 228 * (4 % 2) + 114, 117 + 38 * (4 / 2));  // 保持亮屏
    EXPECT_EQ(committed_.controlCenterTiles,
              (std::vector<std::wstring>{L"wifi", L"bluetooth", L"snip", L"lock", L"keep_awake", L"screen_off",
                                         L"theme_mode", L"desktop_icons"}));

    ShowSection(window_, 3);
    Click(window_, 500, 122);  // the top bar off
    EXPECT_FALSE(committed_.showTopBar);
    size_t before = calls_.size();
    for (float y : {166.0f, 210.0f, 254.0f}) Click(window_, 500, y);
    EXPECT_EQ(calls_.size(), before) << "the rows below an absent top bar take no clicks";
    EXPECT_TRUE(window_.Config().topBarReserveSpace);
    EXPECT_TRUE(window_.Config().showLunarCalendar);

    auto button = [&](int id) {
        for (const auto& item : window_.HitItems()) {
            if (item.id == id) return item;
        }
        return HitItem{};
    };
    EXPECT_FLOAT_EQ(button(30).right - button(30).left, 206.0f);
    Click(window_, (button(31).left + button(31).right) / 2, 423);
    EXPECT_TRUE(committed_.hiddenTrayApps.empty());
    EXPECT_EQ(button(31).id, 0) << "the tray button is gone";
    EXPECT_FLOAT_EQ(button(30).right - button(30).left, 184.0f);
}

TEST_F(SettingsWindowTest, EverySwitchRowFlipsItsOwnSettingAndNoOther) {
    // The top bar's own switch comes last: it makes the rows below it inert.
    const std::vector<std::pair<int32_t, bool DockConfig::*>> rows = {
        {SettingsWindow::kHitMagnify, &DockConfig::magnifyEnabled},
        {SettingsWindow::kHitMacIcons, &DockConfig::useMacIcons},
        {SettingsWindow::kHitHideTaskbar, &DockConfig::hideTaskbar},
        {SettingsWindow::kHitHideOnFullscreen, &DockConfig::hideDockOnFullscreen},
        {SettingsWindow::kHitBrightness, &DockConfig::ccShowBrightness},
        {SettingsWindow::kHitVolume, &DockConfig::ccShowVolume},
        {SettingsWindow::kHitReserveSpace, &DockConfig::topBarReserveSpace},
        {SettingsWindow::kHitOriginalTrayIcons, &DockConfig::topBarOriginalTrayIcons},
        {SettingsWindow::kHitLunar, &DockConfig::showLunarCalendar},
        {SettingsWindow::kHitDoNotDisturb, &DockConfig::doNotDisturb},
        {SettingsWindow::kHitTopBar, &DockConfig::showTopBar},
    };
    Open();
    size_t clicked = 0;
    for (int section = 0; section < 5; ++section) {
        ShowSection(window_, section);
        for (const auto& [id, setting] : rows) {
            const auto& items = window_.HitItems();
            auto item = std::find_if(items.begin(), items.end(), [id = id](const HitItem& i) { return i.id == id; });
            if (item == items.end()) continue;
            DockConfig expected = window_.Config();
            expected.*setting = !(expected.*setting);
            Click(window_, (item->left + item->right) / 2, (item->top + item->bottom) / 2);
            EXPECT_TRUE(committed_ == expected) << "row " << id;
            ++clicked;
        }
    }
    EXPECT_EQ(clicked, rows.size());
}

TEST_F(SettingsWindowTest, AFailedAutoStartShowsOff) {
    Open();
    ShowSection(window_, 3);
    Click(window_, 500, 376);
    ASSERT_FALSE(calls_.empty());
    EXPECT_FALSE(window_.Config().autoStart) << "the system refused: the switch stays off";
    EXPECT_FALSE(committed_.autoStart);

    bool installed = false;
    AutoStartSystem().executablePath = [] { return std::wstring(L"C:\\vantreel.exe"); };
    AutoStartSystem().registerTask = [&](const std::wstring&) { return installed = true; };
    AutoStartSystem().isInstalled = [&] { return installed; };
    AutoStartSystem().uninstall = [&] { installed = false; return true; };
    Click(window_, 500, 376);
    EXPECT_TRUE(installed);
    EXPECT_TRUE(committed_.autoStart);
    Click(window_, 500, 376);
    EXPECT_FALSE(installed);
    EXPECT_FALSE(committed_.autoStart);
}

TEST_F(SettingsWindowTest, OpensBeforeTheSystemAnswersAndThenShowsItsAutoStartState) {
    HANDLE answer = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    AutoStartSystem().isInstalled = [answer] { return WaitForSingleObject(answer, INFINITE) == WAIT_OBJECT_0; };
    Open();
    EXPECT_FALSE(window_.Config().autoStart) << "the stored flag until the system says";
    SetEvent(answer);
    for (MSG msg; !window_.Config().autoStart && GetMessageW(&msg, nullptr, 0, 0);) DispatchMessageW(&msg);
    EXPECT_TRUE(window_.Config().autoStart);
    CloseHandle(answer);
}

TEST_F(SettingsWindowTest, ADragCommitsEveryStepAndALostCaptureEndsItWithoutALastOne) {
    Open();
    Send(window_, WM_LBUTTONDOWN, 218, 158);  // 图标大小 track
    EXPECT_EQ(window_.DraggedSlider(), 1);
    EXPECT_EQ(GetCapture(), window_.Window());
    Send(window_, WM_MOUSEMOVE, 428, 158);
    EXPECT_EQ(committed_.iconSize, 52.0f);
    Send(window_, WM_MOUSEMOVE, 2000, 400);  // far outside: the capture keeps the drag
    EXPECT_EQ(committed_.iconSize, 72.0f);
    size_t steps = calls_.size();
    EXPECT_EQ(steps, 3u);
    ReleaseCapture();
    EXPECT_EQ(window_.DraggedSlider(), 0);
    Send(window_, WM_MOUSEMOVE, 300, 158);
    Send(window_, WM_LBUTTONUP, 300, 500);
    EXPECT_EQ(calls_.size(), steps) << "no step after the capture was lost";

    // A release over a track with no drag sets the value there, once.
    Send(window_, WM_LBUTTONUP, 428, 158);
    EXPECT_EQ(calls_.size(), steps + 1);
    EXPECT_EQ(window_.DraggedSlider(), 0);
}

TEST_F(SettingsWindowTest, PaintsTheLightAndDarkColours) {
    config_.theme = 2;
    Open();
    Pump();
    ExpectColour(window_, 100, 470, 241, 243, 247, "light sidebar");
    ExpectColour(window_, 660, 300, 249, 250, 253, "light content");
    ExpectColour(window_, 590, 500, 10, 133, 255, "accent (完成)");
    ShowSection(window_, 1);
    Click(window_, 437 + 80, 129);  // 深色
    UpdateWindow(window_.Window());
    Pump();
    ExpectColour(window_, 100, 470, 24, 26, 33, "dark sidebar");
    ExpectColour(window_, 660, 300, 30, 32, 40, "dark content");
    ExpectColour(window_, 590, 500, 10, 133, 255, "accent (完成)");
}

// The client's pixels as the window's DC holds them.
std::vector<uint32_t> ClientPixels(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = GetDC(window);
    HDC copy = CreateCompatibleDC(dc);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(copy, dib);
    BitBlt(copy, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + client.right * client.bottom);
    SelectObject(copy, old);
    DeleteObject(dib);
    DeleteDC(copy);
    ReleaseDC(window, dc);
    return pixels;
}

// A page kept by its window and one painted before a window opened show the
// pixels of the page drawn afresh.
TEST_F(SettingsWindowTest, KeptPagesShowThePixelsOfFreshlyDrawnOnes) {
    Open();
    const std::vector<uint32_t> fresh = ClientPixels(window_.Window());
    ASSERT_GT(std::count_if(fresh.begin(), fresh.end(), [&](uint32_t p) { return p != fresh[0]; }), 1000);
    ShowSection(window_, 3);
    ShowSection(window_, 0);
    EXPECT_TRUE(ClientPixels(window_.Window()) == fresh) << "kept by the window";
    window_.Close();
    SettingsWindow ahead;
    while (ahead.WarmNextPage(&graphics_, &config_)) {
    }
    ahead.Open(GetModuleHandleW(nullptr), &graphics_, config_, Recording());
    UpdateWindow(ahead.Window());
    EXPECT_TRUE(ClientPixels(ahead.Window()) == fresh) << "painted before the window opened";
    EXPECT_EQ(ahead.HitItems().size(), window_.HitItems().size());
}

// A cut list's notice names the file kept aside, a dated copy's longer name
// too: all of it shows left of the footer's buttons, at 96 and 144 DPI.
TEST_F(SettingsWindowTest, TheFooterNoticeShowsWhollyLeftOfItsButtons) {
    Open();
    const std::vector<uint32_t> plain = ClientPixels(window_.Window());
    for (const std::wstring name : {L"vantreel.json.bak", L"vantreel.json.bak-20261211-153012"}) {
        const std::wstring notice = L"列表过长，已截短以便保存；原文件保留为 " + name;
        EXPECT_EQ(FooterNoticeLines(notice, 252, [](const std::wstring& t) { return 7.5f * t.size(); }),
                  (std::vector<std::wstring>{L"列表过长，已截短以便保存；原文件保留为", name}));
        window_.ShowSaveNotice(notice);
        UpdateWindow(window_.Window());
        const std::vector<uint32_t> shown = ClientPixels(window_.Window());
        PictureCanvas canvas;
        SettingsWindow::PaintKit kit;
        const std::vector<uint32_t> big = painted_pictures::PaintPixels(canvas, graphics_, 1020, 84, 144, [&](auto* target) {
            BuildPaintKit(kit, target, graphics_.dwriteFactory.Get(), true, false);
            DrawFooterNotice(target, kit.dwrite, kit.caption.Get(), notice, {200, 0, 452, 56}, kit.primary.Get());
        });
        int at96[2] = {}, at144[2] = {};  // the notice's pixels left of the buttons, under them
        for (int i = 680 * 484; i < 680 * 540; ++i) at96[i % 680 >= 452] += i % 680 > 176 && shown[i] != plain[i];
        for (size_t i = 0; i < big.size(); ++i) at144[i % 1020 >= 678] += (big[i] >> 24) > 0;
        EXPECT_EQ(std::vector<int>({at96[0] > 400, at96[1], at144[0] > 400, at144[1]}), std::vector<int>({1, 0, 1, 0}));
    }
}

namespace {

class DockWithSettings : public ::testing::Test {
protected:
    void SetUp() override {
        oleReady_ = SUCCEEDED(OleInitialize(nullptr));
        configPath_ = dir_.File(L"vantreel.json");
        DockConfig config;
        config.hideTaskbar = false;
        WriteFileBytes(configPath_, fileText_.empty() ? DockConfig::ToJson(config) : fileText_);
        dock_.configPathSource = [this] { return configPath_; };
        dock_.Hider().watchdogProgram = BinDir() + L"\\vantreel.exe";
        ASSERT_TRUE(dock_.Initialize(GetModuleHandleW(nullptr), false));
        Pump();
    }

    void TearDown() override {
        dock_.Shutdown();
        if (oleReady_) OleUninitialize();
    }

    bool oleReady_ = false;
    TempDir dir_;
    std::wstring configPath_;
    std::string fileText_;  // what the dock starts with; the defaults when empty
    DockWindow dock_;
};

// 330,000 hidden tray keys in 3.6 MB: the loader takes the file, but written
// one key a line it would not fit the size a configuration may have.
class DockWithLongHiddenList : public DockWithSettings {
protected:
    void SetUp() override {
        fileText_ = "{\"hideTaskbar\": false, \"hiddenTrayApps\": [";
        for (int i = 0; i < 330000; ++i) fileText_ += (i ? ",\"ap" : "\"ap") + std::to_string(i) + "\"";
        fileText_ += "]}";
        DockWithSettings::SetUp();
    }
};

}  // namespace

TEST_F(DockWithLongHiddenList, ASwitchReachesTheFileAndARefusedSaveIsShown) {
    ASSERT_GT(fileText_.size(), 3500000u);
    const std::vector<uint8_t> kept = ReadFileBytes(ConfigCopies(configPath_).at(0));
    EXPECT_TRUE(std::string(kept.begin(), kept.end()) == fileText_) << "what the loader cut is kept";
    SendMessageW(dock_.InputWindow(), WM_HOTKEY, 2, 0);  // Ctrl+Alt+comma
    SettingsWindow& settings = dock_.Settings();
    ASSERT_NE(settings.Window(), nullptr);
    UpdateWindow(settings.Window());
    Click(settings, 500, 188);  // 启用鼠标鱼眼放大
    EXPECT_FALSE(LoadConfig(configPath_).magnifyEnabled);

    // A save that cannot be written is shown where the footer promises saving.
    ASSERT_TRUE(CreateDirectoryW((configPath_ + L".tmp").c_str(), nullptr));
    Click(settings, 500, 188);
    EXPECT_TRUE(dock_.Config().magnifyEnabled);
    ExpectColour(settings, 204, 512, 230, 56, 54, "the refused save's mark");
}

TEST_F(DockWithSettings, ChangesMadeElsewhereWhileOpenAreNotUndoneByTheNextSliderStep) {
    SendMessageW(dock_.InputWindow(), WM_HOTKEY, 2, 0);  // Ctrl+Alt+comma
    SettingsWindow& settings = dock_.Settings();
    ASSERT_NE(settings.Window(), nullptr);
    UpdateWindow(settings.Window());
    SendMessageW(dock_.InputWindow(), WM_DOCK_WALLPAPER_LUMA, IsDarkGlass(kGlassThemeSystem) ? 900 : 100, 0);
    EXPECT_TRUE(GetUpdateRect(settings.Window(), nullptr, FALSE)) << "the followed theme turned; old colours kept";

    InstalledApp app;
    app.launchId = L"C:\\Apps\\Hidden.exe";
    dock_.AllApps().callbacks.onHideApp(app);
    SendMessageW(dock_.InputWindow(), WM_HOTKEY, 1, 0);  // Ctrl+Alt+T
    ASSERT_TRUE(dock_.Config().hideTaskbar);
    EXPECT_TRUE(settings.Config().hideTaskbar) << "the open window follows the owner";

    Send(settings, WM_LBUTTONDOWN, 428, 158);
    Send(settings, WM_LBUTTONUP, 428, 158);
    DockConfig saved = LoadConfig(configPath_);
    EXPECT_EQ(saved.iconSize, 52.0f);
    EXPECT_EQ(saved.hiddenApps, (std::vector<std::wstring>{NormalizePathKey(L"C:\\Apps\\Hidden.exe")}));
    EXPECT_TRUE(saved.hideTaskbar);

    // The window's taskbar button takes the owner's new state rather than
    // inverting its own.
    ShowSection(settings, 3);
    Click(settings, 300, 423);
    EXPECT_FALSE(dock_.Config().hideTaskbar);
    EXPECT_FALSE(settings.Config().hideTaskbar);
    EXPECT_FALSE(LoadConfig(configPath_).hideTaskbar);

    // Restoring the defaults keeps the watermark of cleared notifications.
    dock_.TopBar().callbacks.onNotificationsCleared(777);
    Click(settings, 507, 512);
    EXPECT_EQ(LoadConfig(configPath_).clearedNotifWatermark, 777u);
    EXPECT_EQ(settings.Config().clearedNotifWatermark, 777u);

    dock_.Shutdown();
    EXPECT_EQ(settings.Window(), nullptr) << "the dock's shutdown closes the window";
}
