#include "render/comp/HostBackdrop.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>

#include "render/raster/Blur.h"
#include "render/raster/ColorMatrix.h"
#include "render/raster/Stretch.h"

namespace comp {

namespace {

using Microsoft::WRL::ComPtr;

constexpr ULONGLONG kRefreshIntervalMs = 1000;

RECT VirtualScreen() {
    RECT screen;
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + std::max(1, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    screen.bottom = screen.top + std::max(1, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return screen;
}

std::wstring WallpaperPath() {
    wchar_t path[MAX_PATH] = {};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0)) return {};
    return path;
}

// The wallpaper file decoded to premultiplied BGRA; false when it cannot be read.
bool DecodeImage(const std::wstring& path, raster::Image& out) {
    bool uninit = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    bool ok = false;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        ComPtr<IWICFormatConverter> converter;
        UINT width = 0, height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&factory))) &&
            SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand, &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                            nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
            SUCCEEDED(converter->GetSize(&width, &height)) && width > 0 && height > 0 && width <= 16384 &&
            height <= 16384) {
            out.Reset(static_cast<int>(width), static_cast<int>(height));
            ok = SUCCEEDED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                                 reinterpret_cast<BYTE*>(out.Data())));
        }
    }
    if (uninit) CoUninitialize();
    return ok;
}

std::vector<float> KeyOf(const std::vector<detail::EffectStep>& steps) {
    std::vector<float> key;
    for (const auto& step : steps) {
        if (step.kind == detail::EffectStep::Kind::Translation) continue;
        key.push_back(static_cast<float>(step.kind));
        key.push_back(step.a);
    }
    return key;
}

}  // namespace

HostBackdrop::HostBackdrop() : loader_(LoadDesktopWallpaper) {}

void HostBackdrop::SetLoader(Loader loader) {
    loader_ = loader ? std::move(loader) : Loader(LoadDesktopWallpaper);
    customLoader_ = static_cast<bool>(loader);
    Refresh(true);
}

std::wstring HostBackdrop::CurrentWallpaperIdentity() {
    std::wstring identity = WallpaperPath();
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!identity.empty() && GetFileAttributesExW(identity.c_str(), GetFileExInfoStandard, &data)) {
        identity += L"|" + std::to_wstring(data.ftLastWriteTime.dwHighDateTime) + L":" +
                    std::to_wstring(data.ftLastWriteTime.dwLowDateTime);
    }
    RECT screen = VirtualScreen();
    identity += L"|" + std::to_wstring(screen.left) + L"," + std::to_wstring(screen.top) + L"," +
                std::to_wstring(screen.right) + L"," + std::to_wstring(screen.bottom) + L"|" +
                std::to_wstring(GetSysColor(COLOR_DESKTOP));
    return identity;
}

bool HostBackdrop::LoadDesktopWallpaper(BackdropPicture& picture) {
    RECT screen = VirtualScreen();
    int width = screen.right - screen.left;
    int height = screen.bottom - screen.top;
    picture.origin = {screen.left, screen.top};
    picture.identity = CurrentWallpaperIdentity();
    picture.pixels.Reset(width, height);

    raster::Image wallpaper;
    std::wstring path = WallpaperPath();
    if (!path.empty() && DecodeImage(path, wallpaper)) {
        // Fill the screen keeping the picture's proportions (the usual "fill" position).
        float scale = std::max(static_cast<float>(width) / wallpaper.Width(),
                               static_cast<float>(height) / wallpaper.Height());
        int drawnWidth = static_cast<int>(std::ceil(wallpaper.Width() * scale));
        int drawnHeight = static_cast<int>(std::ceil(wallpaper.Height() * scale));
        raster::Rect target = {(width - drawnWidth) / 2, (height - drawnHeight) / 2, drawnWidth, drawnHeight};
        raster::DrawStretched(picture.pixels.View(), target, wallpaper.View());
        return true;
    }
    COLORREF desktop = GetSysColor(COLOR_DESKTOP);
    picture.pixels.Fill(raster::Bgra(GetBValue(desktop), GetGValue(desktop), GetRValue(desktop), 255));
    return true;
}

bool HostBackdrop::EnsureLoaded() {
    if (loaded_ && !released_) return !base_.pixels.IsEmpty();
    const std::wstring identity = base_.identity;
    const bool reloading = loaded_;
    loaded_ = true;
    released_ = false;
    base_ = BackdropPicture();
    if (!loader_ || !loader_(base_)) base_.pixels.Reset(0, 0);
    // The wallpaper changed since the filtered pictures were made: they go, and
    // everything showing them is redrawn.
    if (reloading && base_.identity != identity) {
        filtered_.clear();
        ++version_;
    }
    return !base_.pixels.IsEmpty();
}

void HostBackdrop::ReleaseUnfiltered() {
    if (!loaded_ || released_ || unfilteredShown_ || filtered_.empty()) return;
    const std::wstring identity = base_.identity;
    base_ = BackdropPicture();
    base_.identity = identity;
    released_ = true;
}

size_t HostBackdrop::PixelBytes() const {
    size_t bytes = static_cast<size_t>(base_.pixels.Width()) * base_.pixels.Height() * 4;
    for (const auto& [key, picture] : filtered_) {
        bytes += static_cast<size_t>(picture.pixels.Width()) * picture.pixels.Height() * 4;
    }
    return bytes;
}

bool HostBackdrop::Refresh(bool force) {
    ULONGLONG now = GetTickCount64();
    if (!force) {
        if (!loaded_ || now - lastCheck_ < kRefreshIntervalMs) return false;
        lastCheck_ = now;
        if (customLoader_ || CurrentWallpaperIdentity() == base_.identity) return false;
    }
    lastCheck_ = now;
    loaded_ = false;
    released_ = false;
    filtered_.clear();
    ++version_;
    return true;
}

const BackdropPicture* HostBackdrop::Filtered(const std::vector<detail::EffectStep>& steps) {
    if (!loaded_ && !EnsureLoaded()) return nullptr;
    if (!released_ && base_.pixels.IsEmpty()) return nullptr;
    std::vector<float> key = KeyOf(steps);
    if (key.empty()) {
        if (!EnsureLoaded()) return nullptr;
        unfilteredShown_ = true;
        return &base_;
    }
    auto found = filtered_.find(key);
    if (found != filtered_.end()) return &found->second;
    if (!EnsureLoaded()) return nullptr;

    BackdropPicture picture;
    picture.origin = base_.origin;
    picture.identity = base_.identity;
    picture.pixels = base_.pixels;
    for (const auto& step : steps) {
        if (step.kind == detail::EffectStep::Kind::Saturation) {
            raster::Saturate(picture.pixels.View(), step.a);
        } else if (step.kind == detail::EffectStep::Kind::GaussianBlur && step.a > 0) {
            raster::GaussianBlur(picture.pixels.View(), picture.pixels.View(), step.a, raster::EdgeMode::Hard);
        }
    }
    return &filtered_.emplace(std::move(key), std::move(picture)).first->second;
}

}  // namespace comp
