#include "render/comp/EffectCompiler.h"

#include <objbase.h>

#include <algorithm>
#include <cmath>

#include "render/comp/EffectSourceParameter.h"

namespace comp::detail {

namespace {

using Microsoft::WRL::ComPtr;

// What the platform answers for an effect it has no implementation of.
constexpr HRESULT kUnsupportedEffect = static_cast<HRESULT>(0x88990005);  // D2DERR_UNSUPPORTED_OPERATION
constexpr int kMaxChainLength = 32;

ComPtr<IPropertyValue> Property(IGraphicsEffectD2D1Interop* effect, UINT index) {
    ComPtr<IPropertyValue> value;
    ThrowIfFailed(effect->GetProperty(index, &value));
    if (!value) ThrowHResult(E_POINTER);
    return value;
}

float SingleProperty(IGraphicsEffectD2D1Interop* effect, UINT index) {
    float result = 0;
    ThrowIfFailed(Property(effect, index)->GetSingle(&result));
    if (!std::isfinite(result)) ThrowHResult(E_INVALIDARG);
    return result;
}

UINT32 UIntProperty(IGraphicsEffectD2D1Interop* effect, UINT index) {
    UINT32 result = 0;
    ThrowIfFailed(Property(effect, index)->GetUInt32(&result));
    return result;
}

EffectStep ReadStep(IGraphicsEffectD2D1Interop* effect) {
    GUID id{};
    ThrowIfFailed(effect->GetEffectId(&id));
    UINT count = 0;
    ThrowIfFailed(effect->GetPropertyCount(&count));
    EffectStep step;
    if (IsEqualGUID(id, platform::kClsidD2D1Saturation)) {
        if (count < 1) ThrowHResult(E_INVALIDARG);
        step.kind = EffectStep::Kind::Saturation;
        step.a = SingleProperty(effect, 0);
    } else if (IsEqualGUID(id, platform::kClsidD2D1GaussianBlur)) {
        if (count < 1) ThrowHResult(E_INVALIDARG);
        step.kind = EffectStep::Kind::GaussianBlur;
        step.a = std::max(0.0f, SingleProperty(effect, 0));
    } else if (IsEqualGUID(id, platform::kClsidD2D12DAffineTransform)) {
        if (count < 3) ThrowHResult(E_INVALIDARG);
        UIntProperty(effect, 0);  // interpolation: bilinear is what we do
        UINT32 length = 0;
        FLOAT* matrix = nullptr;
        ThrowIfFailed(Property(effect, 2)->GetSingleArray(&length, &matrix));
        bool translation = length == 6 && matrix[0] == 1 && matrix[1] == 0 && matrix[2] == 0 && matrix[3] == 1 &&
                           std::isfinite(matrix[4]) && std::isfinite(matrix[5]);
        step.kind = EffectStep::Kind::Translation;
        step.a = length == 6 ? matrix[4] : 0;
        step.b = length == 6 ? matrix[5] : 0;
        CoTaskMemFree(matrix);
        if (!translation) ThrowHResult(kUnsupportedEffect);
    } else {
        ThrowHResult(kUnsupportedEffect);
    }
    return step;
}

}  // namespace

EffectProgram CompileEffect(IGraphicsEffect* effect) {
    if (!effect) ThrowHResult(E_POINTER);
    EffectProgram program;
    ComPtr<IUnknown> current = effect;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxChainLength) ThrowHResult(kUnsupportedEffect);
        ComPtr<IGraphicsEffectD2D1Interop> interop;
        if (FAILED(current.As(&interop))) {
            ComPtr<IGraphicsEffectSource> source;
            std::wstring name;
            if (FAILED(current.As(&source)) || !TryGetSourceParameterName(source.Get(), name)) {
                ThrowHResult(E_INVALIDARG);
            }
            program.sourceName = name;
            break;
        }
        program.steps.push_back(ReadStep(interop.Get()));
        UINT sources = 0;
        ThrowIfFailed(interop->GetSourceCount(&sources));
        if (sources != 1) ThrowHResult(E_INVALIDARG);
        ComPtr<IGraphicsEffectSource> next;
        ThrowIfFailed(interop->GetSource(0, &next));
        if (!next) ThrowHResult(E_INVALIDARG);
        current = next;
    }
    // Read from the source outwards.
    std::reverse(program.steps.begin(), program.steps.end());
    return program;
}

}  // namespace comp::detail
