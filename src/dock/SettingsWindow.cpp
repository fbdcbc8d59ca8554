#include "dock/SettingsWindow.h"

#include <dwmapi.h>

#include <algorithm>
#include <cmath>
#include <exception>

#include "app/StartupTask.h"
#include "dock/SettingsControls.h"
#include "dock/SettingsPaintKit.h"
#include "render/GlassTheme.h"
#include "render/GraphicsDevice.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kClassName[] = L"VantreelSettingsWindow";
constexpr wchar_t kTitle[] = L"Vantreel 偏好设置";
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kAppIconResource = 101;
constexpr int kLogoResource = 201;
constexpr float kMinWidth = 540.0f;
constexpr float kMinHeight = 440.0f;
constexpr HRESULT kRecreateTarget = static_cast<HRESULT>(0x8899000C);

// Window attributes of newer systems (public documentation values).
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr DWORD kDwmWindowCornerPreference = 33;
constexpr DWORD kDwmCaptionColor = 35;
constexpr DWORD kDwmCornerRound = 2;
constexpr COLORREF kCaptionDark = 0x00211A18;
constexpr COLORREF kCaptionLight = 0x00F7F3F1;

float ScaleForDpi(UINT dpi) { return std::max(static_cast<float>(dpi) / 96.0f, 1.0f); }

int RoundAway(float v) { return static_cast<int>(std::lround(v)); }

}  // namespace

ComPtr<ID2D1Bitmap> LoadPngResourceBitmap(HMODULE module, int resourceId, IWICImagingFactory* imaging,
                                          ID2D1RenderTarget* target, UINT edgePixels) {
    if (!imaging || !target) return nullptr;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found) return nullptr;
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;

    ComPtr<IWICStream> stream;
    if (FAILED(imaging->CreateStream(&stream))) return nullptr;
    if (FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(bytes), size))) return nullptr;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(imaging->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder))) {
        return nullptr;
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return nullptr;

    ComPtr<IWICBitmapSource> source = frame;
    if (edgePixels != 0) {
        ComPtr<IWICBitmapScaler> scaler;
        if (SUCCEEDED(imaging->CreateBitmapScaler(&scaler)) &&
            SUCCEEDED(scaler->Initialize(frame.Get(), edgePixels, edgePixels, WICBitmapInterpolationModeFant))) {
            source = scaler;
        }
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(imaging->CreateFormatConverter(&converter))) return nullptr;
    if (FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    ComPtr<ID2D1Bitmap> bitmap;
    if (FAILED(target->CreateBitmapFromWicBitmap(converter.Get(), nullptr, &bitmap))) return nullptr;
    return bitmap;
}

SettingsWindow::~SettingsWindow() { Close(); }

void SettingsWindow::Open(HINSTANCE instance, GraphicsDevice* graphicsDevice, const DockConfig& live,
                          Callbacks newCallbacks) {
    hInstance = instance;
    graphics = graphicsDevice;
    config = live;
    DockConfig::Clamp(config);
    // The row shows what the system will do at logon, not the stored flag.
    config.autoStart = IsAutoStartEnabled();
    callbacks = std::move(newCallbacks);

    if (hwnd && IsWindow(hwnd)) {
        ApplyDwmLook();
        ShowWindow(hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd);
        if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &SettingsWindow::WndProc;
    wc.hInstance = hInstance;
    wc.hIcon = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                             LR_DEFAULTCOLOR));
    wc.hIconSm = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // a second registration fails harmlessly

    UINT dpi = GetDpiForSystem();
    scale = ScaleForDpi(dpi);
    RECT frame = {0, 0, RoundAway(scale * logicalWidth), RoundAway(scale * logicalHeight)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi);
    int w = frame.right - frame.left;
    int h = frame.bottom - frame.top;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - w) / 2;
    int y = work.top + (work.bottom - work.top - h) / 2;

    hoverId = 0;
    hoverIndex = 0;
    dragSlider = 0;
    HWND created = CreateWindowExW(0, kClassName, kTitle, kWindowStyle, x, y, w, h, nullptr, nullptr, hInstance,
                                   this);
    if (!created) return;
    hwnd = created;
    ApplyDwmLook();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
}

void SettingsWindow::Close() {
    ReleaseBitmaps();
    renderTarget.Reset();
    HWND window = hwnd;
    hwnd = nullptr;
    if (window && IsWindow(window)) DestroyWindow(window);
}

void SettingsWindow::TakeOwnerConfig(const DockConfig& live) {
    if (!hwnd || !IsWindow(hwnd)) return;
    bool shownAutoStart = config.autoStart;
    config = live;
    DockConfig::Clamp(config);
    config.autoStart = shownAutoStart;
    ApplyDwmLook();
    Invalidate();
}

LRESULT CALLBACK SettingsWindow::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SettingsWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<SettingsWindow*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd = window;
    } else {
        self = reinterpret_cast<SettingsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self) return self->HandleMessage(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SettingsWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing leaves a window procedure: a failing handler leaves the message to
    // the default procedure (which also validates a window whose paint failed).
    try {
        auto pointX = [&] { return static_cast<float>(static_cast<short>(LOWORD(lParam))) / scale; };
        auto pointY = [&] { return static_cast<float>(static_cast<short>(HIWORD(lParam))) / scale; };
        switch (message) {
            case WM_SIZE:
                if (renderTarget) {
                    renderTarget->Resize(D2D1::SizeU(std::max<UINT>(LOWORD(lParam), 1), std::max<UINT>(HIWORD(lParam), 1)));
                }
                Invalidate();
                return 0;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                BeginPaint(window, &ps);
                Paint();
                EndPaint(window, &ps);
                return 0;
            }
            case WM_ERASEBKGND:
                return 1;
            case WM_CLOSE:
                Close();
                return 0;
            case WM_KEYDOWN:
                if (wParam == VK_ESCAPE) {
                    Close();
                    return 0;
                }
                break;
            case WM_MOUSEMOVE: {
                if (!trackingMouse) {
                    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, 0};
                    TrackMouseEvent(&track);
                    trackingMouse = true;
                }
                if (dragSlider != 0) {
                    DragSlider(pointX());
                    return 0;
                }
                const HitItem* item = HitTest(pointX(), pointY());
                int32_t id = item ? item->id : 0;
                int32_t index = item ? item->index : 0;
                if (id != hoverId || index != hoverIndex) {
                    hoverId = id;
                    hoverIndex = index;
                    Invalidate();
                }
                return 0;
            }
            case WM_LBUTTONDOWN: {
                const HitItem* item = HitTest(pointX(), pointY());
                if (item && (item->id == kSliderIconSize || item->id == kSliderGlass || item->id == kSliderAllApps ||
                             (item->id == kSliderMagnify && config.magnifyEnabled))) {
                    dragSlider = item->id;
                    SetCapture(window);
                    DragSlider(pointX());
                }
                return 0;
            }
            case WM_LBUTTONUP: {
                if (dragSlider != 0) {
                    DragSlider(pointX());
                    dragSlider = 0;
                    if (GetCapture() == window) ReleaseCapture();
                    return 0;
                }
                const HitItem* item = HitTest(pointX(), pointY());
                if (item) OnItemClicked(*item, pointX());
                return 0;
            }
            case WM_CAPTURECHANGED:
                dragSlider = 0;
                return 0;
            case WM_MOUSELEAVE:
                trackingMouse = false;
                if (hoverId != 0 || hoverIndex != 0) {
                    hoverId = 0;
                    hoverIndex = 0;
                    Invalidate();
                }
                return 0;
            case WM_NCDESTROY:
                ReleaseBitmaps();
                renderTarget.Reset();
                if (hwnd == window) hwnd = nullptr;
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                return DefWindowProcW(window, message, wParam, lParam);
            default:
                break;
        }
    } catch (...) {
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SettingsWindow::Invalidate() {
    if (hwnd && IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
}

void SettingsWindow::ApplyDwmLook() {
    if (!hwnd) return;
    BOOL dark = IsDarkGlass(config.theme) ? TRUE : FALSE;
    DwmSetWindowAttribute(hwnd, kDwmUseImmersiveDarkMode, &dark, sizeof(dark));
    DWORD corner = kDwmCornerRound;
    DwmSetWindowAttribute(hwnd, kDwmWindowCornerPreference, &corner, sizeof(corner));
    COLORREF caption = dark ? kCaptionDark : kCaptionLight;
    DwmSetWindowAttribute(hwnd, kDwmCaptionColor, &caption, sizeof(caption));
}

void SettingsWindow::ReleaseBitmaps() {
    logoSmall.Reset();
    logoLarge.Reset();
    bitmapScale = 0.0f;
}

void SettingsWindow::EnsureBitmaps() {
    if (!renderTarget || !graphics || !graphics->wicFactory) return;
    if (std::fabs(bitmapScale - scale) > 0.01f) ReleaseBitmaps();
    IWICImagingFactory* imaging = graphics->wicFactory.Get();
    if (!logoSmall) {
        UINT edge = static_cast<UINT>(std::max(RoundAway(38.0f * scale), 32));
        logoSmall = LoadPngResourceBitmap(hInstance, kLogoResource, imaging, renderTarget.Get(), edge);
    }
    if (!logoLarge) {
        UINT edge = static_cast<UINT>(std::max(RoundAway(60.0f * scale), 48));
        logoLarge = LoadPngResourceBitmap(hInstance, kLogoResource, imaging, renderTarget.Get(), edge);
    }
    bitmapScale = scale;
}

void SettingsWindow::Paint() {
    ID2D1Factory* factory = graphics ? graphics->d2dFactory.Get() : nullptr;
    if (!renderTarget && hwnd && factory) {
        RECT client = {};
        GetClientRect(hwnd, &client);
        UINT dpi = GetDpiForWindow(hwnd);
        if (dpi == 0) dpi = 96;
        scale = ScaleForDpi(dpi);
        D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
            D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_PREMULTIPLIED),
            static_cast<float>(dpi), static_cast<float>(dpi));
        D2D1_HWND_RENDER_TARGET_PROPERTIES windowProps = D2D1::HwndRenderTargetProperties(
            hwnd,
            D2D1::SizeU(static_cast<UINT32>(std::max<LONG>(client.right - client.left, 1)),
                        static_cast<UINT32>(std::max<LONG>(client.bottom - client.top, 1))),
            D2D1_PRESENT_OPTIONS_NONE);
        factory->CreateHwndRenderTarget(props, windowProps, &renderTarget);
    }
    IDWriteFactory* dwrite = graphics ? graphics->dwriteFactory.Get() : nullptr;
    if (!renderTarget || !dwrite) return;

    EnsureBitmaps();
    hitItems.clear();
    D2D1_SIZE_F size = renderTarget->GetSize();
    logicalWidth = std::max(size.width, kMinWidth);
    logicalHeight = std::max(size.height, kMinHeight);

    PaintKit paintKit;
    BuildPaintKit(paintKit, renderTarget.Get(), dwrite, IsDarkGlass(config.theme), section == 4);
    paintKit.W = logicalWidth;
    paintKit.H = logicalHeight;
    paintKit.R = logicalWidth - 24.0f;
    kit = &paintKit;
    renderTarget->BeginDraw();
    renderTarget->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    try {
        DrawAll();
    } catch (...) {
        kit = nullptr;
        renderTarget->EndDraw();
        throw;
    }
    kit = nullptr;
    HRESULT hr = renderTarget->EndDraw();
    if (hr == kRecreateTarget) {
        ReleaseBitmaps();
        renderTarget.Reset();
    }
}

void SettingsWindow::SetSliderAt(int slider, float x) {
    const D2D1_RECT_F& track = sliderTracks[static_cast<size_t>(slider)];
    SetSliderValue(slider, SliderFraction(x, track.left, track.right), config);
    CommitChange();
}

void SettingsWindow::DragSlider(float x) {
    if (dragSlider < 1 || dragSlider > 4) return;
    SetSliderAt(dragSlider, x);
}

void SettingsWindow::CommitChange() {
    DockConfig::Clamp(config);
    ApplyDwmLook();
    Invalidate();
    if (callbacks.onConfigChanged) callbacks.onConfigChanged(config);
}

void SettingsWindow::RestoreDefaults() {
    if (callbacks.onRestoreDefaults) callbacks.onRestoreDefaults();
    // The pinned list and the cleared-notification watermark are state, not
    // settings: the owner keeps both, and so does the copy.
    DockConfig defaults = DockConfig::MakeDefault();
    defaults.pinned = config.pinned;
    defaults.clearedNotifWatermark = config.clearedNotifWatermark;
    config = std::move(defaults);
    config.autoStart = IsAutoStartEnabled();
    ApplyDwmLook();
    Invalidate();
}

void SettingsWindow::ToggleNativeTaskbar() {
    if (callbacks.onToggleNativeTaskbar) {
        // The owner decides from the taskbar's real state and hands its live
        // configuration back; inverting the copy could disagree with it.
        callbacks.onToggleNativeTaskbar();
    } else {
        config.hideTaskbar = !config.hideTaskbar;
    }
    Invalidate();
}

void SettingsWindow::OnItemClicked(HitItem item, float x) {
    switch (item.id) {
        case kSliderIconSize:
        case kSliderGlass:
        case kSliderAllApps:
            SetSliderAt(item.id, x);
            break;
        case kSliderMagnify:
            if (config.magnifyEnabled) SetSliderAt(item.id, x);
            break;
        case kHitSection:
            if (item.index >= 0 && item.index <= 4 && item.index != section) {
                section = item.index;
                Invalidate();
            }
            break;
        case kHitMagnify:
            config.magnifyEnabled = !config.magnifyEnabled;
            CommitChange();
            break;
        case kHitMacIcons:
            config.useMacIcons = !config.useMacIcons;
            CommitChange();
            break;
        case kHitHideTaskbar:
            config.hideTaskbar = !config.hideTaskbar;
            CommitChange();
            break;
        case kHitTopBar:
            config.showTopBar = !config.showTopBar;
            CommitChange();
            break;
        case kHitDoNotDisturb:
            config.doNotDisturb = !config.doNotDisturb;
            CommitChange();
            break;
        case kHitHideOnFullscreen:
            config.hideDockOnFullscreen = !config.hideDockOnFullscreen;
            CommitChange();
            break;
        case kHitBrightness:
            config.ccShowBrightness = !config.ccShowBrightness;
            CommitChange();
            break;
        case kHitVolume:
            config.ccShowVolume = !config.ccShowVolume;
            CommitChange();
            break;
        case kHitReserveSpace:
            if (!config.showTopBar) break;
            config.topBarReserveSpace = !config.topBarReserveSpace;
            CommitChange();
            break;
        case kHitLunar:
            if (!config.showTopBar) break;
            config.showLunarCalendar = !config.showLunarCalendar;
            CommitChange();
            break;
        case kHitOriginalTrayIcons:
            if (!config.showTopBar) break;
            config.topBarOriginalTrayIcons = !config.topBarOriginalTrayIcons;
            CommitChange();
            break;
        case kHitTheme:
            if (item.index < 0 || item.index > 2) break;
            config.theme = item.index;
            CommitChange();
            break;
        case kHitAutoStart:
            SetAutoStart(!config.autoStart);
            // The switch shows what the system now does: a failed change stays off.
            config.autoStart = IsAutoStartEnabled();
            CommitChange();
            break;
        case kHitToggleTaskbar:
            ToggleNativeTaskbar();
            break;
        case kHitRestoreTray:
            config.hiddenTrayApps.clear();
            CommitChange();
            break;
        case kHitRestoreDefaults:
            RestoreDefaults();
            break;
        case kHitDone:
            Close();
            break;
        case kHitTile:
            if (item.index < 0 || item.index >= kControlCenterTileCount) break;
            ToggleControlCenterTile(config, item.index);
            CommitChange();
            break;
        default:
            break;
    }
}
