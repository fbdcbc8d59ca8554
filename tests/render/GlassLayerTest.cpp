// The glass layer on the real device: its tree, its tint and backdrop rules,
// its bounds, and the pixels it composes over a known backdrop.
#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

#include "CompTestWindow.h"
#include "ScopedPersonalizeValue.h"
#include "platform/Log.h"
#include "render/GlassLayer.h"
#include "render/GlassShadow.h"
#include "render/WallpaperLuminance.h"
#include "support/TestSupport.h"

using namespace comp;

namespace {

constexpr uint32_t kWhite = raster::Bgra(255, 255, 255, 255);

// The panel inside the test window: 200 x 100 at (30, 30), room for the shadow.
constexpr int kLeft = 30, kTop = 30, kWidth = 200, kHeight = 100;

class GlassTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        transparency.SetDword(1);
        ASSERT_TRUE(CreateGraphicsFactories(graphics));
        ASSERT_TRUE(graphics.Create());
        ASSERT_TRUE(host.Initialize(window.hwnd, graphics));
        host.compositor.Backdrop().SetLoader([](BackdropPicture& picture) {
            picture.origin = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)};
            picture.pixels.Reset(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), kWhite);
            picture.identity = L"white";
            return true;
        });
    }
    void TearDown() override { CoUninitialize(); }

    // A dark glass of the given style placed as the panel above, composed.
    raster::Image Compose(GlassLayer& glass, GlassStyle style, float opacity = 0.62f) {
        glass.Initialize(host, GlassBlurAmount(style), style);
        glass.UpdateTint(kGlassThemeDark, opacity, 1.0f);
        glass.SetBounds(kLeft, kTop, kWidth, kHeight, 18.0f);
        host.mainRoot.Children().InsertAtTop(glass.root);
        host.compositor.Commit();
        return host.mainTarget.PresentedPixels();
    }

    ScopedPersonalizeValue transparency{L"EnableTransparency"};
    CompTestWindow window{300, 300, 260, 160};
    GraphicsDevice graphics;
    CompositionHost host;
};

std::string ReadLog() {
    auto bytes = testing_support::ReadFileBytes(testing_support::BinDir() + L"\\vantreel.log");
    return std::string(bytes.begin(), bytes.end());
}

bool IsChild(const ContainerVisual& parent, int index, const Visual& child) {
    const auto& children = parent.Node()->children;
    return index < static_cast<int>(children.size()) && children[index] == child.Node();
}

}  // namespace

TEST_F(GlassTest, TreeOrderAndWhatEachStyleBuilds) {
    GlassLayer dock;
    dock.Initialize(host, 4.5f, GlassStyle::Dock);
    ASSERT_EQ(dock.root.Children().Count(), 3);
    EXPECT_TRUE(IsChild(dock.root, 0, dock.shadowSprite));
    EXPECT_TRUE(IsChild(dock.root, 1, dock.body));
    EXPECT_TRUE(IsChild(dock.root, 2, dock.rimSprite));
    ASSERT_EQ(dock.body.Children().Count(), 5);
    int at = 0;
    for (const Visual& child : {dock.baseSprite, dock.backdropSprite, dock.lensSprite, dock.tintSprite, dock.highlightSprite}) EXPECT_TRUE(IsChild(dock.body, at++, child));
    EXPECT_TRUE(dock.body.Clip());
    EXPECT_TRUE(dock.backdropOn);
    EXPECT_TRUE(dock.refractionOn) << "our compositor runs the translation stage";
    EXPECT_TRUE(dock.refractionBrush);
    EXPECT_EQ(dock.tintSprite.RelativeSizeAdjustment(), (Vector2{1, 1}));

    GlassLayer bar;
    bar.Initialize(host, 4.5f, GlassStyle::TopBar);
    EXPECT_FALSE(bar.body.Clip()) << "the bar starts without a rounded clip";
    EXPECT_FALSE(bar.shadowSprite.IsVisible());
    EXPECT_FALSE(bar.lensSprite.IsVisible());
    EXPECT_TRUE(bar.backdropOn);
    EXPECT_FALSE(bar.refractionBrush);

    GlassLayer popup;
    popup.Initialize(host, 9.0f, GlassStyle::Popup);
    EXPECT_FALSE(popup.backdropOn) << "menus and panels get no live backdrop";
    EXPECT_FALSE(popup.blurBrush);
    EXPECT_FALSE(popup.backdropSprite.IsVisible());
}

TEST_F(GlassTest, OpacityIsCappedAndAlmostNothingTurnsTheBackdropOff) {
    GlassLayer glass;
    glass.Initialize(host, 4.5f, GlassStyle::Dock);
    glass.UpdateTint(kGlassThemeDark, 0.9f, 1.0f);
    EXPECT_FLOAT_EQ(glass.opacity, 0.85f);
    EXPECT_TRUE(glass.backdropSprite.IsVisible());
    EXPECT_TRUE(glass.lensSprite.IsVisible());
    EXPECT_EQ(glass.tintBrush.Color(), (Color{30, 10, 14, 22})) << "0.85 x 0.14 of 255";

    glass.UpdateTint(kGlassThemeDark, 0.005f, 0.5f);
    EXPECT_FALSE(glass.backdropSprite.IsVisible());
    EXPECT_FALSE(glass.lensSprite.IsVisible());
    EXPECT_EQ(glass.tintBrush.Color(), (Color{8, 10, 14, 22})) << "at least 0.03 without backdrop";
    EXPECT_FLOAT_EQ(glass.scale, 1.0f) << "the scale never drops below 1";

    glass.UpdateTint(kGlassThemeLight, 0.011f, 1.0f);
    EXPECT_TRUE(glass.backdropSprite.IsVisible()) << "just above 0.01 is live";
    EXPECT_EQ(glass.tintBrush.Color(), (Color{3, 255, 255, 255})) << "light tint, at least 0.01";

    GlassLayer launcher;
    launcher.Initialize(host, 9.0f, GlassStyle::Panel);
    launcher.UpdateLauncherTint(kGlassThemeDark, 1.4f, 1.0f);
    EXPECT_FLOAT_EQ(launcher.opacity, 1.0f);
    EXPECT_EQ(launcher.tintBrush.Color(), (Color{255, 20, 24, 34}));
    EXPECT_FLOAT_EQ(launcher.highlightSprite.Opacity(), 0.55f);
    launcher.UpdateLauncherTint(kGlassThemeLight, 0.2f, 1.0f);
    EXPECT_EQ(launcher.tintBrush.Color(), (Color{51, 246, 248, 252}));
    EXPECT_FLOAT_EQ(launcher.shadowSprite.Opacity(), 0.5f);
}

TEST_F(GlassTest, TransparencySwitchedOffInTheSystem) {
    GlassLayer dock, bar, popup;
    dock.Initialize(host, 4.5f, GlassStyle::Dock);
    bar.Initialize(host, 4.5f, GlassStyle::TopBar);
    popup.Initialize(host, 9.0f, GlassStyle::Popup);
    bar.UpdateTint(kGlassThemeDark, 0.62f, 1.0f);
    int liveTop = PixelAt(bar.highlightSurface.Pixels(), 8, 0).a;

    transparency.SetDword(0);
    dock.UpdateTint(kGlassThemeDark, 0.62f, 1.0f);
    EXPECT_FALSE(dock.backdropSprite.IsVisible());
    EXPECT_FALSE(dock.lensSprite.IsVisible());
    EXPECT_EQ(dock.tintBrush.Color(), (Color{28, 10, 14, 22})) << "0.62 x 0.18 of 255";

    bar.UpdateTint(kGlassThemeDark, 0.62f, 1.0f);
    EXPECT_FALSE(bar.backdropSprite.IsVisible());
    EXPECT_FLOAT_EQ(bar.backdropSprite.Opacity(), 0.0f);
    EXPECT_FALSE(bar.tintSprite.IsVisible()) << "the bar's tint is its gradient";
    EXPECT_NEAR(PixelAt(bar.highlightSurface.Pixels(), 8, 0).a, 54, 2) << "0.34 x 0.62 at the top";
    EXPECT_NEAR(liveTop, 44, 2) << "0.28 x 0.62 while live";
    EXPECT_LE(PixelAt(bar.highlightSurface.Pixels(), 8, 127).a, 1);

    popup.UpdateTint(kGlassThemeLight, 0.62f, 1.0f);
    EXPECT_EQ(popup.tintBrush.Color(), (Color{255, 238, 241, 247})) << "menus are opaque either way";
    EXPECT_FLOAT_EQ(popup.highlightSprite.Opacity(), 0.28f);
}

TEST_F(GlassTest, BoundsClipRadiusFollowsTheHeight) {
    GlassLayer glass;
    glass.Initialize(host, 4.5f, GlassStyle::Dock);
    glass.UpdateTint(kGlassThemeDark, 0.62f, 1.0f);
    glass.SetBounds(10, 20, 300, 20, 18);
    EXPECT_FLOAT_EQ(glass.clipGeometry.CornerRadius().x, 9.6f);
    EXPECT_FLOAT_EQ(glass.clipGeometry.CornerRadius().y, 9.6f);
    EXPECT_EQ(glass.clipGeometry.Size(), (Vector2{300, 20}));
    EXPECT_EQ(glass.root.Offset(), (Vector3{10, 20, 0}));
    EXPECT_EQ(glass.rimSprite.Size(), (Vector2{300, 20}));
    EXPECT_EQ(glass.shadowSprite.Offset(), (Vector3{-23, -23, 0})) << "ceil(22.5) of margin";
    EXPECT_EQ(glass.shadowSprite.Size(), (Vector2{346, 66}));

    glass.SetBounds(0, 0, 0, 0, 18);
    EXPECT_EQ(glass.body.Size(), (Vector2{1, 1}));
    EXPECT_FLOAT_EQ(glass.cornerRadius, 0.48f);
}

TEST_F(GlassTest, TopBarUnroundedBelowHalfAPixel) {
    GlassLayer bar;
    bar.Initialize(host, 4.5f, GlassStyle::TopBar);
    bar.UpdateTint(kGlassThemeLight, 0.62f, 1.0f);
    bar.SetBounds(0, 0, 800, 30, 0.5f);
    EXPECT_FALSE(bar.body.Clip());
    EXPECT_FALSE(bar.shadowSprite.IsVisible());
    EXPECT_FLOAT_EQ(bar.cornerRadius, 0.0f);

    bar.SetBounds(0, 0, 800, 30, 0.6f);
    ASSERT_TRUE(bar.body.Clip());
    EXPECT_EQ(bar.clipGeometry.CornerRadius(), (Vector2{0.6f, 0.6f}));
    EXPECT_FALSE(bar.shadowSprite.IsVisible()) << "the bar never casts a shadow";
    EXPECT_FALSE(bar.shadowSprite.Brush());
    EXPECT_FALSE(bar.rimSprite.IsVisible());
}

TEST_F(GlassTest, SurfacesFollowARadiusThatCreepsInSmallSteps) {
    GlassLayer glass;
    glass.Initialize(host, 4.5f, GlassStyle::Dock);
    glass.UpdateTint(kGlassThemeDark, 0.62f, 1.0f);
    ASSERT_EQ(glass.rimSurface.SizeInt().cx, 2 * (18 + 6) + 12);
    auto built = glass.rimSurface;

    glass.SetBounds(0, 0, 200, 100, 16.5f);
    EXPECT_TRUE(glass.rimSurface == built) << "1.5 away: no rebuild";
    glass.SetBounds(0, 0, 200, 100, 15.0f);
    EXPECT_FALSE(glass.rimSurface == built) << "3 away from what the surfaces were built for";
    EXPECT_EQ(glass.rimSurface.SizeInt().cx, 2 * (15 + 6) + 12);
    EXPECT_EQ(glass.shadowSurface.SizeInt().cx, 2 * (23 + 15) + 4);
}

TEST_F(GlassTest, DarkLiveGlassOverAWhiteBackdrop) {
    GlassLayer glass;
    raster::Image frame = Compose(glass, GlassStyle::Dock);
    // Tint (22, 10, 14, 22), 0.62 x 0.14 of 255, over the white backdrop.
    EXPECT_EQ(PixelAt(frame, kLeft + kWidth / 2, kTop + kHeight / 2), (Px{235, 234, 234, 255}));

    Px corner = PixelAt(frame, kLeft, kTop);
    EXPECT_EQ(corner.r + corner.g + corner.b, 0) << "no glass in the rounded corner, only the shadow";
    EXPECT_LT(corner.a, 40);
    EXPECT_EQ(PixelAt(frame, kLeft + 10, kTop + 10).a, 255) << "inside the rounding";

    Px below = PixelAt(frame, kLeft + kWidth / 2, kTop + kHeight + 8);
    EXPECT_EQ(below.r + below.g + below.b, 0) << "the shadow is black";
    EXPECT_GT(below.a, 10);
    EXPECT_LT(below.a, 70);
    EXPECT_GT(below.a, PixelAt(frame, kLeft + kWidth / 2, kTop - 8).a) << "cast downwards";
    EXPECT_EQ(PixelAt(frame, 2, 2).a, 0) << "beyond the shadow's margin";
}

// Our backdrop is the wallpaper alone, so a window between it and the glass
// must not show through a tint: over a sharp wallpaper every glass composes
// its panel opaque, and blurred.
TEST_F(GlassTest, NoWindowBehindShowsThroughAnyGlass) {
    host.compositor.Backdrop().SetLoader([](BackdropPicture& picture) {
        picture.pixels.Reset(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
        for (int i = 0; i < picture.pixels.Width() * picture.pixels.Height(); ++i) picture.pixels.Data()[i] = i % 2 ? kWhite : 255u << 24;
        return true;
    });
    for (const auto& [style, opacity] : {std::pair{GlassStyle::Dock, 0.62f}, {GlassStyle::Dock, 0.005f},
                                         {GlassStyle::TopBar, 0.3f}, {GlassStyle::Popup, 0.6f}, {GlassStyle::Panel, 0.75f}}) {
        GlassLayer glass;
        host.mainRoot.Children().RemoveAll();
        Compose(glass, style, opacity);
        if (style == GlassStyle::Panel) glass.UpdateLauncherTint(kGlassThemeDark, opacity, 1.0f);
        host.compositor.Commit();
        const raster::Image frame = host.mainTarget.PresentedPixels();
        int seen = 0;  // pixels inside the rounding that let a window through, or show the wallpaper's sharp edges
        for (int i = 0; i < 182 * 82; ++i) {
            const Px p = PixelAt(frame, kLeft + 9 + i % 182, kTop + 9 + i / 182);
            seen += p.a != 255 || std::abs(p.g - PixelAt(frame, kLeft + 10 + i % 182, kTop + 9 + i / 182).g) > 16;
        }
        EXPECT_EQ(seen, 0) << static_cast<int>(style) << " at " << opacity;
    }
}

TEST_F(GlassTest, TheShadowLeavesThePanelsOwnAreaEmpty) {
    GlassLayer glass;
    Compose(glass, GlassStyle::Dock);
    glass.body.IsVisible(false);
    glass.rimSprite.IsVisible(false);
    host.compositor.Commit();
    raster::Image frame = host.mainTarget.PresentedPixels();
    EXPECT_EQ(PixelAt(frame, kLeft + kWidth / 2, kTop + kHeight / 2).a, 0);
    EXPECT_EQ(PixelAt(frame, kLeft + kWidth / 2, kTop + kHeight - 2).a, 0) << "even where the cast shadow lies";
    EXPECT_GT(PixelAt(frame, kLeft + kWidth / 2, kTop + kHeight + 2).a, 20);
}

TEST_F(GlassTest, UnavailableBackdropIsLoggedAndTheTintStillShows) {
    InitializeLog(true);
    DeleteFileW((testing_support::BinDir() + L"\\vantreel.log").c_str());
    host.compositor.Backdrop().SetCreationFails(true);
    GlassLayer glass;
    raster::Image frame = Compose(glass, GlassStyle::Dock);
    InitializeLog(false);
    EXPECT_NE(ReadLog().find("HostBackdropBrush unavailable (0x80004001), using liquid fallback"), std::string::npos);
    EXPECT_FALSE(glass.backdropOn);
    EXPECT_FALSE(glass.blurBrush);
    EXPECT_FALSE(glass.backdropSprite.IsVisible());
    // The translucent tint without backdrop: 0.62 x 0.18 of 255, nothing under it.
    EXPECT_EQ(PixelAt(frame, kLeft + kWidth / 2, kTop + kHeight / 2),
              (Px{static_cast<int>(raster::Mul255(22, 28)), static_cast<int>(raster::Mul255(14, 28)),
                  static_cast<int>(raster::Mul255(10, 28)), 28}));
}

// Every texture must be premultiplied: a colour channel above alpha would add
// light over whatever lies below, even where the texture is clear.
TEST_F(GlassTest, TexturesArePremultipliedAndClearWhereTheySayNothing) {
    for (GlassStyle style : {GlassStyle::Dock, GlassStyle::TopBar, GlassStyle::Popup}) {
        GlassLayer glass;
        glass.Initialize(host, GlassBlurAmount(style), style);
        glass.UpdateTint(kGlassThemeLight, 0.62f, 1.5f);
        for (const auto& surface : {glass.highlightSurface, glass.rimSurface, glass.shadowSurface, glass.lensSurface,
                                    glass.fadeSurface}) {
            if (!surface) continue;
            const raster::Image& pixels = surface.Pixels();
            int bad = 0;
            for (int y = 0; y < pixels.Height(); ++y) {
                for (int x = 0; x < pixels.Width(); ++x) {
                    Px p = PixelAt(pixels, x, y);
                    if (p.r > p.a || p.g > p.a || p.b > p.a) ++bad;
                }
            }
            EXPECT_EQ(bad, 0) << "style " << static_cast<int>(style);
        }
        if (style != GlassStyle::TopBar) {
            EXPECT_EQ(PixelAt(glass.highlightSurface.Pixels(), 8, 64), (Px{0, 0, 0, 0})) << "no sheen mid-panel";
        }
    }
    GlassLayer dock;
    dock.Initialize(host, 4.5f, GlassStyle::Dock);
    dock.UpdateTint(kGlassThemeDark, 0.62f, 1.0f);
    const raster::Image& rim = dock.rimSurface.Pixels();
    int side = rim.Width();
    EXPECT_GT(PixelAt(rim, side / 2, 0).a, 40) << "the dark hairline";
    EXPECT_GT(PixelAt(rim, side / 2, 1).a, PixelAt(rim, side / 2, 6).a) << "the sheen ring inside it";
    EXPECT_EQ(PixelAt(rim, side / 2, side / 2).a, 0);
}

TEST(GlassShadowMask, DenserForDarkGlassAndEmptyUnderThePanel) {
    GlassShadowShape shape{2 * 41 + 4, 23, 18, 1.0f, true};
    raster::Image dark = BuildGlassShadowMask(shape);
    shape.dark = false;
    raster::Image light = BuildGlassShadowMask(shape);
    int middle = shape.side / 2;
    EXPECT_EQ(PixelAt(dark, middle, middle).a, 0);
    EXPECT_EQ(PixelAt(dark, middle, shape.side - 23 - 1).a, 0);
    EXPECT_GT(PixelAt(dark, middle, shape.side - 20).a, PixelAt(light, middle, shape.side - 20).a);
    EXPECT_GT(PixelAt(dark, middle, shape.side - 20).a, PixelAt(dark, middle, 20).a) << "cast downwards";
    EXPECT_LE(PixelAt(dark, middle, shape.side - 1).a, 12) << "faded out at the edge";
}
