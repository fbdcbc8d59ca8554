#include "notify/NotificationHits.h"

namespace {
HitItem Hit(int32_t id, float left, float top, float right, float bottom, int32_t index = -1) {
    return HitItem{id, left, top, right, bottom, index};
}
}  // namespace

CenterHitRects BuildCenterHits(float w, float h, int32_t itemCount, int32_t scrollRow, int32_t visibleRows) {
    CenterHitRects hits;
    float right = w - 14.0f;
    if (itemCount > 0) {
        hits.header.push_back(Hit(kHitClearAll, right - 64.0f, 13.0f, right, 37.0f));
        right -= 70.0f;
    }
    hits.header.push_back(Hit(kHitDoNotDisturb, right - 50.0f, 13.0f, right, 37.0f));
    float y = 54.0f;
    for (int32_t i = scrollRow; i < scrollRow + visibleRows && i < itemCount; ++i, y += 92.0f) {
        hits.rows.push_back(Hit(kHitCardClose, w - 42.0f, y + 6.0f, w - 20.0f, y + 28.0f, i));
        hits.rows.push_back(Hit(kHitCard, 14.0f, y, w - 14.0f, y + 84.0f, i));
    }
    float mid = (w - 36.0f) / 2.0f + 14.0f;
    hits.footer.push_back(Hit(kHitSettings, 14.0f, h - 42.0f, mid, h - 12.0f));
    hits.footer.push_back(Hit(kHitSystemPanel, mid + 8.0f, h - 42.0f, w - 14.0f, h - 12.0f));
    return hits;
}

std::vector<HitItem> FlattenCenterHits(const CenterHitRects& hits) {
    std::vector<HitItem> all(hits.header);
    all.insert(all.end(), hits.rows.begin(), hits.rows.end());
    all.insert(all.end(), hits.footer.begin(), hits.footer.end());
    return all;
}

std::vector<HitItem> BuildBannerHits(float w, int32_t bannerCount) {
    std::vector<HitItem> hits;
    for (int32_t i = 0; i < bannerCount; ++i) {
        float y = 90.0f * static_cast<float>(i);
        hits.push_back(Hit(kHitBannerClose, w - 30.0f, y + 6.0f, w - 6.0f, y + 28.0f, i));
        hits.push_back(Hit(kHitBanner, 0.0f, y, w, y + 82.0f, i));
    }
    return hits;
}
