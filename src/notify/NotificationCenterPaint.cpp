// What the notification center and the banners draw into their surfaces, and
// the icon and glyph painters both share.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "config/PathText.h"
#include "notify/CardBody.h"
#include "notify/LetterTile.h"
#include "notify/BannerWindow.h"
#include "notify/NotificationCenterPanel.h"
#include "notify/NotificationContext.h"
#include "notify/NotificationHits.h"
#include "notify/NotificationSource.h"
#include "render/ArcLines.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kFont[] = L"Microsoft YaHei UI";
constexpr wchar_t kLocale[] = L"zh-CN";

D2D1_COLOR_F Rgba(float r, float g, float b, float a) { return {r, g, b, a}; }

enum class Align { Leading, Center, Trailing };

ComPtr<IDWriteTextFormat> MakeFormat(IDWriteFactory* factory, DWRITE_FONT_WEIGHT weight, float size, Align align,
                                     bool wrapTop = false) {
    ComPtr<IDWriteTextFormat> format;
    if (!factory || FAILED(factory->CreateTextFormat(kFont, nullptr, weight, DWRITE_FONT_STYLE_NORMAL,
                                                     DWRITE_FONT_STRETCH_NORMAL, size, kLocale, &format))) {
        return nullptr;
    }
    format->SetTextAlignment(align == Align::Leading  ? DWRITE_TEXT_ALIGNMENT_LEADING
                             : align == Align::Center ? DWRITE_TEXT_ALIGNMENT_CENTER
                                                      : DWRITE_TEXT_ALIGNMENT_TRAILING);
    format->SetParagraphAlignment(wrapTop ? DWRITE_PARAGRAPH_ALIGNMENT_NEAR : DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    format->SetWordWrapping(wrapTop ? DWRITE_WORD_WRAPPING_WRAP : DWRITE_WORD_WRAPPING_NO_WRAP);
    DWRITE_TRIMMING trimming = {DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
    ComPtr<IDWriteInlineObject> ellipsis;
    if (SUCCEEDED(factory->CreateEllipsisTrimmingSign(format.Get(), &ellipsis))) {
        format->SetTrimming(&trimming, ellipsis.Get());
    }
    return format;
}

// One brush recoloured per use keeps a paint to a single allocation.
struct Painter {
    ID2D1DeviceContext* context;
    ComPtr<ID2D1SolidColorBrush> brush;
    float s;

    ID2D1SolidColorBrush* Paint(D2D1_COLOR_F color) {
        brush->SetColor(color);
        return brush.Get();
    }
    D2D1_RECT_F Box(float l, float t, float r, float b) const { return D2D1::RectF(l * s, t * s, r * s, b * s); }
    void FillRound(float l, float t, float r, float b, float radius, D2D1_COLOR_F color) {
        context->FillRoundedRectangle(D2D1::RoundedRect(Box(l, t, r, b), radius * s, radius * s), Paint(color));
    }
    void Text(const std::wstring& text, IDWriteTextFormat* format, float l, float t, float r, float b,
              D2D1_COLOR_F color) {
        if (!format || text.empty()) return;
        context->DrawText(text.c_str(), static_cast<UINT32>(text.size()), format, Box(l, t, r, b), Paint(color));
    }
    // Wrapped text cut to whole lines of its box.
    void Body(IDWriteFactory* factory, const std::wstring& text, IDWriteTextFormat* format, float l, float t, float r,
              float b, D2D1_COLOR_F color) {
        const D2D1_RECT_F box = Box(l, t, r, b);
        ComPtr<IDWriteTextLayout> layout =
            FittedBodyLayout(factory, format, text, box.right - box.left, box.bottom - box.top);
        if (layout) context->DrawTextLayout({box.left, box.top}, layout.Get(), Paint(color));
    }
    // A separator exactly one pixel wide.
    void Line(float x0, float y, float x1, D2D1_COLOR_F color) {
        context->DrawLine({x0 * s, y * s}, {x1 * s, y * s}, Paint(color), 1.0f);
    }
    void CloseButton(float cx, float cy, D2D1_COLOR_F disc, D2D1_COLOR_F cross) {
        context->FillEllipse(D2D1::Ellipse({cx * s, cy * s}, 9 * s, 9 * s), Paint(disc));
        const float d = 3.2f * s;
        context->DrawLine({cx * s - d, cy * s - d}, {cx * s + d, cy * s + d}, Paint(cross), 1.4f * s);
        context->DrawLine({cx * s - d, cy * s + d}, {cx * s + d, cy * s - d}, Paint(cross), 1.4f * s);
    }
};

// Adds the arc of the circle (centre, radius) from the current point `from`
// to `to` that passes through `via`.
void AddArcThrough(ID2D1GeometrySink* sink, D2D1_POINT_2F centre, float radius, D2D1_POINT_2F from, D2D1_POINT_2F via,
                   D2D1_POINT_2F to) {
    constexpr float kFull = 6.28318530718f;
    auto angle = [&](D2D1_POINT_2F p) { return std::atan2(p.y - centre.y, p.x - centre.x); };
    auto turn = [&](float a) {
        while (a < 0) a += kFull;
        while (a >= kFull) a -= kFull;
        return a;
    };
    const float start = angle(from);
    const float forward = turn(angle(to) - start);
    // Increasing angle reaches `via` before `to`, or else the arc runs the other way.
    const float sweep = turn(angle(via) - start) < forward ? forward : forward - kFull;
    AddArcLines(sink, centre, radius, start, sweep, to);
}

// Where a card of the center or of the banners puts its content: x from the
// panel's left (or, for the right edges, inwards from its right edge W), y
// from the card's top.
struct CardShape {
    float iconX, iconY, iconSize;
    float textLeft, nameTop, nameBottom, nameRightInset;
    float cornerLeftInset, cornerRightInset;  // the age, on the name's line
    float closeInset, closeY;                 // the close button's centre
    float headingTop, headingBottom, bodyBottom, textRightInset;
};

constexpr CardShape kCenterCard = {24, 10, 26, 58, 8, 26, 80, 88, 24, 31, 17, 27, 46, 78, 26};
constexpr CardShape kBannerCard = {12, 11, 28, 48, 8, 25, 64, 58, 12, 18, 17, 26, 45, 76, 12};

struct CardPaint {
    IDWriteFactory* factory;
    IDWriteTextFormat* name;
    IDWriteTextFormat* age;
    IDWriteTextFormat* heading;
    IDWriteTextFormat* body;
    D2D1_COLOR_F primary, secondary;
};

// The content both kinds of card share, in their painting order: icon, source
// name, the close button while hovered or else the age, heading and body.
void PaintCardContent(Painter& p, const CardShape& k, const CardPaint& look, float W, float y,
                      const NotificationItem& item, const std::function<void(float, float, float)>& icon, bool hovered,
                      D2D1_COLOR_F closeFill, const std::wstring& age) {
    icon(k.iconX, y + k.iconY, k.iconSize);
    p.Text(item.appName, look.name, k.textLeft, y + k.nameTop, W - k.nameRightInset, y + k.nameBottom, look.secondary);
    if (hovered) {
        p.CloseButton(W - k.closeInset, y + k.closeY, closeFill, look.primary);
    } else {
        p.Text(age, look.age, W - k.cornerLeftInset, y + k.nameTop, W - k.cornerRightInset, y + k.nameBottom,
               look.secondary);
    }
    p.Text(item.title.empty() ? item.appName : item.title, look.heading, k.textLeft, y + k.headingTop,
           W - k.textRightInset, y + k.headingBottom, look.primary);
    p.Body(look.factory, item.body, look.body, k.textLeft, y + k.headingBottom, W - k.textRightInset, y + k.bodyBottom,
           look.secondary);
}

}  // namespace

void NotificationCenterPanel::DrawMoonGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx, float cy,
                                            float u, ID2D1Brush* fill, ID2D1Brush* star) {
    if (!context || !factory || !fill) return;
    // The outer circle less the inner one, as one path of two arcs between
    // their crossing points: Wine has no geometry combination.
    const D2D1_POINT_2F c1 = {cx - 0.8f * u, cy + 0.4f * u};
    const D2D1_POINT_2F c2 = {cx + 4.8f * u, cy - 3.6f * u};
    const float r1 = 9.6f * u, r2 = 8.5f * u;
    const float dx = c2.x - c1.x, dy = c2.y - c1.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float ex = dx / d, ey = dy / d;
    const float a = (d * d + r1 * r1 - r2 * r2) / (2 * d);
    const float h = std::sqrt(std::max(r1 * r1 - a * a, 0.0f));
    const D2D1_POINT_2F mid = {c1.x + a * ex, c1.y + a * ey};
    const D2D1_POINT_2F p1 = {mid.x - h * ey, mid.y + h * ex};
    const D2D1_POINT_2F p2 = {mid.x + h * ey, mid.y - h * ex};
    const D2D1_POINT_2F rim = {c1.x - r1 * ex, c1.y - r1 * ey};   // outer rim, away from the bite
    const D2D1_POINT_2F bite = {c2.x - r2 * ex, c2.y - r2 * ey};  // deepest point of the bite

    ComPtr<ID2D1PathGeometry> path;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
    sink->BeginFigure(p1, D2D1_FIGURE_BEGIN_FILLED);
    AddArcThrough(sink.Get(), c1, r1, p1, rim, p2);
    AddArcThrough(sink.Get(), c2, r2, p2, bite, p1);
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (FAILED(sink->Close())) return;
    context->FillGeometry(path.Get(), fill);
    if (star) {
        context->FillEllipse(D2D1::Ellipse({cx + 5.8f * u, cy - 5.8f * u}, 1.45f * u, 1.45f * u), star);
        context->FillEllipse(D2D1::Ellipse({cx + 8.8f * u, cy - 1.6f * u}, 0.95f * u, 0.95f * u), star);
    }
}

void NotificationCenterPanel::DrawNotificationGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx,
                                                    float cy, float u, ID2D1Brush* brush) {
    if (!context || !factory || !brush) return;
    context->FillEllipse(D2D1::Ellipse({cx, cy - 8.4f * u}, 1.85f * u, 1.85f * u), brush);
    auto at = [&](float x, float y) { return D2D1::Point2F(cx + x * u, cy + y * u); };
    auto bezier = [&](ID2D1GeometrySink* sink, float x1, float y1, float x2, float y2, float x3, float y3) {
        sink->AddBezier(D2D1::BezierSegment(at(x1, y1), at(x2, y2), at(x3, y3)));
    };
    ComPtr<ID2D1PathGeometry> path;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
    sink->BeginFigure(at(0, -7.8f), D2D1_FIGURE_BEGIN_FILLED);
    bezier(sink.Get(), 4.4f, -7.7f, 6.3f, -4.4f, 6.3f, -0.4f);
    bezier(sink.Get(), 6.3f, 2.1f, 7.5f, 3.2f, 8.4f, 4.0f);
    bezier(sink.Get(), 8.7f, 4.65f, 8.2f, 5.0f, 7.6f, 5.0f);
    sink->AddLine(at(-7.6f, 5.0f));
    bezier(sink.Get(), -8.2f, 5.0f, -8.7f, 4.65f, -8.4f, 4.0f);
    bezier(sink.Get(), -7.5f, 3.2f, -6.3f, 2.1f, -6.3f, -0.4f);
    bezier(sink.Get(), -6.3f, -4.4f, -4.4f, -7.7f, 0, -7.8f);
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    sink->BeginFigure(at(-2.7f, 6.4f), D2D1_FIGURE_BEGIN_FILLED);
    bezier(sink.Get(), -2.2f, 9.5f, 2.2f, 9.5f, 2.7f, 6.4f);
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (FAILED(sink->Close())) return;
    context->FillGeometry(path.Get(), brush);
}

void NotificationContext::EnsureFormats() {
    IDWriteFactory* factory = device ? device->dwriteFactory.Get() : nullptr;
    if (!factory || (formats.scale == scale && formats.header)) return;
    const float s = scale;
    formats.scale = s;
    formats.header = MakeFormat(factory, DWRITE_FONT_WEIGHT_SEMI_BOLD, 15 * s, Align::Leading);
    formats.headerCentered = MakeFormat(factory, DWRITE_FONT_WEIGHT_SEMI_BOLD, 15 * s, Align::Center);
    formats.appName = MakeFormat(factory, DWRITE_FONT_WEIGHT_SEMI_BOLD, 11.4f * s, Align::Leading);
    formats.title = MakeFormat(factory, DWRITE_FONT_WEIGHT_SEMI_BOLD, 13 * s, Align::Leading);
    formats.small = MakeFormat(factory, DWRITE_FONT_WEIGHT_MEDIUM, 11 * s, Align::Center);
    formats.smallTrailing = MakeFormat(factory, DWRITE_FONT_WEIGHT_MEDIUM, 11 * s, Align::Trailing);
    formats.body = MakeFormat(factory, DWRITE_FONT_WEIGHT_NORMAL, 11.6f * s, Align::Leading, true);
    formats.bannerTime = MakeFormat(factory, DWRITE_FONT_WEIGHT_MEDIUM, 10.8f * s, Align::Trailing);
    formats.letter = MakeFormat(factory, DWRITE_FONT_WEIGHT_BOLD, 13 * s, Align::Center);
}

const std::vector<uint8_t>* NotificationContext::LoadedIcon(const NotificationItem& item) {
    if (item.exePath.empty() || !device || !device->wicFactory) return nullptr;
    const std::wstring key = NormalizePathKey(item.exePath);
    auto found = iconPixels.find(key);
    if (found == iconPixels.end()) {
        // Remembered even when empty: a file without a usable icon is asked once.
        found = iconPixels.emplace(key, system.loadFileIcon(item.exePath, device->wicFactory.Get(), 32)).first;
    }
    return &found->second;
}

void NotificationContext::DrawAppIcon(ID2D1DeviceContext* context, IDWriteFactory* factory,
                                      const NotificationItem& item, float x, float y, float size) {
    const float s = scale;
    const D2D1_RECT_F square = D2D1::RectF(x * s, y * s, (x + size) * s, (y + size) * s);
    if (const std::vector<uint8_t>* icon = LoadedIcon(item)) {
        if (icon->size() == 32u * 32u * 4u) {
            D2D1_BITMAP_PROPERTIES props = D2D1::BitmapProperties(
                D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), 96.0f, 96.0f);
            ComPtr<ID2D1Bitmap> bitmap;
            if (SUCCEEDED(context->CreateBitmap(D2D1::SizeU(32, 32), icon->data(), 128, &props, &bitmap))) {
                context->DrawBitmap(bitmap.Get(), square, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
                return;
            }
        }
    }
    const TileColor tile = LetterTileColor(LetterTileColorIndex(item.appName));
    ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(context->CreateSolidColorBrush(Rgba(tile.r, tile.g, tile.b, tile.a), &brush))) return;
    context->FillRoundedRectangle(D2D1::RoundedRect(square, 7 * s, 7 * s), brush.Get());
    if (factory) EnsureFormats();
    if (!formats.letter) return;
    brush->SetColor(Rgba(1, 1, 1, 0.98f));
    const std::wstring text = LetterTileText(item.appName);
    context->DrawText(text.c_str(), static_cast<UINT32>(text.size()), formats.letter.Get(), square, brush.Get());
}

namespace {

struct CenterPalette {
    D2D1_COLOR_F primary, secondary, card, cardHovered, cardBorder, separator, pill, pillHovered, accent, white, badge,
        closeButton;
};

CenterPalette CenterColors(bool dark) {
    CenterPalette c;
    c.primary = dark ? Rgba(0.98f, 0.99f, 1.00f, 0.98f) : Rgba(0.05f, 0.07f, 0.11f, 0.98f);
    c.secondary = dark ? Rgba(0.76f, 0.80f, 0.88f, 0.82f) : Rgba(0.24f, 0.28f, 0.35f, 0.86f);
    c.card = dark ? Rgba(1, 1, 1, 0.10f) : Rgba(1, 1, 1, 0.42f);
    c.cardHovered = dark ? Rgba(1, 1, 1, 0.19f) : Rgba(1, 1, 1, 0.68f);
    c.cardBorder = dark ? Rgba(1, 1, 1, 0.20f) : Rgba(1, 1, 1, 0.72f);
    c.separator = dark ? Rgba(1, 1, 1, 0.14f) : Rgba(0, 0, 0, 0.09f);
    c.pill = dark ? Rgba(1, 1, 1, 0.12f) : Rgba(0, 0, 0, 0.06f);
    c.pillHovered = dark ? Rgba(1, 1, 1, 0.22f) : Rgba(0, 0, 0, 0.12f);
    c.accent = Rgba(0.38f, 0.36f, 0.94f, 0.94f);
    c.white = Rgba(1, 1, 1, 0.99f);
    c.badge = dark ? Rgba(1, 1, 1, 0.18f) : Rgba(0, 0, 0, 0.10f);
    c.closeButton = dark ? Rgba(1, 1, 1, 0.24f) : Rgba(0, 0, 0, 0.16f);
    return c;
}

}  // namespace

void NotificationCenterPanel::PaintCenterChrome(ID2D1DeviceContext* context) {
    ID2D1Factory* d2d = shared.device ? shared.device->d2dFactory.Get() : nullptr;
    const float s = shared.scale;
    const float W = panelWidth, H = panelHeight;
    const bool dark = glass.dark;
    const CenterPalette c = CenterColors(dark);
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    Painter p{context, nullptr, s};
    if (FAILED(context->CreateSolidColorBrush(Rgba(1, 1, 1, 1), &p.brush))) return;
    shared.EnsureFormats();

    const int32_t count = static_cast<int32_t>(items.size());
    const CenterHitRects rects = BuildCenterHits(W, H, count, scrollRow, visibleRows);
    auto hovered = [&](int32_t id) { return hoverId == id && hoverIndex == -1; };

    // 1. Header.
    p.Text(L"通知中心", shared.formats.header.Get(), 14, 12, 96, 38, c.primary);
    if (count > 0) {
        p.FillRound(90, 16, 116, 34, 9, c.badge);
        wchar_t number[24] = {};
        _snwprintf(number, 23, L"%llu", static_cast<unsigned long long>(items.size()));
        p.Text(number, shared.formats.small.Get(), 90, 16, 116, 34, c.primary);
    }
    for (const HitItem& hit : rects.header) {
        if (hit.id == kHitClearAll) {
            p.FillRound(hit.left, hit.top, hit.right, hit.bottom, 12, hovered(kHitClearAll) ? c.pillHovered : c.pill);
            p.Text(L"全部清除", shared.formats.small.Get(), hit.left, hit.top, hit.right, hit.bottom, c.primary);
        } else {
            D2D1_COLOR_F fill = doNotDisturb ? c.accent : hovered(kHitDoNotDisturb) ? c.pillHovered : c.pill;
            p.FillRound(hit.left, hit.top, hit.right, hit.bottom, 12, fill);
            p.Text(L"勿扰", shared.formats.small.Get(), hit.left, hit.top, hit.right, hit.bottom,
                   doNotDisturb ? c.white : c.primary);
        }
    }
    p.Line(14, 46, W - 14, c.separator);

    // 3. Empty state.
    if (count == 0) {
        const float v = H - 42;
        const float m = (v + 46) / 2;
        const D2D1_POINT_2F centre = {W / 2 * s, (m - 24) * s};
        const D2D1_COLOR_F ring = doNotDisturb ? Rgba(0.38f, 0.36f, 0.94f, 0.18f)
                                  : dark       ? Rgba(1, 1, 1, 0.08f)
                                               : Rgba(0, 0, 0, 0.05f);
        context->FillEllipse(D2D1::Ellipse(centre, 25 * s, 25 * s), p.Paint(ring));
        const D2D1_ELLIPSE inner = D2D1::Ellipse(centre, 20.5f * s, 20.5f * s);
        if (doNotDisturb) {
            context->FillEllipse(inner, p.Paint(c.accent));
            ComPtr<ID2D1SolidColorBrush> moon, stars;
            context->CreateSolidColorBrush(c.white, &moon);
            context->CreateSolidColorBrush(Rgba(1, 1, 1, 0.82f), &stars);
            DrawMoonGlyph(context, d2d, centre.x, centre.y, s, moon.Get(), stars.Get());
        } else {
            context->FillEllipse(inner, p.Paint(c.card));
            context->DrawEllipse(inner, p.Paint(c.cardBorder), s);
            ComPtr<ID2D1SolidColorBrush> bell;
            context->CreateSolidColorBrush(c.secondary, &bell);
            DrawNotificationGlyph(context, d2d, centre.x, centre.y, s, bell.Get());
        }
        p.Text(doNotDisturb ? L"勿扰模式已开启" : L"没有新通知", shared.formats.headerCentered.Get(), 14, m + 4, W - 14,
               m + 28, c.primary);
        p.Text(L"来自 Windows 应用的通知将显示在此处", shared.formats.small.Get(), 14, m + 28, W - 14, m + 48,
               c.secondary);
    }

    // 4. Footer.
    p.Line(14, H - 46, W - 14, c.separator);
    for (const HitItem& hit : rects.footer) {
        p.FillRound(hit.left, hit.top, hit.right, hit.bottom, 8, hovered(hit.id) ? c.pillHovered : c.pill);
        p.Text(hit.id == kHitSettings ? L"系统通知设置" : L"Windows 原生通知", shared.formats.small.Get(), hit.left,
               hit.top, hit.right, hit.bottom, c.primary);
    }
}

void NotificationCenterPanel::PaintCenterRow(ID2D1DeviceContext* context, int32_t i, float y, FILETIME now) {
    IDWriteFactory* factory = shared.device ? shared.device->dwriteFactory.Get() : nullptr;
    const float s = shared.scale;
    const float W = panelWidth;
    const CenterPalette c = CenterColors(glass.dark);
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    Painter p{context, nullptr, s};
    if (FAILED(context->CreateSolidColorBrush(Rgba(1, 1, 1, 1), &p.brush))) return;
    shared.EnsureFormats();

    const NotificationItem& item = items[i];
    const bool rowHovered = hoverIndex == i && (hoverId == kHitCard || hoverId == kHitCardClose);
    const D2D1_RECT_F box = p.Box(14, y, W - 14, y + 84);
    context->FillRoundedRectangle(D2D1::RoundedRect(box, 13 * s, 13 * s), p.Paint(rowHovered ? c.cardHovered : c.card));
    context->DrawRoundedRectangle(D2D1::RoundedRect(box, 13 * s, 13 * s), p.Paint(c.cardBorder), 1.0f);
    const uint64_t nowValue = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    PaintCardContent(
        p, kCenterCard,
        {factory, shared.formats.appName.Get(), shared.formats.smallTrailing.Get(), shared.formats.title.Get(),
         shared.formats.body.Get(), c.primary, c.secondary},
        W, y, item, [&](float x, float top, float size) { shared.DrawAppIcon(context, factory, item, x, top, size); },
        rowHovered, hoverId == kHitCardClose ? c.pillHovered : c.closeButton,
        rowHovered ? std::wstring() : FormatRelativeTime(item.arrivalTime, nowValue));
}

void NotificationCenterPanel::PaintCenter(ID2D1DeviceContext* context, FILETIME now) {
    const CenterHitRects rects =
        BuildCenterHits(panelWidth, panelHeight, static_cast<int32_t>(items.size()), scrollRow, visibleRows);
    PaintCenterChrome(context);
    // 2. Rows: for each shown row its close button, then its card.
    for (size_t k = 0; k + 1 < rects.rows.size(); k += 2) {
        PaintCenterRow(context, rects.rows[k].index, rects.rows[k + 1].top, now);
    }
    hits = FlattenCenterHits(rects);
}

void BannerWindow::PaintBanners(ID2D1DeviceContext* context) {
    IDWriteFactory* factory = shared.device ? shared.device->dwriteFactory.Get() : nullptr;
    const float s = shared.scale;
    const float W = panelWidth;
    const bool dark = glass.dark;
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    Painter p{context, nullptr, s};
    if (FAILED(context->CreateSolidColorBrush(Rgba(1, 1, 1, 1), &p.brush))) return;

    const D2D1_COLOR_F primary = dark ? Rgba(0.98f, 0.99f, 1.00f, 0.98f) : Rgba(0.05f, 0.07f, 0.11f, 0.98f);
    const D2D1_COLOR_F secondary = dark ? Rgba(0.76f, 0.80f, 0.88f, 0.84f) : Rgba(0.24f, 0.28f, 0.35f, 0.86f);
    const D2D1_COLOR_F cardHovered = dark ? Rgba(1, 1, 1, 0.12f) : Rgba(1, 1, 1, 0.36f);
    const D2D1_COLOR_F separator = dark ? Rgba(1, 1, 1, 0.16f) : Rgba(0, 0, 0, 0.10f);
    const D2D1_COLOR_F closeButton = dark ? Rgba(1, 1, 1, 0.18f) : Rgba(0, 0, 0, 0.12f);
    const D2D1_COLOR_F closeHovered = dark ? Rgba(1, 1, 1, 0.32f) : Rgba(0, 0, 0, 0.22f);

    shared.EnsureFormats();

    hits = BuildBannerHits(W, static_cast<int32_t>(stack.size()));
    for (size_t i = 0; i < stack.size(); ++i) {
        const NotificationItem& item = stack[i].item;
        const float y = 90.0f * static_cast<float>(i);
        const bool lit = hoverIndex == static_cast<int32_t>(i) && (hoverId == kHitBanner || hoverId == kHitBannerClose);
        if (lit) p.FillRound(2, y + 2, W - 2, y + 80, 14, cardHovered);
        if (i > 0) p.Line(12, y - 4, W - 12, separator);
        PaintCardContent(
            p, kBannerCard,
            {factory, shared.formats.appName.Get(), shared.formats.bannerTime.Get(), shared.formats.title.Get(),
             shared.formats.body.Get(), primary, secondary},
            W, y, item,
            [&](float x, float top, float size) { shared.DrawAppIcon(context, factory, item, x, top, size); }, lit,
            hoverId == kHitBannerClose ? closeHovered : closeButton, L"刚刚");
    }
}
