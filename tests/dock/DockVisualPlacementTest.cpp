// The layout of a frame applied to real compositor visuals, read back from them.
#include <gtest/gtest.h>

#include <vector>

#include "dock/DockVisualPlacement.h"

namespace {

constexpr float kBand = 210.0f;

struct PlacedDock {
    comp::Compositor compositor;
    comp::ContainerVisual itemsRoot{nullptr};
    std::vector<DockItem> items;
    std::vector<DockItemVisual> visuals;
    DockLayoutResult layout;
    LaunchBounceMap bounces;

    PlacedDock() {
        itemsRoot = compositor.CreateContainerVisual();
        DockItemKind kinds[] = {DockItemKind::Launchpad, DockItemKind::App, DockItemKind::App,
                                DockItemKind::Separator, DockItemKind::RecycleBin};
        DockLayoutInput input;
        input.screenWidth = 1920.0f;
        input.bandHeight = kBand;
        input.maxWidth = 1856.0f;
        int64_t id = 1;
        for (DockItemKind kind : kinds) {
            DockItem item;
            item.id = id++;
            item.kind = kind;
            items.push_back(item);
            input.kinds.push_back(static_cast<int32_t>(kind));
            DockItemVisual visual;
            visual.id = static_cast<uint64_t>(item.id);
            visual.container = compositor.CreateContainerVisual();
            if (kind == DockItemKind::Separator) {
                visual.separator = compositor.CreateSpriteVisual();
                visual.container.Children().InsertAtTop(visual.separator);
            } else {
                visual.icon = compositor.CreateSpriteVisual();
                visual.indicator = compositor.CreateSpriteVisual();
                visual.indicator.IsVisible(false);
                visual.container.Children().InsertAtTop(visual.icon);
                visual.container.Children().InsertAtTop(visual.indicator);
            }
            itemsRoot.Children().InsertAtTop(visual.container);
            visuals.push_back(visual);
        }
        // The first application runs and is in front.
        items[1].running = true;
        items[1].active = true;
        visuals[1].indicator.IsVisible(true);
        layout = ComputeDockLayout(input);
    }

    DockGlassPlacement Place(float hide, float scale) {
        DockPlacementInput in;
        in.hideProgress = hide;
        in.scale = scale;
        in.bottomMargin = 8.0f;
        return PlaceDockVisuals(layout, items, visuals, bounces, in, itemsRoot);
    }
};

}  // namespace

TEST(DockVisualPlacement, ShownAtScaleOne) {
    PlacedDock dock;
    DockGlassPlacement glass = dock.Place(0.0f, 1.0f);
    EXPECT_FLOAT_EQ(glass.opacity, 1.0f);
    EXPECT_FLOAT_EQ(glass.y, dock.layout.y);
    EXPECT_FLOAT_EQ(glass.y + glass.height, kBand - 8.0f) << "the glass ends bottomMargin above the band's bottom";
    EXPECT_EQ(dock.itemsRoot.Offset(), (comp::Vector3{0, 0, 0}));
    EXPECT_FLOAT_EQ(dock.itemsRoot.Opacity(), 1.0f);

    // Each icon is centred on its slot and as big as the layout says.
    for (size_t i : {0u, 1u, 2u, 4u}) {
        comp::Vector3 offset = dock.visuals[i].container.Offset();
        comp::Vector2 size = dock.visuals[i].container.Size();
        EXPECT_FLOAT_EQ(offset.x + size.x / 2, dock.layout.items[i].centerX);
        EXPECT_FLOAT_EQ(offset.y + size.y / 2, dock.layout.items[i].centerY);
        EXPECT_FLOAT_EQ(size.x, 48.0f);
        EXPECT_EQ(dock.visuals[i].icon.Size(), size);
    }
    // The separator is a 2-dip bar of 0.68 icon heights on the glass's centre line.
    comp::Vector2 bar = dock.visuals[3].container.Size();
    EXPECT_FLOAT_EQ(bar.x, 2.0f);
    EXPECT_NEAR(bar.y, 0.68f * 48.0f, 1e-4f);
    EXPECT_EQ(dock.visuals[3].separator.Size(), bar);
    EXPECT_FLOAT_EQ(dock.visuals[3].container.Offset().y + bar.y / 2, dock.layout.centerY);

    // The running indicator of the active app: 16.5 x 6.2, centred, 3.6 dip above the glass bottom.
    comp::Vector2 pill = dock.visuals[1].indicator.Size();
    EXPECT_FLOAT_EQ(pill.x, 16.5f);
    EXPECT_FLOAT_EQ(pill.y, 6.2f);
    float containerY = dock.visuals[1].container.Offset().y;
    comp::Vector3 pillOffset = dock.visuals[1].indicator.Offset();
    EXPECT_FLOAT_EQ(pillOffset.x, (48.0f - 16.5f) / 2);
    EXPECT_NEAR(containerY + pillOffset.y + pill.y / 2, dock.layout.y + dock.layout.height - 3.6f, 1e-3f);
    EXPECT_EQ(dock.visuals[2].indicator.Size(), (comp::Vector2{0, 0})) << "a hidden indicator is left alone";
}

TEST(DockVisualPlacement, HalfHiddenSlidesAndFades) {
    PlacedDock dock;
    DockGlassPlacement glass = dock.Place(0.5f, 1.0f);
    float slide = (8.0f + dock.layout.height + 28.0f) * 0.5f;
    EXPECT_NEAR(glass.opacity, 1.0f - 1.15f * 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(glass.y, dock.layout.y + slide);
    EXPECT_FLOAT_EQ(dock.itemsRoot.Offset().y, slide);
    EXPECT_NEAR(dock.itemsRoot.Opacity(), 0.425f, 1e-5f);
    // The items themselves keep their places inside the sliding root.
    EXPECT_FLOAT_EQ(dock.visuals[1].container.Offset().y + 24.0f, dock.layout.items[1].centerY);
}

TEST(DockVisualPlacement, FullyHiddenIsBelowTheBandAndInvisible) {
    PlacedDock dock;
    DockGlassPlacement glass = dock.Place(1.0f, 1.0f);
    EXPECT_FLOAT_EQ(glass.opacity, 0.0f);
    EXPECT_GE(glass.y, kBand) << "the glass slid out of the band";
    EXPECT_FLOAT_EQ(dock.itemsRoot.Opacity(), 0.0f);
    float iconTop = dock.itemsRoot.Offset().y + dock.visuals[1].container.Offset().y;
    EXPECT_GE(iconTop, kBand);

    // Beyond the range, the progress is clamped.
    DockGlassPlacement beyond = dock.Place(1.7f, 1.0f);
    EXPECT_FLOAT_EQ(beyond.y, glass.y);
}

TEST(DockVisualPlacement, ScaleOneAndAHalfMultipliesEveryPixel) {
    PlacedDock dock;
    DockGlassPlacement one = dock.Place(0.0f, 1.0f);
    comp::Vector3 iconAtOne = dock.visuals[2].container.Offset();
    DockGlassPlacement big = dock.Place(0.0f, 1.5f);
    EXPECT_FLOAT_EQ(big.x, one.x * 1.5f);
    EXPECT_FLOAT_EQ(big.y, one.y * 1.5f);
    EXPECT_FLOAT_EQ(big.width, one.width * 1.5f);
    EXPECT_FLOAT_EQ(big.cornerRadius, one.cornerRadius * 1.5f);
    EXPECT_FLOAT_EQ(dock.visuals[2].container.Size().x, 72.0f);
    EXPECT_FLOAT_EQ(dock.visuals[2].container.Offset().x, iconAtOne.x * 1.5f);
    EXPECT_FLOAT_EQ(dock.visuals[2].container.Offset().y, iconAtOne.y * 1.5f);
    EXPECT_FLOAT_EQ(dock.visuals[1].indicator.Size().x, 16.5f * 1.5f);
    EXPECT_FLOAT_EQ(dock.visuals[3].container.Size().x, 3.0f);

    DockGlassPlacement hidden = dock.Place(0.5f, 1.5f);
    EXPECT_FLOAT_EQ(dock.itemsRoot.Offset().y, (8.0f + dock.layout.height + 28.0f) * 0.5f * 1.5f);
    EXPECT_NEAR(hidden.opacity, 0.425f, 1e-5f);
}

TEST(DockVisualPlacement, BouncingIconLiftsButItsIndicatorStays) {
    PlacedDock dock;
    dock.Place(0.0f, 1.0f);
    float restingY = dock.visuals[1].container.Offset().y;
    float indicatorScreenY = restingY + dock.visuals[1].indicator.Offset().y;

    LaunchBounce hop;
    hop.offset = -20.0f;
    hop.velocity = -100.0f;
    dock.bounces[static_cast<uint64_t>(dock.items[1].id)] = hop;
    dock.Place(0.0f, 1.0f);
    float liftedY = dock.visuals[1].container.Offset().y;
    EXPECT_FLOAT_EQ(liftedY, restingY - 20.0f);
    EXPECT_FLOAT_EQ(liftedY + dock.visuals[1].indicator.Offset().y, indicatorScreenY);
}

TEST(DockVisualPlacement, IndicatorSizeFollowsTheActiveFlagFirst) {
    DockItem item;
    EXPECT_EQ(IndicatorSizeDip(item), (comp::Vector2{12.5f, 6.0f}));
    item.allMinimized = true;
    EXPECT_EQ(IndicatorSizeDip(item), (comp::Vector2{13.5f, 6.2f}));
    item.active = true;
    EXPECT_EQ(IndicatorSizeDip(item), (comp::Vector2{16.5f, 6.2f}));
}
