#include "render/MacMenuWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "render/GlassWindowTree.h"

namespace {

constexpr wchar_t kClassName[] = L"VantreelMacMenuWindow";
constexpr UINT_PTR kGraceTimer = 1;
// Deactivation this soon after showing comes from the click that opened the
// menu, not from the user leaving it.
constexpr ULONGLONG kActivationGraceMs = 100;

using Microsoft::WRL::ComPtr;

ComPtr<IDWriteTextFormat> MakeFormat(IDWriteFactory* factory, const wchar_t* family, DWRITE_FONT_WEIGHT weight,
                                     float size, const wchar_t* locale) {
    ComPtr<IDWriteTextFormat> format;
    if (!factory || FAILED(factory->CreateTextFormat(family, nullptr, weight, DWRITE_FONT_STYLE_NORMAL,
                                                     DWRITE_FONT_STRETCH_NORMAL, size, locale, &format))) {
        return nullptr;
    }
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    return format;
}

float TextWidth(IDWriteFactory* factory, IDWriteTextFormat* format, const std::wstring& text, float boxWidth) {
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(factory->CreateTextLayout(text.c_str(), static_cast<UINT32>(text.size()), format, boxWidth, 32.0f,
                                         &layout))) {
        return 0.0f;
    }
    DWRITE_TEXT_METRICS metrics = {};
    if (FAILED(layout->GetMetrics(&metrics))) return 0.0f;
    return metrics.width;
}

D2D1_COLOR_F Rgba(float r, float g, float b, float a) { return {r, g, b, a}; }

}  // namespace

MacMenuWindow::~MacMenuWindow() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

void MacMenuWindow::Initialize(HINSTANCE instance, GraphicsDevice& graphics, CompositionHost& host) {
    instance_ = instance;
    graphics_ = &graphics;
    host_ = &host;
}

void MacMenuWindow::EnsureWindow() {
    if (hwnd_ && IsWindow(hwnd_)) return;
    hwnd_ = nullptr;
    HINSTANCE instance = instance_ ? instance_ : GetModuleHandleW(nullptr);
    platform::RegisterWindowClass(instance, kClassName, &platform::WindowProcedure<kWindowBinding>);
    // Our compositor presents the menu with UpdateLayeredWindow, which needs the window's
    // own redirection surface: no WS_EX_NOREDIRECTIONBITMAP here.
    CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP, 0, 0, 200, 120, nullptr, nullptr,
                    instance, this);
    if (!hwnd_ || !host_) return;

    if (!BuildGlassWindowTree(*host_, hwnd_, 9.0f, GlassStyle::Popup, target_, root_, glass_, contentSprite_)) return;
    contentSurface_ = nullptr;
    contentBrush_ = nullptr;
    surfaceWidth_ = surfaceHeight_ = 0;
}

void MacMenuWindow::MeasureItems() {
    IDWriteFactory* factory = graphics_ ? graphics_->dwriteFactory.Get() : nullptr;
    ComPtr<IDWriteTextFormat> format =
        MakeFormat(factory, L"Microsoft YaHei UI", DWRITE_FONT_WEIGHT_MEDIUM, 13.0f, L"zh-CN");
    float widest = 120.0f;
    if (format) {
        for (const auto& row : rows_) {
            if (row.separator || row.label.empty()) continue;
            float width = TextWidth(factory, format.Get(), row.label, 400.0f);
            if (!row.trailingText.empty()) width += TextWidth(factory, format.Get(), row.trailingText, 160.0f) + 22.0f;
            widest = std::max(widest, width);
        }
    }
    menuWidth_ = MenuWidthForText(widest);
    MenuRowLayout layout = StackMenuRows(rows_);
    rowTops_ = std::move(layout.tops);
    rowHeights_ = std::move(layout.heights);
    menuHeight_ = layout.height;
}

namespace {

// A button press for another window than the menu: it closes the menu, as a
// press outside any menu does, and goes no further.
bool IsPressOutsideMenu(const MSG& msg, HWND menu) {
    switch (msg.message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
        case WM_NCXBUTTONDOWN:
            return msg.hwnd && msg.hwnd != menu && !IsChild(menu, msg.hwnd);
        default:
            return false;
    }
}

}  // namespace

int MacMenuWindow::ShowModal(POINT screenPoint, const std::vector<MacMenuItem>& rows, const DockConfig& config,
                             float scale) {
    if (rows.empty() || open_) return 0;
    try {
        scale_ = std::max(scale, 1.0f);
        rows_ = rows;
        hover_ = -1;
        result_ = 0;
        EnsureWindow();
        if (!hwnd_ || !target_) return 0;
        MeasureItems();

        const int windowWidth = static_cast<int>(std::lround((menuWidth_ + 2 * kMenuMarginDip) * scale_));
        const int windowHeight = static_cast<int>(std::lround((menuHeight_ + 2 * kMenuMarginDip) * scale_));
        const int margin = static_cast<int>(std::lround(kMenuMarginDip * scale_));
        const SIZE panel = {static_cast<LONG>(std::lround(menuWidth_ * scale_)),
                            static_cast<LONG>(std::lround(menuHeight_ * scale_))};
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (!GetMonitorInfoW(MonitorFromPoint(screenPoint, MONITOR_DEFAULTTONEAREST), &monitor)) {
            monitor.rcMonitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        }
        const POINT at = PlaceMenuPanel(screenPoint, panel, monitor.rcMonitor);

        glass_.UpdateTint(config.theme, config.glassOpacity, scale_);
        glass_.SetBounds(static_cast<float>(margin), static_cast<float>(margin), static_cast<float>(panel.cx),
                         static_cast<float>(panel.cy), 12.0f * scale_);
        Redraw();

        open_ = true;
        showTime_ = system.tickCount();
        SetWindowPos(hwnd_, HWND_TOPMOST, at.x - margin, at.y - margin, windowWidth, windowHeight, SWP_SHOWWINDOW);
        AllowSetForegroundWindow(ASFW_ANY);
        SetForegroundWindow(hwnd_);
        SetFocus(hwnd_);

        MSG msg;
        while (open_) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                // The quit belongs to the loop outside the menu: hand it on.
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (got == -1) break;
            if (IsPressOutsideMenu(msg, hwnd_)) {
                // Windows of ours that never take the foreground (the top bar,
                // the dock) would otherwise leave the menu open and in front.
                Close(0);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        open_ = false;
        KillTimer(hwnd_, kGraceTimer);
        ShowWindow(hwnd_, SW_HIDE);
        ReleaseContent();
        return result_;
    } catch (...) {
        platform::LogCaughtException(L"MacMenuWindow::ShowModal");
    }
    open_ = false;
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    return 0;
}

void MacMenuWindow::ReleaseContent() {
    contentSurface_ = nullptr;
    contentBrush_ = nullptr;
    surfaceWidth_ = surfaceHeight_ = 0;
    if (contentSprite_) contentSprite_.Brush(nullptr);
}

void MacMenuWindow::Redraw() {
    if (!host_ || !graphics_ || !contentSprite_) return;
    try {
        const int width = std::max(static_cast<int>(std::lround(menuWidth_ * scale_)), 16);
        const int height = std::max(static_cast<int>(std::lround(menuHeight_ * scale_)), 16);
        if (!contentSurface_ || width != surfaceWidth_ || height != surfaceHeight_) {
            contentSurface_ = host_->CreateDrawingSurface(width, height);
            if (!contentSurface_) return;
            contentBrush_ = host_->compositor.CreateSurfaceBrush(contentSurface_);
            contentBrush_.Stretch(comp::CompositionStretch::Fill);
            contentSprite_.Brush(contentBrush_);
            surfaceWidth_ = width;
            surfaceHeight_ = height;
        }
        host_->Paint(contentSurface_,
                     [&](ID2D1DeviceContext* context) { PaintItems(context, static_cast<float>(width)); });
        const float margin = kMenuMarginDip * scale_;
        contentSprite_.Offset({margin, margin, 0.0f});
        contentSprite_.Size({static_cast<float>(width), static_cast<float>(height)});
    } catch (const comp::HResultError& error) {
        LogMessage(L"MacMenuWindow::Redraw winrt error: 0x%08X", static_cast<unsigned>(error.code()));
    }
}

void MacMenuWindow::PaintItems(ID2D1DeviceContext* context, float surfaceWidth) {
    IDWriteFactory* factory = graphics_ ? graphics_->dwriteFactory.Get() : nullptr;
    const float s = scale_;
    const float w = surfaceWidth;
    const bool dark = glass_.dark;
    context->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);

    ComPtr<IDWriteTextFormat> label =
        MakeFormat(factory, L"Microsoft YaHei UI", DWRITE_FONT_WEIGHT_MEDIUM, 13.2f * s, L"zh-CN");
    ComPtr<IDWriteTextFormat> hoveredLabel =
        MakeFormat(factory, L"Microsoft YaHei UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 13.2f * s, L"zh-CN");
    ComPtr<IDWriteTextFormat> trailing =
        MakeFormat(factory, L"Segoe UI Variable", DWRITE_FONT_WEIGHT_NORMAL, 11.5f * s, L"en-US");
    for (IDWriteTextFormat* format : {label.Get(), hoveredLabel.Get()}) {
        if (format) format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    }
    if (trailing) {
        trailing->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_TRAILING);
        trailing->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    }

    ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(context->CreateSolidColorBrush(Rgba(1, 1, 1, 1), &brush))) return;
    auto paint = [&](D2D1_COLOR_F color) {
        brush->SetColor(color);
        return brush.Get();
    };
    auto text = [&](const std::wstring& value, IDWriteTextFormat* format, D2D1_RECT_F box, D2D1_COLOR_F color) {
        if (!format || value.empty()) return;
        context->DrawText(value.c_str(), static_cast<UINT32>(value.size()), format, box, paint(color));
    };

    for (size_t i = 0; i < rows_.size() && i < rowTops_.size(); ++i) {
        const MacMenuItem& row = rows_[i];
        const float top = s * rowTops_[i];
        const float bottom = top + s * rowHeights_[i];
        const float middle = top + s * rowHeights_[i] / 2.0f;
        if (row.separator) {
            context->DrawLine({12 * s, middle}, {w - 12 * s, middle},
                              paint(dark ? Rgba(1, 1, 1, 0.16f) : Rgba(0, 0, 0, 0.11f)), 1.0f);
            continue;
        }
        const bool hovered = static_cast<int>(i) == hover_ && !row.disabled;
        if (hovered) {
            const D2D1_COLOR_F fill =
                row.destructive ? Rgba(0.90f, 0.20f, 0.18f, 0.96f) : Rgba(0.04f, 0.52f, 1.0f, 0.95f);
            const D2D1_RECT_F area = D2D1::RectF(5 * s, top, w - 5 * s, bottom);
            context->FillRoundedRectangle(D2D1::RoundedRect(area, 6.5f * s, 6.5f * s), paint(fill));
            context->DrawLine({9 * s, top + 0.8f}, {w - 9 * s, top + 0.8f}, paint(Rgba(1, 1, 1, 0.36f)), s);
        }

        D2D1_COLOR_F color;
        if (row.disabled) {
            color = dark ? Rgba(0.75f, 0.78f, 0.85f, 0.48f) : Rgba(0.22f, 0.25f, 0.31f, 0.50f);
        } else if (hovered) {
            color = Rgba(1, 1, 1, 0.99f);
        } else if (row.destructive) {
            color = dark ? Rgba(1.0f, 0.42f, 0.39f, 0.98f) : Rgba(0.78f, 0.09f, 0.12f, 0.98f);
        } else {
            color = dark ? Rgba(0.97f, 0.98f, 1.0f, 0.98f) : Rgba(0.05f, 0.07f, 0.11f, 0.98f);
        }

        if (row.checked) {
            const D2D1_POINT_2F corner = {15.2f * s, middle + 2.5f * s};
            context->DrawLine({12.7f * s, middle}, corner, paint(color), 1.7f * s);
            context->DrawLine(corner, {20.2f * s, middle - 3.0f * s}, paint(color), 1.7f * s);
        }

        const float labelRight = row.trailingText.empty() ? w - 14 * s : w - 86 * s;
        IDWriteTextFormat* format = hovered ? hoveredLabel.Get() : label.Get();
        if (!hovered && !row.disabled) {
            text(row.label, format, D2D1::RectF(31 * s, top + 0.7f * s, labelRight, bottom + 0.7f * s),
                 dark ? Rgba(0, 0, 0, 0.45f) : Rgba(1, 1, 1, 0.55f));
        }
        text(row.label, format, D2D1::RectF(31 * s, top, labelRight, bottom), color);

        if (!row.trailingText.empty()) {
            const D2D1_COLOR_F trailingColor = hovered ? Rgba(1, 1, 1, 0.99f)
                                               : dark  ? Rgba(0.77f, 0.80f, 0.86f, 0.62f)
                                                       : Rgba(0.28f, 0.31f, 0.37f, 0.58f);
            text(row.trailingText, trailing.Get(), D2D1::RectF(w - 80 * s, top, w - 13 * s, bottom), trailingColor);
        }
    }
}

int MacMenuWindow::HitTestItem(float x, float y) const {
    MenuRowLayout layout;
    layout.tops = rowTops_;
    layout.heights = rowHeights_;
    return HitTestMenuRow(rows_, layout, menuWidth_, x, y);
}

void MacMenuWindow::Close(int result) {
    result_ = result;
    open_ = false;
    if (hwnd_) {
        KillTimer(hwnd_, kGraceTimer);
        PostMessageW(hwnd_, WM_NULL, 0, 0);
    }
}

void MacMenuWindow::SetHover(int index) {
    if (index == hover_) return;
    hover_ = index;
    Redraw();
}

void MacMenuWindow::OnDeactivated() {
    const ULONGLONG elapsed = system.tickCount() - showTime_;
    if (elapsed >= kActivationGraceMs) {
        Close(0);
        return;
    }
    // Too early to tell; look again once the grace time is over, so a menu
    // that really lost the foreground does not wait for a click to close.
    SetTimer(hwnd_, kGraceTimer, static_cast<UINT>(kActivationGraceMs - elapsed), nullptr);
}

void MacMenuWindow::OnGraceTimer() {
    KillTimer(hwnd_, kGraceTimer);
    if (!open_) return;
    const ULONGLONG elapsed = system.tickCount() - showTime_;
    if (elapsed < kActivationGraceMs) {
        SetTimer(hwnd_, kGraceTimer, static_cast<UINT>(kActivationGraceMs - elapsed), nullptr);
        return;
    }
    if (system.foregroundWindow() != hwnd_) Close(0);
}

// A failed message closes the menu as a dismissal, so its loop never waits on
// a menu that can no longer answer.
const platform::WindowBinding<MacMenuWindow> MacMenuWindow::kWindowBinding{
    L"MacMenuWindow::HandleMessage", &MacMenuWindow::hwnd_, platform::MessageHandler<&MacMenuWindow::HandleMessage>,
    [](MacMenuWindow& menu, HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        menu.Close(0);
        return 0;
    }};

LRESULT MacMenuWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    auto menuPoint = [&](float& x, float& y) {
        x = static_cast<float>(GET_X_LPARAM(lParam)) / scale_ - kMenuMarginDip;
        y = static_cast<float>(GET_Y_LPARAM(lParam)) / scale_ - kMenuMarginDip;
    };
    switch (message) {
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            open_ = false;
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE && open_) {
                OnDeactivated();
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam == kGraceTimer) {
                OnGraceTimer();
                return 0;
            }
            break;
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_ESCAPE:
                    Close(0);
                    return 0;
                case VK_UP:
                case VK_DOWN: {
                    const int next = StepMenuHover(rows_, hover_, wParam == VK_DOWN);
                    if (next >= 0) SetHover(next);
                    return 0;
                }
                case VK_RETURN:
                    if (hover_ >= 0 && hover_ < static_cast<int>(rows_.size()) && IsMenuRowSelectable(rows_[hover_])) {
                        Close(rows_[hover_].id);
                    }
                    return 0;
                default:
                    break;
            }
            break;
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track = {};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = hwnd;
            TrackMouseEvent(&track);
            float x, y;
            menuPoint(x, y);
            SetHover(HitTestItem(x, y));
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            float x, y;
            menuPoint(x, y);
            const int hit = HitTestItem(x, y);
            if (hit >= 0) {
                Close(rows_[hit].id);
            } else if (x < 0 || x > menuWidth_ || y < 0 || y > menuHeight_) {
                Close(0);
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            SetHover(-1);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
