#include "allapps/AllAppsPaint.h"

#include <algorithm>

using Microsoft::WRL::ComPtr;

namespace {
ComPtr<ID2D1SolidColorBrush> Solid(ID2D1DeviceContext* context, Rgba color) {
    ComPtr<ID2D1SolidColorBrush> brush;
    context->CreateSolidColorBrush(ToColor(color), &brush);
    return brush;
}
}  // namespace

void FillRoundRect(ID2D1DeviceContext* context, D2D1_RECT_F rect, float radius, Rgba color) {
    if (auto brush = Solid(context, color)) context->FillRoundedRectangle({rect, radius, radius}, brush.Get());
}

void StrokeRoundRect(ID2D1DeviceContext* context, D2D1_RECT_F rect, float radius, Rgba color, float width) {
    if (auto brush = Solid(context, color)) context->DrawRoundedRectangle({rect, radius, radius}, brush.Get(), width);
}

void FillCircle(ID2D1DeviceContext* context, float cx, float cy, float radius, Rgba color) {
    if (auto brush = Solid(context, color)) context->FillEllipse({{cx, cy}, radius, radius}, brush.Get());
}

void StrokeCircle(ID2D1DeviceContext* context, float cx, float cy, float radius, Rgba color, float width) {
    if (auto brush = Solid(context, color)) context->DrawEllipse({{cx, cy}, radius, radius}, brush.Get(), width);
}

void DrawLine(ID2D1DeviceContext* context, float x0, float y0, float x1, float y1, Rgba color, float width) {
    if (auto brush = Solid(context, color)) context->DrawLine({x0, y0}, {x1, y1}, brush.Get(), width);
}

ComPtr<IDWriteTextFormat> MakeLauncherFormat(IDWriteFactory* factory, DWRITE_FONT_WEIGHT weight, float size) {
    ComPtr<IDWriteTextFormat> format;
    if (!factory || FAILED(factory->CreateTextFormat(L"Microsoft YaHei UI", nullptr, weight, DWRITE_FONT_STYLE_NORMAL,
                                                     DWRITE_FONT_STRETCH_NORMAL, size, L"zh-CN", &format))) {
        return nullptr;
    }
    format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    return format;
}

ComPtr<IDWriteTextFormat> MakeTileLabelFormat(IDWriteFactory* factory, float scale) {
    ComPtr<IDWriteTextFormat> format = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_MEDIUM, 12.0f * scale);
    if (!format) return nullptr;
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_NEAR);
    ComPtr<IDWriteInlineObject> ellipsis;
    factory->CreateEllipsisTrimmingSign(format.Get(), &ellipsis);
    DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
    format->SetTrimming(&trimming, ellipsis.Get());
    return format;
}

float TextPositionX(IDWriteFactory* factory, IDWriteTextFormat* format, const std::wstring& text, size_t position) {
    position = std::min(position, text.size());
    if (!factory || !format || position == 0) return 0.0f;
    // The width of the text before the caret, laid out alone: not every text
    // engine answers a hit test on a position.
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(
            factory->CreateTextLayout(text.c_str(), static_cast<UINT32>(position), format, 2000.0f, 36.0f, &layout))) {
        return 0.0f;
    }
    DWRITE_TEXT_METRICS metrics{};
    if (FAILED(layout->GetMetrics(&metrics))) return 0.0f;
    return metrics.left + metrics.widthIncludingTrailingWhitespace;
}

void DrawCenteredText(ID2D1DeviceContext* context, IDWriteTextFormat* format, const std::wstring& text, D2D1_RECT_F box,
                      Rgba color) {
    if (!format || text.empty()) return;
    if (auto brush = Solid(context, color)) {
        context->DrawText(text.c_str(), static_cast<UINT32>(text.size()), format, box, brush.Get(),
                          D2D1_DRAW_TEXT_OPTIONS_CLIP);
    }
}
