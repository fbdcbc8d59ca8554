// What the settings window draws: the sidebar, the five pages, the footer and
// the painters of cards, rows, switches and section icons. Every clickable
// element is recorded as a hit item in drawing order.
#include <algorithm>
#include <cmath>
#include <string>

#include "dock/FooterNotice.h"
#include "dock/SettingsControls.h"
#include "dock/SettingsPaintKit.h"
#include "dock/SettingsWindow.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr float kSidebarWidth = 176.0f;
constexpr wchar_t kFontFamily[] = L"Microsoft YaHei UI";
constexpr wchar_t kLocale[] = L"zh-CN";

D2D1_COLOR_F Rgba(float r, float g, float b, float a) { return D2D1::ColorF(r, g, b, a); }

void MakeBrush(ID2D1RenderTarget* target, ComPtr<ID2D1SolidColorBrush>& brush, D2D1_COLOR_F light, D2D1_COLOR_F dark,
               bool isDark) {
    target->CreateSolidColorBrush(isDark ? dark : light, &brush);
}

void MakeFormat(IDWriteFactory* dwrite, ComPtr<IDWriteTextFormat>& format, float size, int weight,
                DWRITE_TEXT_ALIGNMENT align, DWRITE_PARAGRAPH_ALIGNMENT paragraph, bool wrap) {
    if (FAILED(dwrite->CreateTextFormat(kFontFamily, nullptr, static_cast<DWRITE_FONT_WEIGHT>(weight),
                                        DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, size, kLocale,
                                        &format))) {
        format.Reset();
        return;
    }
    format->SetTextAlignment(align);
    format->SetParagraphAlignment(paragraph);
    format->SetWordWrapping(wrap ? DWRITE_WORD_WRAPPING_WRAP : DWRITE_WORD_WRAPPING_NO_WRAP);
}

D2D1_RECT_F Rect(float l, float t, float r, float b) { return D2D1::RectF(l, t, r, b); }

constexpr const wchar_t* kSectionLabels[5] = {L"程序坞", L"外观与透明", L"控制中心", L"顶部栏与系统", L"关于"};

}  // namespace

void BuildPaintKit(SettingsWindow::PaintKit& kit, ID2D1RenderTarget* target, IDWriteFactory* dwrite, bool dark,
                   bool aboutFormats) {
    kit.target = target;
    kit.dwrite = dwrite;
    kit.dark = dark;
    MakeBrush(target, kit.sidebar, Rgba(0.945f, 0.953f, 0.969f, 1), Rgba(0.094f, 0.102f, 0.129f, 1), dark);
    MakeBrush(target, kit.content, Rgba(0.976f, 0.980f, 0.992f, 1), Rgba(0.118f, 0.125f, 0.157f, 1), dark);
    MakeBrush(target, kit.card, Rgba(1, 1, 1, 1), Rgba(0.157f, 0.169f, 0.208f, 1), dark);
    MakeBrush(target, kit.border, Rgba(0, 0, 0, 0.08f), Rgba(1, 1, 1, 0.085f), dark);
    MakeBrush(target, kit.divider, Rgba(0, 0, 0, 0.065f), Rgba(1, 1, 1, 0.07f), dark);
    MakeBrush(target, kit.primary, Rgba(0.09f, 0.11f, 0.16f, 1), Rgba(0.95f, 0.96f, 0.99f, 1), dark);
    MakeBrush(target, kit.secondary, Rgba(0.39f, 0.43f, 0.51f, 1), Rgba(0.65f, 0.69f, 0.78f, 1), dark);
    MakeBrush(target, kit.tertiary, Rgba(0.62f, 0.65f, 0.70f, 0.8f), Rgba(0.45f, 0.48f, 0.55f, 0.7f), dark);
    MakeBrush(target, kit.accent, Rgba(0.04f, 0.52f, 1, 1), Rgba(0.04f, 0.52f, 1, 1), dark);
    MakeBrush(target, kit.accentTint, Rgba(0.04f, 0.52f, 1, 0.13f), Rgba(0.04f, 0.52f, 1, 0.22f), dark);
    MakeBrush(target, kit.hover, Rgba(0, 0, 0, 0.05f), Rgba(1, 1, 1, 0.06f), dark);
    MakeBrush(target, kit.controlFill, Rgba(0, 0, 0, 0.055f), Rgba(1, 1, 1, 0.08f), dark);
    MakeBrush(target, kit.controlHover, Rgba(0, 0, 0, 0.11f), Rgba(1, 1, 1, 0.15f), dark);
    MakeBrush(target, kit.switchOff, Rgba(0, 0, 0, 0.18f), Rgba(1, 1, 1, 0.18f), dark);
    MakeBrush(target, kit.knob, Rgba(1, 1, 1, 0.99f), Rgba(1, 1, 1, 0.99f), dark);
    MakeBrush(target, kit.groove, Rgba(0, 0, 0, 0.12f), Rgba(1, 1, 1, 0.14f), dark);
    MakeBrush(target, kit.knobShadow, Rgba(0, 0, 0, 0.24f), Rgba(0, 0, 0, 0.24f), dark);
    MakeBrush(target, kit.white, Rgba(1, 1, 1, 1), Rgba(1, 1, 1, 1), dark);
    MakeBrush(target, kit.segmentTrack, Rgba(0.925f, 0.935f, 0.955f, 1), Rgba(0.08f, 0.09f, 0.11f, 0.9f), dark);
    MakeBrush(target, kit.segmentSelected, Rgba(1, 1, 1, 1), Rgba(0.24f, 0.26f, 0.31f, 1), dark);

    const auto lead = DWRITE_TEXT_ALIGNMENT_LEADING;
    const auto centre = DWRITE_PARAGRAPH_ALIGNMENT_CENTER;
    MakeFormat(dwrite, kit.title, 20.0f, 700, lead, centre, false);
    MakeFormat(dwrite, kit.heading, 12.5f, 600, lead, centre, false);
    MakeFormat(dwrite, kit.body, 13.5f, 500, lead, centre, false);
    MakeFormat(dwrite, kit.caption, 11.8f, 400, lead, centre, false);
    MakeFormat(dwrite, kit.button, 12.2f, 600, DWRITE_TEXT_ALIGNMENT_CENTER, centre, false);
    if (aboutFormats) {
        MakeFormat(dwrite, kit.aboutText, 11.5f, 400, lead, DWRITE_PARAGRAPH_ALIGNMENT_NEAR, true);
        MakeFormat(dwrite, kit.featureTitle, 12.2f, 600, lead, centre, false);
        MakeFormat(dwrite, kit.featureText, 10.6f, 400, lead, centre, false);
    }
}

void SettingsWindow::AddHitItem(int32_t id, float left, float top, float right, float bottom, int32_t index) {
    hitItems.push_back(HitItem{id, left, top, right, bottom, index});
}

void SettingsWindow::Text(const wchar_t* text, IDWriteTextFormat* format, D2D1_RECT_F rect, ID2D1Brush* brush,
                          bool clip) {
    if (!format || !brush || !text) return;
    kit->target->DrawText(text, static_cast<UINT32>(wcslen(text)), format, rect, brush,
                          clip ? D2D1_DRAW_TEXT_OPTIONS_CLIP : D2D1_DRAW_TEXT_OPTIONS_NONE);
}

void SettingsWindow::Line(float x0, float y0, float x1, float y1, ID2D1Brush* brush, float width) {
    if (brush) kit->target->DrawLine(D2D1::Point2F(x0, y0), D2D1::Point2F(x1, y1), brush, width);
}

void SettingsWindow::Fill(D2D1_RECT_F rect, float radius, ID2D1Brush* brush) {
    if (!brush) return;
    if (radius <= 0.0f) {
        kit->target->FillRectangle(rect, brush);
    } else {
        kit->target->FillRoundedRectangle(D2D1::RoundedRect(rect, radius, radius), brush);
    }
}

void SettingsWindow::DrawCard(float top, float height) {
    D2D1_ROUNDED_RECT card = D2D1::RoundedRect(Rect(kit->L, top, kit->R, top + height), 12.0f, 12.0f);
    if (kit->card) kit->target->FillRoundedRectangle(card, kit->card.Get());
    if (kit->border) kit->target->DrawRoundedRectangle(card, kit->border.Get(), 1.0f);
}

void SettingsWindow::DrawHeading(float y, const wchar_t* text) {
    Text(text, kit->heading.Get(), Rect(204.0f, y, kit->R, y + 18.0f), kit->secondary.Get());
}

void SettingsWindow::DrawPageHeader(const wchar_t* title, const wchar_t* subtitle) {
    Text(title, kit->title.Get(), Rect(200.0f, 18.0f, kit->R, 46.0f), kit->primary.Get());
    Text(subtitle, kit->caption.Get(), Rect(200.0f, 48.0f, kit->R, 66.0f), kit->secondary.Get());
}

void SettingsWindow::PaintToggleSwitch(D2D1_RECT_F rect, bool on, bool inert, ID2D1Brush* onBrush, ID2D1Brush* offBrush,
                                       ID2D1Brush* knobBrush) {
    float h = rect.bottom - rect.top;
    Fill(rect, h / 2.0f, on ? onBrush : offBrush);
    float r = h / 2.0f - 2.5f;
    float cy = (rect.top + rect.bottom) / 2.0f;
    float cx = on ? rect.right - 2.5f - r : rect.left + 2.5f + r;
    D2D1_ELLIPSE knob = D2D1::Ellipse(D2D1::Point2F(cx, cy), r, r);
    if (inert) {
        ComPtr<ID2D1SolidColorBrush> pale;
        if (SUCCEEDED(kit->target->CreateSolidColorBrush(Rgba(0.85f, 0.87f, 0.90f, 0.65f), &pale))) {
            kit->target->FillEllipse(knob, pale.Get());
        }
    } else if (knobBrush) {
        kit->target->FillEllipse(knob, knobBrush);
    }
}

void SettingsWindow::DrawToggleRow(float y, const wchar_t* label, bool on, bool inert, int32_t id, bool divider) {
    const float L = kit->L;
    const float R = kit->R;
    AddHitItem(id, L + 16.0f, y, R - 16.0f, y + 44.0f, 0);
    Text(label, kit->body.Get(), Rect(L + 18.0f, y, R - 80.0f, y + 44.0f),
         inert ? kit->tertiary.Get() : kit->primary.Get());
    PaintToggleSwitch(Rect(R - 60.0f, y + 10.0f, R - 18.0f, y + 34.0f), on, inert, kit->accent.Get(),
                      kit->switchOff.Get(), kit->knob.Get());
    if (divider) Line(L + 18.0f, y + 44.0f, R - 18.0f, y + 44.0f, kit->divider.Get());
}

void SettingsWindow::DrawSliderRow(float y, const wchar_t* label, const std::wstring& value, const wchar_t* description,
                                   float t, bool inert, int32_t slider, bool divider) {
    const float L = kit->L;
    const float R = kit->R;
    ID2D1Brush* textBrush = inert ? kit->tertiary.Get() : kit->primary.Get();
    // The value pill, the track and the knob's shadow: all that a step changes.
    sliderRows[static_cast<size_t>(slider)] = Rect(L + 1.0f, y + 6.0f, R - 1.0f, y + 59.0f);
    Text(label, kit->body.Get(), Rect(L + 18.0f, y + 8.0f, R - 104.0f, y + 30.0f), textBrush);
    D2D1_RECT_F pill = Rect(R - 92.0f, y + 8.0f, R - 18.0f, y + 30.0f);
    Fill(pill, 6.0f, kit->controlFill.Get());
    Text(value.c_str(), kit->button.Get(), pill, textBrush);

    const float left = L + 18.0f;
    const float right = R - 18.0f;
    sliderTracks[static_cast<size_t>(slider)] = Rect(left, y + 34.0f, right, y + 54.0f);
    AddHitItem(slider, L + 14.0f, y + 30.0f, R - 14.0f, y + 58.0f, 0);

    const float cy = y + 44.0f;
    const float k = 11.5f;
    t = std::clamp(t, 0.0f, 1.0f);
    float knobX = (left + k) + std::max(right - left - 2.0f * k, 1.0f) * t;
    Fill(Rect(left, cy - 3.5f, right, cy + 3.5f), 3.5f, kit->groove.Get());
    Fill(Rect(left, cy - 3.5f, std::min(knobX, right), cy + 3.5f), 3.5f,
         inert ? kit->switchOff.Get() : kit->accent.Get());
    if (kit->knobShadow) {
        kit->target->FillEllipse(D2D1::Ellipse(D2D1::Point2F(knobX, cy + 1.2f), 12.0f, 12.0f), kit->knobShadow.Get());
    }
    D2D1_ELLIPSE knob = D2D1::Ellipse(D2D1::Point2F(knobX, cy), k, k);
    if (kit->knob) kit->target->FillEllipse(knob, kit->knob.Get());
    if (kit->border) kit->target->DrawEllipse(knob, kit->border.Get(), 1.0f);

    bool described = description && *description;
    if (described) {
        Text(description, kit->caption.Get(), Rect(left, y + 58.0f, right, y + 76.0f), kit->secondary.Get());
    }
    if (divider) {
        float d = described ? 82.0f : 62.0f;
        Line(left, y + d, right, y + d, kit->divider.Get());
    }
}

void SettingsWindow::PaintSectionIcon(int32_t index, float x, float y, ID2D1Brush* brush) {
    if (!brush) return;
    ID2D1RenderTarget* t = kit->target;
    auto outline = [&](float l, float tp, float r, float b, float radius, float width) {
        t->DrawRoundedRectangle(D2D1::RoundedRect(Rect(l, tp, r, b), radius, radius), brush, width);
    };
    auto dot = [&](float cx, float cy, float radius) {
        t->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx, cy), radius, radius), brush);
    };
    switch (index) {
        case 0:
            outline(x - 7.5f, y - 6.0f, x + 7.5f, y + 6.0f, 3.0f, 1.4f);
            Fill(Rect(x - 5.2f, y + 1.2f, x + 5.2f, y + 3.8f), 1.3f, brush);
            break;
        case 1:
            outline(x - 6.8f, y - 6.2f, x + 2.2f, y + 2.8f, 2.2f, 1.4f);
            Fill(Rect(x - 2.2f, y - 2.8f, x + 6.8f, y + 6.2f), 2.2f, brush);
            break;
        case 2:
            outline(x - 7.5f, y - 5.8f, x + 7.5f, y - 0.8f, 2.5f, 1.3f);
            dot(x + 4.4f, y - 3.3f, 1.7f);
            outline(x - 7.5f, y + 0.8f, x + 7.5f, y + 5.8f, 2.5f, 1.3f);
            dot(x - 4.4f, y + 3.3f, 1.7f);
            break;
        case 3:
            outline(x - 7.5f, y - 6.0f, x + 7.5f, y + 6.0f, 3.0f, 1.4f);
            Fill(Rect(x - 7.0f, y - 5.5f, x + 7.0f, y - 2.3f), 0.0f, brush);
            break;
        case 4:
            t->DrawEllipse(D2D1::Ellipse(D2D1::Point2F(x, y), 6.8f, 6.8f), brush, 1.4f);
            dot(x, y - 2.9f, 1.0f);
            Line(x, y - 0.6f, x, y + 3.4f, brush, 1.6f);
            break;
        default:
            break;
    }
}

void SettingsWindow::DrawButton(int32_t id, D2D1_RECT_F rect, const wchar_t* label) {
    AddHitItem(id, rect.left, rect.top, rect.right, rect.bottom, 0);
    Fill(rect, 8.0f, Hovered(id, 0) ? kit->controlHover.Get() : kit->controlFill.Get());
    Text(label, kit->button.Get(), rect, kit->primary.Get());
}

void SettingsWindow::DrawAll() {
    DrawSidebar();
    switch (section) {
        case 0:
            DrawDockPage();
            break;
        case 1:
            DrawAppearancePage();
            break;
        case 2:
            DrawControlCenterPage();
            break;
        case 3:
            DrawTopBarPage();
            break;
        default:
            DrawAboutPage();
            break;
    }
    DrawFooter();
}

void SettingsWindow::DrawSidebar() {
    const float W = kit->W;
    const float H = kit->H;
    Fill(Rect(0, 0, kSidebarWidth, H), 0.0f, kit->sidebar.Get());
    Fill(Rect(kSidebarWidth, 0, W, H), 0.0f, kit->content.Get());
    Line(kSidebarWidth, 0, kSidebarWidth, H, kit->divider.Get());

    if (logoSmall) {
        kit->target->DrawBitmap(logoSmall.Get(), Rect(16, 18, 54, 56), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
    } else {
        Fill(Rect(18, 20, 52, 54), 9.0f, kit->accent.Get());
        Text(L"VT", kit->body.Get(), Rect(23, 20, 52, 54), kit->white.Get());
    }
    Text(L"Vantreel", kit->body.Get(), Rect(62, 19, 166, 38), kit->primary.Get());
    Text(L"偏好设置", kit->caption.Get(), Rect(62, 37, 166, 54), kit->secondary.Get());

    for (int32_t i = 0; i < 5; ++i) {
        float top = 78.0f + 42.0f * static_cast<float>(i);
        float bottom = top + 36.0f;
        AddHitItem(kHitSection, 12, top, 164, bottom, i);
        bool selected = i == section;
        if (selected) {
            Fill(Rect(12, top, 164, bottom), 9.0f, kit->accentTint.Get());
        } else if (Hovered(kHitSection, i)) {
            Fill(Rect(12, top, 164, bottom), 9.0f, kit->hover.Get());
        }
        PaintSectionIcon(i, 28.0f, top + 18.0f, selected ? kit->accent.Get() : kit->secondary.Get());
        Text(kSectionLabels[i], kit->body.Get(), Rect(44, top, 156, bottom), kit->primary.Get());
    }
    Text(L"Alt+Space 全部应用", kit->caption.Get(), Rect(14, H - 48, 168, H - 30), kit->tertiary.Get());
    Text(L"Ctrl+Alt+, 偏好设置", kit->caption.Get(), Rect(14, H - 30, 168, H - 12), kit->tertiary.Get());
}

void SettingsWindow::DrawFooter() {
    const float W = kit->W;
    const float H = kit->H;
    Line(kSidebarWidth, H - 56, W, H - 56, kit->divider.Get());
    if (section != 4) {
        if (saveFailed) {
            ComPtr<ID2D1SolidColorBrush> alert;
            kit->target->CreateSolidColorBrush(D2D1::ColorF(0.90f, 0.22f, 0.21f, 1.0f), &alert);
            Fill(Rect(200, H - 32, 208, H - 24), 4.0f, alert.Get());
            Text(L"设置未能保存，更改仅在本次运行中有效", kit->caption.Get(), Rect(214, H - 56, W - 228, H),
                 alert.Get());
        } else if (!saveNotice.empty()) {
            DrawFooterNotice(kit->target, kit->dwrite, kit->caption.Get(), saveNotice, Rect(200, H - 56, W - 228, H),
                             kit->secondary.Get());
        } else {
            Text(L"更改实时生效并自动保存", kit->caption.Get(), Rect(200, H - 56, 380, H), kit->secondary.Get());
        }
        DrawButton(kHitRestoreDefaults, Rect(W - 220, H - 44, W - 126, H - 12), L"恢复默认");
    } else {
        Text(L"Vantreel v1.0.0", kit->caption.Get(), Rect(200, H - 56, W - 128, H), kit->secondary.Get());
    }
    D2D1_RECT_F done = Rect(W - 116, H - 44, W - 24, H - 12);
    AddHitItem(kHitDone, done.left, done.top, done.right, done.bottom, 0);
    Fill(done, 8.0f, kit->accent.Get());
    Text(L"完成", kit->button.Get(), done, kit->white.Get());
}

void SettingsWindow::DrawDockPage() {
    const float R = kit->R;
    DrawPageHeader(L"程序坞", L"调整 Dock 图标尺寸、鱼眼放大动效与桌面交互方式");
    DrawHeading(80, L"尺寸与动效");
    DrawCard(102, 174);
    DrawSliderRow(104, L"图标大小", SliderValueText(kSliderIconSize, config), L"",
                  SliderPosition(kSliderIconSize, config), false, kSliderIconSize, true);
    DrawToggleRow(166, L"启用鼠标鱼眼放大", config.magnifyEnabled, false, kHitMagnify, true);
    DrawSliderRow(210, L"放大倍率", SliderValueText(kSliderMagnify, config), L"",
                  SliderPosition(kSliderMagnify, config), !config.magnifyEnabled, kSliderMagnify, false);

    DrawHeading(294, L"图标风格与行为");
    DrawCard(316, 146);
    DrawToggleRow(316, L"使用圆润超椭圆图标风格", config.useMacIcons, false, kHitMacIcons, true);
    DrawToggleRow(360, L"启动时自动隐藏 Windows 原生任务栏", config.hideTaskbar, false, kHitHideTaskbar, true);
    AddHitItem(kHitHideOnFullscreen, 216, 404, R - 16, 462, 0);
    Text(L"全屏/最大化应用时自动隐藏程序坞", kit->body.Get(), Rect(218, 408, R - 80, 432), kit->primary.Get());
    Text(L"隐藏后将鼠标移至屏幕底部 Dock 区域可自动滑出", kit->caption.Get(), Rect(218, 432, R - 80, 454),
         kit->secondary.Get());
    PaintToggleSwitch(Rect(R - 60, 421, R - 18, 445), config.hideDockOnFullscreen, false, kit->accent.Get(),
                      kit->switchOff.Get(), kit->knob.Get());
}

void SettingsWindow::DrawAppearancePage() {
    const float R = kit->R;
    DrawPageHeader(L"外观与透明", L"调整外观主题、玻璃浓度与全部应用背景透明度");
    DrawHeading(80, L"主题外观");
    DrawCard(102, 54);
    Text(L"色彩主题", kit->body.Get(), Rect(218, 102, 350, 156), kit->primary.Get());
    Fill(Rect(R - 262, 113, R - 16, 145), 8.0f, kit->segmentTrack.Get());
    constexpr const wchar_t* kThemeLabels[3] = {L"跟随系统", L"深色", L"浅色"};
    for (int32_t i = 0; i < 3; ++i) {
        float x0 = R - 259 + 80.0f * static_cast<float>(i);
        float x1 = x0 + 80;
        AddHitItem(kHitTheme, x0, 116, x1, 142, i);
        if (config.theme == i) {
            Fill(Rect(x0, 116, x1, 142), 6.0f, kit->segmentSelected.Get());
        } else if (Hovered(kHitTheme, i)) {
            Fill(Rect(x0, 116, x1, 142), 6.0f, kit->hover.Get());
        }
        Text(kThemeLabels[i], kit->button.Get(), Rect(x0, 116, x1, 142), kit->primary.Get());
    }

    DrawHeading(172, L"程序坞与顶部栏");
    DrawCard(194, 84);
    DrawSliderRow(196, L"玻璃浓度", SliderValueText(kSliderGlass, config),
                  L"调节程序坞与顶部栏的玻璃磨砂浓度（0% 为纯透）", SliderPosition(kSliderGlass, config), false,
                  kSliderGlass, false);

    DrawHeading(294, L"全部应用界面");
    DrawCard(316, 84);
    DrawSliderRow(318, L"背景透明度", SliderValueText(kSliderAllApps, config), L"调节全部应用界面的背景透明程度",
                  SliderPosition(kSliderAllApps, config), false, kSliderAllApps, false);
}

void SettingsWindow::DrawControlCenterPage() {
    const float L = kit->L;
    const float R = kit->R;
    DrawPageHeader(L"控制中心", L"自由选择显示在顶部控制中心内的快捷开关与调节滑块");
    DrawHeading(76, L"快捷开关磁贴");
    DrawCard(98, 228);
    const float half = (R - L) / 2.0f;
    Line(L + half, 108, L + half, 316, kit->divider.Get());
    const auto tiles = ControlCenterTileTable();
    for (int32_t i = 0; i < kControlCenterTileCount; ++i) {
        float x0 = L + static_cast<float>(i % 2) * half;
        float x1 = x0 + half;
        float y0 = 98.0f + 38.0f * static_cast<float>(i / 2);
        float y1 = y0 + 38.0f;
        AddHitItem(kHitTile, x0 + 6, y0, x1 - 6, y1, i);
        Text(tiles[static_cast<size_t>(i)].title.data(), kit->body.Get(), Rect(x0 + 16, y0, x1 - 58, y1),
             kit->primary.Get());
        PaintToggleSwitch(Rect(x1 - 52, y0 + 9, x1 - 16, y0 + 29), HasControlCenterTile(config, i), false,
                          kit->accent.Get(), kit->switchOff.Get(), kit->knob.Get());
        if (i % 2 == 0 && i / 2 <= 4) Line(216, y1, R - 16, y1, kit->divider.Get());
    }

    DrawHeading(340, L"滑块模块");
    DrawCard(362, 88);
    DrawToggleRow(362, L"显示显示器亮度滑块", config.ccShowBrightness, false, kHitBrightness, true);
    DrawToggleRow(406, L"显示系统声音滑块", config.ccShowVolume, false, kHitVolume, false);
}

void SettingsWindow::DrawTopBarPage() {
    const float L = kit->L;
    const float R = kit->R;
    DrawPageHeader(L"顶部栏与系统", L"管理顶部状态栏布局、通知勿扰模式及 Windows 集成");
    DrawHeading(78, L"顶部栏与通知");
    DrawCard(100, 220);
    bool barOff = !config.showTopBar;
    DrawToggleRow(100, L"显示屏幕顶部状态栏", config.showTopBar, false, kHitTopBar, true);
    DrawToggleRow(144, L"顶部栏预留桌面工作区（防遮挡标题栏）", config.topBarReserveSpace, barOff, kHitReserveSpace,
                  true);
    DrawToggleRow(188, L"托盘显示应用原始图标（关闭则统一为单色）", config.topBarOriginalTrayIcons, barOff,
                  kHitOriginalTrayIcons, true);
    DrawToggleRow(232, L"日历显示农历（含传统节日与干支纪年）", config.showLunarCalendar, barOff, kHitLunar, true);
    DrawToggleRow(276, L"通知勿扰模式（关闭右上角新通知弹窗）", config.doNotDisturb, false, kHitDoNotDisturb, false);

    DrawHeading(332, L"系统与维护");
    DrawCard(354, 102);
    DrawToggleRow(354, L"开机自动启动 Vantreel", config.autoStart, false, kHitAutoStart, true);
    if (config.hiddenTrayApps.empty()) {
        DrawButton(kHitToggleTaskbar, Rect(218, 406, 402, 440), L"切换显示 Windows 任务栏");
    } else {
        float w = ((R - L) - 44.0f) / 2.0f;
        DrawButton(kHitToggleTaskbar, Rect(218, 406, 218 + w, 440), L"切换显示 Windows 任务栏");
        DrawButton(kHitRestoreTray, Rect(218 + w + 10, 406, R - 18, 440), L"恢复已隐藏托盘图标");
    }
}

void SettingsWindow::DrawAboutPage() {
    const float R = kit->R;
    DrawCard(16, 104);
    if (logoLarge) {
        kit->target->DrawBitmap(logoLarge.Get(), Rect(218, 38, 278, 98), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
    } else {
        Fill(Rect(218, 38, 278, 98), 14.0f, kit->accent.Get());
        Text(L"VT", kit->title.Get(), Rect(230, 38, 278, 98), kit->white.Get());
    }
    Text(L"Vantreel", kit->title.Get(), Rect(292, 22, 388, 48), kit->primary.Get());
    D2D1_RECT_F pill = Rect(390, 26, 448, 46);
    Fill(pill, 7.0f, kit->accentTint.Get());
    Text(L"v1.0.0", kit->button.Get(), pill, kit->accent.Get());
    Text(L"为 Windows 10 与 11 打造的轻量原生磨砂玻璃程序坞与顶部状态栏，启动迅速，占用极低。", kit->aboutText.Get(),
         Rect(292, 71, R - 16, 114), kit->secondary.Get(), true);

    DrawCard(130, 140);
    Text(L"软件特色与核心优势", kit->heading.Get(), Rect(218, 137, R - 18, 155), kit->secondary.Get(), true);
    struct Feature {
        const wchar_t* title;
        const wchar_t* line;
    };
    constexpr Feature kFeatures[5] = {
        {L"硬件加速磨砂动效", L"GPU 硬件加速，鱼眼弹簧丝滑跟手"},
        {L"一体化顶部状态栏", L"托盘图标统一、控制中心与农历"},
        {L"智能应用启动台", L"文件夹归组、字母索引与即时搜索"},
        {L"高度自由可定制", L"开关模块、主题与透明度自由搭配"},
        {L"安全友好可还原", L"自动守护原生任务栏，隐藏可还原"},
    };
    for (int k = 0; k < 5; ++k) {
        float x = 218.0f + 214.0f * static_cast<float>(k % 2);
        float y = 159.0f + 34.0f * static_cast<float>(k / 2);
        if (kit->accent) {
            kit->target->FillEllipse(D2D1::Ellipse(D2D1::Point2F(x + 4, y + 9), 2.6f, 2.6f), kit->accent.Get());
        }
        Text(kFeatures[k].title, kit->featureTitle.Get(), Rect(x + 12, y, x + 206, y + 17), kit->primary.Get(), true);
        Text(kFeatures[k].line, kit->featureText.Get(), Rect(x + 12, y + 17, x + 206, y + 33), kit->secondary.Get(),
             true);
    }
}
