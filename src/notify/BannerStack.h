#pragma once
// The banners showing now, top of the stack first, and when each one goes.

#include <cstdint>
#include <vector>

#include "notify/NotificationItem.h"

struct NotificationBanner {
    NotificationItem item;
    uint64_t expiresAt = 0;  // GetTickCount64 milliseconds
};

constexpr uint64_t kBannerLifetimeMs = 5500;
constexpr size_t kMaxBanners = 3;

// Adds the items of one poll (store order: newest first). They go in oldest
// first, each on top, so a large batch keeps its newest three with the newest
// on top, and a later poll lands above what already shows. An id that already
// has a banner is skipped; the others keep their own expiry. Returns whether
// the stack changed.
bool AddBanners(std::vector<NotificationBanner>& stack, const std::vector<NotificationItem>& newestFirst, uint64_t now);

// Removes every banner whose time is up (expiresAt <= now), keeping the order.
// Returns whether any went.
bool ExpireBanners(std::vector<NotificationBanner>& stack, uint64_t now);
// Whether there are banners and ExpireBanners would take every one of them.
bool AllBannersDue(const std::vector<NotificationBanner>& stack, uint64_t now);
