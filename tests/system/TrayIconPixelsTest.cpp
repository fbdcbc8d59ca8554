// Tray icon bitmaps: fitting the visible content into a square, grey templates,
// and icons extracted from real files.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <random>

#include "support/TestSupport.h"
#include "system/tray/TrayFileIcon.h"
#include "system/tray/TrayIconPixels.h"

using namespace testing_support;

namespace {

struct Bitmap {
    int w, h;
    std::vector<uint8_t> px;
    Bitmap(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height * 4, 0) {}
    void Set(int x, int y, uint8_t grey, uint8_t alpha) {
        uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
        p[0] = p[1] = p[2] = static_cast<uint8_t>(grey * alpha / 255);
        p[3] = alpha;
    }
    void Fill(int x0, int y0, int x1, int y1, uint8_t grey, uint8_t alpha) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, grey, alpha);
    }
};

uint8_t AlphaAt(const std::vector<uint8_t>& px, int edge, int x, int y) {
    return px[(static_cast<size_t>(y) * edge + x) * 4 + 3];
}

void ExpectColourWithinAlpha(const std::vector<uint8_t>& px) {
    for (size_t i = 0; i < px.size(); i += 4) {
        ASSERT_LE(px[i], px[i + 3]);
        ASSERT_LE(px[i + 1], px[i + 3]);
        ASSERT_LE(px[i + 2], px[i + 3]);
    }
}

}  // namespace

TEST(TrayIconPixels, OpaqueSquareFillsEightyPercentCentred) {
    Bitmap square(10, 10);
    square.Fill(0, 0, 10, 10, 200, 255);
    std::vector<uint8_t> out = FitIconPixels(square.px, 10, 10, 48);
    ASSERT_EQ(out.size(), 48u * 48 * 4);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            bool inside = x >= 5 && x < 43 && y >= 5 && y < 43;
            ASSERT_EQ(AlphaAt(out, 48, x, y), inside ? 255 : 0) << x << "," << y;
        }
    }
}

TEST(TrayIconPixels, SparseGlyphFillsNinetyPercentWithTheOddPixelRightAndBottom) {
    Bitmap glyph(48, 48);
    glyph.Fill(4, 4, 8, 44, 0, 255);   // vertical stroke
    glyph.Fill(8, 40, 44, 44, 0, 255); // foot
    std::vector<uint8_t> out = FitIconPixels(glyph.px, 48, 48, 48);
    // The crop (the box grown by its transparent one-pixel border, 42 wide) becomes
    // 43 pixels at offset 2: columns 2 and 44 hold that border, 45..47 stay free.
    int minX, minY, maxX, maxY;
    ASSERT_TRUE(FindOpaqueBounds(out, 48, 48, 1, minX, minY, maxX, maxY));
    EXPECT_EQ(minX, 3);
    EXPECT_EQ(minY, 3);
    EXPECT_EQ(maxX, 43);
    EXPECT_EQ(maxY, 43);
    EXPECT_GT(AlphaAt(out, 48, 3, 20), 200);
    EXPECT_EQ(AlphaAt(out, 48, 30, 20), 0);
}

TEST(TrayIconPixels, FaintShadowIsCroppedAwayAndEmptyIconsStayTransparent) {
    Bitmap shadowed(48, 48);
    shadowed.Fill(0, 0, 48, 48, 0, 10);
    shadowed.Fill(19, 19, 29, 29, 255, 255);
    Bitmap plain(48, 48);
    plain.Fill(19, 19, 29, 29, 255, 255);
    std::vector<uint8_t> a = FitIconPixels(shadowed.px, 48, 48, 48);
    std::vector<uint8_t> b = FitIconPixels(plain.px, 48, 48, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) ASSERT_EQ(AlphaAt(a, 48, x, y) >= 128, AlphaAt(b, 48, x, y) >= 128);

    Bitmap faintOnly(20, 20);
    faintOnly.Fill(5, 5, 15, 15, 0, 20);
    std::vector<uint8_t> faint = FitIconPixels(faintOnly.px, 20, 20, 48);
    int minX, minY, maxX, maxY;
    ASSERT_TRUE(FindOpaqueBounds(faint, 48, 48, 1, minX, minY, maxX, maxY)) << "alpha 1..23 is still content";
    EXPECT_LT(minX, 8);

    std::vector<uint8_t> empty = FitIconPixels(Bitmap(48, 48).px, 48, 48, 48);
    EXPECT_EQ(empty, std::vector<uint8_t>(9216, 0));
    EXPECT_TRUE(FitIconPixels(std::vector<uint8_t>(10, 0), 2, 2, 48).empty());
    EXPECT_TRUE(FitIconPixels(plain.px, 48, 48, 0).empty());
}

TEST(TrayIconPixels, SmallSourcesEnlargeBilinearlyAndLargeOnesAverage) {
    // A 16x16 checkerboard of 2x2 cells enlarged is smooth: values between the two.
    Bitmap small(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) small.Set(x, y, ((x / 2 + y / 2) % 2) ? 255 : 0, 255);
    std::vector<uint8_t> up = FitIconPixels(small.px, 16, 16, 48);
    int between = 0;
    for (size_t i = 0; i < up.size(); i += 4)
        if (up[i + 3] == 255 && up[i] > 20 && up[i] < 235) ++between;
    EXPECT_GT(between, 200) << "bilinear enlargement blends neighbours";

    // 96x96 one-pixel stripes reduced by area averaging: every output pixel covers
    // about two and a half stripes, so none is near black or white.
    Bitmap large(96, 96);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) large.Set(x, y, (x % 2) ? 255 : 0, 255);
    std::vector<uint8_t> down = FitIconPixels(large.px, 96, 96, 48);
    for (int y = 10; y < 38; ++y) {
        for (int x = 10; x < 38; ++x) {
            const uint8_t* p = &down[(y * 48 + x) * 4];
            ASSERT_EQ(p[3], 255);
            ASSERT_GE(p[0], 95) << x;
            ASSERT_LE(p[0], 160) << x;
        }
    }
}

TEST(TrayIconPixels, ColourNeverExceedsAlpha) {
    std::mt19937 random(7);
    for (int n = 0; n < 200; ++n) {
        int w = 1 + static_cast<int>(random() % 70), h = 1 + static_cast<int>(random() % 70);
        Bitmap b(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) b.Set(x, y, static_cast<uint8_t>(random()), static_cast<uint8_t>(random()));
        std::vector<uint8_t> out = FitIconPixels(b.px, w, h, n % 2 ? 48 : 32);
        ASSERT_FALSE(out.empty());
        ExpectColourWithinAlpha(out);
        if (n % 2) ExpectColourWithinAlpha(MakeTemplateIcon(out, 48, n % 4 == 1));
    }
}

TEST(TrayIconPixels, TemplateIconGreys) {
    EXPECT_TRUE(MakeTemplateIcon(Bitmap(32, 32).px, 48, true).empty());
    std::vector<uint8_t> clear = Bitmap(48, 48).px;
    clear[3] = 10;  // below the statistics threshold: returned as it is
    EXPECT_EQ(MakeTemplateIcon(clear, 48, true), clear);

    auto grey = [](const Bitmap& b, bool dark, int x, int y) { return MakeTemplateIcon(b.px, 48, dark)[(y * 48 + x) * 4]; };
    Bitmap flat(48, 48);
    flat.Fill(0, 0, 48, 24, 90, 255);
    flat.Fill(0, 24, 48, 48, 90, 128);
    EXPECT_EQ(grey(flat, true, 0, 0), 250);
    EXPECT_EQ(grey(flat, false, 0, 0), 18);
    EXPECT_EQ(grey(flat, true, 0, 30), 125);
    EXPECT_EQ(grey(flat, false, 0, 30), 9);
    EXPECT_EQ(MakeTemplateIcon(flat.px, 48, true)[(30 * 48) * 4 + 3], 128);

    Bitmap half(48, 48);
    half.Fill(0, 0, 24, 48, 0, 255);
    half.Fill(24, 0, 48, 48, 255, 255);
    EXPECT_EQ(grey(half, true, 0, 0), 41);
    EXPECT_EQ(grey(half, true, 30, 0), 252);
    EXPECT_EQ(grey(half, false, 0, 0), 15);
    EXPECT_EQ(grey(half, false, 30, 0), 235);

    Bitmap mostlyDark(48, 48);
    mostlyDark.Fill(0, 0, 36, 48, 0, 255);
    mostlyDark.Fill(36, 0, 48, 48, 255, 255);
    EXPECT_EQ(grey(mostlyDark, true, 0, 0), 252) << "mostly dark icons invert on the dark bar";
    EXPECT_EQ(grey(mostlyDark, true, 40, 0), 41);
}

TEST(TrayFileIcon, ExecutablesGiveTheirIconAndDataFilesTheirTypeIcon) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_PPV_ARGS(&factory))));
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::vector<uint8_t> notepad = LoadFileIcon(std::wstring(windows) + L"\\notepad.exe", factory.Get(), 48);
    ASSERT_EQ(notepad.size(), 9216u);
    int opaque = 0;
    for (size_t i = 3; i < notepad.size(); i += 4) opaque += notepad[i] == 255;
    EXPECT_GT(opaque, 100);
    ExpectColourWithinAlpha(notepad);

    TempDir dir;
    WriteFileBytes(dir.File(L"notes.txt"), "text");
    std::vector<uint8_t> text = LoadFileIcon(dir.File(L"notes.txt"), factory.Get(), 32);
    ASSERT_EQ(text.size(), 32u * 32 * 4) << "a data file falls back to its type icon";

    EXPECT_TRUE(LoadFileIcon(L"", factory.Get(), 48).empty());
    EXPECT_TRUE(LoadFileIcon(dir.File(L"notes.txt"), nullptr, 48).empty());
    factory.Reset();
    if (SUCCEEDED(com)) CoUninitialize();
}
