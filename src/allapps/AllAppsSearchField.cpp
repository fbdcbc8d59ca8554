// The search field on a surface of its own over the chrome, and its caret on
// another: a keystroke repaints only the field, and a blink only shows or
// hides the caret, so an open, untouched launcher paints nothing. A keystroke
// draws no shape: the field's shapes are kept pixels and its text is
// rasterized on the processor, so a text never typed before costs about what
// a known one does.
#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>

#include "allapps/AllAppsChromeStyle.h"
#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsSurfaces.h"
#include "allapps/AllAppsWindow.h"
#include "platform/Log.h"
#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"
#include "render/TextCoverage.h"
#include "render/raster/Coverage.h"

using Microsoft::WRL::ComPtr;
using namespace launcher_chrome;

namespace {

constexpr float kCaretTop = 27.5f;
constexpr float kCaretBottom = 44.5f;
constexpr float kCaretWidth = 1.6f;

struct FieldEdges {
    float left, right;
};

FieldEdges FieldOf(float panelWidth) {
    const float sw = std::clamp(panelWidth - 160.0f, 120.0f, 400.0f);
    const float x0 = (panelWidth - sw) / 2.0f;
    return {x0, x0 + sw};
}

// The pixels a field's painting may touch, in the chrome's pixels: the field
// with its focus ring, and a pixel more for anti-aliasing.
RECT FieldPixels(float panelWidth, float scale) {
    const FieldEdges field = FieldOf(panelWidth);
    return {static_cast<LONG>(std::floor((field.left - 2.0f) * scale)), static_cast<LONG>(std::floor(16.0f * scale)),
            static_cast<LONG>(std::ceil((field.right + 2.0f) * scale)), static_cast<LONG>(std::ceil(56.0f * scale))};
}

// Sets up a painter of content DIP on a surface whose top left stands at
// `origin` of the chrome's pixels.
void MoveToOrigin(ID2D1DeviceContext* context, POINT origin) {
    D2D1_MATRIX_3X2_F current;
    context->GetTransform(&current);
    context->SetTransform(current *
                          D2D1::Matrix3x2F::Translation(-static_cast<float>(origin.x), -static_cast<float>(origin.y)));
}

// Everything that decides the field's pixels but its text: where the field
// falls within its surface, the surface's size, the scale, the theme, the
// states that colour it, and whether the placeholder and the clear button
// show. A new text then finds its field kept and costs only its glyphs.
std::wstring FieldPieceKey(const SearchFieldLook& look, float panelWidth) {
    wchar_t key[128];
    swprintf(key, 128, L"launcher field|%a|%a|%dx%d|%d%d%d%d|%d%d", static_cast<double>(panelWidth),
             static_cast<double>(look.scale), look.width, look.height, look.dark ? 1 : 0, look.focused ? 1 : 0,
             look.hovered ? 1 : 0, look.clearHovered ? 1 : 0, look.text.empty() && look.composition.empty() ? 1 : 0,
             look.text.empty() ? 1 : 0);
    return key;
}

// How far the text slides left so that its end stays in view.
float TextShift(float endX, float available) { return std::max(endX + 4.0f - std::max(available, 20.0f), 0.0f); }

float TextAreaRight(float fieldRight, bool empty) { return empty ? fieldRight - 14.0f : fieldRight - 32.0f; }

constexpr size_t kExtentMemoLimit = 256;

}  // namespace

SearchTextExtent AllAppsWindow::MeasureSearchText() {
    if (searchText.empty() && imeComposition.empty()) return {};
    std::wstring key = searchText;
    key.push_back(L'\0');
    key += imeComposition;
    if (auto found = searchExtents.find(key); found != searchExtents.end()) return found->second;
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    ComPtr<IDWriteTextFormat> format = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_NORMAL, 13.5f);
    if (!format) return {};
    format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
    const std::wstring shown = searchText + imeComposition;
    SearchTextExtent extent;
    extent.endX = TextPositionX(factory, format.Get(), shown, shown.size());
    extent.compositionX =
        imeComposition.empty() ? extent.endX : TextPositionX(factory, format.Get(), shown, searchText.size());
    extent.measured = true;
    if (searchExtents.size() >= kExtentMemoLimit) searchExtents.clear();
    searchExtents.emplace(std::move(key), extent);
    return extent;
}

float AllAppsWindow::SearchCaretX(const SearchTextExtent& extent) const {
    const FieldEdges field = FieldOf(panelWidth);
    const float tl = field.left + 32.0f;
    if (!extent.measured) return tl + 1.0f;
    const float shift = TextShift(extent.endX, TextAreaRight(field.right, searchText.empty()) - tl);
    return tl - shift + extent.endX + 0.8f;
}

void AllAppsWindow::RedrawSearchField() {
    if (!composition || !searchVisual || !device || !device->dwriteFactory) return;
    try {
        const RECT area = FieldPixels(panelWidth, scale);
        const SIZE px = {std::max<LONG>(area.right - area.left, 1), std::max<LONG>(area.bottom - area.top, 1)};
        const comp::CompositionDrawingSurface before = searchSurface;
        if (!EnsureSpriteSurface(*composition, searchVisual, searchSurface, searchBrush, searchSurfacePx, px)) return;
        searchOriginPx = {area.left, area.top};
        const float inset = kAllAppsInsetDip * scale;
        searchVisual.Offset({inset + static_cast<float>(area.left), inset + static_cast<float>(area.top), 0.0f});
        searchVisual.Size({static_cast<float>(px.cx), static_cast<float>(px.cy)});
        const bool dark = GlassDark();
        const SearchFieldLook look{true,       px.cx,         px.cy,         scale,
                                   dark,       searchFocused, searchHovered, searchClearHovered,
                                   searchText, imeComposition};
        if (look != searchLook || searchSurface != before) {
            searchLook = SearchFieldLook();
            // The field itself is painted once for each of its states and
            // kept; the text, measured once, goes over a copy of it.
            const SearchTextExtent extent = MeasureSearchText();
            caretX = SearchCaretX(extent);
            const raster::Image* field = composition->paintedPixels.Get(*composition, FieldPieceKey(look, panelWidth),
                                                                        px.cx, px.cy, [&](ID2D1DeviceContext* context) {
                                                                            MoveToOrigin(context, searchOriginPx);
                                                                            PaintSearchField(context, dark);
                                                                        });
            if (field) {
                raster::Image pixels = *field;
                DrawSearchText(pixels, dark, extent);
                if (composition->PaintPixels(searchSurface, pixels)) searchLook = look;
            }
        }
        ShowCaret();
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::RedrawSearchField winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::ShowCaret() {
    if (!composition || !caretVisual) return;
    try {
        const bool shown = searchFocused && caretBlink.Shown();
        if (shown) {
            // Blinking paints nothing: the surface keeps the caret's pixels
            // while it stays where it is.
            const float centre = caretX * scale;
            const float half = kCaretWidth * scale / 2.0f;
            const RECT area = {static_cast<LONG>(std::floor(centre - half)) - 1,
                               static_cast<LONG>(std::floor(kCaretTop * scale)) - 1,
                               static_cast<LONG>(std::ceil(centre + half)) + 1,
                               static_cast<LONG>(std::ceil(kCaretBottom * scale)) + 1};
            const SIZE px = {area.right - area.left, area.bottom - area.top};
            const comp::CompositionDrawingSurface before = caretSurface;
            if (!EnsureSpriteSurface(*composition, caretVisual, caretSurface, caretBrush, caretSurfacePx, px)) return;
            const float within = centre - static_cast<float>(area.left);
            if (within != caretPaintedX || caretSurface != before) {
                caretPaintedX = -1.0f;
                // The caret's line falls across pixel edges wherever the
                // text ends: its pixels are worked out here, not drawn.
                raster::Image pixels(px.cx, px.cy);
                const float top = kCaretTop * scale - static_cast<float>(area.top);
                FillRoundedRect(pixels, {within - half, top, 2 * half, (kCaretBottom - kCaretTop) * scale}, 0, 0,
                                ToPixel(kAccent));
                if (composition->PaintPixels(caretSurface, pixels)) caretPaintedX = within;
            }
            caretOriginPx = {area.left, area.top};
            const float inset = kAllAppsInsetDip * scale;
            caretVisual.Offset({inset + static_cast<float>(area.left), inset + static_cast<float>(area.top), 0.0f});
            caretVisual.Size({static_cast<float>(px.cx), static_cast<float>(px.cy)});
        }
        caretVisual.IsVisible(shown);
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::ShowCaret winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::PaintSearchField(ID2D1DeviceContext* context, bool dark) {
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    const FieldEdges field = FieldOf(panelWidth);
    const float x0 = field.left;
    const float x1 = field.right;
    const float tl = x0 + 32.0f;
    if (!factory) return;
    const ChromePalette p = PaletteFor(dark);
    const float onePx = 1.0f / scale;
    ScaledTransform scaled(context, scale);
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);

    FillRoundRect(context, Box(x0, 18, x1, 54), 16.56f, searchFocused ? p.focusedSearch : p.control);
    if (searchFocused) {
        StrokeRoundRect(context, Box(x0, 18, x1, 54), 16.56f, kAccent, 1.6f);
    } else {
        StrokeRoundRect(context, Box(x0, 18, x1, 54), 16.56f, searchHovered ? p.hoveredSearchStroke : p.controlStroke,
                        onePx);
    }
    StrokeCircle(context, x0 + 16.0f, 35.0f, 5.0f, p.secondary, 1.5f);
    DrawLine(context, x0 + 19.5f, 38.5f, x0 + 23.2f, 42.2f, p.secondary, 1.5f);

    if (searchText.empty() && imeComposition.empty()) {
        const float tr = TextAreaRight(x1, true);
        ComPtr<IDWriteTextFormat> searchFormat = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_NORMAL, 13.5f);
        if (searchFormat) {
            searchFormat->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
            DrawCenteredText(context, searchFormat.Get(), L"搜索全部应用...", Box(tl, 18, tr, 54), p.secondary);
        }
    }
    if (!searchText.empty()) {
        FillCircle(context, x1 - 17.0f, 36.0f, 8.5f, searchClearHovered ? p.clearHover : p.control);
        DrawCross(context, x1 - 17.0f, 36.0f, 3.2f, searchClearHovered ? p.primary : p.secondary, 1.4f);
    }
}

void AllAppsWindow::DrawSearchText(raster::Image& pixels, bool dark, const SearchTextExtent& extent) {
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    const std::wstring shown = searchText + imeComposition;
    if (!factory || shown.empty()) return;
    ComPtr<IDWriteTextFormat> format = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_NORMAL, 13.5f);
    if (!format) return;
    format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(factory->CreateTextLayout(shown.c_str(), static_cast<UINT32>(shown.size()), format.Get(), 2000.0f, 36.0f,
                                         &layout))) {
        return;
    }
    const FieldEdges field = FieldOf(panelWidth);
    const float tl = field.left + 32.0f;
    const float tr = TextAreaRight(field.right, searchText.empty());
    const float left = tl - TextShift(extent.endX, tr - tl);
    // Pixels of the field's surface, whose top left is searchOriginPx of the chrome.
    const auto x = [&](float dip) { return dip * scale - static_cast<float>(searchOriginPx.x); };
    const auto y = [&](float dip) { return dip * scale - static_cast<float>(searchOriginPx.y); };
    const raster::Rect area = raster::PixelsCovering({x(tl - 2.0f), y(20.0f), (tr - tl + 4.0f) * scale, 32.0f * scale});
    const ChromePalette p = PaletteFor(dark);
    FillCoverage(pixels.View(), TextLayoutCoverage(factory, layout.Get(), x(left), y(18.0f), scale), ToPixel(p.primary),
                 area);
    if (!imeComposition.empty() && extent.compositionX < extent.endX) {
        // The composition's underline, a 1.4 DIP line under the text it marks.
        const raster::RectF line{x(left + extent.compositionX), y(45.5f - 0.7f),
                                 (extent.endX - extent.compositionX) * scale, 1.4f * scale};
        FillCoverage(pixels.View(), raster::RoundedRectCoverage(raster::PixelsCovering(line), line, 0, 0),
                     ToPixel(kAccent), area);
    }
}
