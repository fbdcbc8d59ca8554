#include "system/tray/TrayFileIcon.h"

#include <shellapi.h>
#include <wrl/client.h>

#include <algorithm>

#include "system/tray/TrayIconPixels.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT kMaxSourceEdge = 128;

// PrivateExtractIconsW answers 0xFFFFFFFF rather than 0 for files without
// icons on some systems; any count other than one real icon means none.
HICON ExtractIconAt(const std::wstring& path, int size) {
    HICON icon = nullptr;
    UINT id = 0;
    UINT count = PrivateExtractIconsW(path.c_str(), 0, size, size, &icon, &id, 1, 0);
    if (count == 0 || count == 0xFFFFFFFFu || icon == nullptr) {
        if (icon) DestroyIcon(icon);
        return nullptr;
    }
    return icon;
}

HICON TypeIcon(const std::wstring& path) {
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(path.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_ICON | SHGFI_USEFILEATTRIBUTES))
        return nullptr;
    return info.hIcon;
}

std::vector<uint8_t> IconPixels(HICON icon, IWICImagingFactory* factory, int edge) {
    ComPtr<IWICBitmap> bitmap;
    if (FAILED(factory->CreateBitmapFromHICON(icon, &bitmap))) return {};
    UINT width = 0, height = 0;
    if (FAILED(bitmap->GetSize(&width, &height)) || width == 0 || height == 0) return {};

    ComPtr<IWICBitmapSource> source = bitmap;
    if (std::max(width, height) > kMaxSourceEdge) {
        ComPtr<IWICBitmapScaler> scaler;
        if (SUCCEEDED(factory->CreateBitmapScaler(&scaler)) &&
            SUCCEEDED(
                scaler->Initialize(bitmap.Get(), kMaxSourceEdge, kMaxSourceEdge, WICBitmapInterpolationModeFant))) {
            source = scaler;
            width = height = kMaxSourceEdge;
        }
    }

    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return {};
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data()))) return {};
    return FitIconPixels(pixels, static_cast<int>(width), static_cast<int>(height), edge);
}

}  // namespace

std::vector<uint8_t> LoadFileIcon(const std::wstring& path, IWICImagingFactory* factory, int edge) {
    if (path.empty() || factory == nullptr) return {};
    HICON icon = ExtractIconAt(path, std::max(64, edge * 2));
    if (!icon) icon = TypeIcon(path);
    if (!icon) return {};
    std::vector<uint8_t> result = IconPixels(icon, factory, edge);
    DestroyIcon(icon);
    return result;
}
