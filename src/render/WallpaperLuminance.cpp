#include "render/WallpaperLuminance.h"
#include "platform/ExceptionGuard.h"

#include "render/WallpaperFileStamp.h"

#include "config/Paths.h"

#include <wrl/client.h>

#include <array>

using Microsoft::WRL::ComPtr;

std::atomic<float> WallpaperLuminance{-1.0f};

float GetWallpaperLuminance() { return WallpaperLuminance.load(std::memory_order_acquire); }

void SetWallpaperLuminance(float luminance) { WallpaperLuminance.store(luminance, std::memory_order_release); }

namespace {

// The measurement looks at a thumbnail: its first rows are the strip that the
// top bar and the upper glass stand on.
constexpr UINT kSampleWidth = 64;
constexpr UINT kSampleHeight = 36;
constexpr UINT kSampleRows = 3;
constexpr UINT kSampleStride = kSampleWidth * 4;

std::wstring SystemWallpaperPath() {
    std::array<wchar_t, MAX_PATH> buffer{};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, static_cast<UINT>(buffer.size()), buffer.data(), 0)) {
        return {};
    }
    buffer.back() = L'\0';
    return buffer.data();
}

bool MeasureImage(IWICImagingFactory* factory, const std::wstring& path, float& luminance) {
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder))) {
        return false;
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return false;
    ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
        FAILED(scaler->Initialize(frame.Get(), kSampleWidth, kSampleHeight, WICBitmapInterpolationModeFant))) {
        return false;
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(scaler.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return false;
    }
    std::array<BYTE, kSampleStride * kSampleHeight> pixels{};
    if (FAILED(converter->CopyPixels(nullptr, kSampleStride, static_cast<UINT>(pixels.size()), pixels.data()))) {
        return false;
    }
    luminance = AverageLumaOfRows(pixels.data(), kSampleWidth, kSampleRows, kSampleStride);
    return true;
}

float DesktopColorLuma(const WallpaperSystem& system) {
    const COLORREF color = system.desktopColor ? system.desktopColor() : RGB(0, 0, 0);
    return LumaOf(GetRValue(color), GetGValue(color), GetBValue(color));
}

}  // namespace

WallpaperSystem RealWallpaperSystem() {
    WallpaperSystem system;
    system.wallpaperPath = SystemWallpaperPath;
    system.desktopColor = [] { return static_cast<COLORREF>(GetSysColor(COLOR_BACKGROUND)); };
    system.cacheDirectory = GetCacheDirectory;
    return system;
}

float LumaOf(uint8_t red, uint8_t green, uint8_t blue) {
    return 0.2126f * (red / 255.0f) + 0.7152f * (green / 255.0f) + 0.0722f * (blue / 255.0f);
}

float AverageLumaOfRows(const uint8_t* bgra, uint32_t width, uint32_t rows, uint32_t stride) {
    if (width == 0 || rows == 0) return 0.0f;
    double sum = 0.0;
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* pixel = bgra + static_cast<size_t>(y) * stride;
        for (uint32_t x = 0; x < width; ++x, pixel += 4) {
            sum += LumaOf(pixel[2], pixel[1], pixel[0]);
        }
    }
    return static_cast<float>(sum / (static_cast<double>(width) * rows));
}

float ComputeWallpaperLuminance(IWICImagingFactory* factory, const WallpaperSystem& system) {
    try {
        const std::wstring path = system.wallpaperPath ? system.wallpaperPath() : std::wstring();
        float luminance = 0.0f;
        if (factory && !path.empty() && MeasureImage(factory, path, luminance)) return luminance;
    } catch (...) {
        platform::LogCaughtException(L"ComputeWallpaperLuminance");
        // A failed measurement is not worth reporting: the desktop colour stands in.
    }
    try {
        return DesktopColorLuma(system);
    } catch (...) {
        platform::LogCaughtException(L"ComputeWallpaperLuminance");
        // Nothing measured: no value rather than black.
        return -1.0f;
    }
}

bool GetWallpaperPathAndStamp(std::wstring& path, uint64_t& stamp, const WallpaperSystem& system) {
    std::wstring current = system.wallpaperPath ? system.wallpaperPath() : std::wstring();
    if (current.empty()) return false;
    if (!ReadWallpaperFileStamp(current, stamp)) return false;
    path = std::move(current);
    return true;
}
