// The settings window of the running program, opened with its hotkey and used
// with the X server's pointer like a user would: every control's effect is
// read back from the configuration file, the registry and the dock's windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "ScopedLogPixels.h"
#include "XPointer.h"
#include "config/ConfigFile.h"
#include "config/Paths.h"

using namespace testing_support;

namespace {

constexpr DWORD kWaitMs = 10000;

void PressOpenSettingsHotkey() {
    INPUT keys[6] = {};
    const WORD order[3] = {VK_CONTROL, VK_MENU, VK_OEM_COMMA};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i];
        keys[5 - i].type = INPUT_KEYBOARD;
        keys[5 - i].ki.wVk = order[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, keys, sizeof(INPUT));
}

std::wstring RunValue() {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Vantreel",
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return L"";
    }
    return value;
}

COLORREF ScreenPixel(POINT p) {
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool Near(COLORREF c, int r, int g, int b) {
    return std::abs(GetRValue(c) - r) <= 3 && std::abs(GetGValue(c) - g) <= 3 && std::abs(GetBValue(c) - b) <= 3;
}

std::string Rgb(COLORREF c) {
    return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c));
}

// Runs at the prefix's 96 DPI and again with the system at 144 (scale 1.5).
class SettingsUnderPointer : public ::testing::TestWithParam<DWORD> {
protected:
    void SetUp() override {
        dpi_ = std::make_unique<ScopedLogPixels>(GetParam());
        ASSERT_TRUE(dpi_->Applied());
        scale_ = static_cast<float>(GetParam()) / 96.0f;
        ASSERT_TRUE(XMoveTo({5, 5})) << "xdotool is needed to move the X pointer";
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Vantreel");
    }

    void TearDown() override {
        if (dock_.IsRunning()) dock_.CloseAndWait();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Vantreel");
        dpi_.reset();
    }

    // Waits for the display to show the colour at a client point in DIP.
    bool ShowsSoon(float x, float y, int r, int g, int b) {
        bool shown = WaitUntil([&] { return Near(ScreenPixel(Screen(x, y)), r, g, b); }, 3000);
        if (!shown) ADD_FAILURE() << x << "," << y << " shows " << Rgb(ScreenPixel(Screen(x, y)));
        return shown;
    }


    DockConfig Saved() const { return LoadConfig(dock_.Folder().File(L"vantreel.json")); }

    // Waits until the file says what the predicate wants.
    bool SavedSoon(const std::function<bool(const DockConfig&)>& wanted) {
        return WaitUntil([&] { return wanted(Saved()); }, kWaitMs);
    }

    POINT Screen(float x, float y) const {
        POINT p = {static_cast<LONG>(std::lround(x * scale_)), static_cast<LONG>(std::lround(y * scale_))};
        ClientToScreen(window_, &p);
        return p;
    }

    void ClickAt(float x, float y) { XClickAt(Screen(x, y)); }

    // Clicks hit what the window's last paint recorded: one on a new page
    // waits until the program says it painted that page.
    bool ShowsPage(int i) {
        const std::string painted = "Settings page " + std::to_string(i) + " painted";
        return WaitUntil(
            [&] {
                const std::string log = dock_.DebugLog();
                return log.rfind(painted) != std::string::npos && log.rfind(painted) == log.rfind("Settings page ");
            },
            kWaitMs);
    }
    void Section(int i) {
        ClickAt(88, 96 + 42.0f * i);
        EXPECT_TRUE(ShowsPage(i)) << "page " << i;
    }

    std::unique_ptr<ScopedLogPixels> dpi_;
    float scale_ = 1.0f;
    DockProcess dock_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_P(SettingsUnderPointer, EveryControlActsOnTheDockAndIsSavedBeforeTheNextClick) {
    DockConfig start = TestDockConfig();
    start.hiddenTrayApps = {L"c:\\tray\\app.exe"};
    ASSERT_TRUE(dock_.Start(start));
    ASSERT_TRUE(WaitUntil([&] { return dock_.StartupLogText().find(L"window list scanned") != std::wstring::npos; },
                          30000));

    ASSERT_TRUE(WaitUntil(
        [&] {
            PressOpenSettingsHotkey();
            window_ = dock_.FindWindowOfClass(L"VantreelSettingsWindow");
            return window_ && IsWindowVisible(window_);
        },
        kWaitMs))
        << "Ctrl+Alt+comma opens the window";
    ASSERT_TRUE(ShowsPage(0));
    RECT client = {};
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, std::lround(680 * scale_));
    EXPECT_EQ(client.bottom, std::lround(540 * scale_));
    RECT frame = {};
    GetWindowRect(window_, &frame);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);
    for (int i = 4; i >= 0; --i) Section(i);

    // Page 0: a switch flips its key, the icon-size slider resizes the dock.
    ClickAt(500, 188);
    EXPECT_TRUE(SavedSoon([](const DockConfig& c) { return !c.magnifyEnabled; }));
    ClickAt(500, 188);
    EXPECT_TRUE(SavedSoon([](const DockConfig& c) { return c.magnifyEnabled; }));
    RECT inputBefore = {};
    GetWindowRect(dock_.InputWindow(), &inputBefore);
    XMoveTo(Screen(300, 148));
    XButton(1, true);
    Sleep(100);  // a hand's pace: each step of the drag is a motion of its own
    XMoveTo(Screen(380, 150));
    Sleep(100);
    XMoveTo(Screen(428, 150));
    Sleep(100);
    XButton(1, false);
    EXPECT_TRUE(SavedSoon([](const DockConfig& c) { return c.iconSize == 52.0f; }));
    EXPECT_NE(dock_.ConfigFileText().find("\"iconSize\": 52"), std::string::npos);
    EXPECT_TRUE(WaitUntil(
        [&] {
            RECT now = {};
            GetWindowRect(dock_.InputWindow(), &now);
            return now.right - now.left > inputBefore.right - inputBefore.left;
        },
        kWaitMs))
        << "larger icons make a wider dock";

    // Page 1: the theme segments.
    Section(1);
    for (int theme : {1, 2, 0}) {
        ClickAt(437 + 80.0f * theme, 129);
        EXPECT_TRUE(SavedSoon([&](const DockConfig& c) { return c.theme == theme; })) << theme;
        if (theme == 1) {
            EXPECT_TRUE(ShowsSoon(100, 470, 24, 26, 33)) << "dark sidebar";
            EXPECT_TRUE(ShowsSoon(660, 300, 30, 32, 40)) << "dark content";
            EXPECT_TRUE(ShowsSoon(590, 500, 10, 133, 255)) << "accent";
        } else if (theme == 2) {
            EXPECT_TRUE(ShowsSoon(100, 470, 241, 243, 247)) << "light sidebar";
            EXPECT_TRUE(ShowsSoon(660, 300, 249, 250, 253)) << "light content";
            EXPECT_TRUE(ShowsSoon(590, 500, 10, 133, 255)) << "accent";
        }
    }

    // Page 2: a tile goes in at its table place.
    Section(2);
    ClickAt(200 + 228 + 114, 117 + 38 * 4);  // 深浅模式
    EXPECT_TRUE(SavedSoon([](const DockConfig& c) {
        return c.controlCenterTiles == std::vector<std::wstring>{L"wifi", L"bluetooth", L"snip", L"lock",
                                                                 L"screen_off", L"theme_mode", L"desktop_icons"};
    }));

    // Page 3: the tray button empties the list; auto-start writes and removes the Run value.
    Section(3);
    ClickAt(531, 423);
    EXPECT_TRUE(SavedSoon([](const DockConfig& c) { return c.hiddenTrayApps.empty(); }));
    ClickAt(500, 376);
    std::wstring expected = L"\"" + dock_.Folder().File(L"vantreel.exe") + L"\"";
    EXPECT_TRUE(WaitUntil([&] { return _wcsicmp(RunValue().c_str(), expected.c_str()) == 0; }, kWaitMs))
        << "Run value: " << std::string(RunValue().begin(), RunValue().end());
    EXPECT_TRUE(SavedSoon([](const DockConfig& c) { return c.autoStart; }));
    ClickAt(500, 376);
    EXPECT_TRUE(WaitUntil([&] { return RunValue().empty(); }, kWaitMs));

    // Restoring the defaults keeps the pinned list.
    Section(0);
    ClickAt(500, 188);
    ASSERT_TRUE(SavedSoon([](const DockConfig& c) { return !c.magnifyEnabled; }));
    ClickAt(507, 512);
    EXPECT_TRUE(SavedSoon([](const DockConfig& c) {
        return c.magnifyEnabled && c.iconSize == 48.0f && c.theme == 0 && c.hideTaskbar;
    }));
    DockConfig restored = Saved();
    ASSERT_EQ(restored.pinned.size(), 1u);
    EXPECT_EQ(restored.pinned[0].name, L"Notepad");

    // "完成" closes without touching the file: read once the program is done with the click.
    std::string before = dock_.ConfigFileText();
    ClickAt(610, 512);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window_); }, kWaitMs));
    ASSERT_TRUE(dock_.Answers());
    EXPECT_EQ(dock_.ConfigFileText(), before);
}

INSTANTIATE_TEST_SUITE_P(Dpi, SettingsUnderPointer, ::testing::Values(96u, 144u),
                         [](const ::testing::TestParamInfo<DWORD>& info) {
                             return "At" + std::to_string(info.param);
                         });
