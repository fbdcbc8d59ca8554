#pragma once
// The center's kept pixels: its chrome and each card as painted for one look,
// so that scrolling and hovering put the frame together from what is kept and
// paint only what is new. Kept while the center shows.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "notify/NotificationItem.h"
#include "render/CompositionHost.h"

class NotificationCardCache {
public:
    struct Card {
        std::wstring look;
        raster::Image pixels;
    };

    // Whether the card of id is kept for this look at the box's size.
    bool Kept(int64_t id, const std::wstring& look, const RECT& box) const;
    // Paints width x height pixels whose top-left is (originX, originY) of
    // the center's surface into out.
    bool PaintScratch(CompositionHost& host, int width, int height, int originX, int originY,
                      const std::function<void(ID2D1DeviceContext*)>& painter, raster::Image& out);
    // Past the budget, the kept cards farthest from the rows shown go, all but
    // those within keepNear rows of them.
    void ForgetFar(const std::vector<NotificationItem>& items, int32_t firstShown, int32_t shownRows, int32_t keepNear);
    void Forget();

    std::unordered_map<int64_t, Card> rows;
    std::wstring chromeLook;
    raster::Image chrome;
    raster::Image frame;  // kept for its memory
    comp::CompositionDrawingSurface scratch;

    // Kept cards beyond this are dropped, all but those shown.
    static constexpr size_t kBudgetBytes = 32u << 20;
};

// Everything a card's pixels depend on besides the panel's width.
std::wstring CardLookKey(const NotificationItem& item, const std::wstring& corner, bool hovered, bool dark, float scale,
                         float fractionY, bool hasIcon);

// Copies a kept block of pixels into the frame with its top-left at (x, y).
void PlaceBlock(const raster::Image& block, raster::Image& frame, int x, int y);
// The block of the frame inside box, into out (sized to the box).
void CutBlock(const raster::Image& frame, const RECT& box, raster::Image& out);
void ClearBlock(raster::Image& frame, const RECT& box);
