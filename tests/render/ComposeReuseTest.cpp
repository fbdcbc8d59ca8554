// Frames composed incrementally, with the window's kept scratch buffers and
// only the damaged area redrawn, against the same tree composed from nothing;
// also after the kept buffers were freed, and while the glass changes size.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cmath>
#include <vector>

#include "CompTestWindow.h"
#include "ScopedPersonalizeValue.h"
#include "render/GlassLayer.h"
#include "render/comp/CompositorState.h"
#include "render/comp/DamageRegion.h"
#include "render/comp/DesktopWindowTarget.h"
#include "render/comp/Renderer.h"
#include "render/raster/PixelCount.h"

namespace {

constexpr int kWindowX = 40, kWindowY = 300, kWindowWidth = 640, kWindowHeight = 150;

// A backdrop with detail everywhere, so a blur, a saturation or a shift that
// reads the wrong pixels shows.
bool LoadPatternedBackdrop(comp::BackdropPicture& picture) {
    picture.origin = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)};
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    picture.pixels.Reset(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.pixels.At(x, y) = raster::Bgra((x * 7 + y * 3) & 0xFF, (x ^ y) & 0xFF, (y * 5) & 0xFF, 255);
        }
    }
    picture.identity = L"pattern";
    return true;
}

// A window over the patterned backdrop with the real device and host; the
// apartment outlives them.
struct PatternedHost {
    struct Apartment {
        Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
        ~Apartment() { CoUninitialize(); }
    } apartment;
    bool Start() {
        if (!CreateGraphicsFactories(graphics) || !graphics.Create() || !host.Initialize(window.hwnd, graphics)) {
            return false;
        }
        host.compositor.Backdrop().SetLoader(LoadPatternedBackdrop);
        return true;
    }
    CompTestWindow window{kWindowX, kWindowY, kWindowWidth, kWindowHeight};
    GraphicsDevice graphics;
    CompositionHost host;
};

raster::Image ComposedFromNothing(const comp::DesktopWindowTarget& target, comp::HostBackdrop& backdrop) {
    RECT window = {};
    GetWindowRect(target.Window(), &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    raster::Image image(width, height);
    comp::detail::ComposeContext context;
    context.buffer = image.View();
    context.damage = {0, 0, width, height};
    context.screenOrigin = {window.left, window.top};
    context.backdrop = &backdrop;
    comp::detail::ComposeTree(*target.Root().Node(), {static_cast<float>(width), static_cast<float>(height)},
                              context);
    return image;
}

// The first pixel where the presented frame differs from the tree composed
// from nothing.
::testing::AssertionResult PresentedEqualsFresh(comp::Compositor& compositor, const comp::DesktopWindowTarget& target) {
    const raster::Image incremental = target.PresentedPixels();
    const raster::Image fresh = ComposedFromNothing(target, compositor.Backdrop());
    if (incremental.Width() != fresh.Width() || incremental.Height() != fresh.Height()) {
        return ::testing::AssertionFailure() << "the buffer has another size";
    }
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < fresh.Height(); ++y) {
        for (int x = 0; x < fresh.Width(); ++x) {
            if (incremental.At(x, y) != fresh.At(x, y) && differing++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at (" << firstX << ", " << firstY
                                         << ")";
}

TEST(ComposeReuse, HoverSweepFramesEqualFramesComposedFromNothing) {
    ScopedPersonalizeValue transparency{L"EnableTransparency"};
    transparency.SetDword(1);
    {
        PatternedHost patterned;
        ASSERT_TRUE(patterned.Start());
        CompositionHost& host = patterned.host;
        comp::Compositor& compositor = host.compositor;

        // The dock's glass (lens mask, rounded clip, shadow, rim), icons that
        // grow under the pointer, and a label that follows it.
        GlassLayer glass;
        glass.Initialize(host, 13.0f, GlassStyle::Dock);
        glass.UpdateTint(kGlassThemeDark, 0.62f, 1.0f);
        glass.SetBounds(40, 60, 560, 70, 20);
        host.mainRoot.Children().InsertAtTop(glass.root);
        std::vector<comp::SpriteVisual> icons;
        for (int i = 0; i < 8; ++i) {
            auto surface = host.CreateDrawingSurface(48, 48);
            raster::Image pixels(48, 48);
            for (int y = 0; y < 48; ++y) {
                for (int x = 0; x < 48; ++x) {
                    const uint32_t a = static_cast<uint32_t>((x + y + 8 * i) * 2 % 256);
                    pixels.At(x, y) = raster::PremultiplyArgb(a, 200, static_cast<uint32_t>(30 * i), 90);
                }
            }
            ASSERT_TRUE(host.PaintPixels(surface, pixels));
            auto icon = compositor.CreateSpriteVisual();
            icon.Brush(compositor.CreateSurfaceBrush(surface));
            host.mainRoot.Children().InsertAtTop(icon);
            icons.push_back(icon);
        }
        auto label = compositor.CreateSpriteVisual();
        label.Brush(compositor.CreateColorBrush({200, 30, 30, 30}));
        label.Size({70, 22});
        host.mainRoot.Children().InsertAtTop(label);

        for (int frame = 0; frame < 100; ++frame) {
            const float pointer = 40.0f + 5.6f * static_cast<float>(frame);
            for (int i = 0; i < 8; ++i) {
                const float centre = 80.0f + 66.0f * static_cast<float>(i);
                const float grow = std::max(0.0f, 1.0f - std::fabs(pointer - centre) / 120.0f);
                const float side = 48.0f + 28.0f * grow;
                icons[i].Size({side, side});
                icons[i].Offset({centre - side / 2.0f + 0.3f * static_cast<float>(frame % 3), 118.0f - side, 0});
            }
            label.Offset({pointer - 35.0f, 6.0f, 0});
            label.Opacity(frame < 10 ? 0.1f * static_cast<float>(frame) : 1.0f);
            // Half way the kept buffers are freed, as when the dock falls idle.
            if (frame == 50) {
                const long long held = raster::PixelBytesHeld();
                compositor.ReleaseScratch();
                EXPECT_LE(raster::PixelBytesHeld(), held - kWindowWidth * kWindowHeight * 4)
                    << "the still layer and the scratch images go";
            }
            compositor.Commit();
            ASSERT_TRUE(PresentedEqualsFresh(compositor, host.mainTarget)) << "frame " << frame;
        }
        // A part of a surface drawn at 4x reaches two window pixels beyond its scaled area.
        auto zoomedSurface = host.CreateDrawingSurface(16, 16);
        raster::Image cells(16, 16);
        cells.Fill(raster::Bgra(0, 0, 0, 255));
        ASSERT_TRUE(host.PaintPixels(zoomedSurface, cells));
        auto zoomed = compositor.CreateSpriteVisual();
        zoomed.Brush(compositor.CreateSurfaceBrush(zoomedSurface));
        zoomed.Size({64, 64});
        zoomed.Offset({560, 4, 0});
        host.mainRoot.Children().InsertAtTop(zoomed);
        compositor.Commit();
        for (int y = 6; y < 10; ++y) {
            for (int x = 6; x < 10; ++x) cells.At(x, y) = raster::Bgra(255, 255, 255, 255);
        }
        ASSERT_EQ(zoomedSurface.SetPixelsIn(cells, RECT{6, 6, 10, 10}), S_OK);
        compositor.Commit();
        ASSERT_TRUE(PresentedEqualsFresh(compositor, host.mainTarget)) << "after a partial update at 4x";
        // Nothing changed: nothing is composed or presented.
        const int presents = host.mainTarget.PresentCount();
        compositor.Commit();
        EXPECT_EQ(host.mainTarget.PresentCount(), presents);
    }
}

TEST(ComposeReuse, DamageIsAFewSeparateRectangles) {
    comp::detail::DamageRegion damage;
    damage.Add({0, 0, 10, 10});
    damage.Add({100, 0, 10, 10});
    damage.Add({14, 2, 10, 10});  // 4 pixels from the first: merged
    ASSERT_EQ(damage.Rects().size(), 2u);
    EXPECT_EQ(damage.Rects()[1], (raster::Rect{0, 0, 24, 12}));
    // A rectangle that joins two merges all three.
    damage.Add({20, 0, 85, 4});
    ASSERT_EQ(damage.Rects().size(), 1u);
    EXPECT_EQ(damage.Bounds(), (raster::Rect{0, 0, 110, 12}));
    // The bands along the edges of a resized glass stay bands, not the area
    // they surround, and no pixel is in two of them.
    damage.Clear();
    for (const raster::Rect band : {raster::Rect{0, 0, 10, 100}, raster::Rect{190, 0, 10, 100},
                                    raster::Rect{0, 0, 200, 5}, raster::Rect{0, 95, 200, 5}}) {
        damage.Add(band);
    }
    long long area = 0;
    for (const auto& rect : damage.Rects()) area += static_cast<long long>(rect.width) * rect.height;
    EXPECT_EQ(area, 2 * 10 * 100 + 2 * 180 * 5);
    EXPECT_EQ(damage.Bounds(), (raster::Rect{0, 0, 200, 100}));
    damage.Clear();
    const int most = static_cast<int>(comp::detail::DamageRegion::kMaxRects);
    for (int i = 0; i < most; ++i) damage.Add({100 * i, 0, 5, 5});
    EXPECT_EQ(damage.Rects().size(), comp::detail::DamageRegion::kMaxRects);
    damage.Add({50, 50, 5, 5});
    ASSERT_EQ(damage.Rects().size(), comp::detail::DamageRegion::kMaxRects) << "too many: the closest two are joined";
    EXPECT_EQ(damage.Rects().back(), (raster::Rect{0, 0, 105, 5}));
    EXPECT_EQ(damage.Bounds(), (raster::Rect{0, 0, 100 * (most - 1) + 5, 55}));
    damage.ClipTo({0, 0, 300, 20});
    EXPECT_EQ(damage.Bounds(), (raster::Rect{0, 0, 205, 5}));
    // The ends and rim rows of a widening glass, in an order that cuts them
    // into more pieces than are kept: still about the bands, not all they span.
    damage.Clear();
    for (const raster::Rect band : {raster::Rect{50, 49, 29, 72}, raster::Rect{50, 116, 521, 4},
                                    raster::Rect{50, 50, 521, 4}, raster::Rect{547, 26, 47, 118},
                                    raster::Rect{27, 120, 567, 15}, raster::Rect{50, 49, 37, 72}}) {
        damage.Add(band);
    }
    area = 0;
    for (const auto& rect : damage.Rects()) area += static_cast<long long>(rect.width) * rect.height;
    EXPECT_LT(2 * area, static_cast<long long>(damage.Bounds().width) * damage.Bounds().height);
}

// The dock's glass widening and narrowing by fractions of a pixel, moving, and
// for a few frames only growing taller, with icons moving at its ends: only
// bands along its edges are redrawn, in the frame and in the layer kept of
// the glass, and every frame equals the tree composed from nothing.
TEST(ComposeReuse, ResizedGlassRedrawsItsEdgesAndEqualsFramesComposedFromNothing) {
    ScopedPersonalizeValue transparency{L"EnableTransparency"};
    transparency.SetDword(1);
    {
        PatternedHost patterned;
        ASSERT_TRUE(patterned.Start());
        CompositionHost& host = patterned.host;
        comp::Compositor& compositor = host.compositor;

        GlassLayer glass;
        glass.Initialize(host, 13.0f, GlassStyle::Dock);
        glass.UpdateTint(kGlassThemeLight, 0.62f, 1.0f);
        glass.SetBounds(60, 50, 500, 70, 20);
        host.mainRoot.Children().InsertAtTop(glass.root);
        std::vector<comp::SpriteVisual> icons;
        for (int i = 0; i < 2; ++i) {
            auto icon = compositor.CreateSpriteVisual();
            icon.Brush(compositor.CreateColorBrush({180, 40, static_cast<uint8_t>(90 * i), 200}));
            icon.Size({40, 40});
            host.mainRoot.Children().InsertAtTop(icon);
            icons.push_back(icon);
        }
        compositor.Commit();
        // Icons moving over a still glass: the glass becomes a layer composed
        // once, and from then on brought up to date where it changes.
        for (int frame = 0; frame < 3; ++frame) {
            icons[0].Offset({70.0f + static_cast<float>(frame), 60, 0});
            compositor.Commit();
        }

        int edgeOnlyFrames = 0;
        for (int frame = 0; frame < 60; ++frame) {
            // Frames 40 to 43 change only the height; frame 50 changes the
            // tint's strength and an icon's opacity along with the width.
            const bool taller = frame >= 40 && frame < 44;
            if (frame == 50) {
                glass.UpdateTint(kGlassThemeLight, 0.48f, 1.0f);
                icons[1].Opacity(0.5f);
            }
            const float f = static_cast<float>(taller ? 39 : frame);
            const float grow = 34.0f * std::sin(0.13f * f) + 0.37f * f;
            const float height = taller ? 70.0f + 0.7f * static_cast<float>(frame - 39) : 70.0f;
            glass.SetBounds(60.0f - grow + 0.25f * f, 50, 500.0f + 2.0f * grow, height, 20);
            // The icons move on odd frames only, so that even frames show what
            // the glass alone redraws.
            if (frame % 2) {
                icons[0].Offset({70.0f - grow + 0.3f * f, 60, 0});
                icons[1].Offset({520.0f + grow - 0.3f * f, 66, 0});
            }
            compositor.Commit();
            ASSERT_TRUE(PresentedEqualsFresh(compositor, host.mainTarget)) << "frame " << frame;
            if (frame % 2 == 0 && frame > 0 && frame < 50 && !taller && frame != 44) {
                // The glass with its shadow covers about 620 x 120 pixels; the
                // bands along its ends and the rows of its rim and shadow
                // whose colour runs along the edge, less than half of that.
                EXPECT_LT(host.mainTarget.LastDamagePixels(), 620 * 120 / 2) << "frame " << frame;
                ++edgeOnlyFrames;
            }
        }
        EXPECT_GT(edgeOnlyFrames, 18);

        // Each kind alone, where no other visual's bands cover for it: a
        // rounded clip over a colour, and a nine-grid whose top rows carry a
        // gradient along the edge, whose side cells change down the side and
        // whose centre changes both ways.
        host.mainRoot.Children().Remove(glass.root);
        auto clipped = compositor.CreateContainerVisual();
        auto geometry = compositor.CreateRoundedRectangleGeometry();
        geometry.CornerRadius({14, 14});
        clipped.Clip(compositor.CreateGeometricClip(geometry));
        auto fill = compositor.CreateSpriteVisual();
        fill.RelativeSizeAdjustment({1, 1});
        fill.Brush(compositor.CreateColorBrush({230, 20, 140, 220}));
        clipped.Children().InsertAtTop(fill);
        auto ringSurface = host.CreateDrawingSurface(40, 40);
        raster::Image ring(40, 40);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const bool side = x < 12 || x >= 28, middle = y >= 12 && y < 28;
                const int a = side ? 40 + 3 * x + 2 * y : middle ? 20 + (x * 7 + y * 5) % 40 : y < 3 ? 90 + 2 * x : 150 + y;
                ring.At(x, y) = raster::PremultiplyArgb(static_cast<uint32_t>(a), 250, 240, 30);
            }
        }
        ASSERT_TRUE(host.PaintPixels(ringSurface, ring));
        auto grid = compositor.CreateNineGridBrush();
        grid.Source(compositor.CreateSurfaceBrush(ringSurface));
        grid.SetInsets(12);
        auto framed = compositor.CreateSpriteVisual();
        framed.Brush(grid);
        clipped.Offset({60, 10, 0});
        clipped.Size({200, 50});
        geometry.Size({200, 50});
        host.mainRoot.Children().InsertAtTop(clipped);
        compositor.Commit();
        for (int frame = 1; frame <= 4; ++frame) {
            const float width = 200.0f + 7.3f * static_cast<float>(frame);
            clipped.Offset({60.0f - 2.6f * static_cast<float>(frame), 10, 0});
            clipped.Size({width, 50});
            geometry.Size({width, 50});
            compositor.Commit();
            ASSERT_TRUE(PresentedEqualsFresh(compositor, host.mainTarget)) << "clip alone, frame " << frame;
            // Only the rounded ends are redrawn.
            EXPECT_LT(host.mainTarget.LastDamagePixels(), 52 * 60) << "frame " << frame;
        }
        host.mainRoot.Children().InsertAtTop(framed);
        for (int frame = 0; frame < 24; ++frame) {
            const bool taller = frame >= 16 && frame < 20;
            const float f = static_cast<float>(taller ? 15 : frame);
            const float width = 200.0f + 9.3f * f, left = 60.0f - 3.1f * f;
            const float height = taller ? 50.0f + 1.6f * static_cast<float>(frame - 15) : 50.0f;
            clipped.Offset({left, 10, 0});
            clipped.Size({width, height});
            geometry.Size({width, height});
            framed.Offset({left + 0.4f, 80, 0});
            framed.Size({width, height - 30.0f});  // lower than its corners: they shrink to fit
            compositor.Commit();
            ASSERT_TRUE(PresentedEqualsFresh(compositor, host.mainTarget)) << "alone, frame " << frame;
        }
    }
}

}  // namespace
