// The search field on a surface of its own over the chrome, and its caret on
// another: a keystroke repaints only the field, and a blink only shows or
// hides the caret, so an open, untouched launcher paints nothing.
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

// Everything that decides the caret's pixels: where its centre falls within
// its surface (exactly: a caret a hair away covers its pixels differently),
// the scale and the surface's size.
std::wstring CaretPieceKey(float within, float scale, SIZE px) {
    wchar_t key[96];
    swprintf(key, 96, L"launcher caret|%a|%a|%ldx%ld", static_cast<double>(within), static_cast<double>(scale), px.cx,
             px.cy);
    return key;
}

// Everything that decides the field's pixels but its text: where the field
// falls within its surface, the surface's size, the scale, the theme and the
// states that colour it.
std::wstring FieldPieceKey(const SearchFieldLook& look, float panelWidth) {
    wchar_t key[128];
    swprintf(key, 128, L"launcher field|%a|%a|%dx%d|%d%d%d%d|%u|", static_cast<double>(panelWidth),
             static_cast<double>(look.scale), look.width, look.height, look.dark ? 1 : 0, look.focused ? 1 : 0,
             look.hovered ? 1 : 0, look.clearHovered ? 1 : 0, static_cast<unsigned>(look.text.size()));
    return key + look.text + look.composition;
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
            // Typing and erasing bring the same texts back: each field is
            // painted once and its text measured once.
            const SearchTextExtent extent = MeasureSearchText();
            caretX = SearchCaretX(extent);
            const raster::Image* pixels = composition->paintedPixels.Get(
                *composition, FieldPieceKey(look, panelWidth), px.cx, px.cy, [&](ID2D1DeviceContext* context) {
                    MoveToOrigin(context, searchOriginPx);
                    PaintSearchField(context, dark, extent);
                });
            if (pixels && composition->PaintPixels(searchSurface, *pixels)) searchLook = look;
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
            // The caret's line falls across pixel edges wherever the text
            // ends: each position within a pixel has pixels of its own, kept
            // by the host, and blinking paints nothing.
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
                const POINT origin = {area.left, area.top};
                const raster::Image* pixels = composition->paintedPixels.Get(
                    *composition, CaretPieceKey(within, scale, px), px.cx, px.cy, [&](ID2D1DeviceContext* context) {
                        MoveToOrigin(context, origin);
                        ScaledTransform scaled(context, scale);
                        DrawLine(context, caretX, kCaretTop, caretX, kCaretBottom, kAccent, kCaretWidth);
                    });
                if (pixels && composition->PaintPixels(caretSurface, *pixels)) caretPaintedX = within;
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

void AllAppsWindow::PaintSearchField(ID2D1DeviceContext* context, bool dark, const SearchTextExtent& extent) {
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

    const float tr = TextAreaRight(x1, searchText.empty());
    context->PushAxisAlignedClip(Box(tl - 2.0f, 20.0f, tr + 2.0f, 52.0f), D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    const std::wstring shown = searchText + imeComposition;
    ComPtr<IDWriteTextFormat> searchFormat = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_NORMAL, 13.5f);
    if (!shown.empty() && searchFormat) {
        searchFormat->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
        ComPtr<IDWriteTextLayout> layout;
        if (SUCCEEDED(factory->CreateTextLayout(shown.c_str(), static_cast<UINT32>(shown.size()), searchFormat.Get(),
                                                2000.0f, 36.0f, &layout))) {
            const float shift = TextShift(extent.endX, tr - tl);
            ComPtr<ID2D1SolidColorBrush> brush;
            context->CreateSolidColorBrush(ToColor(p.primary), &brush);
            if (brush) context->DrawTextLayout({tl - shift, 18.0f}, layout.Get(), brush.Get());
            if (!imeComposition.empty() && extent.compositionX < extent.endX) {
                DrawLine(context, tl - shift + extent.compositionX, 45.5f, tl - shift + extent.endX, 45.5f, kAccent,
                         1.4f);
            }
        }
    } else if (searchFormat) {
        searchFormat->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
        DrawCenteredText(context, searchFormat.Get(), L"搜索全部应用...", Box(tl, 18, tr, 54), p.secondary);
    }
    context->PopAxisAlignedClip();

    if (!searchText.empty()) {
        FillCircle(context, x1 - 17.0f, 36.0f, 8.5f, searchClearHovered ? p.clearHover : p.control);
        DrawCross(context, x1 - 17.0f, 36.0f, 3.2f, searchClearHovered ? p.primary : p.secondary, 1.4f);
    }
}
