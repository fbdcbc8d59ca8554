#include "render/GraphicsDevice.h"

#include <dxgi.h>
#include <objbase.h>

#include "app/Log.h"

namespace {

HRESULT CreateD3DDevice(D3D_DRIVER_TYPE type, ID3D11Device** device, ID3D11DeviceContext** context) {
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1,
                                        D3D_FEATURE_LEVEL_10_0};
    return D3D11CreateDevice(nullptr, type, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, levels,
                             static_cast<UINT>(std::size(levels)), D3D11_SDK_VERSION, device, nullptr, context);
}

}  // namespace

GraphicsDevice::GraphicsDevice() : createD3DDevice(CreateD3DDevice) {}

GraphicsDevice::~GraphicsDevice() {
    wicFactory.Reset();
    dwriteFactory.Reset();
    d2dDevice.Reset();
    d2dFactory.Reset();
    context.Reset();
    device.Reset();
}

bool GraphicsDevice::Create() {
    d2dDevice.Reset();
    context.Reset();
    device.Reset();

    HRESULT hr = createD3DDevice(D3D_DRIVER_TYPE_HARDWARE, &device, &context);
    if (FAILED(hr)) {
        context.Reset();
        device.Reset();
        hr = createD3DDevice(D3D_DRIVER_TYPE_WARP, &device, &context);
        if (FAILED(hr)) {
            context.Reset();
            device.Reset();
            LogMessage(L"D3D11CreateDevice failed: 0x%08X", static_cast<unsigned>(hr));
            return false;
        }
    }
    Microsoft::WRL::ComPtr<IDXGIDevice> dxgi;
    if (!device || FAILED(device.As(&dxgi))) return false;
    if (!d2dFactory) return false;
    d2dDevice.Reset();
    hr = d2dFactory->CreateDevice(dxgi.Get(), &d2dDevice);
    if (FAILED(hr)) {
        LogMessage(L"CreateD2DDevice failed: 0x%08X", static_cast<unsigned>(hr));
        return false;
    }
    return true;
}

bool CreateGraphicsFactories(GraphicsDevice& graphics) {
    D2D1_FACTORY_OPTIONS options = {};
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), &options,
                                 reinterpret_cast<void**>(graphics.d2dFactory.ReleaseAndGetAddressOf())))) {
        return false;
    }
    if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                   reinterpret_cast<IUnknown**>(graphics.dwriteFactory.ReleaseAndGetAddressOf())))) {
        return false;
    }
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(graphics.wicFactory.ReleaseAndGetAddressOf())));
}
