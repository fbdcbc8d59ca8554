#include "render/comp/PropertyValue.h"

#include <atomic>

#include "platform/InspectableHelpers.h"
#include <cstring>
#include <new>
#include <utility>

namespace comp {
namespace {

class BoxedValue final : public IPropertyValue {
public:
    BoxedValue(platform::PropertyType type, float single, UINT32 uint32, std::vector<float> array)
        : type_(type), single_(single), uint32_(uint32), array_(std::move(array)) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(IPropertyValue)) {
            *out = static_cast<IPropertyValue*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    // IInspectable
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override { return platform::NoIids(count, iids); }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override {
        return platform::ClassName(L"Windows.Foundation.IReference", name);
    }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override { return platform::BaseTrustLevel(level); }
    // IPropertyValue
    HRESULT STDMETHODCALLTYPE get_Type(platform::PropertyType* value) override {
        if (!value) return E_POINTER;
        *value = type_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsNumericScalar(boolean* value) override {
        if (!value) return E_POINTER;
        *value = type_ != platform::PropertyType_SingleArray;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSingle(FLOAT* value) override {
        if (!value) return E_POINTER;
        if (type_ != platform::PropertyType_Single) return TYPE_E_TYPEMISMATCH;
        *value = single_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUInt32(UINT32* value) override {
        if (!value) return E_POINTER;
        if (type_ != platform::PropertyType_UInt32) return TYPE_E_TYPEMISMATCH;
        *value = uint32_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSingleArray(UINT32* length, FLOAT** value) override {
        if (!length || !value) return E_POINTER;
        if (type_ != platform::PropertyType_SingleArray) return TYPE_E_TYPEMISMATCH;
        *value = static_cast<FLOAT*>(CoTaskMemAlloc(array_.size() * sizeof(FLOAT)));
        if (!*value && !array_.empty()) return E_OUTOFMEMORY;
        if (!array_.empty()) std::memcpy(*value, array_.data(), array_.size() * sizeof(FLOAT));
        *length = static_cast<UINT32>(array_.size());
        return S_OK;
    }

    // Everything else is a type mismatch for the three kinds of box made here.
    HRESULT STDMETHODCALLTYPE GetUInt8(BYTE*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetInt16(INT16*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetUInt16(UINT16*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetInt32(INT32*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetInt64(INT64*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetUInt64(UINT64*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetDouble(DOUBLE*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetChar16(WCHAR*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetBoolean(boolean*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetString(HSTRING*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetGuid(GUID*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetDateTime(platform::DateTime*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetTimeSpan(platform::TimeSpan*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetPoint(platform::Point*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetSize(platform::Size*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetRect(platform::Rect*) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetUInt8Array(UINT32*, BYTE**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetInt16Array(UINT32*, INT16**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetUInt16Array(UINT32*, UINT16**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetInt32Array(UINT32*, INT32**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetUInt32Array(UINT32*, UINT32**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetInt64Array(UINT32*, INT64**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetUInt64Array(UINT32*, UINT64**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetDoubleArray(UINT32*, DOUBLE**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetChar16Array(UINT32*, WCHAR**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetBooleanArray(UINT32*, boolean**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetStringArray(UINT32*, HSTRING**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetInspectableArray(UINT32*, IInspectable***) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetGuidArray(UINT32*, GUID**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetDateTimeArray(UINT32*, platform::DateTime**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetTimeSpanArray(UINT32*, platform::TimeSpan**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetPointArray(UINT32*, platform::Point**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetSizeArray(UINT32*, platform::Size**) override { return TYPE_E_TYPEMISMATCH; }
    HRESULT STDMETHODCALLTYPE GetRectArray(UINT32*, platform::Rect**) override { return TYPE_E_TYPEMISMATCH; }

private:
    std::atomic<ULONG> refs_{1};
    platform::PropertyType type_;
    float single_;
    UINT32 uint32_;
    std::vector<float> array_;
};

Microsoft::WRL::ComPtr<IPropertyValue> Adopt(BoxedValue* value) {
    Microsoft::WRL::ComPtr<IPropertyValue> result;
    result.Attach(value);
    return result;
}

}  // namespace

Microsoft::WRL::ComPtr<IPropertyValue> BoxSingle(float value) {
    return Adopt(new BoxedValue(platform::PropertyType_Single, value, 0, {}));
}

Microsoft::WRL::ComPtr<IPropertyValue> BoxUInt32(UINT32 value) {
    return Adopt(new BoxedValue(platform::PropertyType_UInt32, 0, value, {}));
}

Microsoft::WRL::ComPtr<IPropertyValue> BoxSingleArray(std::vector<float> values) {
    return Adopt(new BoxedValue(platform::PropertyType_SingleArray, 0, 0, std::move(values)));
}

}  // namespace comp
