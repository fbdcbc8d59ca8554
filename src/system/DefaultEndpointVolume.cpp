#include "system/DefaultEndpointVolume.h"

#include <mmdeviceapi.h>

using Microsoft::WRL::ComPtr;

namespace vantreel {

ComPtr<IAudioEndpointVolume> GetDefaultEndpointVolume() {
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(enumerator.GetAddressOf()))) ||
        !enumerator)
        return nullptr;
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.GetAddressOf())) || !device)
        return nullptr;
    ComPtr<IAudioEndpointVolume> volume;
    if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                reinterpret_cast<void**>(volume.GetAddressOf()))) ||
        !volume)
        return nullptr;
    return volume;
}

}  // namespace vantreel
