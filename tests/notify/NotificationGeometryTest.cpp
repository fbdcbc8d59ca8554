// The notification center's and banners' sizes, places, hit areas, banner
// stack and letter tiles, computed without a window.

#include <gtest/gtest.h>

#include <windows.h>

#include "notify/BannerStack.h"
#include "notify/CenterLayout.h"
#include "notify/LetterTile.h"
#include "notify/NotificationHits.h"
#include "notify/NotificationPlacement.h"

namespace {

const RECT kFullHd = {0, 0, 1920, 1080};

void ExpectWindow(const PanelPlacement& p, LONG x, LONG y, LONG width, LONG height) {
    EXPECT_EQ(p.window.left, x);
    EXPECT_EQ(p.window.top, y);
    EXPECT_EQ(p.window.right - p.window.left, width);
    EXPECT_EQ(p.window.bottom - p.window.top, height);
}

TEST(CenterGeometry, SizesAndPlacesThePanel) {
    CenterLayout empty = LayoutCenterPanel(1040, 1.0f, 0, 3);
    EXPECT_FLOAT_EQ(empty.panelWidth, 348.0f);
    EXPECT_FLOAT_EQ(empty.panelHeight, 232.0f);
    EXPECT_EQ(empty.scrollRow, 0);
    PanelPlacement p = PlaceCenterPanel(kFullHd, 1.0f, empty.panelWidth, empty.panelHeight);
    ExpectWindow(p, 1546, 26, 376, 260);
    EXPECT_EQ(p.glassLeft, 14);
    EXPECT_EQ(p.glassWidth, 348);
    EXPECT_EQ(p.glassHeight, 232);
    EXPECT_EQ(ScrollAfterWheel(0, -120, 0, empty.visibleRows), 0);

    EXPECT_FLOAT_EQ(LayoutCenterPanel(1040, 1.0f, 1, 0).panelHeight, 194.0f);

    CenterLayout full = LayoutCenterPanel(1040, 1.0f, 20, 99);
    EXPECT_FLOAT_EQ(full.cap, 620.0f);
    EXPECT_EQ(full.visibleRows, 5);
    EXPECT_FLOAT_EQ(full.panelHeight, 562.0f);
    EXPECT_EQ(full.scrollRow, 15);  // clamped to the last full page
    ExpectWindow(PlaceCenterPanel(kFullHd, 1.0f, 348.0f, full.panelHeight), 1546, 26, 376, 590);
    int row = 0;
    for (int notch = 0; notch < 30; ++notch) row = ScrollAfterWheel(row, -120, 20, full.visibleRows);
    EXPECT_EQ(row, 15);
    EXPECT_EQ(ScrollAfterWheel(15, 120, 20, 5), 14);
    EXPECT_EQ(ScrollAfterWheel(0, 120, 20, 5), 0);

    CenterLayout hiDpi = LayoutCenterPanel(1080, 2.0f, 20, 0);
    EXPECT_FLOAT_EQ(hiDpi.cap, 516.0f);
    EXPECT_EQ(hiDpi.visibleRows, 4);
    EXPECT_FLOAT_EQ(hiDpi.panelHeight, 470.0f);
    ExpectWindow(PlaceCenterPanel(kFullHd, 2.0f, 348.0f, hiDpi.panelHeight), 1172, 52, 752, 996);

    CenterLayout unknown = LayoutCenterPanel(-1, 1.0f, 20, 0);
    EXPECT_FLOAT_EQ(unknown.cap, 560.0f);
    EXPECT_EQ(unknown.visibleRows, 5);
    EXPECT_EQ(PlaceCenterPanel(RECT{-1280, 0, 0, 1024}, 1.0f, 348.0f, unknown.panelHeight).window.left, -374);

    // A tiny work area still leaves room for one row.
    EXPECT_FLOAT_EQ(LayoutCenterPanel(100, 1.0f, 20, 0).cap, 240.0f);
    EXPECT_EQ(LayoutCenterPanel(100, 1.0f, 20, 0).visibleRows, 1);
}

TEST(BannerGeometry, StacksUnderTheBarAtTheRightEdge) {
    ExpectWindow(PlaceBannerPanel(kFullHd, 1.0f, BannerPanelHeight(1)), 1558, 28, 364, 110);
    ExpectWindow(PlaceBannerPanel(kFullHd, 1.0f, BannerPanelHeight(3)), 1558, 28, 364, 290);
    ExpectWindow(PlaceBannerPanel(kFullHd, 1.5f, BannerPanelHeight(3)), 1377, 42, 546, 435);
}

TEST(CenterHits, FindsEachAreaBoundsIncluded) {
    std::vector<HitItem> hits = FlattenCenterHits(BuildCenterHits(348.0f, 562.0f, 20, 0, 5));
    const HitItem* close = FindHitItem(hits, 317.0f, 71.0f);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->id, kHitCardClose);
    EXPECT_EQ(close->index, 0);
    const HitItem* card = FindHitItem(hits, 14.0f, 54.0f);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->id, kHitCard);
    const HitItem* secondRow = FindHitItem(hits, 100.0f, 54.0f + 92.0f * 2 + 84.0f);
    ASSERT_NE(secondRow, nullptr);
    EXPECT_EQ(secondRow->index, 2);
    EXPECT_EQ(FindHitItem(hits, 100.0f, 140.0f), nullptr);  // the gap between rows

    auto idAt = [&](float x, float y) {
        const HitItem* hit = FindHitItem(hits, x, y);
        return hit ? hit->id : 0;
    };
    EXPECT_EQ(idAt(270.0f, 25.0f), kHitClearAll);
    EXPECT_EQ(idAt(334.0f, 25.0f), kHitClearAll);
    EXPECT_EQ(idAt(214.0f, 25.0f), kHitDoNotDisturb);
    EXPECT_EQ(idAt(264.0f, 25.0f), kHitDoNotDisturb);
    EXPECT_EQ(idAt(267.0f, 25.0f), 0);
    EXPECT_EQ(idAt(14.0f, 540.0f), kHitSettings);
    EXPECT_EQ(idAt(170.0f, 540.0f), kHitSettings);
    EXPECT_EQ(idAt(174.0f, 540.0f), 0);
    EXPECT_EQ(idAt(178.0f, 540.0f), kHitSystemPanel);
    EXPECT_EQ(idAt(334.0f, 540.0f), kHitSystemPanel);

    std::vector<HitItem> empty = FlattenCenterHits(BuildCenterHits(348.0f, 232.0f, 0, 0, 5));
    ASSERT_EQ(empty.size(), 3u);
    EXPECT_EQ(empty[0].id, kHitDoNotDisturb);
    EXPECT_FLOAT_EQ(empty[0].left, 284.0f);
    EXPECT_FLOAT_EQ(empty[0].right, 334.0f);

    // A scrolled list records the shown rows under their list index.
    CenterHitRects scrolled = BuildCenterHits(348.0f, 562.0f, 20, 15, 5);
    ASSERT_EQ(scrolled.rows.size(), 10u);
    EXPECT_EQ(scrolled.rows.front().index, 15);
    EXPECT_EQ(scrolled.rows.back().index, 19);
}

TEST(BannerHits, CloseButtonBeforeCardPerBanner) {
    std::vector<HitItem> hits = BuildBannerHits(336.0f, 2);
    const HitItem* close = FindHitItem(hits, 318.0f, 90.0f + 17.0f);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->id, kHitBannerClose);
    EXPECT_EQ(close->index, 1);
    const HitItem* card = FindHitItem(hits, 0.0f, 82.0f);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->id, kHitBanner);
    EXPECT_EQ(card->index, 0);
    EXPECT_EQ(FindHitItem(hits, 100.0f, 86.0f), nullptr);
}

std::vector<NotificationItem> Items(std::initializer_list<int64_t> ids) {
    std::vector<NotificationItem> items;
    for (int64_t id : ids) {
        NotificationItem item;
        item.id = id;
        items.push_back(item);
    }
    return items;
}

std::vector<int64_t> Ids(const std::vector<NotificationBanner>& stack) {
    std::vector<int64_t> ids;
    for (const NotificationBanner& b : stack) ids.push_back(b.item.id);
    return ids;
}

TEST(BannerStack, KeepsTheNewestThreeNewestOnTop) {
    std::vector<NotificationBanner> stack;
    EXPECT_TRUE(AddBanners(stack, Items({15, 14, 13, 12, 11}), 1000));
    EXPECT_EQ(Ids(stack), (std::vector<int64_t>{15, 14, 13}));
    EXPECT_TRUE(AddBanners(stack, Items({16}), 2000));
    EXPECT_EQ(Ids(stack), (std::vector<int64_t>{16, 15, 14}));
    EXPECT_EQ(stack[0].expiresAt, 2000 + kBannerLifetimeMs);
    EXPECT_EQ(stack[1].expiresAt, 1000 + kBannerLifetimeMs);  // kept its own expiry
    EXPECT_FALSE(AddBanners(stack, Items({15}), 3000));
    EXPECT_EQ(Ids(stack), (std::vector<int64_t>{16, 15, 14}));
}

TEST(BannerStack, ExpiresAtItsTickExactly) {
    std::vector<NotificationBanner> stack;
    AddBanners(stack, Items({2}), 1000);
    AddBanners(stack, Items({3}), 1200);
    EXPECT_FALSE(ExpireBanners(stack, 1000 + 5499));
    EXPECT_EQ(stack.size(), 2u);
    EXPECT_TRUE(ExpireBanners(stack, 1000 + 5500));
    EXPECT_EQ(Ids(stack), (std::vector<int64_t>{3}));
    EXPECT_TRUE(ExpireBanners(stack, 20000));
    EXPECT_TRUE(stack.empty());
}

TEST(LetterTile, ColourDependsOnlyOnTheName) {
    EXPECT_EQ(Fnv1aUtf16(L"Notes"), 0x0FF01B6Au);
    EXPECT_EQ(LetterTileColorIndex(L"Notes"), 4);
    EXPECT_EQ(LetterTileColorIndex(L"记录器"), 2);
    EXPECT_EQ(LetterTileColorIndex(L""), 1);
    EXPECT_EQ(LetterTileText(L""), L"通");
    EXPECT_EQ(LetterTileText(L"记录器"), L"记");
    EXPECT_EQ(LetterTileColorIndex(L"Windows 更新"), 0);
}

}  // namespace
