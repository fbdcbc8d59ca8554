// The drop-down panel's paint for every kind, dark and light, drawn by
// Direct2D into an offscreen target of the panel's surface size: the hit
// list it records and pixels read back (premultiplied B, G, R, A at panel
// DIP, scale 1).

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PopoverCanvas.h"
#include "topbar/TopBarPopover.h"

namespace {

using vantreel::AudioDevice;
using vantreel::BluetoothDevice;
using vantreel::WifiNetwork;

struct Hit {
    int32_t id;
    float left, top, right, bottom;
    int32_t index;
};

::testing::AssertionResult SameHits(const std::vector<HitItem>& got, const std::vector<Hit>& want) {
    auto describe = [](const HitItem& h) {
        return std::to_string(h.id) + " (" + std::to_string(h.left) + ", " + std::to_string(h.top) + ", " +
               std::to_string(h.right) + ", " + std::to_string(h.bottom) + ") #" + std::to_string(h.index);
    };
    std::string all;
    for (const HitItem& h : got) all += "\n  " + describe(h);
    if (got.size() != want.size()) {
        return ::testing::AssertionFailure() << got.size() << " hits, want " << want.size() << ":" << all;
    }
    for (size_t i = 0; i < want.size(); ++i) {
        const HitItem& g = got[i];
        const Hit& w = want[i];
        if (g.id != w.id || g.index != w.index || std::fabs(g.left - w.left) > 0.01f ||
            std::fabs(g.top - w.top) > 0.01f || std::fabs(g.right - w.right) > 0.01f ||
            std::fabs(g.bottom - w.bottom) > 0.01f) {
            return ::testing::AssertionFailure() << "hit " << i << " differs:" << all;
        }
    }
    return ::testing::AssertionSuccess();
}

// The colour of the most opaque pixel in a rectangle, un-premultiplied.
struct Strongest {
    float r = 0, g = 0, b = 0;
    int a = 0;
};
Strongest StrongestIn(const CanvasImage& image, int left, int top, int right, int bottom) {
    Strongest best;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const Bgra p = image.At(x, y);
            if (p.a > best.a) best = {p.r * 255.0f / p.a, p.g * 255.0f / p.a, p.b * 255.0f / p.a, p.a};
        }
    }
    return best;
}

std::vector<uint8_t> OpaqueIcon(uint8_t b, uint8_t g, uint8_t r) {
    std::vector<uint8_t> pixels(48 * 48 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = b;
        pixels[i + 1] = g;
        pixels[i + 2] = r;
        pixels[i + 3] = 255;
    }
    return pixels;
}

WifiNetwork Network(const std::wstring& ssid, uint32_t signal, bool connected = false, bool secured = false,
                    bool hasProfile = false) {
    WifiNetwork network;
    network.ssid = ssid;
    network.signal = signal;
    network.connected = connected;
    network.secured = secured;
    network.hasProfile = hasProfile;
    return network;
}

TrayIconInfo TrayApp(const std::wstring& key, const std::wstring& name) {
    TrayIconInfo app;
    app.key = key;
    app.exePath = key;
    app.displayName = name;
    return app;
}

class PopoverPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(canvas.Ready());
        popover.device = &canvas.Device();
        popover.services.localTime = [this] { return now; };
        popover.services.loadFileIcon = [this](const std::wstring& path, IWICImagingFactory*, int) {
            iconLoads.push_back(path);
            return std::vector<uint8_t>();
        };
        now.wYear = 2025;
        now.wMonth = 10;
        now.wDay = 1;
        now.wDayOfWeek = 3;
        now.wHour = 9;
        now.wMinute = 5;
        now.wSecond = 7;
    }
    // As Redraw does: sized for the kind, hits emptied, drawn into a target
    // of the surface's pixel size.
    CanvasImage Paint(PopoverKind kind, bool dark) {
        popover.kind = kind;
        popover.UpdateSize();
        popover.hits.clear();
        const int w = std::max(static_cast<int>(std::lround(popover.width * popover.scale)), 32);
        const int h = std::max(static_cast<int>(std::lround(popover.height * popover.scale)), 32);
        return canvas.Render(w, h, [&](ID2D1DeviceContext* context) { popover.Paint(context, dark); });
    }

    PopoverCanvas canvas;
    TopBarPopover popover;
    SYSTEMTIME now = {};
    std::vector<std::wstring> iconLoads;
};

const Bgra kAccent = {245, 127, 10, 245};

TEST_F(PopoverPaintTest, SoundPanelMutedShowsAccentButtonAndEmptySlider) {
    popover.muted = true;
    popover.volume = 0.6f;
    popover.audioDevices = {{L"a", L"扬声器", false}, {L"b", L"耳机", true}, {L"c", L"显示器", false}};
    for (const bool dark : {true, false}) {
        CanvasImage image = Paint(PopoverKind::Sound, dark);
        ASSERT_EQ(image.width, 304);
        ASSERT_EQ(image.height, 272);
        EXPECT_TRUE(SameHits(popover.hits, {{102, 260, 14, 290, 38, -1},
                                            {101, 14, 48, 290, 72, -1},
                                            {103, 14, 118, 290, 148, 0},
                                            {103, 14, 152, 290, 182, 1},
                                            {103, 14, 186, 290, 216, 2},
                                            {104, 14, 234, 290, 262, -1}}));
        EXPECT_EQ(popover.volumeTrack.left, 14);
        EXPECT_EQ(popover.volumeTrack.right, 290);
        EXPECT_TRUE(Near(image.At(263, 26), kAccent, 3)) << "dark " << dark;
        // Muted, the fill ends at the knob on the left: the middle is the bare track.
        const Bgra middle = image.At(152, 52);
        EXPECT_LT(std::abs(middle.r - middle.b), 8) << "no accent in the track";
        // The default device's dot is accent, the others are dim.
        EXPECT_TRUE(Near(image.At(28, 167), kAccent, 20));
        EXPECT_LT(image.At(28, 133).b - image.At(28, 133).r, 8);
    }
    popover.muted = false;
    popover.audioDevices.clear();
    CanvasImage image = Paint(PopoverKind::Sound, true);
    EXPECT_EQ(image.height, 204);
    EXPECT_GT(image.At(263, 26).a, 0);
    EXPECT_LT(image.At(263, 26).a, 60) << "the unmuted button is a card";
    EXPECT_TRUE(Near(image.At(100, 60), kAccent, 12)) << "filled up to the knob at 0.6";
    EXPECT_TRUE(SameHits(popover.hits, {{102, 260, 14, 290, 38, -1},
                                        {101, 14, 48, 290, 72, -1},
                                        {104, 14, 166, 290, 194, -1}}));
}

TEST_F(PopoverPaintTest, WifiPanelListsTheScrolledRangeWithEthernetAndStatus) {
    popover.wifi.adapterPresent = true;
    popover.wifi.radioOn = true;
    popover.wifi.ethernetConnected = true;
    popover.wifi.ethernetName = L"有线";
    popover.wifi.ethernetSpeed = L"1 Gbps";
    popover.statusLine = L"正在连接「Cafe」...";
    for (int i = 0; i < 9; ++i) {
        popover.wifi.networks.push_back(Network(L"Net" + std::to_wstring(i), 90 - 10 * i, i == 3, i == 4, i == 5));
    }
    popover.wifiScroll = 5;
    for (const bool dark : {true, false}) {
        CanvasImage image = Paint(PopoverKind::Wifi, dark);
        ASSERT_EQ(image.width, 324);
        ASSERT_EQ(image.height, 438);
        std::vector<Hit> want = {{202, 230, 14, 260, 38, -1}, {201, 268, 15, 310, 37, -1}};
        for (int i = 2; i <= 8; ++i) {
            const float y = 98 + 24 + 36 * static_cast<float>(i - 2);
            want.push_back({203, 14, y, 310, y + 32, i});
        }
        want.push_back({205, 14, 400, 310, 428, -1});
        EXPECT_TRUE(SameHits(popover.hits, want));
        // The switch is on: accent under its right half, the white knob there.
        EXPECT_TRUE(Near(image.At(275, 26), kAccent, 3));
        EXPECT_GE(image.At(299, 26).a, 250);
        // The green dot of the Ethernet row.
        const Bgra green = image.At(28, 69);
        EXPECT_GT(green.g, green.r + 100);
    }

    popover.wifi.radioOn = false;
    popover.wifi.ethernetConnected = false;
    popover.statusLine.clear();
    CanvasImage image = Paint(PopoverKind::Wifi, true);
    EXPECT_EQ(image.height, 188);
    EXPECT_TRUE(SameHits(popover.hits, {{201, 268, 15, 310, 37, -1},
                                        {204, 108, 90, 216, 120, -1},
                                        {205, 14, 150, 310, 178, -1}}));
    EXPECT_TRUE(Near(image.At(112, 105), kAccent, 3)) << "the turn-on button";
}

TEST_F(PopoverPaintTest, BluetoothAndBatteryPanels) {
    popover.bluetooth.radioPresent = true;
    popover.bluetooth.radioOn = false;
    popover.bluetooth.devices = {{L"耳机", true, true}, {L"键盘", false, true}};
    for (const bool dark : {true, false}) {
        CanvasImage image = Paint(PopoverKind::Bluetooth, dark);
        ASSERT_EQ(image.width, 300);
        ASSERT_EQ(image.height, 176);
        EXPECT_TRUE(SameHits(popover.hits, {{301, 244, 15, 286, 37, -1}, {302, 14, 138, 286, 166, -1}}));
        EXPECT_GT(image.At(20, 73).a, 0) << "a device card";
    }

    popover.batteryPercent = 3;
    popover.acOnline = false;
    popover.batteryLifeSeconds = 7500;
    for (const bool dark : {true, false}) {
        CanvasImage image = Paint(PopoverKind::Battery, dark);
        ASSERT_EQ(image.width, 276);
        ASSERT_EQ(image.height, 152);
        EXPECT_TRUE(SameHits(popover.hits, {{401, 14, 114, 262, 142, -1}}));
        // 3 % still fills 4 % of the track: up to x 23.92, in accent on battery.
        EXPECT_TRUE(Near(image.At(20, 55), kAccent, 20));
        const Bgra track = image.At(40, 55);
        EXPECT_LT(std::abs(track.r - track.b), 8);
        EXPECT_TRUE(image.AnyOpaque(14, 72, 262, 96, 100)) << "the status text";
    }
    popover.acOnline = true;
    CanvasImage image = Paint(PopoverKind::Battery, true);
    EXPECT_GT(image.At(20, 55).g, image.At(20, 55).b) << "green on AC power";
}

TEST_F(PopoverPaintTest, ControlCenterTilesSlidersAndHint) {
    popover.wifi.radioOn = true;
    popover.brightness = {true, 70};
    popover.volume = 0.5f;
    for (const bool dark : {true, false}) {
        CanvasImage image = Paint(PopoverKind::ControlCenter, dark);
        ASSERT_EQ(image.width, 332);
        ASSERT_EQ(image.height, 354);
        EXPECT_TRUE(SameHits(popover.hits, {{501, 14, 14, 162, 70, 0},
                                            {501, 170, 14, 318, 70, 1},
                                            {501, 14, 78, 162, 134, 2},
                                            {501, 170, 78, 318, 134, 3},
                                            {501, 14, 142, 162, 198, 4},
                                            {501, 170, 142, 318, 198, 5},
                                            {507, 26, 238, 306, 260, -1},
                                            {101, 26, 308, 306, 330, -1}}));
        // Accent over the tile's card: the dark card hardly shows, the light one lifts it.
        EXPECT_TRUE(Near(image.At(25, 42), dark ? kAccent : Bgra{253, 135, 18, 253}, 3)) << "Wi-Fi on";
    }
    popover.wifi.radioOn = false;
    CanvasImage image = Paint(PopoverKind::ControlCenter, true);
    EXPECT_TRUE(Near(image.At(25, 42), {73, 73, 73, 73}, 3)) << "Wi-Fi off";
    // The brightness knob sits at 70 % of the track.
    EXPECT_GE(image.At(static_cast<int>(26 + 9.5f + 0.7f * (280 - 19)), 249).a, 250);

    // Five tiles, brightness only and not supported: the sentence, no hit 507.
    popover.config.controlCenterTiles = {L"wifi", L"hotspot", L"keep_awake", L"power_mode", L"theme_mode"};
    popover.config.ccShowVolume = false;
    popover.brightness = {false, 100};
    image = Paint(PopoverKind::ControlCenter, true);
    ASSERT_EQ(image.height, 284);
    ASSERT_EQ(popover.hits.size(), 5u);
    EXPECT_TRUE(SameHits({popover.hits[4]}, {{501, 14, 142, 318, 198, 4}}));
    EXPECT_TRUE(image.AnyOpaque(26, 238, 306, 260, 100)) << "the DDC sentence";

    popover.config.controlCenterTiles.clear();
    popover.config.ccShowBrightness = false;
    image = Paint(PopoverKind::ControlCenter, false);
    ASSERT_EQ(image.height, 76);
    EXPECT_TRUE(popover.hits.empty());
    EXPECT_TRUE(image.AnyOpaque(14, 14, 318, 62, 100)) << "the hint line";
}

TEST_F(PopoverPaintTest, TileGlyphsDrawInsideTheirCircles) {
    popover.config.controlCenterTiles = {L"wifi", L"bluetooth", L"snip", L"lock", L"keep_awake", L"power_mode",
                                         L"hotspot", L"project", L"screen_off", L"theme_mode", L"desktop_icons"};
    popover.config.ccShowBrightness = false;
    popover.config.ccShowVolume = false;
    CanvasImage image = Paint(PopoverKind::ControlCenter, true);
    ASSERT_EQ(popover.hits.size(), 11u);
    for (const HitItem& tile : popover.hits) {
        const int cx = static_cast<int>(tile.left) + 23, cy = static_cast<int>(tile.top) + 28;
        // Dark glass: white glyphs over the grey circle (73) or the accent one (red 10).
        int glyph = 0;
        for (int y = cy - 8; y <= cy + 8; ++y) {
            for (int x = cx - 8; x <= cx + 8; ++x) {
                if (image.At(x, y).r > 150) ++glyph;
            }
        }
        EXPECT_GT(glyph, 6) << "tile " << tile.index;
    }
    // The hotspot's arcs bow away from its dot: the inner ring at x +-4.2 is
    // drawn, the space between dot and ring stays clear.
    const HitItem& hotspot = popover.hits[6];
    const int cx = static_cast<int>(hotspot.left) + 23, cy = static_cast<int>(hotspot.top) + 28;
    EXPECT_GT(image.At(cx - 5, cy).r, 150);
    EXPECT_GT(image.At(cx + 4, cy).r, 150);
    EXPECT_LT(image.At(cx - 3, cy).r, 100);
    EXPECT_LT(image.At(cx + 2, cy).r, 100);
}

TEST_F(PopoverPaintTest, CalendarWithLunarDatesAndFestivalColour) {
    popover.calendarYear = 2025;
    popover.calendarMonth = 10;
    popover.config.showLunarCalendar = true;
    for (const bool dark : {true, false}) {
        CanvasImage image = Paint(PopoverKind::Calendar, dark);
        ASSERT_EQ(image.width, 316);
        ASSERT_EQ(image.height, 412);
        EXPECT_TRUE(SameHits(popover.hits, {{601, 202, 86, 228, 110, -1},
                                            {602, 232, 86, 272, 110, -1},
                                            {603, 276, 86, 302, 110, -1},
                                            {604, 14, 368, 154, 398, -1},
                                            {605, 162, 368, 302, 398, -1}}));
        const float cw = (316 - 28) / 7.0f;
        // October 2025 starts on a Wednesday: the 1st (today) is row 0, column 2.
        EXPECT_TRUE(Near(image.At(static_cast<int>(14 + 2 * cw + 6), 160), kAccent, 3));
        // The 6th, Monday of row 1, is the Mid-Autumn festival.
        const Strongest festival = StrongestIn(image, 14, 173 + 19, static_cast<int>(14 + cw), 173 + 35);
        ASSERT_GT(festival.a, 120);
        const D2D1_COLOR_F want = dark ? D2D1_COLOR_F{1.0f, 0.52f, 0.45f, 1} : D2D1_COLOR_F{0.84f, 0.18f, 0.16f, 1};
        EXPECT_NEAR(festival.r, want.r * 255, 12) << "dark " << dark;
        EXPECT_NEAR(festival.g, want.g * 255, 12);
        EXPECT_NEAR(festival.b, want.b * 255, 12);
        // The 5th, an ordinary day, is in the secondary text colour.
        const Strongest plain = StrongestIn(image, static_cast<int>(14 + 6 * cw), 136 + 19,
                                            static_cast<int>(14 + 7 * cw), 136 + 35);
        EXPECT_GT(std::fabs(plain.r - festival.r) + std::fabs(plain.g - festival.g) + std::fabs(plain.b - festival.b),
                  60);
    }

    popover.config.showLunarCalendar = false;
    CanvasImage image = Paint(PopoverKind::Calendar, true);
    ASSERT_EQ(image.width, 298);
    ASSERT_EQ(image.height, 338);
    EXPECT_TRUE(SameHits(popover.hits, {{601, 184, 70, 210, 94, -1},
                                        {602, 214, 70, 254, 94, -1},
                                        {603, 258, 70, 284, 94, -1},
                                        {604, 14, 294, 145, 324, -1},
                                        {605, 153, 294, 284, 324, -1}}));
    const float cw = (298 - 28) / 7.0f;
    EXPECT_TRUE(Near(image.At(static_cast<int>(14 + 2.5f * cw) - 8, 140), kAccent, 3)) << "today's circle";
}

TEST_F(PopoverPaintTest, TrayAppsDrawHiddenIconsFaded) {
    popover.trayApps = {TrayApp(L"c:\\a.exe", L"甲"), TrayApp(L"c:\\b.exe", L"乙"), TrayApp(L"c:\\c.exe", L"丙")};
    popover.config.hiddenTrayApps = {L"c:\\b.exe"};
    popover.config.topBarOriginalTrayIcons = true;
    popover.trayIconCache[L"c:\\a.exe"] = OpaqueIcon(200, 40, 20);
    popover.trayIconCache[L"c:\\b.exe"] = OpaqueIcon(200, 40, 20);
    for (const bool dark : {true, false}) {
        CanvasImage image = Paint(PopoverKind::TrayApps, dark);
        ASSERT_EQ(image.width, 300);
        ASSERT_EQ(image.height, 176);
        std::vector<Hit> want;
        for (int i = 0; i < 3; ++i) {
            const float y = 54 + 36 * static_cast<float>(i);
            want.push_back({701, 14, y, 204, y + 32, i});
            want.push_back({703, 206, y + 4, 252, y + 28, i});
            want.push_back({702, 256, y + 4, 286, y + 28, i});
        }
        EXPECT_TRUE(SameHits(popover.hits, want));
        EXPECT_TRUE(Near(image.At(30, 70), {200, 40, 20, 255}, 3)) << "a visible icon";
        EXPECT_NEAR(image.At(30, 106).a, 115, 4) << "the hidden one";
        // The hidden row's button reads "显示" in accent.
        const Strongest show = StrongestIn(image, 208, 95, 250, 117);
        EXPECT_GT(show.b, show.r + 100);
    }
    ASSERT_EQ(iconLoads, std::vector<std::wstring>{L"c:\\c.exe"}) << "extracted once, kept even when empty";

    popover.config.topBarOriginalTrayIcons = false;
    CanvasImage image = Paint(PopoverKind::TrayApps, true);
    EXPECT_EQ(popover.trayTemplateCache.count(L"c:\\a.exe#d"), 1u);
    const Bgra grey = image.At(30, 70);
    EXPECT_LT(std::abs(grey.r - grey.b), 6) << "the grey template";

    popover.trayApps.clear();
    image = Paint(PopoverKind::TrayApps, false);
    EXPECT_EQ(image.height, 104);
    EXPECT_TRUE(popover.hits.empty());
}

TEST_F(PopoverPaintTest, ScaledPaintKeepsHitsInDip) {
    popover.scale = 1.5f;
    popover.muted = true;
    CanvasImage image = Paint(PopoverKind::Sound, true);
    ASSERT_EQ(image.width, 456);
    ASSERT_EQ(image.height, 306);
    EXPECT_TRUE(SameHits({popover.hits[0]}, {{102, 260, 14, 290, 38, -1}}));
    EXPECT_TRUE(Near(image.At(395, 39), kAccent, 3));
}

}  // namespace
