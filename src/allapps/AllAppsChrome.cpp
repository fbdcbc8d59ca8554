// Everything of the panel that is not a tile or the search field (which has a
// surface of its own, AllAppsSearchField): tabs or folder header, close,
// separator, power and footer buttons, the empty-state text, the page dots and
// the letter index bar.
#include <algorithm>
#include <cmath>
#include <cwchar>
#include <numeric>

#include "allapps/AllAppsChromeStyle.h"
#include "allapps/AllAppsGeometry.h"
#include "allapps/AllAppsPaint.h"
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

const wchar_t* const kTabLabels[8] = {L"全部", L"办公", L"社交", L"媒体", L"开发", L"游戏", L"其他", L"已隐藏"};

void DrawPowerArc(ID2D1DeviceContext* context, ID2D1Factory1* factory, float cx, float cy, Rgba color) {
    if (!factory) return;
    constexpr float kRadius = 7.7f;
    constexpr float kPi = 3.14159265f;
    auto at = [&](float degrees) {
        const float a = degrees * kPi / 180.0f;
        return D2D1::Point2F(cx + kRadius * std::cos(a), cy + kRadius * std::sin(a));
    };
    ComPtr<ID2D1PathGeometry> path;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
    // Short line segments rather than an arc segment: some Direct2D
    // implementations draw arc segments as straight lines.
    constexpr int kSegments = 40;
    sink->BeginFigure(at(-60.0f), D2D1_FIGURE_BEGIN_HOLLOW);
    for (int i = 1; i <= kSegments; ++i) sink->AddLine(at(-60.0f + 300.0f * static_cast<float>(i) / kSegments));
    sink->EndFigure(D2D1_FIGURE_END_OPEN);
    if (FAILED(sink->Close())) return;
    ComPtr<ID2D1SolidColorBrush> brush;
    context->CreateSolidColorBrush(ToColor(color), &brush);
    if (brush) context->DrawGeometry(path.Get(), brush.Get(), 2.1f);
}

int EmptyMessageOf(bool anyShown, bool hiddenView, bool searchEmpty) {
    if (anyShown) return -1;
    return !hiddenView ? 0 : searchEmpty ? 1 : 2;
}

const wchar_t* const kEmptyMessages[3] = {L"未找到匹配的应用", L"暂无已隐藏的应用", L"未找到匹配的已隐藏应用"};

// The empty-state text stands centred over the grid, between these (content DIP).
constexpr float kEmptyTop = 100.0f;
constexpr float kEmptyBottomMargin = 52.0f;
constexpr float kEmptyHalfLine = 16.0f;

}  // namespace

void AllAppsWindow::RedrawEmptyMessage() {
    if (!composition || !emptyVisual || !device || !device->dwriteFactory) return;
    try {
        const int message = EmptyMessageOf(!visibleEntries.empty(), hiddenView, searchText.empty());
        if (message < 0) {
            emptyVisual.IsVisible(false);
            return;
        }
        // A band of whole pixels around the text's line, so that it is set
        // exactly where it would stand on the chrome.
        const float middle = (kEmptyTop + panelHeight - kEmptyBottomMargin) / 2.0f;
        const LONG top = static_cast<LONG>(std::floor((middle - kEmptyHalfLine) * scale));
        const SIZE px = {RoundPx(panelWidth * scale),
                         static_cast<LONG>(std::ceil((middle + kEmptyHalfLine) * scale)) - top};
        if (px.cx <= 0 || px.cy <= 0) return;
        const comp::CompositionDrawingSurface before = emptySurface;
        if (!EnsureSpriteSurface(*composition, emptyVisual, emptySurface, emptyBrush, emptySurfacePx, px)) return;
        const float inset = kAllAppsInsetDip * scale;
        emptyVisual.Offset({inset, inset + static_cast<float>(top), 0.0f});
        emptyVisual.Size({static_cast<float>(px.cx), static_cast<float>(px.cy)});
        const bool dark = GlassDark();
        wchar_t key[128];
        swprintf(key, 128, L"launcher empty|%d|%a|%a|%a|%ldx%ld|%d", message, static_cast<double>(panelWidth),
                 static_cast<double>(panelHeight), static_cast<double>(scale), px.cx, px.cy, dark ? 1 : 0);
        if (key != emptyPaintedKey || emptySurface != before) {
            emptyPaintedKey.clear();
            const raster::Image* pixels =
                composition->paintedPixels.Get(*composition, key, px.cx, px.cy, [&](ID2D1DeviceContext* context) {
                    D2D1_MATRIX_3X2_F current;
                    context->GetTransform(&current);
                    context->SetTransform(current * D2D1::Matrix3x2F::Translation(0.0f, -static_cast<float>(top)));
                    ScaledTransform scaled(context, scale);
                    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
                    ComPtr<IDWriteTextFormat> format =
                        MakeLauncherFormat(device->dwriteFactory.Get(), DWRITE_FONT_WEIGHT_SEMI_BOLD, 12.5f);
                    DrawCenteredText(context, format.Get(), kEmptyMessages[message],
                                     Box(0, kEmptyTop, panelWidth, panelHeight - kEmptyBottomMargin),
                                     PaletteFor(dark).secondary);
                });
            if (pixels && composition->PaintPixels(emptySurface, *pixels)) emptyPaintedKey = key;
        }
        emptyVisual.IsVisible(true);
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::RedrawEmptyMessage winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::RedrawChrome() {
    RedrawSearchField();
    RedrawEmptyMessage();
    if (!composition || !chromeVisual || !device) return;
    try {
        const SIZE px = {RoundPx(panelWidth * scale), RoundPx(panelHeight * scale)};
        if (px.cx <= 0 || px.cy <= 0) return;
        const comp::CompositionDrawingSurface before = chromeSurface;
        if (!EnsureSpriteSurface(*composition, chromeVisual, chromeSurface, chromeBrush, chromeSurfacePx, px)) return;
        if (!device->dwriteFactory) return;
        const bool dark = GlassDark();
        ChromeLook look;
        look.painted = true;
        look.width = px.cx;
        look.height = px.cy;
        look.scale = scale;
        look.dark = dark;
        look.tab = hiddenView ? kAllAppsTabHidden : categoryTab;
        look.hoveredTab = hoveredTab;
        look.hoveredFooter = hoveredFooter;
        look.closeHovered = closeHovered;
        look.backHovered = backHovered;
        look.powerHovered = powerHovered;
        look.restoreAllHovered = restoreAllHovered;
        look.restoreAllShown = hiddenView && !openFolder && !hiddenKeys.empty();
        look.folder = openFolder;
        look.folderCount = openFolder ? visibleEntries.size() : 0;
        if (look == chromeLook && chromeSurface == before) return;
        chromeLook = ChromeLook();
        if (composition->Paint(chromeSurface,
                               [&](ID2D1DeviceContext* context) { PaintChrome(context, px.cx, px.cy, dark); })) {
            chromeLook = look;
        }
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::RedrawChrome winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::RedrawPageDots() {
    if (!composition || !pageDotsVisual) return;
    try {
        if (pageCount <= 1) {
            pageDotsVisual.IsVisible(false);
            return;
        }
        pageDotsVisual.IsVisible(true);
        const SIZE px = {std::max(RoundPx(260.0f * scale), 32), std::max(RoundPx(18.0f * scale), 12)};
        const comp::CompositionDrawingSurface before = pageDotsSurface;
        if (!EnsureSpriteSurface(*composition, pageDotsVisual, pageDotsSurface, pageDotsBrush, pageDotsSurfacePx, px)) {
            return;
        }
        const bool dark = GlassDark();
        const PageDotsLook look{true, px.cx, px.cy, scale, dark, page, pageCount};
        if (look == pageDotsLook && pageDotsSurface == before) return;
        pageDotsLook = PageDotsLook();
        // A page turn shows dots never drawn before: worked out as coverage,
        // they cost no Direct2D draw.
        if (composition->PaintPixels(pageDotsSurface, PaintPageDots(px.cx, px.cy, dark))) pageDotsLook = look;
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::RedrawPageDots winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::RedrawIndexBar() {
    if (!composition || !indexBarVisual || !device) return;
    try {
        if (indexLetters.size() < 2) {
            indexBarVisual.IsVisible(false);
            return;
        }
        indexBarVisual.IsVisible(true);
        const SIZE px = {std::max(RoundPx(panelWidth * scale), 64), std::max(RoundPx(54.0f * scale), 32)};
        const comp::CompositionDrawingSurface before = indexBarSurface;
        if (!EnsureSpriteSurface(*composition, indexBarVisual, indexBarSurface, indexBarBrush, indexBarSurfacePx, px)) {
            return;
        }
        if (!device->dwriteFactory) return;
        const bool dark = GlassDark();
        IndexBarLook look{true,         px.cx,        px.cy,       scale,       dark,
                          indexLetters, letterScales, letterLifts, indexLetter, hoveredLetter};
        if (look == indexBarLook && indexBarSurface == before) return;
        indexBarLook = IndexBarLook();
        // A bar at rest comes back with the searches that find the same
        // letters: it is kept once made. Magnified letters are made as they
        // move; neither needs a drawing pass.
        const bool atRest = std::all_of(letterScales.begin(), letterScales.end(), [](float v) { return v == 1.0f; }) &&
                            std::all_of(letterLifts.begin(), letterLifts.end(), [](float v) { return v == 0.0f; });
        bool painted = false;
        if (atRest) {
            wchar_t head[96];
            swprintf(head, 96, L"launcher letters|%a|%a|%ldx%ld|%d|%u|%d|", static_cast<double>(panelWidth),
                     static_cast<double>(scale), px.cx, px.cy, dark ? 1 : 0, static_cast<unsigned>(indexLetter),
                     hoveredLetter);
            const std::wstring key = head + std::wstring(indexLetters.begin(), indexLetters.end());
            const raster::Image* pixels = composition->paintedPixels.Find(key);
            if (!pixels) pixels = composition->paintedPixels.Keep(key, PaintIndexBar(px.cx, px.cy, dark));
            painted = composition->PaintPixels(indexBarSurface, *pixels);
        } else {
            painted = composition->PaintPixels(indexBarSurface, PaintIndexBar(px.cx, px.cy, dark));
        }
        if (painted) indexBarLook = std::move(look);
    } catch (const comp::HResultError& error) {
        LogMessage(L"AllAppsWindow::RedrawIndexBar winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void AllAppsWindow::PaintChrome(ID2D1DeviceContext* context, int, int, bool dark) {
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    if (!factory) return;
    const ChromePalette p = PaletteFor(dark);
    const float w = panelWidth;
    const float h = panelHeight;
    const float onePx = 1.0f / scale;
    ScaledTransform scaled(context, scale);
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);

    ComPtr<IDWriteTextFormat> tabFormat = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_SEMI_BOLD, 12.0f);
    if (!openFolder) {
        const TabLayout tabs = TabsFor(w);
        const int selected = hiddenView ? kAllAppsTabHidden : categoryTab;
        for (int i = 0; i < 8; ++i) {
            const float left = TabLeft(tabs, i);
            const D2D1_RECT_F box = Box(left, 62, left + tabs.width, 90);
            if (i == selected) {
                FillRoundRect(context, box, 13.44f, kAccent);
                DrawCenteredText(context, tabFormat.Get(), kTabLabels[i], box, kOnAccent);
            } else {
                FillRoundRect(context, box, 13.44f, hoveredTab == i ? p.hover : p.control);
                StrokeRoundRect(context, box, 13.44f, p.controlStroke, 0.8f);
                DrawCenteredText(context, tabFormat.Get(), kTabLabels[i], box, p.primary);
            }
        }
    } else {
        const D2D1_RECT_F back = Box(28, 62, 104, 90);
        FillRoundRect(context, back, 13.44f, backHovered ? p.hover : p.control);
        StrokeRoundRect(context, back, 13.44f, p.controlStroke, 0.8f);
        DrawCenteredText(context, tabFormat.Get(), L"\u2039 返回", back, p.primary);
        const std::wstring title = openFolder->name + L"\uFF08" + std::to_wstring(visibleEntries.size()) + L" 项）";
        DrawCenteredText(context, tabFormat.Get(), title, Box(114, 62, w - 114, 90), p.primary);
    }

    if (closeHovered) FillRoundRect(context, Box(w - 50, 12, w - 12, 42), 8.0f, kCloseHover);
    DrawCross(context, w - 31.0f, 27.0f, 5.5f, closeHovered ? kCrossOnCloseHover : p.primary, 1.6f);

    DrawLine(context, 20.0f, h - 52.0f, w - 20.0f, h - 52.0f, p.separator, onePx);

    if (powerHovered) FillCircle(context, w / 2.0f, h - 26.0f, 17.5f, p.hover);
    const Rgba powerColor = powerHovered ? kAccent : p.primary;
    DrawPowerArc(context, device->d2dFactory.Get(), w / 2.0f, h - 26.0f, powerColor);
    DrawLine(context, w / 2.0f, h - 36.4f, w / 2.0f, h - 25.7f, powerColor, 2.1f);

    ComPtr<IDWriteTextFormat> footerFormat = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_SEMI_BOLD, 12.5f);
    const wchar_t* footerLabels[2] = {L"系统设置", L"任务管理器"};
    const float footerLeft[2] = {24.0f, w - 156.0f};
    for (int i = 0; i < 2; ++i) {
        const D2D1_RECT_F box = Box(footerLeft[i], h - 42, footerLeft[i] + 132, h - 10);
        FillRoundRect(context, box, 8.0f, hoveredFooter == i ? p.hover : p.control);
        DrawCenteredText(context, footerFormat.Get(), footerLabels[i], box, p.primary);
    }

    if (hiddenView && !openFolder && !hiddenKeys.empty()) {
        const D2D1_RECT_F box = Box(w / 2 + 29.5f, h - 42, w / 2 + 145.5f, h - 10);
        FillRoundRect(context, box, 8.0f, restoreAllHovered ? kAccentHover : kAccent);
        DrawCenteredText(context, footerFormat.Get(), L"全部恢复", box, kOnAccent);
    }
}

raster::Image AllAppsWindow::PaintPageDots(int pixelWidth, int pixelHeight, bool dark) const {
    raster::Image pixels(pixelWidth, pixelHeight);
    const int n = pageCount;
    const float cy = static_cast<float>(pixelHeight) / 2.0f;
    for (int i = 0; i < n; ++i) {
        const float cx = PageDotCenterX(i, n, pixelWidth, scale);
        const bool current = i == page;
        const Rgba color = current ? Pick(dark, {1, 1, 1, 0.96f}, {0.10f, 0.45f, 0.96f, 0.96f})
                                   : Pick(dark, {1, 1, 1, 0.32f}, {0, 0, 0, 0.26f});
        const float r = (current ? 3.5f : 2.6f) * scale;
        FillRoundedRect(pixels, {cx - r, cy - r, 2 * r, 2 * r}, r, r, ToPixel(color));
    }
    return pixels;
}

namespace {

// A rounded rectangle given in DIP, filled onto pixels `scale` pixels a DIP.
void FillRoundBox(raster::Image& pixels, float scale, float l, float t, float r, float b, float radius, Rgba color) {
    FillRoundedRect(pixels, {l * scale, t * scale, (r - l) * scale, (b - t) * scale}, radius * scale, radius * scale,
                    ToPixel(color));
}

// Its outline `width` DIP wide, centred on its edge: the outer shape less the inner one.
void StrokeRoundBox(raster::ImageView pixels, float scale, float l, float t, float r, float b, float radius, Rgba color,
                    float width) {
    const float h = width / 2.0f;
    const raster::RectF outer{(l - h) * scale, (t - h) * scale, (r - l + width) * scale, (b - t + width) * scale};
    const raster::RectF inner{(l + h) * scale, (t + h) * scale, (r - l - width) * scale, (b - t - width) * scale};
    const raster::Rect bounds = raster::PixelsCovering(outer);
    raster::Mask ring = raster::RoundedRectCoverage(bounds, outer, (radius + h) * scale, (radius + h) * scale);
    const float innerRadius = std::max(radius - h, 0.0f) * scale;
    raster::SubtractCoverage(ring.View(), raster::RoundedRectCoverage(bounds, inner, innerRadius, innerRadius).View());
    FillCoverage(pixels, ring, ToPixel(color));
}

}  // namespace

raster::Image AllAppsWindow::PaintIndexBar(int pixelWidth, int pixelHeight, bool dark) const {
    raster::Image pixels(pixelWidth, pixelHeight);
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    const size_t n = indexLetters.size();
    if (!factory || n == 0) return pixels;
    const Rgba primary = Pick(dark, {0.97f, 0.98f, 1.00f, 0.98f}, {0.06f, 0.08f, 0.12f, 0.98f});
    const Rgba shadow = Pick(dark, {0, 0, 0, 0.40f}, {0, 0, 0, 0.18f});
    const Rgba hoverBubble = Pick(dark, {0.18f, 0.21f, 0.28f, 0.94f}, {1, 1, 1, 0.95f});
    const Rgba hoverOutline = Pick(dark, {1, 1, 1, 0.34f}, {0, 0, 0, 0.12f});
    const float s = scale;
    const raster::ImageView view = pixels.View();

    const IndexBarLayout bar = IndexBarFor(panelWidth, n);
    FillRoundBox(pixels, s, bar.left, 28, bar.left + bar.width, 54, 12.48f,
                 Pick(dark, {1, 1, 1, 0.14f}, {1, 1, 1, 0.62f}));
    StrokeRoundBox(view, s, bar.left, 28, bar.left + bar.width, 54, 12.48f,
                   Pick(dark, {1, 1, 1, 0.28f}, {1, 1, 1, 0.82f}), 0.8f);

    ComPtr<IDWriteTextFormat> format = MakeLauncherFormat(factory, DWRITE_FONT_WEIGHT_BOLD, 18.0f);
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    order = SortIndexLettersByScale(std::move(order));
    for (int i : order) {
        const size_t u = static_cast<size_t>(i);
        const float k = u < letterScales.size() ? letterScales[u] : 1.0f;
        const float e = u < letterLifts.size() ? letterLifts[u] : 0.0f;
        const float cx = LetterCenterX(bar, u);
        const float cy = 41.0f + e;
        const float bw = std::max(19.0f * k, bar.cell - 3.0f);
        const float bh = std::max(19.0f * k, 21.0f);
        const float l = cx - bw / 2, t = cy - bh / 2, r = cx + bw / 2, b = cy + bh / 2;
        const float radius = 0.38f * std::min(bw, bh);
        const bool selected = indexLetters[u] == indexLetter;
        const bool hovered = i == hoveredLetter;
        if (selected || hovered || k > 1.18f) {
            if (k > 1.25f) FillRoundBox(pixels, s, l, t + 1.8f, r, b + 1.8f, radius, shadow);
            if (selected) {
                FillRoundBox(pixels, s, l, t, r, b, radius, kSelectedLetter);
            } else {
                FillRoundBox(pixels, s, l, t, r, b, radius, hoverBubble);
                StrokeRoundBox(view, s, l, t, r, b, radius, hoverOutline, 0.9f);
            }
        }
        // The letter is set at 18 DIP and shrunk about its centre to 11 DIP
        // times its magnification, as the bar has always drawn it.
        const std::wstring glyph = indexLetters[u] == 0 ? std::wstring(L"全") : std::wstring(1, indexLetters[u]);
        ComPtr<IDWriteTextLayout> layout;
        if (!format || FAILED(factory->CreateTextLayout(glyph.c_str(), static_cast<UINT32>(glyph.size()), format.Get(),
                                                        32.0f, 28.0f, &layout))) {
            continue;
        }
        const float letterScale = 11.0f * k / 18.0f;
        FillCoverage(view,
                     TextLayoutCoverage(factory, layout.Get(), (cx - 16.0f * letterScale) * s,
                                        (cy - 14.0f * letterScale) * s, letterScale * s),
                     ToPixel(selected ? Rgba{1, 1, 1, 0.99f} : primary));
    }
    return pixels;
}
