#pragma once
// The audio policy-configuration object's interface, as far as the sound panel
// uses it: making an output device the default for a role. The system does not
// document it; its class and interface ids and the position of
// SetDefaultEndpoint (the eleventh method after IUnknown's, preceded by ten
// format, period, share-mode and property methods) follow the public
// descriptions of its method order. Only that one slot is named; the ones
// before it are placeholders that are never called.

#include <windows.h>
#include <mmdeviceapi.h>

// {870AF99C-171D-4F9E-AF0D-E63DF40C2BC9}
inline constexpr CLSID kAudioPolicyConfigClsid = {
    0x870af99c, 0x171d, 0x4f9e, {0xaf, 0x0d, 0xe6, 0x3d, 0xf4, 0x0c, 0x2b, 0xc9}};

MIDL_INTERFACE("f8679f50-850a-41cf-9c72-430f290290c8")
IAudioPolicyConfig : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Unused0() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(LPCWSTR deviceId, ERole role) = 0;
};
__CRT_UUID_DECL(IAudioPolicyConfig, 0xf8679f50, 0x850a, 0x41cf, 0x9c, 0x72, 0x43, 0x0f, 0x29, 0x02, 0x90, 0xc8)
