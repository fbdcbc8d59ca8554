// How the center's frame is made: from the kept pixels of its chrome and
// cards where their look is unchanged, painting only what is new, and, while
// the thread is idle, the cards next to those shown ahead of a scroll.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/GlassWindowTree.h"
#include "notify/CenterLayout.h"
#include "notify/NotificationCenterPanel.h"
#include "notify/NotificationHits.h"
#include "notify/NotificationPlacement.h"
#include "notify/NotificationSource.h"
#include "platform/Log.h"

void NotificationCenterPanel::RedrawCenter() {
    CompositionHost* host = shared.host;
    if (!host || !shared.device || !sprite) return;
    try {
        hits.clear();
        const float scale = shared.scale;
        int w = std::max(RoundPixels(scale * panelWidth), 32);
        int h = std::max(RoundPixels(scale * panelHeight), 32);
        if (FitContentSurface(*host, sprite, w, h, surface, surfaceBrush, surfaceWidth, surfaceHeight) ==
            SurfaceFit::Failed)
            return;
        if (shared.device->dwriteFactory && shared.device->d2dFactory) {
            FILETIME now = shared.system.systemTime();
            if (reusePaintedRows) {
                Compose(now);
            } else {
                host->Paint(surface, [&](ID2D1DeviceContext* dc) { PaintCenter(dc, now); });
            }
        }
        sprite.Offset({kNotificationMarginDip * scale, kNotificationMarginDip * scale, 0.0f});
        sprite.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"NotificationCenterWindow::RedrawCenter winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void NotificationCenterPanel::Compose(FILETIME now) {
    CompositionHost& host = *shared.host;
    const int w = surfaceWidth, h = surfaceHeight;
    const float s = shared.scale;
    const bool dark = glass.dark;
    const int32_t count = static_cast<int32_t>(items.size());
    paintAheadDone = false;
    const CenterHitRects rects = BuildCenterHits(panelWidth, panelHeight, count, scrollRow, visibleRows);
    hits = FlattenCenterHits(rects);

    // What each piece looks like now: the chrome (header, empty state and
    // footer, which leave the cards' places clear) and every card shown.
    wchar_t chrome[160] = {};
    _snwprintf(chrome, 159, L"%d|%d|%.3f|%.3f|%.3f|%d|%d|%d|%d|%d", w, h, static_cast<double>(s),
               static_cast<double>(panelWidth), static_cast<double>(panelHeight), count, hoverId,
               hoverIndex == -1 ? hoverId : 0, doNotDisturb ? 1 : 0, dark ? 1 : 0);
    const bool chromeKept = cards.chromeLook == chrome && cards.chrome.Width() == w && cards.chrome.Height() == h;
    struct Card {
        int32_t index;
        float y;
        RECT box;  // pixels of the surface
        std::wstring look;
        bool kept;
    };
    std::vector<Card> shown;
    int missing = 0;
    for (size_t k = 0; k + 1 < rects.rows.size(); k += 2) {
        Card card;
        card.index = rects.rows[k].index;
        card.y = rects.rows[k + 1].top;
        card.box = CardBox(card.y);
        const bool hovered = hoverIndex == card.index && (hoverId == kHitCard || hoverId == kHitCardClose);
        card.look = CardLook(card.index, card.y, hovered, now);
        card.kept = CardKept(card.index, card.look, card.box);
        missing += card.kept ? 0 : 1;
        shown.push_back(std::move(card));
    }

    if (missing >= 2) {
        // Much is new (the first frame, a new list): one paint of everything,
        // from which the pieces are kept.
        if (!host.Paint(surface, [&](ID2D1DeviceContext* dc) { PaintCenter(dc, now); })) return;
        const raster::Image& whole = surface.Pixels();
        cards.chrome = whole;
        for (const Card& card : shown) {
            NotificationCardCache::Card& row = cards.rows[items[card.index].id];
            row.pixels.Reset(card.box.right - card.box.left, card.box.bottom - card.box.top);
            CutBlock(whole, card.box, row.pixels);
            row.look = card.look;
            ClearBlock(cards.chrome, card.box);
        }
        cards.chromeLook = chrome;
    } else {
        if (!chromeKept) {
            cards.chromeLook.clear();
            if (!cards.PaintScratch(
                    host, w, h, 0, 0, [&](ID2D1DeviceContext* dc) { PaintCenterChrome(dc); }, cards.chrome)) {
                return;
            }
            cards.chromeLook = chrome;
        }
        cards.frame = cards.chrome;
        raster::Image& frame = cards.frame;
        for (const Card& card : shown) {
            NotificationCardCache::Card& row = cards.rows[items[card.index].id];
            if (!card.kept) {
                row.look.clear();
                if (!cards.PaintScratch(
                        host, card.box.right - card.box.left, card.box.bottom - card.box.top, card.box.left,
                        card.box.top, [&](ID2D1DeviceContext* dc) { PaintCenterRow(dc, card.index, card.y, now); },
                        row.pixels)) {
                    return;
                }
                row.look = card.look;
            }
            PlaceBlock(row.pixels, frame, card.box.left, card.box.top);
        }
        host.PaintPixels(surface, frame);
    }

    ForgetFarCards();
    if (window && !paintAheadPosted) {
        paintAheadPosted = PostMessageW(window, kPaintAheadMessage, 0, 0) != FALSE;
    }
}

RECT NotificationCenterPanel::CardBox(float y) const {
    const float s = shared.scale;
    return {static_cast<LONG>(std::floor(14.0f * s)) - 1, static_cast<LONG>(std::floor(y * s)) - 1,
            static_cast<LONG>(std::ceil((panelWidth - 14.0f) * s)) + 1,
            static_cast<LONG>(std::ceil((y + 84.0f) * s)) + 1};
}

std::wstring NotificationCenterPanel::CardLook(int32_t index, float y, bool hovered, FILETIME now) {
    const NotificationItem& item = items[index];
    const float scale = shared.scale;
    const uint64_t nowValue = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const std::wstring corner = hovered ? std::to_wstring(hoverId) : FormatRelativeTime(item.arrivalTime, nowValue);
    const std::vector<uint8_t>* icon = shared.LoadedIcon(item);
    // Kept cards move by whole pixels only: the part of a pixel where the
    // card starts belongs to its look.
    return CardLookKey(item, corner, hovered, glass.dark, scale, y * scale - std::floor(y * scale),
                       icon && icon->size() == 32u * 32u * 4u);
}

bool NotificationCenterPanel::CardKept(int32_t index, const std::wstring& look, const RECT& box) const {
    return cards.Kept(items[index].id, look, box);
}

void NotificationCenterPanel::ForgetFarCards() { cards.ForgetFar(items, scrollRow, visibleRows, kRowsPaintedAhead); }

bool NotificationCenterPanel::PaintNextRowAhead() {
    const GraphicsDevice* device = shared.device;
    if (!visible || !reusePaintedRows || paintAheadDone || !shared.host || !device || !device->dwriteFactory) {
        return false;
    }
    const int32_t count = static_cast<int32_t>(items.size());
    const CenterHitRects rects = BuildCenterHits(panelWidth, panelHeight, count, scrollRow, visibleRows);
    if (rects.rows.size() < 2) return false;
    // A row above those shown comes in at the top card's place, one below at the bottom card's.
    const int32_t first = rects.rows.front().index;
    const int32_t last = rects.rows[rects.rows.size() - 2].index;
    const float topY = rects.rows[1].top;
    const float bottomY = rects.rows.back().top;
    const FILETIME now = shared.system.systemTime();
    for (int32_t step = 1; step <= kRowsPaintedAhead; ++step) {
        for (const int32_t index : {last + step, first - step}) {
            if (index < 0 || index >= count) continue;
            const float y = index > last ? bottomY : topY;
            const RECT box = CardBox(y);
            // The hover outlives a scroll: a hovered row painted ahead is kept hovered.
            const bool hovered = hoverIndex == index && (hoverId == kHitCard || hoverId == kHitCardClose);
            const std::wstring look = CardLook(index, y, hovered, now);
            if (CardKept(index, look, box)) continue;
            NotificationCardCache::Card& row = cards.rows[items[index].id];
            row.look.clear();
            if (!cards.PaintScratch(
                    *shared.host, box.right - box.left, box.bottom - box.top, box.left, box.top,
                    [&](ID2D1DeviceContext* dc) { PaintCenterRow(dc, index, y, now); }, row.pixels)) {
                return false;
            }
            row.look = look;
            ForgetFarCards();
            return true;
        }
    }
    paintAheadDone = true;
    return false;
}
