// The bar's drop-down panels in the running program: a click on a status item
// through the X pointer opens its panel where the layout puts it, a second
// click closes it, the clock switches an open panel in place, and the panels'
// controls act (month buttons, the control center's tiles). Every panel
// is saved as a PNG beside the test programs for a look.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "support/ScreenDc.h"
#include "TopBarLog.h"
#include "XPointer.h"
#include "support/WindowProgram.h"
#include "system/AudioDevices.h"
#include "system/WifiService.h"

namespace {

constexpr wchar_t kPopoverClass[] = L"VantreelTopBarPopover";

bool FullHdScreen() { return GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080; }

uint32_t Crc32(const std::string& bytes, size_t from) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= static_cast<uint8_t>(bytes[i]);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBig(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.append(type, 4);
    out += data;
    PutBig(out, Crc32(out, start));
}

// The pixels as an opaque RGB PNG in stored (uncompressed) deflate blocks:
// plain enough to need no encoder (Wine's answered E_HANDLE after its first use).
bool SavePng(const std::wstring& path, const std::vector<uint32_t>& pixels, int width, int height) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw.push_back(static_cast<char>((p >> 16) & 0xFF));
            raw.push_back(static_cast<char>((p >> 8) & 0xFF));
            raw.push_back(static_cast<char>(p & 0xFF));
        }
    }
    std::string zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n >= raw.size() ? 1 : 0);
        zlib.push_back(static_cast<char>(n & 0xFF));
        zlib.push_back(static_cast<char>(n >> 8));
        zlib.push_back(static_cast<char>(~n & 0xFF));
        zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
        zlib.append(raw, at, n);
        if (n == 0) break;
    }
    uint32_t a = 1, b = 0;
    for (char c : raw) {
        a = (a + static_cast<uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    PutBig(zlib, (b << 16) | a);
    std::string header;
    PutBig(header, static_cast<uint32_t>(width));
    PutBig(header, static_cast<uint32_t>(height));
    header += std::string{8, 2, 0, 0, 0};  // 8-bit RGB
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");
    testing_support::WriteFileBytes(path, png);
    return testing_support::ReadFileBytes(path).size() == png.size();
}

struct Look {
    int lit = 0;      // pixels brighter than near-black
    size_t colours = 0;  // distinct colours, each channel cut to 5 bits
};

Look LookAt(const std::vector<uint32_t>& pixels) {
    Look look;
    std::set<uint32_t> seen;
    for (uint32_t p : pixels) {
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        look.lit += r + g + b > 60;
        seen.insert(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    }
    look.colours = seen.size();
    return look;
}

class RunningPopover : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FullHdScreen()) GTEST_SKIP() << "the expected geometry is for a 1920 x 1080 screen";
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        if (started) {
            const bool running = dock.IsRunning();
            const DWORD code = dock.CloseAndWait();
            const std::vector<uint8_t> crash =
                testing_support::ReadFileBytes(dock.Folder().File(L"Vantreel-crash.log"));
            EXPECT_EQ(code, 0u) << (running ? "ran until closed" : "ended before") << "\n"
                                << dock.DebugLog() << "\n"
                                << std::string(crash.begin(), crash.end());
            EXPECT_EQ(dock.DebugLog().find("exception"), std::string::npos);
        }
        CoUninitialize();
    }

    void Start(const DockConfig& config) {
        ASSERT_TRUE(StartAndWaitForWindowList(dock, config));
        started = true;
        ASSERT_TRUE(WaitUntil([&] { return TopBarItemSpan(dock.DebugLog(), 12, left, right); }, 5000))
            << dock.DebugLog();
        XMoveTo({960, 600});
    }
    // The centre of an item of the bar's last layout.
    POINT ItemCentre(int id) {
        int l = 0, r = 0;
        EXPECT_TRUE(TopBarItemSpan(dock.DebugLog(), id, l, r)) << "no item " << id;
        return {(l + r) / 2, 16};
    }
    HWND Panel() const { return dock.FindWindowOfClass(kPopoverClass); }
    bool PanelShown() const {
        HWND panel = Panel();
        return panel && IsWindowVisible(panel);
    }
    // Waits for the panel to show with the outer size (DIP + 28 at scale 1)
    // and its right edge 14 px right of the anchor.
    RECT WaitForPanel(int anchorX, int width, int height) {
        RECT rect = {};
        const bool placed = WaitUntil(
            [&] {
                HWND panel = Panel();
                if (!panel || !IsWindowVisible(panel)) return false;
                GetWindowRect(panel, &rect);
                return rect.right - rect.left == width + 28 && rect.bottom - rect.top == height + 28;
            },
            5000);
        EXPECT_TRUE(placed) << "panel at (" << rect.left << ", " << rect.top << ")-(" << rect.right << ", "
                            << rect.bottom << "), wanted " << width << " x " << height << "\n"
                            << dock.DebugLog();
        EXPECT_NEAR(rect.right, std::min(anchorX, 1912) + 14, 1);
        EXPECT_EQ(rect.top, 22);
        return rect;
    }
    // The panel without its shadow margin.
    static RECT Inner(const RECT& outer) {
        return {outer.left + 14, outer.top + 14, outer.right - 14, outer.bottom - 14};
    }
    void SaveShot(const RECT& outer, const wchar_t* name) {
        const RECT inner = Inner(outer);
        if (inner.right <= inner.left || inner.bottom <= inner.top) return;
        // The panel's frame reaches the X server in its own time.
        const int area = (inner.right - inner.left) * (inner.bottom - inner.top);
        std::vector<uint32_t> pixels;
        WaitUntil(
            [&] {
                pixels = CaptureScreenDc(inner);
                const Look look = LookAt(pixels);
                return look.lit > area / 2 && look.colours > 40u;
            },
            15000);
        const std::wstring path = testing_support::BinDir() + L"\\popover_" + name + L".png";
        EXPECT_TRUE(SavePng(path, pixels, inner.right - inner.left, inner.bottom - inner.top)) << "saving " << name;
        const Look look = LookAt(pixels);
        EXPECT_GT(look.lit, area / 2) << name << ": lit glass";
        EXPECT_GT(look.colours, 40u) << name << ": text, glyphs and glass, not one flat colour";
    }
    void Click(HWND window, POINT screen) { ASSERT_TRUE(XClickOn(window, screen)); }
    HWND Bar() const { return dock.FindWindowOfClass(L"VantreelTopBarWindow"); }
    // A point of the panel at DIP (x, y).
    static POINT At(const RECT& outer, float x, float y) {
        return {outer.left + 14 + static_cast<LONG>(std::lround(x)), outer.top + 14 + static_cast<LONG>(std::lround(y))};
    }

    DockProcess dock;
    bool started = false;
    int left = 0, right = 0;
};

TEST_F(RunningPopover, StatusItemsOpenTheirPanelsAndASecondClickClosesThem) {
    Start(TestDockConfig());
    // The sizes follow what this machine answers; the test asks it too.
    const size_t outputs = vantreel::EnumerateAudioOutputDevices().size();
    const vantreel::WifiPanelState wifi = vantreel::ScanWifiNetworks(false);
    const int wifiHeight = (wifi.ethernetConnected ? 110 : 58) +
                           (wifi.radioOn ? 10 + 36 * std::clamp<int>(static_cast<int>(wifi.networks.size()), 1, 7)
                                         : 88) +
                           42;
    struct Case {
        int item;
        const wchar_t* name;
        int width, height;
    };
    const Case cases[] = {
        {7, L"sound", 304, 170 + 34 * std::clamp<int>(static_cast<int>(outputs), 1, 6)},
        {8, L"wifi", 324, wifiHeight},
        {11, L"control_center", 332, 354},
        {12, L"calendar", 316, 412},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        int l = 0, r = 0;
        if (!TopBarItemSpan(dock.DebugLog(), c.item, l, r)) {
            ADD_FAILURE() << "item " << c.item << " is not on the bar: " << dock.DebugLog();
            continue;
        }
        Click(Bar(), ItemCentre(c.item));
        const RECT rect = WaitForPanel(r, c.width, c.height);
        if (c.item == 12) {
            EXPECT_EQ(rect.left, 1582);
            EXPECT_EQ(rect.top, 22);
        }
        SaveShot(rect, c.name);
        Click(Bar(), ItemCentre(c.item));
        EXPECT_TRUE(WaitUntil([&] { return !PanelShown(); }, 3000)) << "a second click closes it";
    }

    ASSERT_TRUE(dock.IsRunning()) << "after the four panels";

    // From the sound panel the clock switches to the calendar without closing.
    Click(Bar(), ItemCentre(7));
    int l = 0, r = 0;
    TopBarItemSpan(dock.DebugLog(), 7, l, r);
    WaitForPanel(r, 304, 170 + 34 * std::clamp<int>(static_cast<int>(outputs), 1, 6));
    HWND panel = Panel();
    Click(Bar(), ItemCentre(12));
    RECT rect = WaitForPanel(1912, 316, 412);
    EXPECT_EQ(Panel(), panel) << "the same window";
    EXPECT_EQ(rect.left, 1582);

    ASSERT_TRUE(dock.IsRunning()) << "after switching";

    // Escape closes it.
    ASSERT_TRUE(Xdotool(L"key Escape"));
    EXPECT_TRUE(WaitUntil([&] { return !PanelShown(); }, 3000));
    EXPECT_TRUE(dock.Answers()) << "after Escape";
}

TEST_F(RunningPopover, MonthButtonsAndClosingFromOutside) {
    Start(TestDockConfig());
    // Mute is not looked at here: Wine keeps it in each volume object, so
    // neither this process nor the program's next reading sees it change.

    // "<" then ">" gives the month's own pixels back (the clock line aside).
    Click(Bar(), ItemCentre(12));
    RECT rect = WaitForPanel(1912, 316, 412);
    const RECT grid = {rect.left + 14 + 14, rect.top + 14 + 116, rect.right - 14 - 14, rect.bottom - 14 - 50};
    // The month as it settles on the screen: the same in two looks running.
    std::vector<uint32_t> month = CaptureScreenDc(grid);
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<uint32_t> again = CaptureScreenDc(grid);
            const bool settled = again == month && LookAt(again).colours > 40u;
            month = again;
            return settled;
        },
        15000));
    // Each step waits for the panel's word that it took the click; the pixels
    // then only have to reach the screen.
    auto monthsShown = [&] {
        const std::string log = dock.DebugLog();
        int count = 0;
        for (size_t at = log.find("Calendar shows "); at != std::string::npos; at = log.find("Calendar shows ", at + 1)) {
            ++count;
        }
        return count;
    };
    Click(Panel(), At(rect, 316 - 101, 86 + 12));
    ASSERT_TRUE(WaitUntil([&] { return monthsShown() == 1; }, 30000)) << "\"<\" was not taken\n" << dock.DebugLog();
    EXPECT_TRUE(WaitUntil([&] { return CaptureScreenDc(grid) != month; }, 10000)) << "the previous month";
    Click(Panel(), At(rect, 316 - 27, 86 + 12));
    ASSERT_TRUE(WaitUntil([&] { return monthsShown() == 2; }, 30000)) << "\">\" was not taken\n" << dock.DebugLog();
    EXPECT_TRUE(WaitUntil([&] { return CaptureScreenDc(grid) == month; }, 10000)) << "and back";
    SaveShot(rect, L"calendar_back");

    // A click on another window 300 ms after opening closes the panel.
    testing_support::WindowProgram other(testing_support::BinDir() + L"\\foreground_window_gui.exe",
                                         L"VantreelPopoverClickAway Probe");
    ASSERT_NE(other.Window(), nullptr);
    SetWindowPos(other.Window(), HWND_TOPMOST, 200, 300, 400, 300, SWP_SHOWWINDOW);
    Click(Bar(), ItemCentre(12));
    WaitForPanel(1912, 316, 412);
    // After the opening click's grace by this clock, as a user's click would
    // come; the program looks again at one that comes within it by its own.
    Sleep(300);
    Click(other.Window(), {400, 450});
    EXPECT_TRUE(WaitUntil([&] { return !PanelShown(); }, 3000)) << "losing activation closes it";
    other.Close();
}

TEST_F(RunningPopover, ThemeTileWritesTheThemeAndScreenOffLeavesTheProgramRunning) {
    DockConfig config = TestDockConfig();
    config.theme = 1;
    config.controlCenterTiles = {L"theme_mode", L"screen_off"};
    Start(config);
    int l = 0, r = 0;
    TopBarItemSpan(dock.DebugLog(), 11, l, r);
    Click(Bar(), ItemCentre(11));
    // Two tiles in a row and both sliders: 14 + 56 + 10 + 62 + 8 + 62 + 14.
    RECT rect = WaitForPanel(r, 332, 226);
    SaveShot(rect, L"control_center_dark");
    auto brightness = [&] {
        long long sum = 0;
        for (uint32_t p : CaptureScreenDc(Inner(rect))) sum += (p & 255) + ((p >> 8) & 255) + ((p >> 16) & 255);
        return sum;
    };
    const long long dark = brightness();
    Click(Panel(), At(rect, 88, 42));
    EXPECT_TRUE(WaitUntil([&] { return dock.ConfigFileText().find("\"theme\": 2") != std::string::npos; }, 3000))
        << dock.ConfigFileText();
    EXPECT_TRUE(PanelShown()) << "the panel stays, now light";
    WaitUntil([&] { return brightness() > dark * 3 / 2; }, kLeastWaitMs);  // the light frame on the screen
    SaveShot(rect, L"control_center_light");

    Click(Panel(), At(rect, 244, 42));
    EXPECT_TRUE(WaitUntil([&] { return !PanelShown(); }, 3000)) << "screen off hides the panel first";
    ASSERT_TRUE(WaitUntil([&] { return dock.DebugLog().find("screens were asked to turn off") != std::string::npos; },
                          kLeastWaitMs));
    // Clicks come after what was posted before them, the broadcast among it.
    Click(Bar(), ItemCentre(11));
    WaitForPanel(r, 332, 226);
    EXPECT_TRUE(dock.IsRunning()) << dock.WaitForExit(100) << "\n" << dock.DebugLog();
}

}  // namespace
