// Frames composed incrementally, with the window's kept scratch buffers and
// only the damaged area redrawn, against the same tree composed from nothing;
// also after the kept buffers were freed.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cmath>
#include <vector>

#include "CompTestWindow.h"
#include "ScopedPersonalizeValue.h"
#include "render/GlassLayer.h"
#include "render/comp/CompositorState.h"
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

TEST(ComposeReuse, HoverSweepFramesEqualFramesComposedFromNothing) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ScopedPersonalizeValue transparency{L"EnableTransparency"};
        transparency.SetDword(1);
        CompTestWindow window{kWindowX, kWindowY, kWindowWidth, kWindowHeight};
        GraphicsDevice graphics;
        CompositionHost host;
        ASSERT_TRUE(CreateGraphicsFactories(graphics));
        ASSERT_TRUE(graphics.Create());
        ASSERT_TRUE(host.Initialize(window.hwnd, graphics));
        host.compositor.Backdrop().SetLoader(LoadPatternedBackdrop);
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
            const raster::Image incremental = host.mainTarget.PresentedPixels();
            const raster::Image fresh = ComposedFromNothing(host.mainTarget, compositor.Backdrop());
            ASSERT_EQ(incremental.Width(), fresh.Width());
            int differing = 0, firstX = -1, firstY = -1;
            for (int y = 0; y < fresh.Height(); ++y) {
                for (int x = 0; x < fresh.Width(); ++x) {
                    if (incremental.At(x, y) != fresh.At(x, y) && differing++ == 0) {
                        firstX = x;
                        firstY = y;
                    }
                }
            }
            ASSERT_EQ(differing, 0) << "frame " << frame << ", first at (" << firstX << ", " << firstY << ")";
        }
        // Nothing changed: nothing is composed or presented.
        const int presents = host.mainTarget.PresentCount();
        compositor.Commit();
        EXPECT_EQ(host.mainTarget.PresentCount(), presents);
    }
    CoUninitialize();
}

}  // namespace
