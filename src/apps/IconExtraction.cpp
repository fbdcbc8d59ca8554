#include "apps/IconExtraction.h"

#include "apps/IconDiskCache.h"
#include "apps/LinkFileCheck.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// Converts, optionally scales to edge x edge, and copies the pixels.
bool CopyPbgra(IWICImagingFactory* factory, IWICBitmapSource* source, int edge, IconBitmap& out) {
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return false;
    }
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0) return false;
    ComPtr<IWICBitmapSource> final = converter;
    if (edge > 0 && (width != static_cast<UINT>(edge) || height != static_cast<UINT>(edge))) {
        ComPtr<IWICBitmapScaler> scaler;
        // A scaler that cannot be made keeps the unscaled image.
        if (SUCCEEDED(factory->CreateBitmapScaler(&scaler)) &&
            SUCCEEDED(scaler->Initialize(converter.Get(), edge, edge, WICBitmapInterpolationModeFant))) {
            final = scaler;
        }
    }
    if (FAILED(final->GetSize(&width, &height)) || width == 0 || height == 0) return false;
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    if (FAILED(final->CopyPixels(nullptr, width * 4, static_cast<UINT>(out.pixels.size()), out.pixels.data()))) {
        out = IconBitmap{};
        return false;
    }
    return true;
}

bool SourceIsBlank(IWICBitmapSource* source) {
    UINT width = 0;
    UINT height = 0;
    return FAILED(source->GetSize(&width, &height)) || width <= 1 || height <= 1;
}

}  // namespace

bool IsExtractablePath(const std::wstring& text) {
    if (text.empty() || text.starts_with(L"shell:") || text.starts_with(L"SHELL:")) return false;
    if (text.find(L'\\') != std::wstring::npos) return true;
    return text.size() >= 2 && text[1] == L':';
}

bool ConvertToPbgraBitmap(IWICImagingFactory* factory, IWICBitmapSource* source, int size, bool macStyle,
                          IconBitmap& out) {
    if (!factory || !source) return false;
    return CopyPbgra(factory, source, ExtractionPixelSize(size, macStyle), out);
}

bool GetShellItemBitmap(IWICImagingFactory* factory, const std::wstring& name, int size, bool macStyle,
                        IconBitmap& out) {
    if (!factory || name.empty() || !IsLinkFileSound(name)) return false;
    const int s = ClampIconSize(size);
    ComPtr<IShellItemImageFactory> images;
    if (FAILED(SHCreateItemFromParsingName(name.c_str(), nullptr, IID_PPV_ARGS(&images)))) {
        return false;
    }
    HBITMAP handle = nullptr;
    if (FAILED(images->GetImage(SIZE{s, s}, SIIGBF_BIGGERSIZEOK | SIIGBF_ICONONLY, &handle)) || !handle) {
        return false;
    }
    ComPtr<IWICBitmap> bitmap;
    const HRESULT hr = factory->CreateBitmapFromHBITMAP(handle, nullptr, WICBitmapUseAlpha, &bitmap);
    DeleteObject(handle);
    if (FAILED(hr) || SourceIsBlank(bitmap.Get())) return false;
    if (!ConvertToPbgraBitmap(factory, bitmap.Get(), s, macStyle, out)) return false;
    if (!HasVisibleContent(out)) {
        out = IconBitmap{};
        return false;
    }
    return true;
}

bool ExtractShellItemImage(IWICImagingFactory* factory, const std::wstring& primary, const std::wstring& fallback,
                           int size, bool macStyle, IconBitmap& out) {
    if (!factory) return false;
    const int s = ClampIconSize(size);
    if (!primary.empty()) {
        const std::wstring name = IsExtractablePath(primary) ? primary : L"shell:AppsFolder\\" + primary;
        if (GetShellItemBitmap(factory, name, s, macStyle, out)) return true;
    }
    if (fallback.empty()) return false;
    return GetShellItemBitmap(factory, fallback, s, macStyle, out);
}

bool BitmapFromHIcon(IWICImagingFactory* factory, HICON icon, int size, IconBitmap& out) {
    if (!factory || !icon) return false;
    ComPtr<IWICBitmap> bitmap;
    if (FAILED(factory->CreateBitmapFromHICON(icon, &bitmap))) return false;
    return CopyPbgra(factory, bitmap.Get(), size, out);
}

bool ExtractFileIcon(IWICImagingFactory* factory, const std::wstring& path, IconBitmap& out) {
    if (!factory || !IsDrivePath(path) || !IsLinkFileSound(path)) return false;
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON) || !info.hIcon) {
        return false;
    }
    const bool ok = BitmapFromHIcon(factory, info.hIcon, 0, out);
    DestroyIcon(info.hIcon);
    if (ok && !HasVisibleContent(out)) {
        out = IconBitmap{};
        return false;
    }
    return ok;
}
