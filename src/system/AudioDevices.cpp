#include "system/AudioDevices.h"

#include <objbase.h>
#include <propidl.h>
#include <propsys.h>

#include "platform/ShellPropertyKeys.h"
#include "system/DefaultEndpointVolume.h"

using Microsoft::WRL::ComPtr;

namespace vantreel {
namespace {

constexpr wchar_t kFallbackDeviceName[] = L"扬声器";

ComPtr<IMMDeviceEnumerator> CreateSystemEnumerator() {
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(enumerator.GetAddressOf()))))
        return nullptr;
    return enumerator;
}

// The endpoint id, empty when it cannot be read.
std::wstring ReadDeviceId(IMMDevice* device) {
    LPWSTR raw = nullptr;
    std::wstring id;
    if (SUCCEEDED(device->GetId(&raw)) && raw) id = raw;
    if (raw) CoTaskMemFree(raw);
    return id;
}

// The friendly name when the property is a wide string, else empty.
std::wstring ReadFriendlyName(IMMDevice* device) {
    ComPtr<IPropertyStore> store;
    if (FAILED(device->OpenPropertyStore(STGM_READ, store.GetAddressOf())) || !store) return {};
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring name;
    if (SUCCEEDED(store->GetValue(kPKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR && value.pwszVal)
        name = value.pwszVal;
    PropVariantClear(&value);
    return name;
}

bool SameIdIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

bool AdjustVolumeBy(float delta) { return AdjustVolumeBy(GetDefaultEndpointVolume().Get(), delta); }

bool AdjustVolumeBy(IAudioEndpointVolume* endpoint, float delta) {
    if (!endpoint) return false;
    float current = 0.0f;
    if (FAILED(endpoint->GetMasterVolumeLevelScalar(&current))) return false;
    float level = current + delta;
    if (level > 1.0f)
        level = 1.0f;
    else if (level < 0.0f)
        level = 0.0f;
    if (FAILED(endpoint->SetMasterVolumeLevelScalar(level, nullptr))) return false;
    if (level > 0.01f) endpoint->SetMute(FALSE, nullptr);
    return true;
}

std::vector<AudioDevice> EnumerateAudioOutputDevices() { return EnumerateAudioOutputDevices(CreateSystemEnumerator); }

std::vector<AudioDevice> EnumerateAudioOutputDevices(const DeviceEnumeratorFactory& createEnumerator) {
    std::vector<AudioDevice> devices;
    ComPtr<IMMDeviceEnumerator> enumerator = createEnumerator();
    if (!enumerator) return devices;

    std::wstring defaultId;
    ComPtr<IMMDevice> defaultDevice;
    if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, defaultDevice.GetAddressOf())) &&
        defaultDevice)
        defaultId = ReadDeviceId(defaultDevice.Get());

    ComPtr<IMMDeviceCollection> collection;
    UINT count = 0;
    if (FAILED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, collection.GetAddressOf())) ||
        !collection || FAILED(collection->GetCount(&count)))
        return devices;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        if (FAILED(collection->Item(i, device.GetAddressOf())) || !device) continue;
        AudioDevice entry;
        entry.id = ReadDeviceId(device.Get());
        if (entry.id.empty()) continue;
        entry.isDefault = !defaultId.empty() && SameIdIgnoringCase(defaultId, entry.id);
        entry.name = ReadFriendlyName(device.Get());
        if (entry.name.empty()) entry.name = kFallbackDeviceName;
        devices.push_back(std::move(entry));
    }
    return devices;
}

}  // namespace vantreel
