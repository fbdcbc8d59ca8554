#pragma once
// A notification's body cut to its place on a card: whole lines only, and
// when some are left out the last line shown ends in "…". Wine's text
// renderer draws every line of a layout, those past its box too, and trims
// none, so what fits is measured here rather than left to the renderer.

#include <dwrite.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct BodyLineMetrics {
    uint32_t length = 0;  // text positions, its trailing spaces and break included
    float height = 0;
};

struct BodyFit {
    size_t lines = 0;  // lines shown
    uint32_t end = 0;  // text position where they end
    bool cut = false;  // lines were left out
};

// The first lines whose heights add up to no more than boxHeight.
BodyFit FitBodyLines(const std::vector<BodyLineMetrics>& lines, float boxHeight);

// What to draw of `text`, laid out in lines: all of it when it fits;
// otherwise the lines that fit, the last one shortened until, ending in "…",
// it takes no more lines (`countLines`: the lines a text takes in the box's
// width) than fit. Empty when not even one line fits.
std::wstring FittedBodyText(const std::wstring& text, const std::vector<BodyLineMetrics>& lines, float boxHeight,
                            const std::function<size_t(const std::wstring&)>& countLines);

// `text` laid out with `format` (which wraps) in width x height and cut as
// above; null when it cannot be laid out or nothing of it fits.
Microsoft::WRL::ComPtr<IDWriteTextLayout> FittedBodyLayout(IDWriteFactory* factory, IDWriteTextFormat* format,
                                                           const std::wstring& text, float width, float height);
