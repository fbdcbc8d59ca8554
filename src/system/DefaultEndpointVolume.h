#pragma once
// The volume control of the default audio output (render, console role),
// shared by the status snapshot, the volume step and the popover's slider and
// mute actions. The calling thread must have COM initialised.

#include <windows.h>
#include <endpointvolume.h>
#include <wrl/client.h>

namespace vantreel {

// Null when any step fails or yields nothing; nothing is logged.
Microsoft::WRL::ComPtr<IAudioEndpointVolume> GetDefaultEndpointVolume();

}  // namespace vantreel
