// The bar's layout pass and its one drawing pass into the bar's surface.
#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/Log.h"
#include "config/PathText.h"
#include "render/GlassWindowTree.h"
#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"
#include "render/raster/Blend.h"
#include "topbar/TopBarGlyphs.h"
#include "topbar/TopBarPalette.h"
#include "topbar/TopBarWindow.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kTrayIconEdge = 48;
constexpr size_t kTrayIconBytes = kTrayIconEdge * kTrayIconEdge * 4;

ComPtr<IDWriteTextFormat> MakeBarFormat(IDWriteFactory* factory, int32_t weight, float size,
                                        DWRITE_TEXT_ALIGNMENT alignment) {
    ComPtr<IDWriteTextFormat> format;
    if (!factory || FAILED(factory->CreateTextFormat(L"Microsoft YaHei UI", nullptr,
                                                     static_cast<DWRITE_FONT_WEIGHT>(weight), DWRITE_FONT_STYLE_NORMAL,
                                                     DWRITE_FONT_STRETCH_NORMAL, size, L"zh-CN", &format))) {
        return nullptr;
    }
    format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    format->SetTextAlignment(alignment);
    return format;
}

}  // namespace

struct TopBarWindow::PaintPass {
    bool dark = true;
    float s = 1.0f;
    float e = 1.0f;   // emboss offset
    float d = 1.8f;   // deep-shadow offset
    float h = 32.0f;  // surface height in pixels
    float cy = 16.0f;
    ID2D1Factory* factory = nullptr;
    D2D1_MATRIX_3X2_F base = D2D1::Matrix3x2F::Identity();
    BarPalette palette;
    BarPaletteColors colors;
    ComPtr<IDWriteTextFormat> nameFormat, labelFormat, batteryFormat, imeFormat;
    const std::wstring* clockText = nullptr;

    // Runs a drawing moved down by dy pixels.
    template <typename Draw>
    void Shifted(ID2D1DeviceContext* context, float dy, Draw&& draw) const {
        context->SetTransform(D2D1::Matrix3x2F::Translation(0.0f, dy) * base);
        draw();
        context->SetTransform(base);
    }
};

// ---- layout ----

float TopBarWindow::MeasureText(const std::wstring& text, int32_t weight, float size, float maxWidth) const {
    if (!device || !device->dwriteFactory || text.empty()) return 60.0f;
    ComPtr<IDWriteTextFormat> format;
    if (FAILED(device->dwriteFactory->CreateTextFormat(
            L"Microsoft YaHei UI", nullptr, static_cast<DWRITE_FONT_WEIGHT>(weight), DWRITE_FONT_STYLE_NORMAL,
            DWRITE_FONT_STRETCH_NORMAL, size, L"zh-CN", &format))) {
        return 60.0f;
    }
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(device->dwriteFactory->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()), format.Get(),
                                                       maxWidth, 32.0f, &layout))) {
        return 60.0f;
    }
    DWRITE_TEXT_METRICS metrics = {};
    if (FAILED(layout->GetMetrics(&metrics))) return 60.0f;
    return metrics.width;
}

void TopBarWindow::Layout() {
    TopBarLayoutInput input;
    input.barWidthDip = barWidthDip;
    input.appName = foreground.displayName;
    input.clockText = status.clockText;
    input.inputIndicator = status.inputIndicator;
    input.hasBattery = status.hasBattery;
    input.bluetoothPresent = BluetoothItemShown(status);
    input.trayCollapsed = trayCollapsed;
    input.trayNames.reserve(shownTrayIcons.size());
    for (const auto& icon : shownTrayIcons) input.trayNames.push_back(icon.displayName);
    items.clear();
    items = LayoutTopBarItems(input, [this](const std::wstring& text, int32_t weight, float size, float maxWidth) {
        return MeasureText(text, weight, size, maxWidth);
    });
    LogMessage(L"TopBar layout: scale=%.2f barW=%.0f items=%llu [%s]", static_cast<double>(scale),
               static_cast<double>(barWidthDip), static_cast<unsigned long long>(items.size()),
               DescribeTopBarItems(items).c_str());
}

// ---- drawing ----

void TopBarWindow::Redraw() {
    if (!host || !device || !content || !showTopBar) return;
    // Until the device has drawn once the bar shows its glass alone; the dock
    // asks again when the device is ready, rather than this thread waiting.
    if (host->graphicsDevice && host->graphicsDevice.Warming()) return;
    try {
        const int w = std::max(64, static_cast<int>(std::round(scale * barWidthDip)));
        const int h = TopBarHeightPixels(scale);
        const SurfaceFit fit =
            FitContentSurface(*host, content, w, h, surface, surfaceBrush, surfaceWidth, surfaceHeight);
        if (fit == SurfaceFit::Failed) return;
        const bool whole = fit == SurfaceFit::MadeAnew;
        if (device->dwriteFactory && device->d2dFactory && PaintChangedPieces(whole) && !contentShown) {
            contentShown = true;
            LogMessage(L"TopBar content painted");
        }
        content.Size({static_cast<float>(w), static_cast<float>(h)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"TopBarWindow::Redraw winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

std::vector<BarPiece> TopBarWindow::PiecesNow() const {
    std::vector<BarPiece> pieces;
    pieces.reserve(items.size());
    for (const auto& item : items) pieces.push_back(PieceFor(item, ItemLook(item)));
    return pieces;
}

BarPiece TopBarWindow::PieceFor(const TopBarItem& item, const std::wstring& look) const {
    // Wide enough on each side for what an item draws outside its span (the
    // input method's separator) and for anti-aliased edges.
    const int pad = static_cast<int>(std::ceil(6.0f * scale)) + 1;
    const float L = item.left * scale;
    const float R = item.right * scale;
    BarPiece piece;
    piece.box.x = static_cast<int>(std::floor(L)) - pad;
    piece.box.width = static_cast<int>(std::ceil(R)) + pad - piece.box.x;
    piece.box.height = surfaceHeight;
    // Where the item falls within its pixels decides them as much as what it shows.
    piece.key = L"bar|" + std::to_wstring(item.id) + L"|" + std::to_wstring(std::bit_cast<uint32_t>(L)) + L"|" +
                std::to_wstring(std::bit_cast<uint32_t>(R)) + L"|" + std::to_wstring(std::bit_cast<uint32_t>(scale)) +
                L"|" + std::to_wstring(piece.box.x) + L"|" + std::to_wstring(surfaceHeight) +
                (glass.dark ? L"|d|" : L"|l|") + (item.id == hoveredItemId || item.id == activeItemId ? L"h|" : L"-|") +
                look;
    return piece;
}

void TopBarWindow::PaintClockAhead() {
    if (!system.nextClockText || !host || !device || !surface || shownPieces.empty()) return;
    std::wstring next = system.nextClockText();
    // A text of another length moves the items: nothing painted now would be used.
    if (next == status.clockText || next == clockPaintedAhead || next.size() != status.clockText.size()) return;
    for (const auto& item : items) {
        if (item.id != kTopBarClock) continue;
        const BarPiece piece = PieceFor(item, next);
        clockPaintedAhead = next;
        // Drawn as the minute's tick will draw it, but from the copy: the
        // status keeps the minute that is shown, whatever the paint does.
        host->paintedPixels.Get(*host, piece.key, piece.box.width, piece.box.height, [&](ID2D1DeviceContext* context) {
            PaintPiece(context, item, static_cast<float>(piece.box.x), &next);
        });
        return;
    }
}

std::wstring TopBarWindow::ItemLook(const TopBarItem& item) const {
    switch (item.id) {
        case kTopBarAppName:
        case kTopBarWindowMenu:
        case kTopBarGoMenu:
            return item.label;
        case kTopBarClock:
            return status.clockText;
        case kTopBarInputMethod:
            return status.inputIndicator;
        case kTopBarSound: {
            const SpeakerGlyphState glyph = SpeakerGlyphFor(status.volume, status.muted);
            return glyph.cross ? L"x" : std::to_wstring(glyph.waves);
        }
        case kTopBarNetwork:
            return std::to_wstring(static_cast<int>(NetworkGlyphFor(status.ethernetConnected, status.wifiConnected)));
        case kTopBarBluetooth:
            return status.bluetoothStale ? L"unknown" : status.bluetoothOn ? L"on" : L"off";
        case kTopBarBattery:
            return std::to_wstring(status.batteryPercent) + (status.acOnline ? L"ac" : L"dc");
        case kTopBarNotifications:
            return config.doNotDisturb ? L"dnd" : store.unreadCount >= 1 ? L"unread" : L"";
        case kTopBarTrayToggle:
            return trayCollapsed ? L"collapsed" : L"open";
        default:
            break;
    }
    if (item.id < kTopBarTrayIconBase) return L"";
    const size_t index = static_cast<size_t>(item.id - kTopBarTrayIconBase);
    if (index >= shownTrayIcons.size()) return L"";
    return shownTrayIcons[index].key + (config.topBarOriginalTrayIcons ? L"|own" : L"|template");
}

bool TopBarWindow::PaintChangedPieces(bool whole) {
    const raster::Rect all = {0, 0, surfaceWidth, surfaceHeight};
    std::vector<BarPiece> next = PiecesNow();
    if (picture.Width() != surfaceWidth || picture.Height() != surfaceHeight) {
        picture.Reset(surfaceWidth, surfaceHeight);
        whole = true;
    }
    const std::vector<raster::Rect> areas =
        whole ? std::vector<raster::Rect>{all} : ChangedBarAreas(shownPieces, next, all);
    shownPieces.clear();  // until the picture holds the new pieces
    for (const raster::Rect& area : areas) {
        raster::ClearRect(picture.View(), area);
        for (size_t i = 0; i < next.size(); ++i) {
            const raster::Rect& box = next[i].box;
            if (raster::Intersect(box, area).IsEmpty()) continue;
            const TopBarItem& item = items[i];
            const raster::Image* piece = host->paintedPixels.Get(
                *host, next[i].key, box.width, box.height,
                [&](ID2D1DeviceContext* context) { PaintPiece(context, item, static_cast<float>(box.x)); });
            if (!piece) return false;
            raster::DrawOptions options;
            options.clip = area;
            raster::DrawImage(picture.View(), piece->View(), box.x, box.y, options);
        }
    }
    for (const raster::Rect& area : areas) {
        const RECT rect = {area.x, area.y, area.Right(), area.Bottom()};
        const HRESULT hr = whole ? surface.SetPixels(picture) : surface.SetPixelsIn(picture, rect);
        if (FAILED(hr)) {
            host->ReportDrawFailure(hr);
            return false;
        }
    }
    shownPieces = std::move(next);
    return true;
}

void TopBarWindow::RedrawSoon() {
    if (redrawPosted || !window) return;
    redrawPosted = PostMessageW(window, WM_TOPBAR_REDRAW, 0, 0) != FALSE;
    if (!redrawPosted) Redraw();
}

void TopBarWindow::DrawItemText(ID2D1DeviceContext* context, const std::wstring& label, IDWriteTextFormat* format,
                                float left, float right) {
    if (label.empty() || !format) return;
    const bool dark = glass.dark;
    const float s = scale;
    const float h = static_cast<float>(surfaceHeight);
    ComPtr<ID2D1SolidColorBrush> deep, emboss, text;
    const BarPaletteColors colors = BarPaletteColorsFor(dark);
    context->CreateSolidColorBrush(colors.deepShadow, &deep);
    context->CreateSolidColorBrush(colors.emboss, &emboss);
    context->CreateSolidColorBrush(colors.text, &text);
    auto draw = [&](ID2D1Brush* brush, float top) {
        if (!brush) return;
        context->DrawText(label.c_str(), static_cast<UINT32>(label.size()), format,
                          D2D1::RectF(left, top, right, top + h), brush, D2D1_DRAW_TEXT_OPTIONS_NONE,
                          DWRITE_MEASURING_MODE_NATURAL);
    };
    if (dark) draw(deep.Get(), 1.8f * s);
    draw(emboss.Get(), (dark ? 1.0f : 0.9f) * s);
    draw(text.Get(), 0.0f);
}

void TopBarWindow::PaintPiece(ID2D1DeviceContext* context, const TopBarItem& item, float pieceLeft,
                              const std::wstring* clockText) {
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    D2D1_MATRIX_3X2_F origin;
    context->GetTransform(&origin);
    PaintPass pass;
    pass.dark = glass.dark;
    pass.s = scale;
    pass.e = (pass.dark ? 1.0f : 0.9f) * scale;
    pass.d = 1.8f * scale;
    pass.h = static_cast<float>(surfaceHeight);
    pass.cy = pass.h / 2.0f;
    pass.clockText = clockText ? clockText : &status.clockText;
    pass.factory = device->d2dFactory.Get();
    // The item is drawn where it stands on the bar, seen from the piece's left edge.
    pass.base = D2D1::Matrix3x2F::Translation(-pieceLeft, 0.0f) * origin;
    context->SetTransform(pass.base);
    pass.colors = BarPaletteColorsFor(pass.dark);
    if (!pass.palette.Create(context, pass.colors)) return;
    IDWriteFactory* dwrite = device->dwriteFactory.Get();
    pass.nameFormat = MakeBarFormat(dwrite, 600, 13.2f * scale, DWRITE_TEXT_ALIGNMENT_CENTER);
    pass.labelFormat = MakeBarFormat(dwrite, 500, 13.0f * scale, DWRITE_TEXT_ALIGNMENT_CENTER);
    pass.batteryFormat = MakeBarFormat(dwrite, 600, 11.2f * scale, DWRITE_TEXT_ALIGNMENT_LEADING);
    pass.imeFormat = MakeBarFormat(dwrite, 600, 11.0f * scale, DWRITE_TEXT_ALIGNMENT_CENTER);
    if (pass.nameFormat) {
        ComPtr<IDWriteInlineObject> ellipsis;
        if (SUCCEEDED(dwrite->CreateEllipsisTrimmingSign(pass.nameFormat.Get(), &ellipsis))) {
            DWRITE_TRIMMING trimming = {DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
            pass.nameFormat->SetTrimming(&trimming, ellipsis.Get());
        }
    }

    const float s = scale;
    const float L = item.left * s;
    const float R = item.right * s;
    if (item.id == hoveredItemId || item.id == activeItemId) {
        const auto box = D2D1::RoundedRect(D2D1::RectF(L + s, 3.0f * s, R - s, 29.0f * s), 7.0f * s, 7.0f * s);
        context->FillRoundedRectangle(box, pass.palette.highlightFill.Get());
        context->DrawRoundedRectangle(box, pass.palette.highlightStroke.Get(), s);
    }
    PaintItem(context, item, pass);
    context->SetTransform(origin);
}

void TopBarWindow::PaintItem(ID2D1DeviceContext* context, const TopBarItem& item, const PaintPass& pass) {
    const float s = pass.s;
    const float L = item.left * s;
    const float R = item.right * s;
    const float cx = (L + R) / 2.0f;
    const float cy = pass.cy;
    const BarPalette& p = pass.palette;
    ID2D1Factory* factory = pass.factory;
    // Two passes: the emboss moved down, then the glyph in place; three add the
    // deep shadow first on a dark bar.
    auto twoPasses = [&](auto&& draw) {
        pass.Shifted(context, pass.e, [&] { draw(p.emboss.Get()); });
        draw(p.text.Get());
    };

    switch (item.id) {
        case kTopBarLogo: {
            auto logo = [&](ID2D1Brush* brush) {
                DrawTopBarLogoGlyph(context, factory, cx, cy + 0.5f * s, 16.0f * s, brush);
            };
            if (pass.dark) pass.Shifted(context, pass.d, [&] { logo(p.deepShadow.Get()); });
            twoPasses(logo);
            return;
        }
        case kTopBarAppName:
            DrawItemText(context, item.label, pass.nameFormat.Get(), L + 4.0f * s, R - 4.0f * s);
            return;
        case kTopBarWindowMenu:
        case kTopBarGoMenu:
            DrawItemText(context, item.label, pass.labelFormat.Get(), L + 4.0f * s, R - 4.0f * s);
            return;
        case kTopBarClock:
            // The clock and the input mode change without a relayout (a minute
            // keeps its text's length; a click on the box only repaints): both
            // are drawn from the status (the clock of the coming minute from
            // its copy), the item only gives their place.
            DrawItemText(context, *pass.clockText, pass.labelFormat.Get(), L + 4.0f * s, R - 4.0f * s);
            return;
        case kTopBarInputMethod: {
            context->DrawLine(D2D1::Point2F(L - 4.0f * s, 7.0f * s), D2D1::Point2F(L - 4.0f * s, 25.0f * s),
                              p.separator.Get(), s);
            const auto box = D2D1::RoundedRect(
                D2D1::RectF(cx - 10.5f * s, cy - 9.0f * s, cx + 10.5f * s, cy + 9.0f * s), 5.0f * s, 5.0f * s);
            context->FillRoundedRectangle(box, p.imeFill.Get());
            context->DrawRoundedRectangle(box, p.imeStroke.Get(), s);
            DrawItemText(context, status.inputIndicator, pass.imeFormat.Get(), cx - 10.5f * s, cx + 10.5f * s);
            return;
        }
        case kTopBarSound:
            twoPasses([&](ID2D1Brush* brush) {
                DrawTopBarSpeakerGlyph(context, factory, cx, cy, s, status.volume, status.muted, brush);
            });
            return;
        case kTopBarNetwork: {
            const NetworkGlyph glyph = NetworkGlyphFor(status.ethernetConnected, status.wifiConnected);
            if (glyph == NetworkGlyph::Ethernet) {
                twoPasses([&](ID2D1Brush* brush) { DrawTopBarEthernetGlyph(context, cx, cy, s, brush); });
                return;
            }
            const bool connected = glyph == NetworkGlyph::WifiConnected;
            pass.Shifted(context, pass.e, [&] {
                DrawTopBarWifiGlyph(context, factory, cx, cy, s, connected, p.emboss.Get(), p.emboss.Get());
            });
            DrawTopBarWifiGlyph(context, factory, cx, cy, s, connected, p.text.Get(), p.dimText.Get());
            return;
        }
        case kTopBarBluetooth:
            pass.Shifted(context, pass.e, [&] { DrawTopBarBluetoothGlyph(context, cx, cy, s, p.emboss.Get()); });
            DrawTopBarBluetoothGlyph(context, cx, cy, s, BluetoothGlyphLit(status) ? p.text.Get() : p.dimText.Get());
            return;
        case kTopBarBattery: {
            const float x0 = L + 6.0f * s;
            const float y0 = cy - 5.0f * s;
            const float x1 = x0 + 18.0f * s;
            const float y1 = y0 + 10.0f * s;
            context->DrawRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(x0, y0, x1, y1), 2.5f * s, 2.5f * s),
                                          p.text.Get(), 1.4f * s);
            context->FillRectangle(D2D1::RectF(x1 + s, cy - 2.0f * s, x1 + 2.6f * s, cy + 2.0f * s), p.text.Get());
            const BatteryGauge gauge = BatteryGaugeFor(status.batteryPercent, status.acOnline);
            ID2D1Brush* fill = gauge.brush == BatteryFillBrush::Charging ? p.charging.Get()
                               : gauge.brush == BatteryFillBrush::Alert  ? p.alert.Get()
                                                                         : p.text.Get();
            context->FillRoundedRectangle(
                D2D1::RoundedRect(D2D1::RectF(x0 + 2.0f * s, y0 + 2.0f * s,
                                              x0 + 2.0f * s + (18.0f * s - 4.0f * s) * gauge.fraction, y1 - 2.0f * s),
                                  1.2f * s, 1.2f * s),
                fill);
            wchar_t percent[16] = {};
            _snwprintf(percent, 15, L"%d%%", static_cast<int>(status.batteryPercent));
            DrawItemText(context, percent, pass.batteryFormat.Get(), x1 + 5.0f * s, R - 2.0f * s);
            return;
        }
        case kTopBarControlCenter: {
            const float t1 = cy - 5.8f * s - 1.2f * s;
            const float t2 = cy + 1.2f * s;
            auto pills = [&](ID2D1Brush* brush) {
                for (float top : {t1, t2}) {
                    context->DrawRoundedRectangle(
                        D2D1::RoundedRect(D2D1::RectF(cx - 7.0f * s, top, cx + 7.0f * s, top + 5.8f * s), 2.9f * s,
                                          2.9f * s),
                        brush, 1.4f * s);
                }
            };
            pass.Shifted(context, pass.e, [&] { pills(p.emboss.Get()); });
            pills(p.text.Get());
            const float knob = 2.0f * s;
            context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx + 7.0f * s - 2.9f * s, t1 + 2.9f * s), knob, knob),
                                 p.text.Get());
            context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx - 7.0f * s + 2.9f * s, t2 + 2.9f * s), knob, knob),
                                 p.text.Get());
            return;
        }
        case kTopBarNotifications: {
            pass.Shifted(context, pass.e,
                         [&] { DrawTopBarNotificationGlyph(context, factory, cx, cy, s, p.emboss.Get()); });
            DrawTopBarNotificationGlyph(context, factory, cx, cy, s,
                                        config.doNotDisturb ? p.dimText.Get() : p.text.Get());
            if (config.doNotDisturb) {
                context->DrawLine(D2D1::Point2F(cx - 6.2f * s, cy - 5.2f * s),
                                  D2D1::Point2F(cx + 6.2f * s, cy + 5.2f * s), p.text.Get(), 1.6f * s);
            } else if (store.unreadCount >= 1) {
                ComPtr<ID2D1SolidColorBrush> ring;
                const D2D1_POINT_2F dot = D2D1::Point2F(cx + 4.6f * s, cy - 4.4f * s);
                if (SUCCEEDED(context->CreateSolidColorBrush(pass.colors.unreadRing, &ring))) {
                    context->FillEllipse(D2D1::Ellipse(dot, 3.3f * s, 3.3f * s), ring.Get());
                }
                context->FillEllipse(D2D1::Ellipse(dot, 2.6f * s, 2.6f * s), p.alert.Get());
            }
            return;
        }
        case kTopBarTrayToggle: {
            const float k = (trayCollapsed ? -1.6f : 1.6f) * s;
            auto chevron = [&](ID2D1Brush* brush) {
                context->DrawLine(D2D1::Point2F(cx - k, cy - 4.2f * s), D2D1::Point2F(cx + k, cy), brush, 1.65f * s);
                context->DrawLine(D2D1::Point2F(cx + k, cy), D2D1::Point2F(cx - k, cy + 4.2f * s), brush, 1.65f * s);
            };
            twoPasses(chevron);
            return;
        }
        case kTopBarTrayOverflow:
            twoPasses([&](ID2D1Brush* brush) {
                for (float dx : {-4.4f, 0.0f, 4.4f}) {
                    context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx + dx * s, cy), 1.4f * s, 1.4f * s), brush);
                }
            });
            return;
        default:
            if (item.id >= kTopBarTrayIconBase) {
                PaintTrayIcon(context, static_cast<size_t>(item.id - kTopBarTrayIconBase), cx, cy, pass.dark);
            }
            return;
    }
}

void TopBarWindow::PaintTrayIcon(ID2D1DeviceContext* context, size_t index, float cx, float cy, bool dark) {
    if (index >= shownTrayIcons.size()) return;
    const TrayIconInfo& icon = shownTrayIcons[index];
    auto found = trayIconPixels.find(icon.key);
    if (found == trayIconPixels.end() && device->wicFactory) {
        found =
            trayIconPixels.emplace(icon.key, system.loadFileIcon(icon.exePath, device->wicFactory.Get(), kTrayIconEdge))
                .first;
    }
    if (found == trayIconPixels.end() || found->second.size() != kTrayIconBytes) return;
    const std::vector<uint8_t>* pixels = &found->second;
    if (!config.topBarOriginalTrayIcons) {
        const std::wstring templateKey = NormalizePathKey(icon.key) + (dark ? L"#d" : L"#l");
        auto templ = trayTemplatePixels.find(templateKey);
        if (templ == trayTemplatePixels.end()) {
            templ =
                trayTemplatePixels.emplace(templateKey, system.makeTemplateIcon(*pixels, kTrayIconEdge, dark)).first;
        }
        if (templ->second.size() != kTrayIconBytes) return;
        pixels = &templ->second;
    }
    ComPtr<ID2D1Bitmap> bitmap;
    const D2D1_BITMAP_PROPERTIES properties = D2D1::BitmapProperties(
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), 96.0f, 96.0f);
    if (FAILED(context->CreateBitmap(D2D1::SizeU(kTrayIconEdge, kTrayIconEdge), pixels->data(), kTrayIconEdge * 4,
                                     properties, &bitmap))) {
        return;
    }
    const float half = 8.5f * scale;
    context->DrawBitmap(bitmap.Get(), D2D1::RectF(cx - half, cy - half, cx + half, cy + half), 1.0f,
                        D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
}
