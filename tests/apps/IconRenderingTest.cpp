#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

#include "IconTestDevice.h"
#include "apps/IconLoader.h"
#include "apps/IconRendering.h"

using Microsoft::WRL::ComPtr;

namespace {

// Opaque red where x < split, opaque blue elsewhere.
IconBitmap Halves(int width, int height, int split) {
    IconBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool red = x < split;
            bitmap.pixels.insert(bitmap.pixels.end(),
                                 {static_cast<uint8_t>(red ? 0 : 255), 0,
                                  static_cast<uint8_t>(red ? 255 : 0), 255});
        }
    }
    return bitmap;
}

bool IsRed(Pixel p) { return p.r > 200 && p.b < 60 && p.a > 200; }
bool IsBlue(Pixel p) { return p.b > 200 && p.r < 60 && p.a > 200; }

class IconRendering : public ::testing::Test {
protected:
    void SetUp() override {
        if (!device.Ready()) GTEST_SKIP() << "no Direct2D device";
        com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_PPV_ARGS(&imaging));
        graphics.dwrite = device.DWrite();
        graphics.imaging = imaging.Get();
        loader.host = &host;
        loader.graphics = &graphics;
    }
    void TearDown() override {
        imaging.Reset();
        if (com) CoUninitialize();
    }
    PixelImage Draw(const IconBitmap& bitmap, int size, bool macStyle, int count) {
        IconSurfaceRef surface = loader.SurfaceFromBitmap(bitmap, size, macStyle, count);
        EXPECT_NE(surface, nullptr);
        EXPECT_EQ(host.drawFailures, 0);
        return surface ? host.Pixels(surface) : PixelImage{};
    }
    PixelImage Glyph(int size, BuiltinIconKind kind, int count) {
        IconSurfaceRef surface = loader.RenderBuiltinGlyph(size, kind, count);
        EXPECT_NE(surface, nullptr);
        return surface ? host.Pixels(surface) : PixelImage{};
    }

    bool com = false;
    IconTestDevice device;
    IconTestHost host{&device};
    ComPtr<IWICImagingFactory> imaging;
    IconGraphics graphics;
    IconLoader loader;
};

}  // namespace

TEST_F(IconRendering, PlainPathScalesToTheSquareAndCentres) {
    PixelImage small = Draw(Halves(32, 32, 16), 48, false, 0);
    ASSERT_EQ(small.width, 48);
    EXPECT_TRUE(IsRed(small.At(15, 31)));
    EXPECT_TRUE(IsRed(small.At(20, 0))) << "scaled up: column 20 maps to source 13";
    EXPECT_TRUE(IsBlue(small.At(31, 31)));
    PixelImage narrow = Draw(Halves(16, 32, 8), 48, false, 0);
    EXPECT_TRUE(IsRed(narrow.At(13, 24)) && IsBlue(narrow.At(34, 24))) << "24 x 48, centred";
    EXPECT_TRUE(narrow.AllTransparentIn(0, 0, 12, 48) && narrow.AllTransparentIn(36, 0, 48, 48));

    // A larger bitmap is scaled down, not cut off: column 45 is blue.
    PixelImage large = Draw(Halves(64, 64, 56), 48, false, 0);
    EXPECT_TRUE(IsBlue(large.At(45, 47)));

    EXPECT_EQ(loader.SurfaceFromBitmap(IconBitmap{}, 48, false, 0), nullptr);
}

TEST_F(IconRendering, MacStylePutsTheBitmapInsideThePlatesInnerSquare) {
    // 48 in mac style: 32 x 32 pixels drawn into (8.64, 8.64)-(39.36, 39.36).
    PixelImage mac = Draw(Halves(32, 32, 32), 48, true, 0);
    ASSERT_EQ(mac.width, 48);
    EXPECT_TRUE(IsRed(mac.At(10, 24)));
    EXPECT_TRUE(IsRed(mac.At(38, 24)));
    EXPECT_TRUE(IsRed(mac.At(24, 10)));
    Pixel plate = mac.At(5, 24);
    EXPECT_GT(plate.a, 200);
    EXPECT_GT(plate.b, 180) << "the light plate shows around the icon";
    EXPECT_GT(plate.g, 180);
    EXPECT_FALSE(IsRed(mac.At(41, 24)));
    EXPECT_TRUE(mac.AllTransparentIn(0, 0, 2, 2));
}

TEST_F(IconRendering, NotMacButCountedFillsTheSquareAndAddsTheBadge) {
    PixelImage counted = Draw(Halves(32, 32, 16), 64, false, 2);
    ASSERT_EQ(counted.width, 64);
    EXPECT_TRUE(IsRed(counted.At(20, 5))) << "scaled up: column 20 maps to source 10";
    EXPECT_TRUE(IsBlue(counted.At(40, 5)));
    EXPECT_FALSE(IsBlue(counted.At(51, 51))) << "the dark disc at 0.8 of the edge";
}

TEST_F(IconRendering, BadgeOnlyFromTwoAndCappedAt99Plus) {
    EXPECT_EQ(CountBadgeText(2), L"2");
    EXPECT_EQ(CountBadgeText(99), L"99");
    EXPECT_EQ(CountBadgeText(100), L"99+");
    EXPECT_FLOAT_EQ(CountBadgeFontSize(10, 1), 11.8f);
    EXPECT_FLOAT_EQ(CountBadgeFontSize(10, 2), 10.0f);
    EXPECT_FLOAT_EQ(CountBadgeFontSize(10, 3), 8.5f);

    constexpr int s = 64;
    for (int count : {0, 1}) {
        PixelImage none = Glyph(s, BuiltinIconNone, count);
        EXPECT_TRUE(none.AllTransparentIn(0, 0, s, s)) << count;
    }
    PixelImage two = Glyph(s, BuiltinIconNone, 2);
    const int m = static_cast<int>(0.8 * s);
    Pixel disc = two.At(m - 8, m);
    EXPECT_GT(disc.a, 200) << "the disc";
    EXPECT_LT(disc.r, 60);
    EXPECT_TRUE(two.AllTransparentIn(0, 0, 30, 30)) << "kind 0 carries only the badge";

    PixelImage hundred = Glyph(s, BuiltinIconNone, 100);
    PixelImage many = Glyph(s, BuiltinIconNone, 150);
    PixelImage ninetyNine = Glyph(s, BuiltinIconNone, 99);
    EXPECT_EQ(memcmp(hundred.pixels.data(), many.pixels.data(), hundred.pixels.size() * 4), 0)
        << "100 and 150 both read 99+";
    EXPECT_NE(memcmp(hundred.pixels.data(), ninetyNine.pixels.data(), hundred.pixels.size() * 4),
              0);

    // At 32 the radius is the 7-pixel minimum: the disc ends 7 pixels right of 25.6.
    PixelImage tiny = Glyph(32, BuiltinIconNone, 3);
    EXPECT_GT(tiny.At(31, 25).a, 100);
    EXPECT_TRUE(tiny.AllTransparentIn(0, 0, 16, 16));
}

TEST_F(IconRendering, EveryGlyphKindThroughTheLoader) {
    constexpr int s = 48;
    for (int kind = BuiltinIconLaunchpad; kind <= BuiltinIconRecycleBinFull; ++kind) {
        PixelImage image = Glyph(s, static_cast<BuiltinIconKind>(kind), 0);
        ASSERT_EQ(image.width, s) << kind;
        EXPECT_TRUE(image.AnyOpaqueIn(22, 22, 26, 26)) << "kind " << kind;
        EXPECT_TRUE(image.AllTransparentIn(0, 0, 2, 2)) << "kind " << kind;
        EXPECT_TRUE(image.AllTransparentIn(s - 2, 0, s, 2)) << "kind " << kind;
        EXPECT_TRUE(image.AllTransparentIn(0, s - 1, 1, s)) << "kind " << kind;
        EXPECT_TRUE(image.AllTransparentIn(s - 1, s - 1, s, s)) << "kind " << kind;
    }
    EXPECT_EQ(host.drawFailures, 0);
}

TEST_F(IconRendering, SurfaceFromAnIconHandleIsScaledToTheSize) {
    ASSERT_NE(imaging, nullptr);
    // A 32 x 32 opaque red icon with an alpha channel.
    BITMAPV5HEADER header = {};
    header.bV5Size = sizeof header;
    header.bV5Width = 32;
    header.bV5Height = -32;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                     &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(color, nullptr);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 32 * 32; ++i) pixels[i] = 0xFFFF0000;
    HBITMAP mask = CreateBitmap(32, 32, 1, 1, nullptr);
    ICONINFO info = {TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    DeleteObject(mask);
    ASSERT_NE(icon, nullptr);

    IconSurfaceRef surface = loader.SurfaceFromHIcon(icon, 48);
    ASSERT_NE(surface, nullptr);
    PixelImage image = host.Pixels(surface);
    EXPECT_TRUE(IsRed(image.At(44, 44))) << "scaled to fill 48 x 48";
    EXPECT_TRUE(IsRed(image.At(2, 2)));
    EXPECT_EQ(loader.SurfaceFromHIcon(nullptr, 48), nullptr);
    DestroyIcon(icon);

    loader.graphics = nullptr;
    EXPECT_EQ(loader.SurfaceFromHIcon(icon, 48), nullptr) << "needs the imaging factory";
}
