#pragma once
// Descriptions of the three Direct2D effects the glass chains together:
// saturation, Gaussian blur and a 2D affine transform (a pure translation).
// They hold no Direct2D objects; the compositor reads them through
// IGraphicsEffectD2D1Interop and builds the effect itself.

#include <wrl/client.h>

#include <atomic>
#include <string>

#include "platform/GraphicsEffects.h"
#include "platform/InspectableHelpers.h"

template <class Derived>
class D2DEffectBase : public IGraphicsEffect, public IGraphicsEffectSource, public IGraphicsEffectD2D1Interop {
public:
    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(IGraphicsEffect)) {
            *out = static_cast<IGraphicsEffect*>(this);
        } else if (iid == __uuidof(IGraphicsEffectSource)) {
            *out = static_cast<IGraphicsEffectSource*>(this);
        } else if (iid == __uuidof(IGraphicsEffectD2D1Interop)) {
            *out = static_cast<IGraphicsEffectD2D1Interop*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }
    // IInspectable
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override { return platform::NoIids(count, iids); }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override { return platform::BaseTrustLevel(level); }
    // IGraphicsEffect
    HRESULT STDMETHODCALLTYPE get_Name(HSTRING* name) override {
        if (!name) return E_POINTER;
        return WindowsCreateString(name_.c_str(), static_cast<UINT32>(name_.size()), name);
    }
    HRESULT STDMETHODCALLTYPE put_Name(HSTRING name) override {
        UINT32 length = 0;
        const wchar_t* text = WindowsGetStringRawBuffer(name, &length);
        name_.assign(text ? text : L"", text ? length : 0);
        return S_OK;
    }
    // IGraphicsEffectD2D1Interop
    HRESULT STDMETHODCALLTYPE GetEffectId(GUID* id) override {
        if (!id) return E_POINTER;
        *id = Derived::kEffectId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNamedPropertyMapping(LPCWSTR, UINT*,
                                                      platform::GRAPHICS_EFFECT_PROPERTY_MAPPING*) override {
        return E_INVALIDARG;  // properties are addressed by index only
    }
    HRESULT STDMETHODCALLTYPE GetPropertyCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = Derived::kPropertyCount;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(UINT index, IGraphicsEffectSource** source) override {
        if (!source) return E_POINTER;
        *source = nullptr;
        if (index != 0 || !source_) return E_INVALIDARG;
        return source_.CopyTo(source);
    }
    HRESULT STDMETHODCALLTYPE GetSourceCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = source_ ? 1 : 0;
        return S_OK;
    }

protected:
    D2DEffectBase(Microsoft::WRL::ComPtr<IGraphicsEffectSource> source, float value, float value2)
        : name_(Derived::kName), source_(std::move(source)), value_(value), value2_(value2) {}
    virtual ~D2DEffectBase() = default;

    std::atomic<ULONG> refs_{1};
    std::wstring name_;
    Microsoft::WRL::ComPtr<IGraphicsEffectSource> source_;
    float value_;
    float value2_;
};

class SaturationEffect final : public D2DEffectBase<SaturationEffect> {
public:
    static constexpr const wchar_t* kName = L"Saturation";
    static constexpr GUID kEffectId = platform::kClsidD2D1Saturation;
    static constexpr UINT kPropertyCount = 1;
    static Microsoft::WRL::ComPtr<IGraphicsEffect> Make(Microsoft::WRL::ComPtr<IGraphicsEffectSource> source,
                                                        float saturation);
    HRESULT STDMETHODCALLTYPE GetProperty(UINT index, IPropertyValue** value) override;

private:
    using D2DEffectBase::D2DEffectBase;
};

class GaussianBlurEffect final : public D2DEffectBase<GaussianBlurEffect> {
public:
    static constexpr const wchar_t* kName = L"Blur";
    static constexpr GUID kEffectId = platform::kClsidD2D1GaussianBlur;
    static constexpr UINT kPropertyCount = 3;
    static Microsoft::WRL::ComPtr<IGraphicsEffect> Make(Microsoft::WRL::ComPtr<IGraphicsEffectSource> source,
                                                        float standardDeviation);
    HRESULT STDMETHODCALLTYPE GetProperty(UINT index, IPropertyValue** value) override;

private:
    using D2DEffectBase::D2DEffectBase;
};

class Transform2DEffect final : public D2DEffectBase<Transform2DEffect> {
public:
    static constexpr const wchar_t* kName = L"Transform2D";
    static constexpr GUID kEffectId = platform::kClsidD2D12DAffineTransform;
    static constexpr UINT kPropertyCount = 4;
    static Microsoft::WRL::ComPtr<IGraphicsEffect> Make(Microsoft::WRL::ComPtr<IGraphicsEffectSource> source, float dx,
                                                        float dy);
    HRESULT STDMETHODCALLTYPE GetProperty(UINT index, IPropertyValue** value) override;

private:
    using D2DEffectBase::D2DEffectBase;
};

// The effect as the source of the next one in a chain.
Microsoft::WRL::ComPtr<IGraphicsEffectSource> AsEffectSource(const Microsoft::WRL::ComPtr<IGraphicsEffect>& effect);
