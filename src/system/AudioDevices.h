#pragma once
// The sound popover's part of Core Audio beyond the status snapshot's volume:
// stepping the default output's master volume, and the list of active output
// devices. Both run on a thread with COM initialised, take no lock, log
// nothing and never throw.

#include <windows.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace vantreel {

// One active audio render endpoint.
struct AudioDevice {
    std::wstring id;         // as IMMDevice::GetId gives it; never empty in a listed record
    std::wstring name;       // the friendly name, "扬声器" when it is missing
    bool isDefault = false;  // the default render endpoint of the console role
};

// Adds `delta` to the master volume of the default output, clamped to 0..1,
// and unmutes when the new level is above 0.01. True when the level was set.
bool AdjustVolumeBy(float delta);
// The same on a given volume control; null reads as no output.
bool AdjustVolumeBy(IAudioEndpointVolume* endpoint, float delta);

// The active render endpoints in the system's order, each marked whether it
// is the default one; empty when Core Audio is not available.
std::vector<AudioDevice> EnumerateAudioOutputDevices();

// Creates the device enumerator; the real one is CoCreateInstance of the
// MMDeviceEnumerator class in-process. Null when that fails.
using DeviceEnumeratorFactory = std::function<Microsoft::WRL::ComPtr<IMMDeviceEnumerator>()>;
std::vector<AudioDevice> EnumerateAudioOutputDevices(const DeviceEnumeratorFactory& createEnumerator);

}  // namespace vantreel
