#pragma once
// The one Direct3D 11 device with its Direct2D device, and the factories every
// window shares. Device, context and Direct2D device are recreated after device
// loss; the three factories stay.

#include <d2d1_1.h>
#include <d3d11.h>
#include <dwrite.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <functional>

class GraphicsDevice {
public:
    GraphicsDevice();
    ~GraphicsDevice();
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;

    // (Re)creates device, context and Direct2D device: hardware first, then WARP.
    bool Create();
    // Create's two halves. The Direct3D half takes nearly all the time and
    // needs no factory, so it can start before the factories exist; the
    // Direct2D half needs d2dFactory.
    bool CreateD3D();
    bool CreateD2D();

    Microsoft::WRL::ComPtr<ID3D11Device> device;
    Microsoft::WRL::ComPtr<ID3D11DeviceContext> context;
    Microsoft::WRL::ComPtr<ID2D1Factory1> d2dFactory;
    Microsoft::WRL::ComPtr<ID2D1Device> d2dDevice;
    Microsoft::WRL::ComPtr<IDWriteFactory> dwriteFactory;
    Microsoft::WRL::ComPtr<IWICImagingFactory> wicFactory;

    // D3D11CreateDevice for one driver type; tests replace it to play a machine
    // without hardware or without any device.
    std::function<HRESULT(D3D_DRIVER_TYPE, ID3D11Device**, ID3D11DeviceContext**)> createD3DDevice;
};

// The system calls behind the three shared factories; each defaults to the real
// call, and tests replace single members to play a system where one fails.
struct GraphicsFactoryCalls {
    std::function<HRESULT(ID2D1Factory1**)> createD2D;
    std::function<HRESULT(IDWriteFactory**)> createDWrite;
    // CoCreateInstance of the imaging factory class given, in process.
    std::function<HRESULT(REFCLSID, IWICImagingFactory**)> createImaging;
};
GraphicsFactoryCalls RealGraphicsFactoryCalls();

// An imaging factory: the newer class first, then the older one for systems
// that lack it. The result of the last attempt.
HRESULT CreateImagingFactory(Microsoft::WRL::ComPtr<IWICImagingFactory>& factory,
                             const std::function<HRESULT(REFCLSID, IWICImagingFactory**)>& create = {});

// The three factories every window takes from the device, in this order; a
// failure is logged with its HRESULT and gives false.
bool CreateGraphicsFactories(GraphicsDevice& graphics, const GraphicsFactoryCalls& calls = RealGraphicsFactoryCalls());
