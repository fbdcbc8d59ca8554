#include "render/comp/EffectSourceParameter.h"

#include <atomic>

#include "platform/InspectableHelpers.h"

namespace comp::detail {

// Private interface through which the effect factory reads the parameter's name.
MIDL_INTERFACE("6f0f2d1e-4b8a-4c59-9a53-0d7c1e7b4a21")
IEffectSourceParameterName : public IUnknown { virtual const std::wstring& Name() const = 0; };

}  // namespace comp::detail

__CRT_UUID_DECL(comp::detail::IEffectSourceParameterName, 0x6f0f2d1e, 0x4b8a, 0x4c59, 0x9a, 0x53, 0x0d, 0x7c, 0x1e,
                0x7b, 0x4a, 0x21)

namespace comp {
namespace {

using detail::IEffectSourceParameterName;

class SourceParameter final : public IGraphicsEffectSource, public IEffectSourceParameterName {
public:
    explicit SourceParameter(std::wstring name) : name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(IGraphicsEffectSource)) {
            *out = static_cast<IGraphicsEffectSource*>(this);
        } else if (iid == __uuidof(IEffectSourceParameterName)) {
            *out = static_cast<IEffectSourceParameterName*>(this);
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
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override { return platform::NoIids(count, iids); }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override {
        return platform::ClassName(L"Windows.UI.Composition.CompositionEffectSourceParameter", name);
    }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override { return platform::BaseTrustLevel(level); }
    const std::wstring& Name() const override { return name_; }

private:
    std::atomic<ULONG> refs_{1};
    std::wstring name_;
};

}  // namespace

Microsoft::WRL::ComPtr<IGraphicsEffectSource> CompositionEffectSourceParameter(const std::wstring& name) {
    Microsoft::WRL::ComPtr<IGraphicsEffectSource> result;
    result.Attach(static_cast<IGraphicsEffectSource*>(new SourceParameter(name)));
    return result;
}

bool TryGetSourceParameterName(IGraphicsEffectSource* source, std::wstring& name) {
    if (!source) return false;
    Microsoft::WRL::ComPtr<IEffectSourceParameterName> named;
    if (FAILED(source->QueryInterface(__uuidof(IEffectSourceParameterName), &named))) return false;
    name = named->Name();
    return true;
}

}  // namespace comp
