#include "notify/BannerStack.h"

#include <algorithm>

bool AddBanners(std::vector<NotificationBanner>& stack, const std::vector<NotificationItem>& newestFirst,
                uint64_t now) {
    bool changed = false;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
        bool shown =
            std::any_of(stack.begin(), stack.end(), [&](const NotificationBanner& b) { return b.item.id == it->id; });
        if (shown) continue;
        stack.insert(stack.begin(), NotificationBanner{*it, now + kBannerLifetimeMs});
        if (stack.size() > kMaxBanners) stack.resize(kMaxBanners);
        changed = true;
    }
    return changed;
}

namespace {

bool Due(const NotificationBanner& banner, uint64_t now) { return banner.expiresAt <= now; }

}  // namespace

bool ExpireBanners(std::vector<NotificationBanner>& stack, uint64_t now) {
    size_t before = stack.size();
    std::erase_if(stack, [now](const NotificationBanner& b) { return Due(b, now); });
    return stack.size() != before;
}

bool AllBannersDue(const std::vector<NotificationBanner>& stack, uint64_t now) {
    return !stack.empty() &&
           std::all_of(stack.begin(), stack.end(), [now](const NotificationBanner& b) { return Due(b, now); });
}
