#pragma once
// The clickable areas of the notification center and the banner stack in
// panel DIP, in the order they are painted (an earlier one wins an overlap).

#include <cstdint>
#include <vector>

#include "render/HitItem.h"

enum NotificationHitId : int32_t {
    kHitDoNotDisturb = 101,
    kHitClearAll = 102,
    kHitCard = 103,
    kHitCardClose = 104,
    kHitSettings = 105,
    kHitSystemPanel = 106,
    kHitBanner = 201,
    kHitBannerClose = 202,
};

struct CenterHitRects {
    std::vector<HitItem> header;  // clear-all (with items), then do-not-disturb
    std::vector<HitItem> rows;    // per shown row: close button, then card
    std::vector<HitItem> footer;  // settings, then the system panel
};

CenterHitRects BuildCenterHits(float panelWidth, float panelHeight, int32_t itemCount, int32_t scrollRow,
                               int32_t visibleRows);
// Flattened in painting order: header, rows, footer.
std::vector<HitItem> FlattenCenterHits(const CenterHitRects& hits);

// Per banner from the top: close button, then card.
std::vector<HitItem> BuildBannerHits(float panelWidth, int32_t bannerCount);
