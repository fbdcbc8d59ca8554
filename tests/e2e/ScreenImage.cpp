#include "ScreenImage.h"

#include "XPointer.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <set>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IWICImagingFactory> Wic() {
    // The test thread may not have COM yet; it keeps it for the rest of the run.
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    ComPtr<IWICImagingFactory> factory;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    return factory;
}

}  // namespace

size_t ScreenImage::ColoursIn(int left, int top, int right, int bottom) const {
    std::set<uint32_t> colours;
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, width); ++x) colours.insert(At(x, y));
    }
    return colours.size();
}

double ScreenImage::BrightnessIn(int left, int top, int right, int bottom) const {
    double sum = 0;
    size_t count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, width); ++x) {
            const uint32_t p = At(x, y);
            sum += (p & 255) + ((p >> 8) & 255) + ((p >> 16) & 255);
            ++count;
        }
    }
    return count ? sum / static_cast<double>(count) : 0.0;
}

ScreenImage CaptureScreen(const RECT& rect) {
    // Read from the X server: a screen DC of this process does not see every
    // layered window of another one.
    const std::wstring name = testing_support::UnixTempName(L"vantreel-screen") + L".png";
    const std::wstring geometry = std::to_wstring(rect.right - rect.left) + L"x" +
                                  std::to_wstring(rect.bottom - rect.top) + L"+" + std::to_wstring(rect.left) +
                                  L"+" + std::to_wstring(rect.top);
    if (rect.right <= rect.left || rect.bottom <= rect.top ||
        !testing_support::RunUnixCommand(L"/usr/bin/import -window root -crop " + geometry + L" +repage png:/tmp/" + name)) {
        return {};
    }
    const std::wstring file = L"Z:\\tmp\\" + name;
    ScreenImage image = LoadPng(file);
    DeleteFileW(file.c_str());
    return image;
}

bool SavePng(const ScreenImage& image, const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory = Wic();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (!factory || image.Empty() || FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame, nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(image.width, image.height))) {
        return false;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGR) return false;
    std::vector<uint32_t> rows = image.pixels;
    return SUCCEEDED(frame->WritePixels(image.height, image.width * 4, static_cast<UINT>(rows.size() * 4),
                                        reinterpret_cast<BYTE*>(rows.data()))) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

ScreenImage LoadPng(const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory = Wic();
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (!factory ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                                  &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height))) {
        return {};
    }
    ScreenImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<size_t>(width) * height);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(image.pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(image.pixels.data())))) {
        return {};
    }
    for (uint32_t& p : image.pixels) p &= 0xFFFFFF;
    return image;
}
