#include "notify/NotificationCardCache.h"

#include <algorithm>
#include <cstdio>

bool NotificationCardCache::Kept(int64_t id, const std::wstring& look, const RECT& box) const {
    auto found = rows.find(id);
    return found != rows.end() && found->second.look == look && found->second.pixels.Width() == box.right - box.left &&
           found->second.pixels.Height() == box.bottom - box.top;
}

bool NotificationCardCache::PaintScratch(CompositionHost& host, int width, int height, int originX, int originY,
                                         const std::function<void(ID2D1DeviceContext*)>& painter, raster::Image& out) {
    if (!scratch || scratch.SizeInt().cx != width || scratch.SizeInt().cy != height) {
        scratch = host.CreateDrawingSurface(width, height);
        if (!scratch) return false;
    }
    // Whole-pixel shifts keep every edge where it falls on the center's surface.
    const bool painted = host.Paint(scratch, [&](ID2D1DeviceContext* context) {
        D2D1_MATRIX_3X2_F base;
        context->GetTransform(&base);
        context->SetTransform(
            base * D2D1::Matrix3x2F::Translation(static_cast<float>(-originX), static_cast<float>(-originY)));
        painter(context);
        context->SetTransform(base);
    });
    if (painted) out = scratch.Pixels();
    return painted;
}

void NotificationCardCache::ForgetFar(const std::vector<NotificationItem>& items, int32_t firstShown, int32_t shownRows,
                                      int32_t keepNear) {
    size_t bytes = 0;
    for (const auto& entry : rows) {
        bytes += static_cast<size_t>(entry.second.pixels.Width()) * entry.second.pixels.Height() * 4;
    }
    if (bytes <= kBudgetBytes) return;
    // The cards farthest from those shown go first (a row no longer listed is
    // farthest of all); those painted ahead stay, or they would be painted again.
    std::unordered_map<int64_t, int32_t> distance;
    for (const auto& entry : rows) distance[entry.first] = INT32_MAX;
    for (int32_t i = 0; i < static_cast<int32_t>(items.size()); ++i) {
        auto found = distance.find(items[i].id);
        if (found == distance.end()) continue;
        found->second = i < firstShown ? firstShown - i : std::max(0, i - (firstShown + shownRows - 1));
    }
    std::vector<std::pair<int32_t, int64_t>> farthestFirst;
    for (const auto& [id, away] : distance) farthestFirst.emplace_back(away, id);
    std::sort(farthestFirst.begin(), farthestFirst.end(), std::greater<>());
    for (const auto& [away, id] : farthestFirst) {
        if (bytes <= kBudgetBytes || away <= keepNear) break;
        auto found = rows.find(id);
        bytes -= static_cast<size_t>(found->second.pixels.Width()) * found->second.pixels.Height() * 4;
        rows.erase(found);
    }
}

void NotificationCardCache::Forget() {
    rows.clear();
    frame = raster::Image();
    chrome = raster::Image();
    chromeLook.clear();
    scratch = nullptr;
}

std::wstring CardLookKey(const NotificationItem& item, const std::wstring& corner, bool hovered, bool dark, float scale,
                         float fractionY, bool hasIcon) {
    wchar_t numbers[96] = {};
    _snwprintf(numbers, 95, L"%lld|%d|%d|%.3f|%.4f|%d", static_cast<long long>(item.id), hovered ? 1 : 0, dark ? 1 : 0,
               static_cast<double>(scale), static_cast<double>(fractionY), hasIcon ? 1 : 0);
    std::wstring look = numbers;
    for (const std::wstring* text : {&item.appName, &item.title, &item.body, &item.exePath, &corner}) {
        look += L'\x1F';
        look += *text;
    }
    return look;
}

void PlaceBlock(const raster::Image& block, raster::Image& frame, int x, int y) {
    for (int row = 0; row < block.Height(); ++row) {
        if (y + row < 0 || y + row >= frame.Height()) continue;
        const int from = std::max(0, -x);
        const int to = std::min(block.Width(), frame.Width() - x);
        if (to <= from) continue;
        std::copy(block.Data() + static_cast<size_t>(row) * block.Width() + from,
                  block.Data() + static_cast<size_t>(row) * block.Width() + to,
                  frame.Data() + static_cast<size_t>(y + row) * frame.Width() + x + from);
    }
}

void CutBlock(const raster::Image& frame, const RECT& box, raster::Image& out) {
    for (int row = 0; row < out.Height(); ++row) {
        const int y = box.top + row;
        if (y < 0 || y >= frame.Height()) continue;
        for (int x = 0; x < out.Width(); ++x) {
            const int fx = box.left + x;
            if (fx >= 0 && fx < frame.Width()) out.At(x, row) = frame.At(fx, y);
        }
    }
}

void ClearBlock(raster::Image& frame, const RECT& box) {
    for (int y = std::max<int>(box.top, 0); y < std::min<int>(box.bottom, frame.Height()); ++y) {
        for (int x = std::max<int>(box.left, 0); x < std::min<int>(box.right, frame.Width()); ++x) frame.At(x, y) = 0;
    }
}
