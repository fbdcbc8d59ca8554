#include "render/CompositionEffects.h"

#include "render/comp/PropertyValue.h"

namespace {

// Direct2D's enumeration values, boxed as UInt32.
constexpr UINT32 kBlurOptimizationBalanced = 1;
constexpr UINT32 kBorderModeHard = 1;
constexpr UINT32 kInterpolationLinear = 1;

template <class Effect>
Microsoft::WRL::ComPtr<IGraphicsEffect> Adopt(Effect* effect) {
    Microsoft::WRL::ComPtr<IGraphicsEffect> result;
    result.Attach(static_cast<IGraphicsEffect*>(effect));
    return result;
}

HRESULT Hand(Microsoft::WRL::ComPtr<IPropertyValue> boxed, IPropertyValue** value) {
    *value = boxed.Detach();
    return *value ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

Microsoft::WRL::ComPtr<IGraphicsEffectSource> AsEffectSource(const Microsoft::WRL::ComPtr<IGraphicsEffect>& effect) {
    Microsoft::WRL::ComPtr<IGraphicsEffectSource> source;
    if (effect) effect.As(&source);
    return source;
}

Microsoft::WRL::ComPtr<IGraphicsEffect> SaturationEffect::Make(Microsoft::WRL::ComPtr<IGraphicsEffectSource> source,
                                                               float saturation) {
    return Adopt(new SaturationEffect(std::move(source), saturation, 0.0f));
}

HRESULT SaturationEffect::GetProperty(UINT index, IPropertyValue** value) {
    if (index != 0) return E_INVALIDARG;
    if (!value) return E_POINTER;
    return Hand(comp::BoxSingle(value_), value);
}

Microsoft::WRL::ComPtr<IGraphicsEffect> GaussianBlurEffect::Make(Microsoft::WRL::ComPtr<IGraphicsEffectSource> source,
                                                                 float standardDeviation) {
    return Adopt(new GaussianBlurEffect(std::move(source), standardDeviation, 0.0f));
}

HRESULT GaussianBlurEffect::GetProperty(UINT index, IPropertyValue** value) {
    switch (index) {
        case 0:
            if (!value) return E_POINTER;
            return Hand(comp::BoxSingle(value_), value);
        case 1:
            if (!value) return E_POINTER;
            return Hand(comp::BoxUInt32(kBlurOptimizationBalanced), value);
        case 2:
            if (!value) return E_POINTER;
            return Hand(comp::BoxUInt32(kBorderModeHard), value);
        default:
            return E_INVALIDARG;
    }
}

Microsoft::WRL::ComPtr<IGraphicsEffect> Transform2DEffect::Make(Microsoft::WRL::ComPtr<IGraphicsEffectSource> source,
                                                                float dx, float dy) {
    return Adopt(new Transform2DEffect(std::move(source), dx, dy));
}

HRESULT Transform2DEffect::GetProperty(UINT index, IPropertyValue** value) {
    switch (index) {
        case 0:
            if (!value) return E_POINTER;
            return Hand(comp::BoxUInt32(kInterpolationLinear), value);
        case 1:
            if (!value) return E_POINTER;
            return Hand(comp::BoxUInt32(kBorderModeHard), value);
        case 2:
            if (!value) return E_POINTER;
            return Hand(comp::BoxSingleArray({1.0f, 0.0f, 0.0f, 1.0f, value_, value2_}), value);
        case 3:
            if (!value) return E_POINTER;
            return Hand(comp::BoxSingle(1.0f), value);
        default:
            return E_INVALIDARG;
    }
}
