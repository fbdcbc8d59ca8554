#include <gtest/gtest.h>

#include <objbase.h>

#include <vector>

#include "render/CompositionEffects.h"
#include "render/comp/EffectSourceParameter.h"

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IGraphicsEffectD2D1Interop> Interop(const ComPtr<IGraphicsEffect>& effect) {
    ComPtr<IGraphicsEffectD2D1Interop> interop;
    EXPECT_TRUE(SUCCEEDED(effect.As(&interop)));
    return interop;
}

float SingleAt(IGraphicsEffectD2D1Interop* interop, UINT index) {
    ComPtr<IPropertyValue> value;
    EXPECT_EQ(interop->GetProperty(index, &value), S_OK);
    platform::PropertyType type{};
    value->get_Type(&type);
    EXPECT_EQ(type, platform::PropertyType_Single);
    float result = -1;
    EXPECT_EQ(value->GetSingle(&result), S_OK);
    return result;
}

UINT32 UInt32At(IGraphicsEffectD2D1Interop* interop, UINT index) {
    ComPtr<IPropertyValue> value;
    EXPECT_EQ(interop->GetProperty(index, &value), S_OK);
    platform::PropertyType type{};
    value->get_Type(&type);
    EXPECT_EQ(type, platform::PropertyType_UInt32);
    UINT32 result = 99;
    EXPECT_EQ(value->GetUInt32(&result), S_OK);
    float wrong = 0;
    EXPECT_NE(value->GetSingle(&wrong), S_OK) << "an enumeration is never a Single";
    return result;
}

std::wstring NameOf(const ComPtr<IGraphicsEffect>& effect) {
    HSTRING name = nullptr;
    EXPECT_EQ(effect->get_Name(&name), S_OK);
    UINT32 length = 0;
    std::wstring result(WindowsGetStringRawBuffer(name, &length));
    WindowsDeleteString(name);
    return result;
}

}  // namespace

TEST(CompositionEffects, IdentityOfTheThreeEffects) {
    auto backdrop = comp::CompositionEffectSourceParameter(L"backdrop");
    auto saturation = SaturationEffect::Make(backdrop, 1.48f);
    auto blur = GaussianBlurEffect::Make(AsEffectSource(saturation), 4.5f);
    auto shift = Transform2DEffect::Make(AsEffectSource(blur), 0.0f, 7.5f);

    struct Expected {
        ComPtr<IGraphicsEffect> effect;
        const wchar_t* name;
        GUID id;
        UINT count;
    } cases[] = {
        {saturation, L"Saturation", {0x5cb2d9cf, 0x327d, 0x459f, {0xa0, 0xce, 0x40, 0xc0, 0xb2, 0x08, 0x6b, 0xf7}}, 1},
        {blur, L"Blur", {0x1feb6d69, 0x2fe6, 0x4ac9, {0x8c, 0x58, 0x1d, 0x7f, 0x93, 0xe7, 0xa6, 0xa5}}, 3},
        {shift, L"Transform2D", {0x6aa97485, 0x6354, 0x4cfc, {0x90, 0x8c, 0xe4, 0xa7, 0x4f, 0x62, 0xc9, 0x6c}}, 4},
    };
    for (const auto& c : cases) {
        auto interop = Interop(c.effect);
        EXPECT_EQ(NameOf(c.effect), c.name);
        GUID id{};
        EXPECT_EQ(interop->GetEffectId(&id), S_OK);
        EXPECT_TRUE(IsEqualGUID(id, c.id));
        UINT count = 0;
        EXPECT_EQ(interop->GetPropertyCount(&count), S_OK);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(interop->GetEffectId(nullptr), E_POINTER);
        EXPECT_EQ(interop->GetPropertyCount(nullptr), E_POINTER);
        UINT index = 0;
        platform::GRAPHICS_EFFECT_PROPERTY_MAPPING mapping{};
        EXPECT_EQ(interop->GetNamedPropertyMapping(L"Saturation", &index, &mapping), E_INVALIDARG);
        UINT sources = 0;
        EXPECT_EQ(interop->GetSourceCount(&sources), S_OK);
        EXPECT_EQ(sources, 1u);
    }

    // put_Name replaces the name.
    HSTRING renamed = nullptr;
    WindowsCreateString(L"Lens", 4, &renamed);
    EXPECT_EQ(shift->put_Name(renamed), S_OK);
    WindowsDeleteString(renamed);
    EXPECT_EQ(NameOf(shift), L"Lens");
}

TEST(CompositionEffects, PropertyValuesAndTheirBoxes) {
    auto saturation = Interop(SaturationEffect::Make(nullptr, 1.8f));
    EXPECT_FLOAT_EQ(SingleAt(saturation.Get(), 0), 1.8f);
    EXPECT_EQ(saturation->GetProperty(1, nullptr), E_INVALIDARG) << "the index is tested first";
    EXPECT_EQ(saturation->GetProperty(0, nullptr), E_POINTER);

    auto blur = Interop(GaussianBlurEffect::Make(nullptr, 9.0f));
    EXPECT_FLOAT_EQ(SingleAt(blur.Get(), 0), 9.0f);
    EXPECT_EQ(UInt32At(blur.Get(), 1), 1u) << "balanced optimisation";
    EXPECT_EQ(UInt32At(blur.Get(), 2), 1u) << "hard border";
    ComPtr<IPropertyValue> none;
    EXPECT_EQ(blur->GetProperty(3, &none), E_INVALIDARG);
    EXPECT_EQ(blur->GetProperty(1, nullptr), E_POINTER);
    EXPECT_EQ(blur->GetProperty(3, nullptr), E_INVALIDARG);

    auto shift = Interop(Transform2DEffect::Make(nullptr, 0.0f, 7.5f));
    EXPECT_EQ(UInt32At(shift.Get(), 0), 1u) << "linear interpolation";
    EXPECT_EQ(UInt32At(shift.Get(), 1), 1u) << "hard border";
    EXPECT_FLOAT_EQ(SingleAt(shift.Get(), 3), 1.0f) << "sharpness";
    ComPtr<IPropertyValue> matrix;
    ASSERT_EQ(shift->GetProperty(2, &matrix), S_OK);
    platform::PropertyType type{};
    matrix->get_Type(&type);
    EXPECT_EQ(type, platform::PropertyType_SingleArray);
    UINT32 length = 0;
    FLOAT* values = nullptr;
    ASSERT_EQ(matrix->GetSingleArray(&length, &values), S_OK);
    std::vector<float> got(values, values + length);
    CoTaskMemFree(values);
    EXPECT_EQ(got, (std::vector<float>{1, 0, 0, 1, 0, 7.5f}));
    EXPECT_EQ(shift->GetProperty(4, &none), E_INVALIDARG);
}

TEST(CompositionEffects, SourcesChainAndMissingSources) {
    auto backdrop = comp::CompositionEffectSourceParameter(L"backdrop");
    auto saturation = SaturationEffect::Make(backdrop, 1.4f);
    auto blur = Interop(GaussianBlurEffect::Make(AsEffectSource(saturation), 2.0f));

    ComPtr<IGraphicsEffectSource> source;
    ASSERT_EQ(blur->GetSource(0, &source), S_OK);
    ComPtr<IGraphicsEffectD2D1Interop> inner;
    ASSERT_EQ(source.As(&inner), S_OK) << "the blur's source is the saturation effect";
    ComPtr<IGraphicsEffectSource> parameter;
    ASSERT_EQ(inner->GetSource(0, &parameter), S_OK);
    std::wstring name;
    EXPECT_TRUE(comp::TryGetSourceParameterName(parameter.Get(), name));
    EXPECT_EQ(name, L"backdrop");
    EXPECT_FALSE(comp::TryGetSourceParameterName(source.Get(), name));

    IGraphicsEffectSource* out = reinterpret_cast<IGraphicsEffectSource*>(0x1);
    EXPECT_EQ(blur->GetSource(1, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(blur->GetSource(0, nullptr), E_POINTER);

    auto orphan = Interop(GaussianBlurEffect::Make(nullptr, 2.0f));
    out = reinterpret_cast<IGraphicsEffectSource*>(0x1);
    EXPECT_EQ(orphan->GetSource(0, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr) << "the output is cleared";
    UINT count = 7;
    EXPECT_EQ(orphan->GetSourceCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}
