#include "render/GraphicsDevice.h"

#include <dxgi.h>
#include <objbase.h>

#include "platform/Log.h"

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

bool GraphicsDevice::Create() { return CreateD3D() && CreateD2D(); }

bool GraphicsDevice::CreateD3D() {
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
    return device != nullptr;
}

bool GraphicsDevice::CreateD2D() {
    d2dDevice.Reset();
    Microsoft::WRL::ComPtr<IDXGIDevice> dxgi;
    if (!device || FAILED(device.As(&dxgi))) return false;
    if (!d2dFactory) return false;
    HRESULT hr = d2dFactory->CreateDevice(dxgi.Get(), &d2dDevice);
    if (FAILED(hr)) {
        LogMessage(L"CreateD2DDevice failed: 0x%08X", static_cast<unsigned>(hr));
        return false;
    }
    return true;
}

namespace {

HRESULT CoCreateImagingFactory(REFCLSID classId, IWICImagingFactory** factory) {
    return CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory));
}

}  // namespace

GraphicsFactoryCalls RealGraphicsFactoryCalls() {
    GraphicsFactoryCalls calls;
    calls.createD2D = [](ID2D1Factory1** factory) {
        D2D1_FACTORY_OPTIONS options = {};
        return D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), &options,
                                 reinterpret_cast<void**>(factory));
    };
    calls.createDWrite = [](IDWriteFactory** factory) {
        return DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                   reinterpret_cast<IUnknown**>(factory));
    };
    calls.createImaging = CoCreateImagingFactory;
    return calls;
}

HRESULT CreateImagingFactory(Microsoft::WRL::ComPtr<IWICImagingFactory>& factory,
                             const std::function<HRESULT(REFCLSID, IWICImagingFactory**)>& create) {
    auto call = [&](REFCLSID classId) {
        factory.Reset();
        HRESULT hr =
            create ? create(classId, factory.GetAddressOf()) : CoCreateImagingFactory(classId, factory.GetAddressOf());
        if (SUCCEEDED(hr) && !factory) hr = E_NOINTERFACE;
        if (FAILED(hr)) factory.Reset();
        return hr;
    };
    HRESULT hr = call(CLSID_WICImagingFactory2);
    if (FAILED(hr)) hr = call(CLSID_WICImagingFactory);
    return hr;
}

bool CreateGraphicsFactories(GraphicsDevice& graphics, const GraphicsFactoryCalls& calls) {
    HRESULT hr = calls.createD2D ? calls.createD2D(graphics.d2dFactory.ReleaseAndGetAddressOf()) : E_POINTER;
    if (FAILED(hr)) {
        LogMessage(L"D2D1CreateFactory failed: 0x%08X", static_cast<unsigned>(hr));
        return false;
    }
    hr = calls.createDWrite ? calls.createDWrite(graphics.dwriteFactory.ReleaseAndGetAddressOf()) : E_POINTER;
    if (FAILED(hr)) {
        LogMessage(L"DWriteCreateFactory failed: 0x%08X", static_cast<unsigned>(hr));
        return false;
    }
    hr = CreateImagingFactory(graphics.wicFactory, calls.createImaging);
    if (FAILED(hr)) {
        LogMessage(L"WIC factory failed: 0x%08X", static_cast<unsigned>(hr));
        return false;
    }
    return true;
}
