#include "apps/IconRendering.h"

#include "apps/IconDrawingHelpers.h"

#include <algorithm>

using icon_drawing::Rgba;
using icon_drawing::SolidBrush;
using Microsoft::WRL::ComPtr;

namespace {

constexpr D2D1_COLOR_F kBadgeShadow = Rgba(0, 0, 0, 0.36f);
constexpr D2D1_COLOR_F kBadgeDisc = Rgba(0.10f, 0.12f, 0.18f, 0.90f);
constexpr D2D1_COLOR_F kBadgeRing = Rgba(1, 1, 1, 0.90f);
constexpr D2D1_COLOR_F kBadgeText = Rgba(1, 1, 1, 0.98f);
constexpr D2D1_COLOR_F kPlateTop = Rgba(0.97f, 0.98f, 1.00f, 0.92f);
constexpr D2D1_COLOR_F kPlateBottom = Rgba(0.86f, 0.89f, 0.94f, 0.92f);

}  // namespace

ComPtr<ID2D1Bitmap> CreateIconD2DBitmap(ID2D1DeviceContext* context, const IconBitmap& bitmap) {
    ComPtr<ID2D1Bitmap> result;
    if (!context || !bitmap.Usable()) return result;
    if (bitmap.pixels.size() < static_cast<size_t>(bitmap.width) * bitmap.height * 4) return result;
    const auto props =
        D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), 96, 96);
    context->CreateBitmap(D2D1::SizeU(bitmap.width, bitmap.height), bitmap.pixels.data(), bitmap.width * 4, props,
                          &result);
    return result;
}

void PaintIconBitmapPlain(ID2D1DeviceContext* context, const IconBitmap& bitmap) {
    ComPtr<ID2D1Bitmap> image = CreateIconD2DBitmap(context, bitmap);
    if (!image) return;
    context->DrawImage(image.Get(), nullptr, nullptr, D2D1_INTERPOLATION_MODE_NEAREST_NEIGHBOR,
                       D2D1_COMPOSITE_MODE_SOURCE_OVER);
}

void PaintIconPixels(ID2D1DeviceContext* context, IDWriteFactory* dwrite, const IconBitmap& bitmap, bool macStyle,
                     int size, int count) {
    if (!context) return;
    const float d = static_cast<float>(size);
    ComPtr<ID2D1Bitmap> image = CreateIconD2DBitmap(context, bitmap);
    if (image) {
        if (macStyle) {
            auto plate = MakeLinearGradientBrush(context, D2D1::Point2F(0, 0.08f * d), D2D1::Point2F(0, 0.92f * d),
                                                 kPlateTop, kPlateBottom);
            DrawIconTilePlate(context, d, plate.Get());
            const float inset = kIconInnerInset * d;
            context->DrawBitmap(image.Get(), D2D1::RectF(inset, inset, d - inset, d - inset), 1.0f,
                                D2D1_INTERPOLATION_MODE_HIGH_QUALITY_CUBIC, nullptr, nullptr);
        } else {
            static_cast<ID2D1RenderTarget*>(context)->DrawBitmap(image.Get(), D2D1::RectF(0, 0, d, d), 1.0f,
                                                                 D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
        }
    }
    if (count >= 2 && dwrite) DrawCountBadge(context, dwrite, size, count);
}

void PaintPlaceholderPlate(ID2D1DeviceContext* context, IDWriteFactory* dwrite, int size, int count) {
    if (!context) return;
    const float d = static_cast<float>(size);
    auto plate = MakeLinearGradientBrush(context, D2D1::Point2F(0, 0.08f * d), D2D1::Point2F(0, 0.92f * d), kPlateTop,
                                         kPlateBottom);
    DrawIconTilePlate(context, d, plate.Get());
    if (count >= 2 && dwrite) DrawCountBadge(context, dwrite, size, count);
}

std::wstring CountBadgeText(int count) { return count <= 99 ? std::to_wstring(count) : std::wstring(L"99+"); }

float CountBadgeFontSize(float radius, size_t textLength) {
    if (textLength <= 1) return radius * 1.18f;
    if (textLength == 2) return radius;
    return radius * 0.85f;
}

void DrawCountBadge(ID2D1DeviceContext* context, IDWriteFactory* dwrite, int size, int count) {
    if (!context || !dwrite || count < 2) return;
    auto shadow = SolidBrush(context, kBadgeShadow);
    auto disc = SolidBrush(context, kBadgeDisc);
    auto ring = SolidBrush(context, kBadgeRing);
    auto text = SolidBrush(context, kBadgeText);
    const float s = static_cast<float>(size);
    const float r = std::max(0.175f * s, 7.0f);
    const float m = 0.8f * s;
    if (shadow) {
        context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(m, m + std::max(0.12f * r, 1.0f)), r + 0.8f, r + 0.8f),
                             shadow.Get());
    }
    const auto badge = D2D1::Ellipse(D2D1::Point2F(m, m), r, r);
    if (disc) context->FillEllipse(badge, disc.Get());
    if (ring) context->DrawEllipse(badge, ring.Get(), std::max(0.018f * s, 1.0f));
    if (!text) return;

    const std::wstring label = CountBadgeText(count);
    ComPtr<IDWriteTextFormat> format;
    if (FAILED(dwrite->CreateTextFormat(L"Microsoft YaHei UI", nullptr, DWRITE_FONT_WEIGHT_BOLD,
                                        DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
                                        CountBadgeFontSize(r, label.size()), L"zh-CN", &format))) {
        return;
    }
    format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    context->DrawText(label.c_str(), static_cast<UINT32>(label.size()), format.Get(),
                      D2D1::RectF(m - 1.25f * r, m - 1.1f * r, m + 1.25f * r, m + 1.1f * r), text.Get(),
                      D2D1_DRAW_TEXT_OPTIONS_NONE, DWRITE_MEASURING_MODE_NATURAL);
}

void PaintBuiltinIcon(ID2D1DeviceContext* context, IDWriteFactory* dwrite, int size, BuiltinIconKind kind, int count) {
    if (!context) return;
    PaintBuiltinGlyph(context, kind, static_cast<float>(size));
    if (count > 1 && dwrite) DrawCountBadge(context, dwrite, size, count);
}
