// The settings window's pages on screen: the page kept for the current state
// shown again, or drawn (by SettingsPages.cpp) into the canvas and kept; the
// pages painted ahead while no window is open; the logos they show.
#include "dock/SettingsWindow.h"

#include <algorithm>
#include <cmath>

#include "platform/Log.h"
#include "dock/SettingsPaintKit.h"
#include "dock/SettingsWindowMetrics.h"
#include "render/GlassTheme.h"
#include "render/GraphicsDevice.h"

using Microsoft::WRL::ComPtr;
using settings_metrics::DipsOf;
using settings_metrics::kMinHeight;
using settings_metrics::kMinWidth;
using settings_metrics::RoundAway;
using settings_metrics::ScaleForDpi;

namespace {

constexpr int kLogoResource = 201;

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
    if (FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    ComPtr<ID2D1Bitmap> bitmap;
    if (FAILED(target->CreateBitmapFromWicBitmap(converter.Get(), nullptr, &bitmap))) return nullptr;
    return bitmap;
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
        LogPaintedSection();
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
    LogPaintedSection();
    // A step of a drag or a hover is seldom seen again: kept, it would only
    // push out the pages that are.
    if (dragSlider == 0 && state.hoverId == 0) pages.Keep(state, Recorded(), std::move(pixels), width, height);
}

// Clicks hit what the last paint recorded: the log says when a page shown
// anew can take them.
void SettingsWindow::LogPaintedSection() {
    if (section == loggedSection) return;
    loggedSection = section;
    LogMessage(L"Settings page %d painted", static_cast<int>(section));
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
    std::vector<uint32_t> pixels = painted_pictures::PaintPixels(
        canvas, *device, width, height, static_cast<float>(dpi), [&](ID2D1RenderTarget* target) {
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
