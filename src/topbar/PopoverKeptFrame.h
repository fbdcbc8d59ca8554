#pragma once
// The frame a panel opens with, kept between openings: its pixels with every
// text placed except the ones that change by the second, and what its paint
// recorded on the way (hits, slider tracks, those ticking texts). The key
// names everything the panel's pixels follow, so a new day, theme, scale,
// month, tile or reading paints it again; a panel under the pointer or a drag
// keeps nothing (it is not what the panel opens with).

#include <windows.h>
#include <d2d1_1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "render/HitItem.h"
#include "render/raster/Image.h"
#include "topbar/PopoverTextRun.h"

class TopBarPopover;

struct PopoverKeptFrame {
    std::wstring key;
    raster::Image pixels;
    std::vector<HitItem> hits;
    D2D1_RECT_F volumeTrack = {};
    D2D1_RECT_F brightnessTrack = {};
    std::vector<PopoverTextRun> ticking;
    // The ticking runs' formats, held so a palette made anew cannot free them.
    std::vector<Microsoft::WRL::ComPtr<IDWriteTextFormat>> formats;
};

// Empty when the panel's current kind or state is not kept: only the calendar
// and the control center are, and only while nothing is hovered or dragged.
std::wstring PopoverFrameKey(const TopBarPopover& popover, bool dark, const SYSTEMTIME& now);

// "hh:mm:ss", the calendar's ticking text.
std::wstring CalendarClockText(const SYSTEMTIME& now);
