#include "dock/FooterNotice.h"

#include <wrl/client.h>

namespace {

// Rows of the caption format, with room between them to read as one notice.
constexpr float kLineHeight = 17.0f;

float TextWidth(IDWriteFactory* dwrite, IDWriteTextFormat* format, const std::wstring& text) {
    Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
    DWRITE_TEXT_METRICS metrics = {};
    if (FAILED(dwrite->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()), format, 1.0e5f, 100.0f,
                                        &layout)) ||
        FAILED(layout->GetMetrics(&metrics))) {
        return 0.0f;
    }
    return metrics.widthIncludingTrailingWhitespace;
}

}  // namespace

std::vector<std::wstring> FooterNoticeLines(const std::wstring& notice, float width,
                                            const std::function<float(const std::wstring&)>& measure) {
    if (notice.empty() || measure(notice) <= width) return {notice};
    if (const size_t space = notice.find_last_of(L' '); space != std::wstring::npos) {
        std::vector<std::wstring> halves = {notice.substr(0, space), notice.substr(space + 1)};
        if (!halves[0].empty() && measure(halves[0]) <= width && measure(halves[1]) <= width) return halves;
    }
    std::vector<std::wstring> lines(1);
    for (size_t at = 0; at < notice.size(); ++at) {
        // A surrogate pair goes whole.
        const size_t count = IS_HIGH_SURROGATE(notice[at]) && at + 1 < notice.size() ? 2 : 1;
        const std::wstring piece = notice.substr(at, count);
        at += count - 1;
        if (!lines.back().empty() && measure(lines.back() + piece) > width) lines.emplace_back();
        if (lines.back().empty() && piece == L" ") continue;
        lines.back() += piece;
    }
    return lines;
}

void DrawFooterNotice(ID2D1RenderTarget* target, IDWriteFactory* dwrite, IDWriteTextFormat* format,
                      const std::wstring& notice, D2D1_RECT_F area, ID2D1Brush* brush) {
    if (!target || !dwrite || !format || !brush) return;
    const std::vector<std::wstring> lines = FooterNoticeLines(
        notice, area.right - area.left, [&](const std::wstring& text) { return TextWidth(dwrite, format, text); });
    float top = (area.top + area.bottom) / 2 - kLineHeight * static_cast<float>(lines.size()) / 2;
    for (const std::wstring& line : lines) {
        target->DrawText(line.c_str(), static_cast<UINT32>(line.size()), format,
                         D2D1::RectF(area.left, top, area.right, top + kLineHeight), brush);
        top += kLineHeight;
    }
}
