#pragma once
// A text the drop-down panel draws, taken down during its paint instead of
// drawn, so that its pixels come from the kept pieces: painted once for all
// that decides them (text, font, alignment, colour, box and where the box
// falls within its pixels) and copied over the panel from then on.

#include <d2d1_1.h>
#include <dwrite.h>

#include <string>
#include <vector>

#include "render/raster/Image.h"

struct PopoverTextRun {
    std::wstring text;
    IDWriteTextFormat* format = nullptr;  // the paint's own, alive until the runs are placed
    DWRITE_TEXT_ALIGNMENT alignment = DWRITE_TEXT_ALIGNMENT_LEADING;
    D2D1_RECT_F rect = {};  // surface pixels
    D2D1_COLOR_F color = {};
};

// The whole pixels the run may touch: its rectangle and a margin for glyphs
// that reach past it (descenders, a centred line taller than its box).
raster::Rect PopoverTextRunBox(const PopoverTextRun& run, float scale);

// Everything that decides the run's pixels, for the kept-pixel cache.
std::wstring PopoverTextRunKey(const PopoverTextRun& run, const raster::Rect& box);

// Draws the run onto a piece whose top left stands at the box's.
void DrawPopoverTextRun(ID2D1DeviceContext* context, const PopoverTextRun& run, const raster::Rect& box);

// The run as one run per character, each where the whole line lays it out:
// a text that changes by the second (a clock) is then made of a few kept
// glyphs instead of a new piece every second. The run itself when it cannot
// be laid out.
std::vector<PopoverTextRun> SplitPopoverTextRun(const PopoverTextRun& run, IDWriteFactory* factory);
