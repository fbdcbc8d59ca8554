#pragma once
// Making an output device the system's default for every role (console,
// multimedia, communications) through the audio policy-configuration object.
// The calling thread must have COM initialised.

#include <string>

namespace vantreel {

// Every failure is ignored: the next refresh shows which device is default.
void SetDefaultAudioOutput(const std::wstring& deviceId);

}  // namespace vantreel
