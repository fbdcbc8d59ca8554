#include <gtest/gtest.h>

#include <windows.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <objbase.h>
#include <propsys.h>
#include <wrl/client.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "support/FakeCom.h"
#include "support/FakeEndpointVolume.h"
#include "platform/ShellPropertyKeys.h"
#include "system/AudioDevices.h"
#include "system/DefaultEndpointVolume.h"

using Microsoft::WRL::ComPtr;
using vantreel::AdjustVolumeBy;
using vantreel::AudioDevice;
using vantreel::EnumerateAudioOutputDevices;

namespace {

template <typename Interface>
using Fake = FakeUnknown<Interface>;

// A volume control that records what was set.
class RecordingVolume final : public FakeEndpointVolume {
public:
    float level = 0.5f;
    BOOL muted = FALSE;
    HRESULT readResult = S_OK;
    HRESULT setResult = S_OK;
    std::vector<float> levelsSet;
    std::vector<BOOL> mutesSet;

    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float* value) override {
        if (FAILED(readResult)) return readResult;
        *value = level;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float value, LPCGUID context) override {
        EXPECT_EQ(context, nullptr);
        levelsSet.push_back(value);
        if (SUCCEEDED(setResult)) level = value;
        return setResult;
    }
    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID context) override {
        EXPECT_EQ(context, nullptr);
        mutesSet.push_back(mute);
        muted = mute;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override {
        *mute = muted;
        return S_OK;
    }
};

// One recorded endpoint: its id (nothing: GetId fails) and its friendly-name
// property (nothing: the store cannot be opened).
struct EndpointSpec {
    std::optional<std::wstring> id;
    std::optional<PROPVARIANT> name;
};

PROPVARIANT WideName(const wchar_t* text) {
    PROPVARIANT value;
    PropVariantInit(&value);
    value.vt = VT_LPWSTR;
    value.pwszVal = const_cast<wchar_t*>(text);  // copied out by the store
    return value;
}

PROPVARIANT NumberName() {
    PROPVARIANT value;
    PropVariantInit(&value);
    value.vt = VT_UI4;
    value.ulVal = 7;
    return value;
}

PROPVARIANT EmptyName() {
    PROPVARIANT value;
    PropVariantInit(&value);
    return value;
}

class Store final : public Fake<IPropertyStore> {
public:
    explicit Store(const PROPVARIANT& name) : name_(name) {}
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override {
        PropVariantInit(value);
        if (!IsEqualPropertyKey(key, kPKEY_Device_FriendlyName) || name_.vt == VT_EMPTY) return S_OK;
        if (name_.vt != VT_LPWSTR) {
            *value = name_;
            return S_OK;
        }
        return PropVariantCopy(value, &name_);
    }
    HRESULT STDMETHODCALLTYPE GetCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD, PROPERTYKEY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY, REFPROPVARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit() override { return E_NOTIMPL; }

private:
    PROPVARIANT name_;
};

class Device final : public Fake<IMMDevice> {
public:
    explicit Device(EndpointSpec spec) : spec_(std::move(spec)) {}
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override {
        if (!spec_.id) return E_FAIL;
        const size_t bytes = (spec_.id->size() + 1) * sizeof(wchar_t);
        *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        memcpy(*id, spec_.id->c_str(), bytes);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD access, IPropertyStore** store) override {
        EXPECT_EQ(access, static_cast<DWORD>(STGM_READ));
        if (!spec_.name) return E_ACCESSDENIED;
        *store = new Store(*spec_.name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Activate(REFIID, DWORD, PROPVARIANT*, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD*) override { return E_NOTIMPL; }

private:
    EndpointSpec spec_;
};

class Collection final : public Fake<IMMDeviceCollection> {
public:
    explicit Collection(std::vector<EndpointSpec> endpoints) : endpoints_(std::move(endpoints)) {}
    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override {
        *count = static_cast<UINT>(endpoints_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(UINT index, IMMDevice** device) override {
        if (index >= endpoints_.size()) return E_INVALIDARG;
        *device = new Device(endpoints_[index]);
        return S_OK;
    }

private:
    std::vector<EndpointSpec> endpoints_;
};

class Enumerator final : public Fake<IMMDeviceEnumerator> {
public:
    Enumerator(std::optional<std::wstring> defaultId, std::vector<EndpointSpec> endpoints)
        : defaultId_(std::move(defaultId)), endpoints_(std::move(endpoints)) {}
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD states, IMMDeviceCollection** out) override {
        EXPECT_EQ(flow, eRender);
        EXPECT_EQ(states, static_cast<DWORD>(DEVICE_STATE_ACTIVE));
        *out = new Collection(endpoints_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** out) override {
        EXPECT_EQ(flow, eRender);
        EXPECT_EQ(role, eConsole);
        if (!defaultId_) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        *out = new Device({defaultId_, std::nullopt});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
        return E_NOTIMPL;
    }

private:
    std::optional<std::wstring> defaultId_;
    std::vector<EndpointSpec> endpoints_;
};

std::vector<AudioDevice> ListOver(std::optional<std::wstring> defaultId, std::vector<EndpointSpec> endpoints) {
    return EnumerateAudioOutputDevices([&] {
        ComPtr<IMMDeviceEnumerator> enumerator;
        enumerator.Attach(new Enumerator(defaultId, endpoints));
        return enumerator;
    });
}

struct VolumeCase {
    float level;
    BOOL muted;
    float delta;
    float expectedLevel;
    bool unmutes;
};

class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }

private:
    bool ok_;
};

}  // namespace

TEST(AudioVolumeStep, ClampsAndUnmutesAboveOnePercent) {
    const VolumeCase cases[] = {
        {0.98f, TRUE, 0.04f, 1.0f, true},
        {0.02f, TRUE, -0.04f, 0.0f, false},
        {0.50f, TRUE, 0.04f, 0.54f, true},
        {0.0f, TRUE, 0.01f, 0.01f, false},  // exactly 0.01 never unmutes
    };
    for (const VolumeCase& c : cases) {
        ComPtr<RecordingVolume> volume;
        volume.Attach(new RecordingVolume);
        volume->level = c.level;
        volume->muted = c.muted;
        EXPECT_TRUE(AdjustVolumeBy(volume.Get(), c.delta));
        ASSERT_EQ(volume->levelsSet.size(), 1u);
        EXPECT_FLOAT_EQ(volume->levelsSet[0], c.expectedLevel);
        EXPECT_EQ(volume->mutesSet, c.unmutes ? std::vector<BOOL>{FALSE} : std::vector<BOOL>{}) << c.level;
    }
}

TEST(AudioVolumeStep, FailuresChangeNothing) {
    ComPtr<RecordingVolume> volume;
    volume.Attach(new RecordingVolume);
    volume->muted = TRUE;
    volume->setResult = E_NOTIMPL;
    EXPECT_FALSE(AdjustVolumeBy(volume.Get(), 0.04f));
    EXPECT_EQ(volume->levelsSet.size(), 1u);
    EXPECT_TRUE(volume->mutesSet.empty()) << "a failed set never unmutes";

    volume->levelsSet.clear();
    volume->readResult = E_FAIL;
    EXPECT_FALSE(AdjustVolumeBy(volume.Get(), 0.04f));
    EXPECT_TRUE(volume->levelsSet.empty()) << "a failed read sets nothing";
    EXPECT_TRUE(volume->mutesSet.empty());

    EXPECT_FALSE(AdjustVolumeBy(nullptr, 0.04f));
}

TEST(AudioOutputDevices, DefaultMarkNamesAndUnreadableIds) {
    auto devices = ListOver(L"{0.0.0.00000000}.{ABCD-ef01}",
                            {{L"{0.0.0.00000000}.{abcd-EF01}", WideName(L"Speakers (USB)")},
                             {L"{0.0.0.00000000}.{9999}", std::nullopt},
                             {std::nullopt, WideName(L"Unreadable")},
                             {L"{0.0.0.00000000}.{7777}", NumberName()},
                             {L"{0.0.0.00000000}.{5555}", EmptyName()}});
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[0].name, L"Speakers (USB)");
    EXPECT_TRUE(devices[0].isDefault) << "ids compared without regard to case";
    EXPECT_EQ(devices[0].id, L"{0.0.0.00000000}.{abcd-EF01}");
    for (size_t i = 1; i < devices.size(); ++i) {
        EXPECT_EQ(devices[i].name, L"扬声器");
        EXPECT_FALSE(devices[i].isDefault);
    }
    EXPECT_EQ(devices[1].id, L"{0.0.0.00000000}.{9999}");
    EXPECT_EQ(devices[3].id, L"{0.0.0.00000000}.{5555}");

    devices = ListOver(std::nullopt, {{L"a", WideName(L"A")}, {L"b", WideName(L"B")}});
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_FALSE(devices[0].isDefault);
    EXPECT_FALSE(devices[1].isDefault);

    EXPECT_TRUE(EnumerateAudioOutputDevices([] { return ComPtr<IMMDeviceEnumerator>(); }).empty());
}

TEST(AudioOnThisMachine, OneDefaultOutputWhoseLevelCannotBeSet) {
    ComScope com;
    const auto devices = EnumerateAudioOutputDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_TRUE(devices[0].isDefault);
    EXPECT_EQ(devices[0].name, L"Out: default");

    ComPtr<IAudioEndpointVolume> volume = vantreel::GetDefaultEndpointVolume();
    ASSERT_TRUE(volume);
    ASSERT_HRESULT_SUCCEEDED(volume->SetMute(TRUE, nullptr));
    EXPECT_FALSE(AdjustVolumeBy(0.04f));
    float level = 0.0f;
    BOOL muted = FALSE;
    EXPECT_HRESULT_SUCCEEDED(volume->GetMasterVolumeLevelScalar(&level));
    EXPECT_FLOAT_EQ(level, 1.0f);
    EXPECT_HRESULT_SUCCEEDED(volume->GetMute(&muted));
    EXPECT_TRUE(muted) << "a step that could not be set never unmutes";
    volume->SetMute(FALSE, nullptr);
}
