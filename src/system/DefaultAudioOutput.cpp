#include "system/DefaultAudioOutput.h"

#include <wrl/client.h>

#include "platform/AudioPolicyConfig.h"

namespace vantreel {

void SetDefaultAudioOutput(const std::wstring& deviceId) {
    if (deviceId.empty()) return;
    Microsoft::WRL::ComPtr<IAudioPolicyConfig> policy;
    if (FAILED(CoCreateInstance(kAudioPolicyConfigClsid, nullptr, CLSCTX_ALL, __uuidof(IAudioPolicyConfig),
                                reinterpret_cast<void**>(policy.GetAddressOf()))) ||
        !policy) {
        return;
    }
    for (ERole role : {eConsole, eMultimedia, eCommunications}) policy->SetDefaultEndpoint(deviceId.c_str(), role);
}

}  // namespace vantreel
