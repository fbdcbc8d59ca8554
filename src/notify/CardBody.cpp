#include "notify/CardBody.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";

ComPtr<IDWriteTextLayout> Layout(IDWriteFactory* factory, IDWriteTextFormat* format, const std::wstring& text,
                                 float width, float height) {
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(factory->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()), format, width, height,
                                         &layout))) {
        return nullptr;
    }
    return layout;
}

std::vector<BodyLineMetrics> LinesOf(IDWriteTextLayout* layout) {
    UINT32 count = 0;
    layout->GetLineMetrics(nullptr, 0, &count);
    std::vector<DWRITE_LINE_METRICS> metrics(count);
    if (count == 0 || FAILED(layout->GetLineMetrics(metrics.data(), count, &count))) return {};
    std::vector<BodyLineMetrics> lines;
    for (const DWRITE_LINE_METRICS& line : metrics) lines.push_back({line.length, line.height});
    return lines;
}

}  // namespace

BodyFit FitBodyLines(const std::vector<BodyLineMetrics>& lines, float boxHeight) {
    BodyFit fit;
    float used = 0;
    for (const BodyLineMetrics& line : lines) {
        // A hundredth of a pixel of slack: heights added in floats.
        if (used + line.height > boxHeight + 0.01f) {
            fit.cut = true;
            break;
        }
        used += line.height;
        fit.end += line.length;
        ++fit.lines;
    }
    return fit;
}

std::wstring FittedBodyText(const std::wstring& text, const std::vector<BodyLineMetrics>& lines, float boxHeight,
                            const std::function<size_t(const std::wstring&)>& countLines) {
    const BodyFit fit = FitBodyLines(lines, boxHeight);
    if (!fit.cut) return text;
    if (fit.lines == 0) return {};
    const uint32_t lastStart = fit.end - lines[fit.lines - 1].length;
    size_t cut = std::min<size_t>(fit.end, text.size());
    for (;;) {
        while (cut > lastStart && std::iswspace(text[cut - 1])) --cut;
        // Never between the halves of a surrogate pair.
        if (cut > lastStart && IS_HIGH_SURROGATE(text[cut - 1])) --cut;
        std::wstring shown = text.substr(0, cut) + kEllipsis;
        if (cut <= lastStart || countLines(shown) <= fit.lines) return shown;
        --cut;
    }
}

ComPtr<IDWriteTextLayout> FittedBodyLayout(IDWriteFactory* factory, IDWriteTextFormat* format, const std::wstring& text,
                                           float width, float height) {
    if (!factory || !format || text.empty()) return nullptr;
    ComPtr<IDWriteTextLayout> whole = Layout(factory, format, text, width, height);
    if (!whole) return nullptr;
    const std::wstring shown = FittedBodyText(text, LinesOf(whole.Get()), height, [&](const std::wstring& part) {
        ComPtr<IDWriteTextLayout> layout = Layout(factory, format, part, width, height);
        return layout ? LinesOf(layout.Get()).size() : SIZE_MAX;
    });
    if (shown.empty()) return nullptr;
    return shown == text ? whole : Layout(factory, format, shown, width, height);
}
