// Making an output the default for every role: through a policy-configuration
// object registered in this process under the system's class id, and with no
// such class at all, as Wine has.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>
#include <vector>

#include "support/FakeCom.h"
#include "platform/AudioPolicyConfig.h"
#include "system/DefaultAudioOutput.h"

namespace {

std::vector<std::pair<std::wstring, ERole>> g_calls;
int g_created = 0;

class FakePolicyConfig final : public FakeUnknown<IAudioPolicyConfig> {
public:
    HRESULT STDMETHODCALLTYPE Unused0() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused1() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused2() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused3() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused4() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused5() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused6() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused7() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused8() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused9() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(LPCWSTR deviceId, ERole role) override {
        g_calls.emplace_back(deviceId, role);
        return E_FAIL;  // ignored: every role is still tried
    }

private:
    static HRESULT Wrong() {
        ADD_FAILURE() << "a slot other than SetDefaultEndpoint was called";
        return E_NOTIMPL;
    }
};

class FakeFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        ++g_created;
        auto* config = new FakePolicyConfig;
        const HRESULT hr = config->QueryInterface(iid, object);
        config->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

TEST(DefaultAudioOutput, EveryRoleThroughThePolicyObjectAndNothingWithoutIt) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    g_calls.clear();
    g_created = 0;

    vantreel::SetDefaultAudioOutput(L"{0.0.0.00000000}.{speakers}");  // no such class: nothing happens
    EXPECT_TRUE(g_calls.empty());

    FakeFactory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kAudioPolicyConfigClsid, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie),
              S_OK);
    vantreel::SetDefaultAudioOutput(L"{0.0.0.00000000}.{speakers}");
    vantreel::SetDefaultAudioOutput(L"");
    CoRevokeClassObject(cookie);

    EXPECT_EQ(g_created, 1) << "an empty device id creates nothing";
    const std::vector<std::pair<std::wstring, ERole>> expected = {
        {L"{0.0.0.00000000}.{speakers}", eConsole},
        {L"{0.0.0.00000000}.{speakers}", eMultimedia},
        {L"{0.0.0.00000000}.{speakers}", eCommunications},
    };
    EXPECT_EQ(g_calls, expected);
    CoUninitialize();
}
