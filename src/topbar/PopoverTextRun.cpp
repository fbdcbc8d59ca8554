#include "topbar/PopoverTextRun.h"

#include <wrl/client.h>

#include <bit>
#include <cmath>

#include "topbar/PopoverDrawing.h"

namespace {

std::wstring Bits(float value) { return std::to_wstring(std::bit_cast<uint32_t>(value)) + L"|"; }

}  // namespace

raster::Rect PopoverTextRunBox(const PopoverTextRun& run, float scale) {
    const int margin = static_cast<int>(std::ceil(4.0f * scale)) + 1;
    const int x0 = static_cast<int>(std::floor(run.rect.left)) - margin;
    const int y0 = static_cast<int>(std::floor(run.rect.top)) - margin;
    const int x1 = static_cast<int>(std::ceil(run.rect.right)) + margin;
    const int y1 = static_cast<int>(std::ceil(run.rect.bottom)) + margin;
    return {x0, y0, x1 - x0, y1 - y0};
}

std::wstring PopoverTextRunKey(const PopoverTextRun& run, const raster::Rect& box) {
    std::wstring key = L"popover|";
    if (run.format) {
        WCHAR family[64] = {};
        run.format->GetFontFamilyName(family, 64);
        key += family;
        key += L"|" + Bits(run.format->GetFontSize()) + std::to_wstring(run.format->GetFontWeight()) + L"|";
    }
    key += std::to_wstring(static_cast<int>(run.alignment)) + L"|";
    for (float value : {run.color.r, run.color.g, run.color.b, run.color.a}) key += Bits(value);
    // The rectangle as seen from the box: where the text falls within its pixels.
    for (float value : {run.rect.left - static_cast<float>(box.x), run.rect.top - static_cast<float>(box.y),
                        run.rect.right - run.rect.left, run.rect.bottom - run.rect.top}) {
        key += Bits(value);
    }
    key += std::to_wstring(box.width) + L"x" + std::to_wstring(box.height) + L"|" + run.text;
    return key;
}

void DrawPopoverTextRun(ID2D1DeviceContext* context, const PopoverTextRun& run, const raster::Rect& box) {
    if (!context || !run.format) return;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(context->CreateSolidColorBrush(run.color, &brush))) return;
    D2D1_MATRIX_3X2_F origin;
    context->GetTransform(&origin);
    context->SetTransform(D2D1::Matrix3x2F::Translation(-static_cast<float>(box.x), -static_cast<float>(box.y)) *
                          origin);
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    SetPopoverTextAlign(run.format, run.alignment);
    context->DrawText(run.text.c_str(), static_cast<UINT32>(run.text.size()), run.format, run.rect, brush.Get());
    context->SetTransform(origin);
}

std::vector<PopoverTextRun> SplitPopoverTextRun(const PopoverTextRun& run, IDWriteFactory* factory) {
    Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
    const float width = run.rect.right - run.rect.left, height = run.rect.bottom - run.rect.top;
    if (factory && run.format) SetPopoverTextAlign(run.format, run.alignment);
    if (!factory || !run.format || width <= 0.0f || height <= 0.0f ||
        FAILED(factory->CreateTextLayout(run.text.c_str(), static_cast<UINT32>(run.text.size()), run.format, width,
                                         height, &layout))) {
        return {run};
    }
    std::vector<PopoverTextRun> glyphs;
    for (UINT32 i = 0; i < run.text.size(); ++i) {
        float x = 0.0f, y = 0.0f;
        DWRITE_HIT_TEST_METRICS metrics = {};
        if (FAILED(layout->HitTestTextPosition(i, FALSE, &x, &y, &metrics))) return {run};
        if (run.text[i] == L' ') continue;
        // Room past the advance, so the lone character is never trimmed.
        const float left = run.rect.left + metrics.left;
        const float right = left + metrics.width + height / 2;
        glyphs.push_back({run.text.substr(i, 1),
                          run.format,
                          DWRITE_TEXT_ALIGNMENT_LEADING,
                          {left, run.rect.top, right, run.rect.bottom},
                          run.color});
    }
    return glyphs;
}
