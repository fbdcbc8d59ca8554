#include "dock/SettingsWindow.h"

#include <dwmapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>

#include "platform/Log.h"
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

// Window attributes of newer systems (public documentation values).
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr DWORD kDwmWindowCornerPreference = 33;
constexpr DWORD kDwmCaptionColor = 35;
constexpr DWORD kDwmCornerRound = 2;
constexpr COLORREF kCaptionDark = 0x00211A18;
constexpr COLORREF kCaptionLight = 0x00F7F3F1;

float ScaleForDpi(UINT dpi) { return std::max(static_cast<float>(dpi) / 96.0f, 1.0f); }

float DipsOf(UINT pixels, UINT dpi) { return static_cast<float>(pixels) * 96.0f / static_cast<float>(dpi); }

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

SettingsWindow::SettingsWindow() = default;

SettingsWindow::~SettingsWindow() {
    Close();
    ReleaseTarget();
}

void SettingsWindow::Open(HINSTANCE instance, GraphicsDevice* graphicsDevice, const DockConfig& live,
                          Callbacks newCallbacks) {
    hInstance = instance;
    graphics = graphicsDevice;
    // The row shows what the system will do at logon, not the stored flag; the
    // system takes long to say, so the window opens with what it said last
    // (the stored flag before it ever said) and the answer follows.
    const bool open = hwnd && IsWindow(hwnd);
    const bool shownAutoStart = open ? config.autoStart : autoStartKnown ? lastAutoStart : live.autoStart;
    if (!open) saveNotice.clear();
    config = live;
    DockConfig::Clamp(config);
    config.autoStart = shownAutoStart;
    callbacks = std::move(newCallbacks);

    if (open) {
        AskAutoStart();
        ApplyDwmLook();
        ShowWindow(hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd);
        if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }

    // The class keeps its icons for the life of the process, so they are
    // loaded only for the one registration that takes them.
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(hInstance, kClassName, &wc)) {
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
        if (!RegisterClassExW(&wc)) {
            if (wc.hIcon) DestroyIcon(wc.hIcon);
            if (wc.hIconSm) DestroyIcon(wc.hIconSm);
        }
    }

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
    AskAutoStart();
    ApplyDwmLook();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
}

void SettingsWindow::AskAutoStart() {
    // Asks are numbered across windows, so an answer for a window gone since
    // is never taken by another.
    static std::atomic<LPARAM> lastAsk{0};
    autoStartAsk = ++lastAsk;
    ReadAutoStartOnWorker([window = hwnd, ask = autoStartAsk](bool enabled) {
        PostMessageW(window, kAutoStartAnswer, enabled ? 1 : 0, ask);
    });
}

void SettingsWindow::TakeAutoStart(bool enabled) {
    autoStartAsk = 0;  // an answer still on its way is older than this one
    autoStartKnown = true;
    lastAutoStart = enabled;
    config.autoStart = enabled;
}

void SettingsWindow::Close() {
    ReleaseTarget();
    HWND window = hwnd;
    hwnd = nullptr;
    if (window && IsWindow(window)) DestroyWindow(window);
}

void SettingsWindow::TakeOwnerConfig(const DockConfig& live) {
    if (!hwnd || !IsWindow(hwnd)) return;
    DockConfig taken = live;
    DockConfig::Clamp(taken);
    taken.autoStart = config.autoStart;
    // Most often this is the save of a change made here: nothing to show.
    if (taken == config) return;
    const bool themeChanged = taken.theme != config.theme;
    config = std::move(taken);
    if (themeChanged) ApplyDwmLook();
    Invalidate();
}

void SettingsWindow::ShowSaveNotice(std::wstring notice) {
    saveNotice = std::move(notice);
    Invalidate();
}

void SettingsWindow::FollowSystemTheme() {
    if (!hwnd || !IsWindow(hwnd) || config.theme != kGlassThemeSystem) return;
    ApplyDwmLook();
    Invalidate();
}

void SettingsWindow::ShowSaveResult(bool saved) {
    if (saveFailed == !saved) return;
    saveFailed = !saved;
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
                Invalidate();
                return 0;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(window, &ps);
                Paint(dc);
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
            case kAutoStartAnswer:
                if (lParam != 0 && lParam == autoStartAsk) {
                    const bool changed = config.autoStart != (wParam != 0);
                    TakeAutoStart(wParam != 0);
                    if (changed) Invalidate();
                }
                return 0;
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
                ReleaseTarget();
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

void SettingsWindow::InvalidateArea(D2D1_RECT_F dips) {
    if (!hwnd || !IsWindow(hwnd)) return;
    RECT area = {static_cast<LONG>(std::floor(dips.left * scale)), static_cast<LONG>(std::floor(dips.top * scale)),
                 static_cast<LONG>(std::ceil(dips.right * scale)), static_cast<LONG>(std::ceil(dips.bottom * scale))};
    InvalidateRect(hwnd, &area, FALSE);
}

void SettingsWindow::ApplyDwmLook() {
    if (!hwnd) return;
    dwmTheme = config.theme;
    BOOL dark = IsDarkGlass(config.theme) ? TRUE : FALSE;
    DwmSetWindowAttribute(hwnd, kDwmUseImmersiveDarkMode, &dark, sizeof(dark));
    DWORD corner = kDwmCornerRound;
    DwmSetWindowAttribute(hwnd, kDwmWindowCornerPreference, &corner, sizeof(corner));
    COLORREF caption = dark ? kCaptionDark : kCaptionLight;
    DwmSetWindowAttribute(hwnd, kDwmCaptionColor, &caption, sizeof(caption));
}

void SettingsWindow::ReleaseTarget() {
    ReleaseBitmaps();
    keptKit.reset();
    canvas.Reset();
}

bool SettingsWindow::EnsureTarget(UINT dpi, UINT width, UINT height) {
    if (graphics && canvas.Fits(*graphics, width, height, static_cast<float>(dpi))) return true;
    // The logos and brushes were made for the canvas that goes.
    ReleaseTarget();
    if (!graphics || !hwnd) return false;
    return canvas.Ensure(*graphics, width, height, static_cast<float>(dpi));
}

void SettingsWindow::ReleaseBitmaps() {
    logoSmall.Reset();
    logoLarge.Reset();
    bitmapScale = 0.0f;
}

void SettingsWindow::EnsureBitmaps() {
    if (!canvas.Target() || !graphics || !graphics->wicFactory) return;
    if (std::fabs(bitmapScale - scale) > 0.01f) ReleaseBitmaps();
    LoadLogos(canvas.Target(), graphics->wicFactory.Get(), scale);
}

void SettingsWindow::LoadLogos(ID2D1RenderTarget* target, IWICImagingFactory* imaging, float logoScale) {
    HMODULE module = hInstance ? hInstance : GetModuleHandleW(nullptr);
    if (!logoSmall) {
        UINT edge = static_cast<UINT>(std::max(RoundAway(38.0f * logoScale), 32));
        logoSmall = LoadPngResourceBitmap(module, kLogoResource, imaging, target, edge);
    }
    if (!logoLarge) {
        UINT edge = static_cast<UINT>(std::max(RoundAway(60.0f * logoScale), 48));
        logoLarge = LoadPngResourceBitmap(module, kLogoResource, imaging, target, edge);
    }
    bitmapScale = logoScale;
}

SettingsWindow::PageState SettingsWindow::CurrentPageState(UINT width, UINT height, UINT dpi) const {
    PageState state;
    state.shown = config;
    state.shown.pinned.clear();
    state.shown.hiddenApps.clear();
    state.shown.hiddenTrayApps.clear();
    state.trayAppsHidden = !config.hiddenTrayApps.empty();
    state.section = section;
    // Only sections, theme segments and buttons show a hover, and a selected
    // section or segment shows none.
    const bool shown = (hoverId == kHitSection && hoverIndex != section) ||
                       (hoverId == kHitTheme && hoverIndex != config.theme) || hoverId == kHitRestoreDefaults ||
                       hoverId == kHitToggleTaskbar || hoverId == kHitRestoreTray;
    state.hoverId = shown ? hoverId : 0;
    state.hoverIndex = shown ? hoverIndex : 0;
    state.saveFailed = saveFailed;
    state.saveNotice = saveNotice;
    state.dark = IsDarkGlass(config.theme);
    state.width = width;
    state.height = height;
    state.dpi = dpi;
    return state;
}

void SettingsWindow::Paint(HDC dc) {
    IDWriteFactory* dwrite = graphics ? graphics->dwriteFactory.Get() : nullptr;
    if (!hwnd || !dwrite) return;
    UINT dpi = GetDpiForWindow(hwnd);
    if (dpi == 0) dpi = 96;
    RECT client = {};
    GetClientRect(hwnd, &client);
    const UINT width = static_cast<UINT>(std::max<LONG>(client.right, 1));
    const UINT height = static_cast<UINT>(std::max<LONG>(client.bottom, 1));
    scale = ScaleForDpi(dpi);
    logicalWidth = std::max(DipsOf(width, dpi), kMinWidth);
    logicalHeight = std::max(DipsOf(height, dpi), kMinHeight);

    const PageState state = CurrentPageState(width, height, dpi);
    if (const auto* page = pages.Find(state)) {
        hitItems = page->extra.hitItems;
        sliderTracks = page->extra.sliderTracks;
        sliderRows = page->extra.sliderRows;
        painted_pictures::Show(dc, page->pixels, width, height);
        failedPaints = 0;
        return;
    }

    if (!EnsureTarget(dpi, width, height)) {
        PaintFailed(L"no render target", E_FAIL);
        return;
    }
    EnsureBitmaps();
    hitItems.clear();
    const bool dark = IsDarkGlass(config.theme);
    if (!keptKit || keptKit->dark != dark) {
        keptKit = std::make_unique<PaintKit>();
        BuildPaintKit(*keptKit, canvas.Target(), dwrite, dark, true);
    }
    keptKit->W = logicalWidth;
    keptKit->H = logicalHeight;
    keptKit->R = logicalWidth - 24.0f;
    kit = keptKit.get();
    canvas.Begin();
    canvas.Target()->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    std::vector<uint32_t> pixels;
    try {
        DrawAll();
    } catch (...) {
        kit = nullptr;
        canvas.End(pixels);
        PaintFailed(L"drawing threw", E_UNEXPECTED);
        throw;
    }
    kit = nullptr;
    const HRESULT hr = canvas.End(pixels);
    if (FAILED(hr)) {
        ReleaseTarget();
        PaintFailed(L"EndDraw", hr);
        return;
    }
    failedPaints = 0;
    painted_pictures::Show(dc, pixels, width, height);
    // A step of a drag or a hover is seldom seen again: kept, it would only
    // push out the pages that are.
    if (dragSlider == 0 && state.hoverId == 0) pages.Keep(state, Recorded(), std::move(pixels), width, height);
}

// The window is validated whatever the paint did, so a failed one would leave
// it unpainted until something else invalidated it: it is tried again, a few
// times, with a new target.
void SettingsWindow::PaintFailed(const wchar_t* what, HRESULT hr) {
    LogMessage(L"Settings window paint failed (%s): 0x%08X", what, static_cast<unsigned>(hr));
    if (++failedPaints <= kPaintRetries) Invalidate();
}

bool SettingsWindow::WarmNextPage(GraphicsDevice* device, const DockConfig* live) {
    if (hwnd || kit) return false;
    if (live) {
        // The copy the window would open with; pages painted for other
        // settings (changed since, or in the window) are painted again.
        config = *live;
        DockConfig::Clamp(config);
        config.autoStart = autoStartKnown ? lastAutoStart : live->autoStart;
        if (!(config == warmedFor) || IsDarkGlass(config.theme) != warmedDark) {
            warmedFor = config;
            warmedDark = IsDarkGlass(config.theme);
            warmedPages = 0;
        }
    }
    if (warmedPages >= 5) return false;
    IDWriteFactory* dwrite = device ? device->dwriteFactory.Get() : nullptr;
    IWICImagingFactory* imaging = device ? device->wicFactory.Get() : nullptr;
    if (!dwrite || !imaging || !device->d2dDevice) {
        warmedPages = 5;
        return false;
    }
    // The size and scale a window opened now would have.
    const UINT dpi = GetDpiForSystem();
    const float pageScale = ScaleForDpi(dpi);
    const UINT width = static_cast<UINT>(RoundAway(pageScale * logicalWidth));
    const UINT height = static_cast<UINT>(RoundAway(pageScale * logicalHeight));
    // The page's painters record hit items and tracks: what a window shows keeps its own.
    const int32_t shown = section;
    const PageRecord record = Recorded();
    section = warmedPages++;
    hoverId = 0;
    hoverIndex = 0;
    hitItems.clear();
    PaintKit warmKit;
    std::vector<uint32_t> pixels =
        painted_pictures::PaintPixels(canvas, *device, width, height, static_cast<float>(dpi), [&](ID2D1RenderTarget* target) {
            BuildPaintKit(warmKit, target, dwrite, IsDarkGlass(config.theme), true);
            warmKit.W = std::max(DipsOf(width, dpi), kMinWidth);
            warmKit.H = std::max(DipsOf(height, dpi), kMinHeight);
            warmKit.R = warmKit.W - 24.0f;
            LoadLogos(target, imaging, pageScale);
            kit = &warmKit;
            target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
            DrawAll();
        });
    kit = nullptr;
    ReleaseBitmaps();
    if (!pixels.empty()) pages.Keep(CurrentPageState(width, height, dpi), Recorded(), std::move(pixels), width, height);
    section = shown;
    hitItems = record.hitItems;
    sliderTracks = record.sliderTracks;
    sliderRows = record.sliderRows;
    // The pages are kept as pixels; the canvas would only hold its device.
    if (warmedPages >= 5) canvas.Reset();
    return warmedPages < 5;
}

void SettingsWindow::SetSliderAt(int slider, float x) {
    const D2D1_RECT_F& track = sliderTracks[static_cast<size_t>(slider)];
    DockConfig before = config;
    SetSliderValue(slider, SliderFraction(x, track.left, track.right), config);
    // A step that lands on the same value changes nothing to show or to save.
    if (config == before) return;
    InvalidateArea(sliderRows[static_cast<size_t>(slider)]);
    Commit();
}

void SettingsWindow::DragSlider(float x) {
    if (dragSlider < 1 || dragSlider > 4) return;
    SetSliderAt(dragSlider, x);
}

void SettingsWindow::CommitChange() {
    Invalidate();
    Commit();
}

void SettingsWindow::Commit() {
    DockConfig::Clamp(config);
    // The frame's colours follow the theme; setting them again costs a round trip.
    if (dwmTheme != config.theme) ApplyDwmLook();
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
    TakeAutoStart(IsAutoStartEnabled());
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
            TakeAutoStart(IsAutoStartEnabled());
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
