// The visual tree composed into a real window's buffer.
#include <gtest/gtest.h>

#include "CompTestWindow.h"
#include "render/CompositionEffects.h"
#include "render/comp/EffectSourceParameter.h"

using namespace comp;

namespace {

constexpr Color kRed = {255, 255, 0, 0};
constexpr Color kBlue = {255, 0, 0, 255};

class CompTree : public ::testing::Test {
protected:
    CompTree() : window(200, 200, 100, 80), compositor(MakeTestCompositor()) {
        target = compositor.CreateDesktopWindowTarget(window.hwnd, true);
        root = compositor.CreateContainerVisual();
        root.RelativeSizeAdjustment({1, 1});
        target.Root(root);
    }

    SpriteVisual Box(Color color, Vector3 offset, Vector2 size) {
        SpriteVisual sprite = compositor.CreateSpriteVisual();
        sprite.Brush(compositor.CreateColorBrush(color));
        sprite.Offset(offset);
        sprite.Size(size);
        return sprite;
    }

    raster::Image Frame() {
        compositor.Commit();
        return target.PresentedPixels();
    }

    CompTestWindow window;
    Compositor compositor;
    DesktopWindowTarget target{nullptr};
    ContainerVisual root{nullptr};
};

}  // namespace

TEST_F(CompTree, LaterChildrenDrawOnTopAndRemoveInsertRaises) {
    auto red = Box(kRed, {10, 10, 0}, {40, 40});
    auto blue = Box(kBlue, {30, 30, 0}, {40, 40});
    root.Children().InsertAtTop(red);
    root.Children().InsertAtTop(blue);
    raster::Image frame = Frame();
    ASSERT_EQ(frame.Width(), 100);
    ASSERT_EQ(frame.Height(), 80);
    EXPECT_EQ(PixelAt(frame, 40, 40), (Px{255, 0, 0, 255})) << "blue was inserted last";
    EXPECT_EQ(PixelAt(frame, 15, 15), (Px{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(frame, 5, 5), (Px{0, 0, 0, 0}));

    root.Children().Remove(red);
    root.Children().InsertAtTop(red);
    frame = Frame();
    EXPECT_EQ(PixelAt(frame, 40, 40), (Px{0, 0, 255, 255})) << "red raised to the top";
    EXPECT_EQ(root.Children().Count(), 2);
}

TEST_F(CompTree, HiddenSubtreeDrawsNothing) {
    auto group = compositor.CreateContainerVisual();
    group.Offset({20, 20, 0});
    group.Size({50, 50});
    group.Children().InsertAtTop(Box(kRed, {0, 0, 0}, {10, 10}));
    root.Children().InsertAtTop(group);
    EXPECT_EQ(PixelAt(Frame(), 25, 25), (Px{0, 0, 255, 255})) << "children are placed in the parent";
    group.IsVisible(false);
    EXPECT_EQ(PixelAt(Frame(), 25, 25), (Px{0, 0, 0, 0}));
}

TEST_F(CompTree, RelativeSizeFollowsTheParent) {
    auto panel = compositor.CreateContainerVisual();
    panel.Offset({10, 10, 0});
    panel.Size({40, 20});
    auto fill = compositor.CreateSpriteVisual();
    fill.Brush(compositor.CreateColorBrush(kBlue));
    fill.RelativeSizeAdjustment({1, 1});
    fill.Size({-10, 0});
    panel.Children().InsertAtTop(fill);
    root.Children().InsertAtTop(panel);
    raster::Image frame = Frame();
    EXPECT_EQ(PixelAt(frame, 10, 10).a, 255);
    EXPECT_EQ(PixelAt(frame, 39, 29).a, 255);
    EXPECT_EQ(PixelAt(frame, 40, 20).a, 0) << "40 - 10 wide";
    EXPECT_EQ(PixelAt(frame, 20, 30).a, 0);

    panel.Size({60, 30});
    frame = Frame();
    EXPECT_EQ(PixelAt(frame, 55, 35).a, 255) << "grows with its parent";
}

TEST_F(CompTree, OpacityMultipliesDownTheTree) {
    auto group = compositor.CreateContainerVisual();
    group.RelativeSizeAdjustment({1, 1});
    group.Opacity(0.5f);
    auto box = Box(kRed, {0, 0, 0}, {20, 20});
    box.Opacity(0.5f);
    group.Children().InsertAtTop(box);
    root.Children().InsertAtTop(group);
    Px p = PixelAt(Frame(), 5, 5);
    EXPECT_NEAR(p.a, 64, 1);
    EXPECT_NEAR(p.r, 64, 1);
}

TEST_F(CompTree, AVisualHasOneParent) {
    auto box = Box(kRed, {0, 0, 0}, {10, 10});
    auto other = compositor.CreateContainerVisual();
    root.Children().InsertAtTop(box);
    EXPECT_THROW(other.Children().InsertAtTop(box), HResultError);
    EXPECT_THROW(root.Children().InsertAtTop(box), HResultError);
    EXPECT_THROW(other.Children().InsertAtTop(root), HResultError) << "a target's root has a parent too";
    root.Children().Remove(box);
    EXPECT_NO_THROW(other.Children().InsertAtTop(box));
    EXPECT_THROW(box.Children().InsertAtTop(other), HResultError) << "no cycles";
    SpriteVisual none{nullptr};
    EXPECT_THROW(none.Opacity(1.0f), HResultError);
}

TEST_F(CompTree, AChildOutlivingItsContainerCanJoinAnother) {
    auto box = Box(kRed, {10, 10, 0}, {20, 20});
    {
        auto doomed = compositor.CreateContainerVisual();
        auto middle = compositor.CreateContainerVisual();
        doomed.Children().InsertAtTop(middle);
        middle.Children().InsertAtTop(box);
        EXPECT_TRUE(box.HasParent());
    }
    EXPECT_FALSE(box.HasParent()) << "its container is gone";
    auto group = compositor.CreateContainerVisual();
    group.RelativeSizeAdjustment({1, 1});
    ASSERT_NO_THROW(group.Children().InsertAtTop(box));
    EXPECT_THROW(box.Children().InsertAtTop(group), HResultError) << "no cycles through the new parent";
    root.Children().InsertAtTop(group);
    EXPECT_EQ(PixelAt(Frame(), 15, 15), (Px{0, 0, 255, 255}));
}

TEST_F(CompTree, ClipsCutTheSubtree) {
    auto panel = compositor.CreateSpriteVisual();
    panel.Brush(compositor.CreateColorBrush(kRed));
    panel.Size({100, 20});
    auto geometry = compositor.CreateRoundedRectangleGeometry();
    geometry.Size({100, 20});
    geometry.CornerRadius({9.6f, 9.6f});
    panel.Clip(compositor.CreateGeometricClip(geometry));
    panel.Children().InsertAtTop(Box(kBlue, {0, 0, 0}, {15, 10}));
    root.Children().InsertAtTop(panel);
    raster::Image frame = Frame();
    EXPECT_EQ(PixelAt(frame, 0, 0).a, 0) << "the corner is cut, the child's too";
    EXPECT_EQ(PixelAt(frame, 12, 5), (Px{255, 0, 0, 255}));
    EXPECT_EQ(PixelAt(frame, 50, 10).a, 255);
    EXPECT_EQ(PixelAt(frame, 50, 30).a, 0);

    panel.Clip(compositor.CreateInsetClip(10, 0, 10, 0));
    frame = Frame();
    EXPECT_EQ(PixelAt(frame, 5, 5).a, 0) << "the child outside the inset is cut as well";
    EXPECT_EQ(PixelAt(frame, 12, 5), (Px{255, 0, 0, 255})) << "the child inside the inset";
    EXPECT_EQ(PixelAt(frame, 12, 15), (Px{0, 0, 255, 255}));
    EXPECT_EQ(PixelAt(frame, 95, 15).a, 0);
}

TEST_F(CompTree, EffectBrushOverTheHostBackdrop) {
    auto parameter = CompositionEffectSourceParameter(L"backdrop");
    auto saturation = SaturationEffect::Make(parameter, 0.0f);
    auto blur = GaussianBlurEffect::Make(AsEffectSource(saturation), 2.0f);
    auto factory = compositor.CreateEffectFactory(blur.Get());
    auto brush = factory.CreateBrush();
    brush.SetSourceParameter(L"backdrop", compositor.CreateHostBackdropBrush());
    EXPECT_THROW(brush.SetSourceParameter(L"other", compositor.CreateHostBackdropBrush()), HResultError);
    auto glass = compositor.CreateSpriteVisual();
    glass.Brush(brush);
    glass.Size({50, 50});
    root.Children().InsertAtTop(glass);
    // The backdrop is pure red: saturation 0 makes it grey with the red weight.
    Px p = PixelAt(Frame(), 25, 25);
    EXPECT_EQ(p.a, 255);
    EXPECT_NEAR(p.r, 54, 3);
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.g, p.b);
}

TEST_F(CompTree, UnsupportedEffectsAndMissingBackdropFail) {
    auto source = CompositionEffectSourceParameter(L"backdrop");
    auto skew = Transform2DEffect::Make(source, 0, 7.5f);
    EXPECT_NO_THROW(compositor.CreateEffectFactory(skew.Get())) << "a translation is supported";
    EXPECT_THROW(compositor.CreateEffectFactory(nullptr), HResultError);

    compositor.Backdrop().SetCreationFails(true);
    EXPECT_THROW(compositor.CreateHostBackdropBrush(), HResultError);
}

TEST_F(CompTree, MaskAndNineGridBrushes) {
    auto mask = compositor.CreateMaskBrush();
    mask.Source(compositor.CreateColorBrush(kRed));
    mask.Mask(compositor.CreateColorBrush({128, 0, 0, 0}));
    auto sprite = compositor.CreateSpriteVisual();
    sprite.Brush(mask);
    sprite.Size({20, 20});
    root.Children().InsertAtTop(sprite);
    Px p = PixelAt(Frame(), 10, 10);
    EXPECT_NEAR(p.a, 128, 1);
    EXPECT_NEAR(p.r, 128, 1);
}

namespace {

// What the display shows at a screen point, read back through GDI.
COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

}  // namespace

TEST(CompScreen, TheDisplayShowsThePresentedPixels) {
    CompTestWindow window(400, 420, 60, 40, /*show=*/true);
    Compositor compositor = MakeTestCompositor();
    auto target = compositor.CreateDesktopWindowTarget(window.hwnd, true);
    auto sprite = compositor.CreateSpriteVisual();
    sprite.Brush(compositor.CreateColorBrush({255, 20, 200, 90}));
    sprite.RelativeSizeAdjustment({1, 1});
    target.Root(sprite);
    compositor.Commit();

    raster::Image presented = target.PresentedPixels();
    EXPECT_EQ(PixelAt(presented, 30, 20), (Px{90, 200, 20, 255}));
    RECT rect;
    GetWindowRect(window.hwnd, &rect);
    EXPECT_EQ(rect.left, 400);
    EXPECT_EQ(rect.top, 420);
    EXPECT_EQ(rect.right - rect.left, 60);

    COLORREF shown = CLR_INVALID;
    for (int attempt = 0; attempt < 50; ++attempt) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        shown = ScreenPixel(430, 440);
        if (shown == RGB(20, 200, 90)) break;
        Sleep(20);
    }
    EXPECT_EQ(shown, RGB(20, 200, 90));
}
